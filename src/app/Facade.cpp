#include "Facade.h"

#include "BaseWindow.h"
#include "CategoryWindow.h"
#include "CompanyDialog.h"
#include "LendQueryWindow.h"
#include "Settings.h"

Tmall *Mall = nullptr;

Tmall::Tmall(QObject *owner) : QObject(owner) {}

void Tmall::Welcome()
{
    // The silent test first: an operator who may not change the company is not asked.
    if (CurrentOperator->HasRight(RightCompanyInfo) && !Company->HasLongName())
        EditCompany();
    if (SettingsStore->DailyTipPrompt())
        OpenDailyTip();
}

void Tmall::AskFeedback(bool force)
{
    if (force || SettingsStore->FeedbackPrompt())
        OpenFeedback();
}

void Tmall::EditCompany()
{
    CurrentOperator->CheckRight(RightCompanyInfo);
    ShowCompanyInfo(*Company, false);
}

void Tmall::ManageOperators()
{
    CurrentOperator->CheckRight(RightManageOperators);
    // The operator list window is not part of the program yet: the command stops at its right.
}

void Tmall::ClearData()
{
    CurrentOperator->CheckRight(RightClearData);
    // The clear-data window is not part of the program yet: the command stops at its right.
}

void Tmall::ShowBackup()
{
    CurrentOperator->CheckRight(RightBackupSettings);
    // The backup window is not part of the program yet: the command stops at its right.
}

void Tmall::AutoBackup()
{
    // No backup plan can be set up yet, so there is nothing to run by it.
}

void Tmall::EditCategories()
{
    const auto window = TCataRelEditFrm::CreateSettings(TaFrm::MainWindow());
    window->ShowModal();
}

TLendQryFrm *Tmall::ShowLendQuery(QWidget *owner)
{
    auto *window = new TLendQryFrm(owner ? owner : TaFrm::MainWindow());
    window->show();
    return window;
}

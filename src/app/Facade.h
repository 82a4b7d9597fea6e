#pragma once
// The application facade: the commands the shell runs at fixed moments (right after the
// main window appears, and while it closes) and the administrative commands of the main
// window that test the operator's right before their window opens. It holds no data; it
// acts on the current operator, the company record and the settings store.
//
// Every right test here is the checking one: a refused right shows its message and ends
// the command silently (EAbort), so the caller's guard swallows it.

#include <QObject>

class QWidget;
class TLendQryFrm;

class Tmall : public QObject
{
    Q_OBJECT
public:
    explicit Tmall(QObject *owner = nullptr);

    // The start-up prompts: the company editor for an operator allowed to change the
    // company while its name is still short, then the daily tip when the setting asks.
    virtual void Welcome();
    // The feedback form when `force` is true or the setting asks for it.
    virtual void AskFeedback(bool force);

    // Right 10000, then the company dialog, editable.
    void EditCompany();
    // Right 100001, then the operator list.
    void ManageOperators();
    // Right 100, then the clear-data window.
    void ClearData();
    // Right 10005, then the backup settings.
    void ShowBackup();
    // The automatic backup by plan, run while the main window closes.
    void AutoBackup();
    // The category settings window, modal; no right is tested.
    void EditCategories();
    // A new lending query window, shown without waiting; it frees itself when closed, and
    // at the latest with `owner` (the main window when none is given). No right is tested.
    TLendQryFrm *ShowLendQuery(QWidget *owner = nullptr);

protected:
    // The daily tip window and the feedback form are not part of the program yet; until they
    // are, asking for them shows nothing.
    virtual void OpenDailyTip() {}
    virtual void OpenFeedback() {}
};

// The one facade, created by the start-up sequence and owned by the application object.
extern Tmall *Mall;

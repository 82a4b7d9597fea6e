#include "LendQueryWindow.h"

#include "DataGrids.h"
#include "FormBuilder.h"
#include "Prompter.h"
#include "ReportChooser.h"

#include <QAction>
#include <QGridLayout>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

Uis::TDateTimePicker *CheckedPicker(const QString &name)
{
    auto *picker = Form::Named(new Uis::TDateTimePicker, name);
    picker->SetShowCheckbox(true);
    return picker;
}

Uis::TComboBox *FreeCombo(const QString &name)
{
    auto *combo = Form::Named(new Uis::TComboBox, name);
    combo->SetEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

} // namespace

TLendQryFrm::TLendQryFrm(QWidget *owner) : TWinFrm(owner), m_list(new TLendList(this))
{
    setObjectName(QStringLiteral("LendQryFrm"));
    setWindowTitle(QStringLiteral("借阅查询"));
    m_list->SetFormOwner(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = Form::Named(new QToolBar(this), QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tbPrint1 = Form::Named(ToolBar1->addAction(QStringLiteral("打印")), QStringLiteral("tbPrint1"));
    tbExit1 = Form::Named(ToolBar1->addAction(QStringLiteral(" 退出 ")), QStringLiteral("tbExit1"));
    layout->addWidget(ToolBar1);

    edtLendate1 = CheckedPicker(QStringLiteral("edtLendate1"));
    edtLendate2 = CheckedPicker(QStringLiteral("edtLendate2"));
    edtLendept1 = FreeCombo(QStringLiteral("edtLendept1"));
    edtBorrower1 = FreeCombo(QStringLiteral("edtBorrower1"));
    FindButton = Form::Button(QStringLiteral("查找"), QStringLiteral("Button1"));
    btnReset1 = Form::Button(QStringLiteral("重置"), QStringLiteral("btnReset1"));

    // The conditions in two rows of two, each row ending in its button; the panel keeps the
    // height they need and the grid below takes the rest.
    ConditionsPanel = Form::Named(new QWidget(this), QStringLiteral("Panel1"));
    ConditionsPanel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *conditions = new QGridLayout(ConditionsPanel);
    conditions->setContentsMargins(12, 10, 12, 10);
    conditions->setHorizontalSpacing(8);
    conditions->setVerticalSpacing(10);
    conditions->addWidget(Form::Caption(QStringLiteral("借阅日期"), edtLendate1), 0, 0);
    conditions->addWidget(edtLendate1, 0, 1);
    conditions->addWidget(Form::Caption(QStringLiteral("截止日期"), edtLendate2), 0, 2);
    conditions->addWidget(edtLendate2, 0, 3);
    conditions->addWidget(FindButton, 0, 4);
    conditions->addWidget(Form::Caption(QStringLiteral("借阅部门"), edtLendept1), 1, 0);
    conditions->addWidget(edtLendept1, 1, 1);
    conditions->addWidget(Form::Caption(QStringLiteral("借阅人"), edtBorrower1), 1, 2);
    conditions->addWidget(edtBorrower1, 1, 3);
    conditions->addWidget(btnReset1, 1, 4);
    // The boxes keep at least the width they were designed with.
    conditions->setColumnMinimumWidth(1, 130);
    conditions->setColumnMinimumWidth(3, 130);
    // The conditions keep to the left; what the window has over stays empty on the right.
    conditions->setColumnStretch(5, 1);
    layout->addWidget(ConditionsPanel);

    DBGrid1 = Form::Named(new TpzDBGrid(this), QStringLiteral("DBGrid1"));
    DBGrid1->SetRowSelect(true);
    DBGrid1->SetDataSet(m_list->DataSet());
    DBGrid1->SetTag(LendQueryLayoutKey);
    DBGrid1->LoadLayout(LendQueryLayoutKey);
    layout->addWidget(DBGrid1, 1);
    // Starts at the size every tool window starts at, never smaller than the conditions need.
    Form::SetInitialSize(this, width(), height());

    setTabOrder(edtLendate1, edtLendate2);
    setTabOrder(edtLendate2, edtLendept1);
    setTabOrder(edtLendept1, edtBorrower1);
    setTabOrder(edtBorrower1, FindButton);
    setTabOrder(FindButton, btnReset1);
    setTabOrder(btnReset1, DBGrid1);

    connect(FindButton, &QPushButton::clicked, this, Guarded([this](auto &&...) { FindButtonClick(); }));
    connect(btnReset1, &QPushButton::clicked, this, Guarded([this](auto &&...) { btnReset1Click(); }));
    connect(tbPrint1, &QAction::triggered, this, Guarded([this](auto &&...) { tbPrint1Click(); }));
    connect(tbExit1, &QAction::triggered, this, [this] { close(); });

    btnReset1Click();
}

void TLendQryFrm::showEvent(QShowEvent *event)
{
    TWinFrm::showEvent(event);
    // Placing a window at the cursor moves it, which takes back a maximized state; the
    // window opens maximized all the same. Later showings keep what the operator chose.
    if (!m_shown)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_shown = true;
}

void TLendQryFrm::FindButtonClick()
{
    TLendWhere *where = m_list->Where();
    where->Reset();
    where->Lendate1Fld()->SetValue(edtLendate1->AsDate());
    where->Lendate2Fld()->SetValue(edtLendate2->AsDate());
    where->LendeptFld()->SetValue(edtLendept1->Text());
    where->BorrowerFld()->SetValue(edtBorrower1->Text());
    m_list->Query();
}

void TLendQryFrm::btnReset1Click()
{
    edtLendate1->Clear();
    edtLendate2->Clear();
    edtLendept1->SetText(QString());
    edtBorrower1->SetText(QString());
}

void TLendQryFrm::tbPrint1Click()
{
    ShowReporter({m_list->DataSet(), m_list->Where()->DataSet()}, LendQueryReportGroup);
}

#include "LendQueryWindow.h"

#include "DataGrids.h"
#include "Prompter.h"
#include "ReportChooser.h"

#include <QAction>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

Uis::TDateTimePicker *CheckedPicker(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *picker = new Uis::TDateTimePicker(parent);
    picker->setObjectName(name);
    picker->SetShowCheckbox(true);
    picker->setGeometry(geometry);
    return picker;
}

Uis::TComboBox *FreeCombo(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *combo = new Uis::TComboBox(parent);
    combo->setObjectName(name);
    combo->SetEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(geometry);
    return combo;
}

Uis::TLabel *Caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new Uis::TLabel(text, parent);
    label->move(x, y + 3);
    return label;
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

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tbPrint1 = ToolBar1->addAction(QStringLiteral("打印"));
    tbPrint1->setObjectName(QStringLiteral("tbPrint1"));
    tbExit1 = ToolBar1->addAction(QStringLiteral(" 退出 "));
    tbExit1->setObjectName(QStringLiteral("tbExit1"));
    layout->addWidget(ToolBar1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(76);
    Label1 = Caption(Panel1, QStringLiteral("借阅日期"), 12, 10);
    edtLendate1 = CheckedPicker(Panel1, QStringLiteral("edtLendate1"), QRect(72, 10, 130, 22));
    Label2 = Caption(Panel1, QStringLiteral("截止日期"), 220, 10);
    edtLendate2 = CheckedPicker(Panel1, QStringLiteral("edtLendate2"), QRect(280, 10, 130, 22));
    Label3 = Caption(Panel1, QStringLiteral("借阅部门"), 12, 42);
    edtLendept1 = FreeCombo(Panel1, QStringLiteral("edtLendept1"), QRect(72, 42, 130, 22));
    Label4 = Caption(Panel1, QStringLiteral("借阅人"), 220, 42);
    edtBorrower1 = FreeCombo(Panel1, QStringLiteral("edtBorrower1"), QRect(280, 42, 130, 22));
    Button1 = new QPushButton(QStringLiteral("查找"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(430, 9, 75, 25);
    btnReset1 = new QPushButton(QStringLiteral("重置"), Panel1);
    btnReset1->setObjectName(QStringLiteral("btnReset1"));
    btnReset1->setGeometry(430, 41, 75, 25);
    for (QPushButton *button : {Button1, btnReset1}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    layout->addWidget(Panel1);

    DBGrid1 = new TpzDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetRowSelect(true);
    DBGrid1->SetDataSet(m_list->DataSet());
    DBGrid1->SetTag(LendQueryLayoutKey);
    DBGrid1->LoadLayout(LendQueryLayoutKey);
    layout->addWidget(DBGrid1, 1);

    setTabOrder(edtLendate1, edtLendate2);
    setTabOrder(edtLendate2, edtLendept1);
    setTabOrder(edtLendept1, edtBorrower1);
    setTabOrder(edtBorrower1, Button1);
    setTabOrder(Button1, btnReset1);
    setTabOrder(btnReset1, DBGrid1);

    connect(Button1, &QPushButton::clicked, this, Guarded([this](auto &&...) { Button1Click(); }));
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

void TLendQryFrm::Button1Click()
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

#include "MainFrm.h"

#include "ArchiveControls.h"
#include "ArchiveList.h"
#include "CategoryTree.h"
#include "CompanyDialog.h"
#include "DataGrids.h"
#include "Database.h"
#include "Facade.h"
#include "Finder.h"
#include "FormBuilder.h"
#include "Globals.h"
#include "LendList.h"
#include "Login.h"
#include "Prompter.h"
#include "ReportChooser.h"
#include "Settings.h"
#include "SharedImages.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

namespace {
// Layout keys of the two grids' stored column layouts.
constexpr int ArchiveGridKey = 1003;
constexpr int LendGridKey = 1004;
// The report group of the archive list's templates.
constexpr int ArchiveReportGroup = 1002;

// The pictures of the top tool bar and the actions, by their place in the 32 × 32 list:
// the desktop's icon where the theme has one, else the program's own drawing.
enum TPicture32 {
    pic32Delete = 1,
    pic32Tree = 3,
    pic32Exit = 4,
    pic32Open = 5,
    pic32Add = 6,
    pic32Find = 7,
    pic32Output = 8
};

QIcon Picture32(int index)
{
    struct Entry
    {
        const char *themeName;
        int drawn; // the shared image drawn at 32 pixels
    };
    static const Entry entries[] = {
        {"text-x-generic", TPubFrm::imgDocument}, {"edit-delete", TPubFrm::imgDelete},
        {"document-save", TPubFrm::imgSave},      {"view-list-tree", TPubFrm::imgTree},
        {"application-exit", TPubFrm::imgExit},   {"document-open", TPubFrm::imgFolderOpen},
        {"document-new", TPubFrm::imgAdd},        {"edit-find", TPubFrm::imgFind},
        {"document-print", TPubFrm::imgPrint},
    };
    const Entry &entry = entries[index];
    return QIcon::fromTheme(QString::fromLatin1(entry.themeName), QIcon(TPubFrm::DrawImage(entry.drawn, 32)));
}

QIcon Picture16(int index)
{
    return PubFrm ? PubFrm->ImageAt(index) : QIcon(TPubFrm::DrawImage(index, 16));
}

// A flat tool button of the top tool bar: picture above, caption under it.
QToolButton *BigButton(QToolBar *bar, const QString &caption, const QIcon &icon)
{
    auto *button = new QToolButton(bar);
    button->setText(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(67, 51);
    bar->addWidget(button);
    return button;
}

QToolButton *ActionButton(QToolBar *bar, QAction *action)
{
    QToolButton *button = BigButton(bar, action->text(), action->icon());
    button->setDefaultAction(action);
    return button;
}

// A button of a panel that runs an action: its caption and enabled state follow the action.
QPushButton *ActionPushButton(QAction *action, const QString &name)
{
    QPushButton *button = Form::Button(action->text(), name);
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
    });
    return button;
}

template <class F> void OnTriggered(QAction *action, QObject *context, F body)
{
    QObject::connect(action, &QAction::triggered, context, Guarded([body](auto &&...) { body(); }));
}
} // namespace

TmainFrm::TmainFrm(QWidget *owner) : QMainWindow(owner), WindowBehaviour(this)
{
    setObjectName(QStringLiteral("mainFrm"));
    resize(879, 556);
    setWindowState(Qt::WindowMaximized);
    setWindowTitle(QStringLiteral("%1 - %2").arg(ProductName, EditionText));
    SetMainWindow(this);

    CreateActions();

    MainMenu1 = new QMenuBar(this);
    setMenuBar(MainMenu1);
    CreateMenus();
    CreateToolBar();
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setChildrenCollapsible(false);
    setCentralWidget(Splitter1);
    Splitter1->addWidget(CreateTreePanel());
    // The archives above, the lower tabs under them; the operator may move the line between.
    auto *right = new QSplitter(Qt::Vertical, Splitter1);
    right->setChildrenCollapsible(false);
    right->addWidget(CreateArchivePanel());
    right->addWidget(CreateLendPanel());
    right->setStretchFactor(0, 1);
    right->setSizes({556 - 229, 229});
    Splitter1->addWidget(right);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({233, 879 - 233});

    StatusBar1 = new QStatusBar(this);
    setStatusBar(StatusBar1);

    AddTab(QStringLiteral("借阅记录"), [this](const RArchive &archive) { ShowLendsOf(archive); });

    // Filling selects "全部", whose selection lists every archive.
    TreeView1->Fill();
    edtKeyword1->Clear();
}

TmainFrm::~TmainFrm()
{
    if (MainWindow() == this)
        SetMainWindow(nullptr);
}

// ---- construction ----

void TmainFrm::CreateActions()
{
    auto makeAction = [this](const QString &caption, const QIcon &icon = {}) {
        return new QAction(icon, caption, this);
    };
    AddAction1 = makeAction(QStringLiteral("添加"), Picture32(pic32Add));
    OpenAction1 = makeAction(QStringLiteral("打开"), Picture32(pic32Open));
    DeleteAction1 = makeAction(QStringLiteral("删除"), Picture32(pic32Delete));
    ImportAction1 = makeAction(QStringLiteral("从Excel导入..."));
    LendAddAction1 = makeAction(QStringLiteral("添加"));
    LendEditAction1 = makeAction(QStringLiteral("修改"));
    LendDeleteAction1 = makeAction(QStringLiteral("删除"));

    OnTriggered(AddAction1, this, [this] { AddAction1Execute(); });
    OnTriggered(OpenAction1, this, [this] { OpenAction1Execute(); });
    OnTriggered(DeleteAction1, this, [this] { DeleteAction1Execute(); });
    OnTriggered(ImportAction1, this, [this] { ImportAction1Execute(); });
    OnTriggered(LendAddAction1, this, [this] { LendAddAction1Execute(); });
    OnTriggered(LendEditAction1, this, [this] { LendEditAction1Execute(); });
    OnTriggered(LendDeleteAction1, this, [this] { LendDeleteAction1Execute(); });
}

QAction *TmainFrm::MenuItem(QMenu *menu, const QString &caption, std::function<void()> onClick)
{
    QAction *item = menu->addAction(caption);
    if (onClick)
        OnTriggered(item, this, std::move(onClick));
    return item;
}

void TmainFrm::CreateMenus()
{
    QMenu *file = MainMenu1->addMenu(QStringLiteral("文件(&F)"));
    CompanyItem1 = MenuItem(file, QStringLiteral("公司信息"), [this] { CompanyItem1Click(); });
    OperatorsItem1 = MenuItem(file, QStringLiteral("操作员及权限"), [this] { OperatorsItem1Click(); });
    file->addSeparator();
    // Kept for the operator's eye; there are no options to set.
    OptionsItem1 = MenuItem(file, QStringLiteral("选项设置"));
    file->addSeparator();
    ClearDataItem1 = MenuItem(file, QStringLiteral("初始化数据..."), [this] { ClearDataItem1Click(); });
    BackupItem1 = MenuItem(file, QStringLiteral("备份与恢复"), [this] { BackupItem1Click(); });
    file->addSeparator();
    ChangePasswdItem1 = MenuItem(file, QStringLiteral("更改密码"), [this] { ChangePasswdItem1Click(); });
    ReloginItem1 = MenuItem(file, QStringLiteral("重新登陆"), [this] { Login(false); });
    file->addSeparator();
    ExitItem1 = MenuItem(file, QStringLiteral("退出系统"), [this] { close(); });

    QMenu *edit = MainMenu1->addMenu(QStringLiteral("编辑(&E)"));
    edit->addAction(AddAction1);
    edit->addAction(ImportAction1);
    edit->addSeparator();
    edit->addAction(OpenAction1);
    QMenu *lends = edit->addMenu(QStringLiteral("借阅记录"));
    LendsItem1 = lends->menuAction();
    lends->addAction(LendAddAction1);
    lends->addSeparator();
    lends->addAction(LendEditAction1);
    lends->addAction(LendDeleteAction1);
    edit->addSeparator();
    edit->addAction(DeleteAction1);
    edit->addSeparator();

    QMenu *view = MainMenu1->addMenu(QStringLiteral("视图(&V)"));
    LendQueryItem1 = MenuItem(view, QStringLiteral("借阅查询"), [this] { LendQueryItem1Click(); });

    QMenu *tools = MainMenu1->addMenu(QStringLiteral("工具(&T)"));
    NotepadItem1 = MenuItem(tools, QStringLiteral("记事本"));
    CalculatorItem1 = MenuItem(tools, QStringLiteral("计算器"));

    QMenu *help = MainMenu1->addMenu(QStringLiteral("帮助(&H)"));
    HelpFileItem1 = MenuItem(help, QStringLiteral("帮助文件"), [this] { ShowHelp(); });
    // There is no page of questions to open; the item does nothing.
    FaqItem1 = MenuItem(help, QStringLiteral("常见问题"));
    TipsItem1 = MenuItem(help, QStringLiteral("每日一贴"));
    help->addSeparator();
    ReadmeItem1 = MenuItem(help, QStringLiteral("自述文件"));
    WhatsNewItem1 = MenuItem(help, QStringLiteral("最新功能"));
    help->addSeparator();
    WebSiteItem1 = MenuItem(help, QStringLiteral("青岫官方网站"));
    MailItem1 = MenuItem(help, QStringLiteral("给青岫发电子邮件..."));
    FeedbackItem1 = MenuItem(help, QStringLiteral("在线反馈"));
    help->addSeparator();
    AboutItem1 = MenuItem(help, QStringLiteral("关于..."));

    // Their windows and links are not part of the program yet: seen, not usable.
    for (QAction *pending :
         {OperatorsItem1, ClearDataItem1, BackupItem1, ChangePasswdItem1, NotepadItem1, CalculatorItem1,
          TipsItem1, ReadmeItem1, WhatsNewItem1, WebSiteItem1, MailItem1, FeedbackItem1, AboutItem1})
        pending->setEnabled(false);
}

void TmainFrm::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));

    tbTree1 = BigButton(ToolBar1, QStringLiteral("分类"), Picture32(pic32Tree));
    tbTree1->setCheckable(true);
    tbTree1->setChecked(true);
    connect(tbTree1, &QToolButton::clicked, this, Guarded([this](auto &&...) { tbTree1Click(); }));
    ToolBar1->addSeparator();
    tbAdd1 = ActionButton(ToolBar1, AddAction1);
    tbOpen1 = ActionButton(ToolBar1, OpenAction1);
    ToolBar1->addSeparator();
    tbFind1 = BigButton(ToolBar1, QStringLiteral("查找"), Picture32(pic32Find));
    connect(tbFind1, &QToolButton::clicked, this, Guarded([this](auto &&...) { btnFindmore1->click(); }));
    ToolBar1->addSeparator();

    PopupMenu1 = new QMenu(this);
    PrintItem1 = MenuItem(PopupMenu1, QStringLiteral("打印..."), [this] { PrintItem1Click(); });
    PopupMenu1->addSeparator();
    ExportExcelItem1 =
        MenuItem(PopupMenu1, QStringLiteral("导出到Excel..."), [this] { ArchiveGrid1->ExportToExcel(); });
    ExportHtmlItem1 =
        MenuItem(PopupMenu1, QStringLiteral("导出到网页Html..."), [this] { ArchiveGrid1->ExportToHtml(); });
    // The exports are usable once the grid has an exporter for them, as in its own popup.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        ExportExcelItem1->setEnabled(ArchiveGrid1->ActionExport2Excel()->isEnabled());
        ExportHtmlItem1->setEnabled(ArchiveGrid1->ActionExport2Html()->isEnabled());
    });
    tbOutput1 = BigButton(ToolBar1, QStringLiteral("输出"), Picture32(pic32Output));
    tbOutput1->setMenu(PopupMenu1);
    // The whole button opens the menu, not only its arrow.
    tbOutput1->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addSeparator();
    tbExit1 = BigButton(ToolBar1, QStringLiteral(" 退出系统 "), Picture32(pic32Exit));
    connect(tbExit1, &QToolButton::clicked, this, Guarded([this](auto &&...) { close(); }));
}

QWidget *TmainFrm::CreateTreePanel()
{
    TabControl1 = new QWidget(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    auto *layout = new QVBoxLayout(TabControl1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar2 = new QToolBar(TabControl1);
    ToolBar2->setIconSize(QSize(16, 16));
    ToolBar2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto smallButton = [this](const QString &caption, int picture) {
        auto *button = new QToolButton(ToolBar2);
        button->setText(caption);
        button->setIcon(Picture16(picture));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFixedWidth(75);
        ToolBar2->addWidget(button);
        return button;
    };
    tbCataSettings1 = smallButton(QStringLiteral("分类设置"), TPubFrm::imgCataSettings);
    tbRefresh1 = smallButton(QStringLiteral("刷新"), TPubFrm::imgRefresh);
    connect(tbCataSettings1, &QToolButton::clicked, this,
            Guarded([this](auto &&...) { CategorySettingsClick(); }));
    connect(tbRefresh1, &QToolButton::clicked, this, Guarded([this](auto &&...) { TreeRefreshClick(); }));
    layout->addWidget(ToolBar2);

    TreeView1 = new Uis::TTreeView(TabControl1);
    TreeView1->setFrameShape(QFrame::NoFrame);
    layout->addWidget(TreeView1, 1);
    connect(TreeView1, &Uis::TTreeView::CataSelected, this,
            Guarded([this](const RCata &selected) { TreeView1Change(selected); }));
    return TabControl1;
}

QWidget *TmainFrm::CreateArchivePanel()
{
    TabControl3 = new QWidget(this);
    auto *layout = new QVBoxLayout(TabControl3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlSearch1 = new QWidget(TabControl3);
    edtKeyword1 = new Uis::TEdit;
    edtKeyword1->setMinimumWidth(249);
    // Enter in the keyword box searches rather than moving on to the next control.
    edtKeyword1->SetTabOnEnter(false);
    connect(edtKeyword1, &QLineEdit::returnPressed, this, Guarded([this](auto &&...) { btnSearch1Click(); }));
    btnSearch1 = Form::Button(QStringLiteral("搜索一下"), QStringLiteral("btnSearch1"));
    btnSearch1->setMinimumWidth(90);
    btnFindmore1 = Form::Button(QStringLiteral("高级 >>"), QStringLiteral("btnFindmore1"));
    auto *searchRow = new QHBoxLayout(pnlSearch1);
    searchRow->setContentsMargins(24, 4, 8, 4);
    searchRow->addWidget(Form::Caption(QStringLiteral("关键字"), edtKeyword1));
    searchRow->addWidget(edtKeyword1);
    searchRow->addSpacing(6);
    searchRow->addWidget(btnSearch1);
    searchRow->addWidget(btnFindmore1);
    searchRow->addStretch(1);
    connect(btnSearch1, &QPushButton::clicked, this, Guarded([this](auto &&...) { btnSearch1Click(); }));
    connect(btnFindmore1, &QPushButton::clicked, this, Guarded([this](auto &&...) { btnFindmore1Click(); }));
    layout->addWidget(pnlSearch1);

    m_archiveList = new TArchiveList(this);
    m_archiveList->SetFormOwner(this);
    ArchiveGrid1 = new TpzGridcx(this, ArchiveGridKey, m_archiveList->DataSet(), TabControl3);
    ArchiveGrid1->SetIndicatorVisible(true);
    ArchiveGrid1->SetRowSelect(true);

    TpzPopupMenu *popup = ArchiveGrid1->PopupMenuPz();
    popup->AddSeparator(-1);
    popup->AddAction(AddAction1, -1);
    popup->AddSeparator(-1);
    popup->AddAction(DeleteAction1, -1);
    popup->AddSeparator(0);
    popup->AddAction(OpenAction1, 0);

    connect(ArchiveGrid1, &TpzGridcx::OnSelectChanged, this,
            Guarded([this](bool selected) { ArchiveRowChanged(selected); }));
    connect(ArchiveGrid1, &TpzGridcx::OnDblClick, OpenAction1,
            [this](auto &&...) { OpenAction1->trigger(); });
    return TabControl3;
}

QWidget *TmainFrm::CreateLendPanel()
{
    TabControl2 = new QWidget(this);
    auto *layout = new QVBoxLayout(TabControl2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    TabBar2 = new QTabBar(TabControl2);
    TabBar2->setExpanding(false);
    TabBar2->setStyleSheet(QStringLiteral("QTabBar::tab { height: 26px; }"));
    layout->addWidget(TabBar2);
    TabPages2 = new QStackedWidget(TabControl2);
    layout->addWidget(TabPages2, 1);

    pnlLend1 = new QWidget(TabPages2);
    auto *lendLayout = new QHBoxLayout(pnlLend1);
    lendLayout->setContentsMargins(0, 0, 0, 0);
    lendLayout->setSpacing(0);
    TabPages2->addWidget(pnlLend1);

    m_lendList = new TLendList(this);
    m_lendList->SetFormOwner(this);
    LendGrid1 = new TpzGridcx(this, LendGridKey, m_lendList->DataSet(), pnlLend1);
    LendGrid1->SetIndicatorVisible(true);
    LendGrid1->SetRowSelect(true);
    connect(LendGrid1, &TpzGridcx::OnDblClick, LendEditAction1,
            [this](auto &&...) { LendEditAction1->trigger(); });

    pnlLendButtons1 = new QWidget(pnlLend1);
    btnLendAdd1 = ActionPushButton(LendAddAction1, QStringLiteral("btnLendAdd1"));
    btnLendEdit1 = ActionPushButton(LendEditAction1, QStringLiteral("btnLendEdit1"));
    btnLendDelete1 = ActionPushButton(LendDeleteAction1, QStringLiteral("btnLendDelete1"));
    auto *buttons = new QVBoxLayout(pnlLendButtons1);
    buttons->setContentsMargins(24, 16, 24, 8);
    buttons->addWidget(btnLendAdd1);
    buttons->addWidget(btnLendEdit1);
    buttons->addSpacing(8);
    buttons->addWidget(btnLendDelete1);
    buttons->addStretch(1);
    lendLayout->addWidget(pnlLendButtons1);

    connect(TabBar2, &QTabBar::currentChanged, this, Guarded([this](auto &&...) { TabControl2Change(); }));
    return TabControl2;
}

// ---- login ----

bool TmainFrm::Login(bool commandLineAllowed)
{
    return ::Login(commandLineAllowed, commandLineAllowed ? m_commandLine : QStringList());
}

// ---- the lower tabs and the archive selected ----

void TmainFrm::AddTab(const QString &caption, TTabHandler handler)
{
    // The handler goes in first: adding the first tab makes it current at once.
    m_tabHandlers.append(std::move(handler));
    const QSignalBlocker quiet(TabBar2);
    TabBar2->addTab(caption);
    // A hidden tab bar does not tell its layout that a tab made it higher; the layout would
    // keep the height it measured without tabs, none at all, until something else changed.
    TabBar2->updateGeometry();
}

void TmainFrm::TabControl2Change()
{
    const int index = TabBar2->currentIndex();
    if (index < 0 || index >= m_tabHandlers.size() || !m_tabHandlers.at(index))
        return;
    m_tabHandlers.at(index)(m_archiveList->AsData());
}

void TmainFrm::ArchiveRowChanged(bool selected)
{
    if (selected)
        TabControl2Change();
}

void TmainFrm::ShowLendsOf(const RArchive &archive)
{
    m_lendList->Where()->Reset();
    m_lendList->Where()->ArcIdFld()->SetValue(archive.Id);
    m_lendList->Query();
    TabPages2->setCurrentWidget(pnlLend1);
}

bool TmainFrm::LendFromArchive(const RArchive &archive)
{
    m_lendList->NewLend(archive);
    return true;
}

// ---- searches ----

void TmainFrm::TreeView1Change(const RCata &selected)
{
    TArchiveWhere *where = m_archiveList->Where();
    where->Reset();
    where->CataCodeFld()->SetValue(selected.Code);
    m_archiveList->Query();
}

void TmainFrm::btnSearch1Click()
{
    TArchiveWhere *where = m_archiveList->Where();
    where->Reset();
    where->KeywordFld()->SetValue(edtKeyword1->text());
    m_archiveList->Query();
}

void TmainFrm::btnFindmore1Click()
{
    // A new finder each time, so it always opens empty.
    TFinderFrm::CreateFinder(this, [this](const RArchiveWhere &conditions) {
        return ApplyFinderWhere(conditions);
    })->ShowModal();
}

bool TmainFrm::ApplyFinderWhere(const RArchiveWhere &conditions)
{
    TArchiveWhere *where = m_archiveList->Where();
    where->Reset();
    where->IdFld()->SetValue(conditions.Id);
    where->CataCodeFld()->SetValue(conditions.CataCode);
    where->CodeFld()->SetValue(conditions.Code);
    where->NameFld()->SetValue(conditions.Name);
    where->ArcdeptFld()->SetValue(conditions.Arcdept);
    where->ArcmanFld()->SetValue(conditions.Arcman);
    where->Arcdate1Fld()->SetValue(conditions.Arcdate1);
    where->Arcdate2Fld()->SetValue(conditions.Arcdate2);
    where->SecurityFld()->SetValue(conditions.Security);
    where->FilepathFld()->SetValue(conditions.Filepath);
    where->LayplaceFld()->SetValue(conditions.Layplace);
    where->KeywordFld()->SetValue(conditions.Keyword);
    m_archiveList->Query();
    return true;
}

// ---- commands ----

void TmainFrm::tbTree1Click()
{
    TabControl1->setVisible(tbTree1->isChecked());
    tbTree1->setChecked(!TabControl1->isHidden());
}

void TmainFrm::AddAction1Execute()
{
    m_archiveList->NewArchive();
}

void TmainFrm::OpenAction1Execute()
{
    m_archiveList->OpenArchive([this](const RArchive &archive) { LendFromArchive(archive); });
}

void TmainFrm::DeleteAction1Execute()
{
    m_archiveList->DeleteCurrent();
}

void TmainFrm::ImportAction1Execute()
{
    m_archiveList->ImportArchives();
}

void TmainFrm::LendAddAction1Execute()
{
    TDataSet *archives = m_archiveList->DataSet();
    if (!archives->Active() || archives->IsEmpty())
        return;
    m_lendList->NewLend(m_archiveList->AsData());
}

void TmainFrm::LendEditAction1Execute()
{
    m_lendList->EditCurrent();
}

void TmainFrm::LendDeleteAction1Execute()
{
    m_lendList->DeleteCurrent();
}

void TmainFrm::PrintItem1Click()
{
    ShowReporter({m_archiveList->DataSet()}, ArchiveReportGroup);
}

void TmainFrm::CompanyItem1Click()
{
    ShowCompanyInfo(*Company, false);
}

void TmainFrm::OperatorsItem1Click()
{
    Mall->ManageOperators();
}

void TmainFrm::ClearDataItem1Click()
{
    Mall->ClearData();
}

void TmainFrm::BackupItem1Click()
{
    Mall->ShowBackup();
}

void TmainFrm::ChangePasswdItem1Click()
{
    // Disabled until the password dialog exists; it will change the current operator's here.
}

void TmainFrm::LendQueryItem1Click()
{
    Mall->ShowLendQuery(this);
}

void TmainFrm::CategorySettingsClick()
{
    Mall->EditCategories();
}

void TmainFrm::TreeRefreshClick()
{
    TreeView1->Refresh();
}

// ---- closing ----

void TmainFrm::closeEvent(QCloseEvent *event)
{
    if (!CloseAllowed(QDialog::Rejected)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    RunClosingSteps();
}

void TmainFrm::RunClosingSteps()
{
    if (m_closingStepsDone)
        return;
    m_closingStepsDone = true;
    hide();
    // Each step is guarded on its own: a failing feedback form or backup is shown, and the
    // connection is still closed.
    Guard([] { Mall->AskFeedback(false); });
    Guard([] { Mall->AutoBackup(); });
    Database->SetConnected(false);
    // Being the main window, its closing ends the program.
    QCoreApplication::quit();
}

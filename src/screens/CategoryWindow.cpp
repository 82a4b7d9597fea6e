#include "CategoryWindow.h"

#include "Prompter.h"
#include "Prompts.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedLayout>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The designed size of the window; each mode sizes it from here.
constexpr int DesignWidth = 380;
constexpr int DesignHeight = 460;

QPushButton *Button(const QString &caption, QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter moves between the boxes; it never presses a button by itself.
    button->setAutoDefault(false);
    return button;
}

QWidget *Panel(QWidget *parent, const QString &name)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

} // namespace

void InstallCataPicker()
{
    Uis::TEdit::SetCataPicker([](QWidget *owner, std::function<bool(const RCata &)> pick) {
        const auto picker = TCataRelEditFrm::CreatePick(owner ? owner->window() : nullptr, std::move(pick));
        picker->ShowModal();
    });
}

TCataRelEditFrm::TCataRelEditFrm(QWidget *owner, Mode mode) : TaFrm(owner), m_mode(mode)
{
    setObjectName(QStringLiteral("CataRelEditFrm"));
    resize(DesignWidth, DesignHeight);
    auto *pages = new QStackedLayout(this);
    pages->setContentsMargins(0, 0, 0, 0);
    BuildList();
    BuildRelEdit();
    BuildEdit();
    BuildPick();
    for (QWidget *panel : {pnlList1, pnlRelEdit1, pnlEdit1, pnlPick1})
        pages->addWidget(panel);
}

void TCataRelEditFrm::BringToFront(QWidget *panel)
{
    static_cast<QStackedLayout *>(layout())->setCurrentWidget(panel);
}

void TCataRelEditFrm::BuildList()
{
    pnlList1 = Panel(this, QStringLiteral("pnlList1"));
    auto *column = new QVBoxLayout(pnlList1);
    column->setContentsMargins(4, 4, 4, 4);

    ToolBar1 = new QToolBar(pnlList1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto action = [this](const QString &caption, const QString &name,
                               void (TCataRelEditFrm::*handler)()) {
        QAction *item = ToolBar1->addAction(caption);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, Guarded([this, handler](bool) { (this->*handler)(); }));
        return item;
    };
    actAdd1 = action(QStringLiteral("添加"), QStringLiteral("actAdd1"), &TCataRelEditFrm::AddClick);
    actModify1 = action(QStringLiteral("修改"), QStringLiteral("actModify1"), &TCataRelEditFrm::ModifyClick);
    ToolBar1->addSeparator();
    actDelete1 = action(QStringLiteral("删除"), QStringLiteral("actDelete1"), &TCataRelEditFrm::DeleteClick);
    ToolBar1->addSeparator();
    actMove1 = action(QStringLiteral("移动"), QStringLiteral("actMove1"), &TCataRelEditFrm::MoveClick);
    ToolBar1->addSeparator();
    actExit1 = ToolBar1->addAction(QStringLiteral("  退出  "));
    actExit1->setObjectName(QStringLiteral("actExit1"));
    connect(actExit1, &QAction::triggered, this, &QDialog::reject);
    column->addWidget(ToolBar1);

    TreeView2 = new Uis::TTreeView(pnlList1);
    TreeView2->setObjectName(QStringLiteral("TreeView2"));
    column->addWidget(TreeView2, 1);

    lblListStatus1 = new Uis::TLabel(pnlList1);
    lblListStatus1->setObjectName(QStringLiteral("lblListStatus1"));
    column->addWidget(lblListStatus1);
}

void TCataRelEditFrm::BuildRelEdit()
{
    pnlRelEdit1 = Panel(this, QStringLiteral("pnlRelEdit1"));
    auto *column = new QVBoxLayout(pnlRelEdit1);
    column->setContentsMargins(8, 8, 8, 8);

    lblRelHint1 = new Uis::TLabel(QStringLiteral("  您可以拖动项目来调整分类的上下级关系"), pnlRelEdit1);
    column->addWidget(lblRelHint1);

    TreeView1 = new Uis::TTreeView(pnlRelEdit1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    column->addWidget(TreeView1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnRelOk1 = Button(QStringLiteral("确定"), pnlRelEdit1, QStringLiteral("btnRelOk1"));
    btnRelCancel1 = Button(QStringLiteral("取消"), pnlRelEdit1, QStringLiteral("btnRelCancel1"));
    buttons->addWidget(btnRelOk1);
    buttons->addWidget(btnRelCancel1);
    column->addLayout(buttons);
    connect(btnRelOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnRelCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TCataRelEditFrm::BuildEdit()
{
    pnlEdit1 = Panel(this, QStringLiteral("pnlEdit1"));
    lblName1 = new Uis::TLabel(QStringLiteral("分类名称"), pnlEdit1);
    lblName1->setGeometry(16, 18, 60, 20);
    edtName1 = new Uis::TEdit(pnlEdit1);
    edtName1->setObjectName(QStringLiteral("edtName1"));
    edtName1->setGeometry(80, 16, 280, 24);
    lblName1->setBuddy(edtName1);

    lblMemo1 = new Uis::TLabel(QStringLiteral("备注"), pnlEdit1);
    lblMemo1->setGeometry(16, 52, 60, 20);
    edtMemo1 = new Uis::TMemo(pnlEdit1);
    edtMemo1->setObjectName(QStringLiteral("edtMemo1"));
    edtMemo1->setGeometry(80, 50, 280, 90);
    lblMemo1->setBuddy(edtMemo1);

    btnEditOk1 = Button(QStringLiteral("确定"), pnlEdit1, QStringLiteral("btnEditOk1"));
    btnEditOk1->setGeometry(204, 154, 75, 25);
    btnEditCancel1 = Button(QStringLiteral("取消"), pnlEdit1, QStringLiteral("btnEditCancel1"));
    btnEditCancel1->setGeometry(285, 154, 75, 25);
    connect(btnEditOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnEditCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TCataRelEditFrm::BuildPick()
{
    pnlPick1 = Panel(this, QStringLiteral("pnlPick1"));
    lblPick1 = new Uis::TLabel(QStringLiteral("请选择档案类别"), pnlPick1);
    lblPick1->setGeometry(12, 10, 200, 20);
    TreeView3 = new Uis::TTreeView(pnlPick1);
    TreeView3->setObjectName(QStringLiteral("TreeView3"));
    TreeView3->setGeometry(12, 32, 260, 300);

    btnPickSettings1 = Button(QStringLiteral("设置"), pnlPick1, QStringLiteral("btnPickSettings1"));
    btnPickSettings1->setGeometry(12, 344, 75, 25);
    btnPickOk1 = Button(QStringLiteral("确定"), pnlPick1, QStringLiteral("btnPickOk1"));
    btnPickOk1->setGeometry(116, 344, 75, 25);
    btnPickCancel1 = Button(QStringLiteral("取消"), pnlPick1, QStringLiteral("btnPickCancel1"));
    btnPickCancel1->setGeometry(197, 344, 75, 25);
    connect(btnPickOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPickCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnPickSettings1, &QPushButton::clicked, this, Guarded([this](bool) { PickSettingsClick(); }));
}

// ---- the four constructors ----

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreateSettings(QWidget *owner)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Settings));
    frm->setWindowTitle(QStringLiteral("档案分类设置"));
    frm->BringToFront(frm->pnlList1);
    frm->TreeView2->LoadCatas(nullptr);
    frm->UpdateListStatus();
    frm->m_changed = false;
    return frm;
}

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreateAdjust(QWidget *owner)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Adjust));
    frm->setWindowTitle(QStringLiteral("档案分类调整"));
    frm->BringToFront(frm->pnlRelEdit1);
    frm->resize(DesignWidth - 100, DesignHeight - 60);
    TCataRelEditFrm *self = frm.get();
    frm->TreeView1->SetDragHandlers(
        [self](QObject *source, QTreeWidgetItem *target) { return self->TreeView1DragOver(source, target); },
        [self](QObject *source, QTreeWidgetItem *target) { self->TreeView1DragDrop(source, target); });
    frm->TreeView1->LoadCatas(nullptr);
    frm->m_moved = false;
    return frm;
}

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreateEdit(QWidget *owner, const RCata &cata,
                                                             TSaveCata save)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Edit));
    frm->setWindowTitle(cata.Id > 0 ? QStringLiteral("修改分类") : QStringLiteral("添加分类"));
    frm->BringToFront(frm->pnlEdit1);
    frm->setFixedSize(DesignWidth, frm->btnEditOk1->y() + 90);
    frm->m_cata = cata;
    frm->m_save = std::move(save);
    frm->edtName1->setText(cata.Name);
    frm->edtMemo1->SetText(cata.Note);
    frm->edtName1->setFocus();
    return frm;
}

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreatePick(QWidget *owner, TPickCata pick)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Pick));
    frm->setWindowTitle(QStringLiteral("选择"));
    frm->BringToFront(frm->pnlPick1);
    const QRect tree = frm->TreeView3->geometry();
    const QRect ok = frm->btnPickOk1->geometry();
    frm->setFixedSize(tree.left() + tree.width() + 30, ok.top() + ok.height() + 50);
    frm->m_pick = std::move(pick);
    frm->TreeView3->LoadCatas(nullptr);
    return frm;
}

// ---- settings ----

void TCataRelEditFrm::UpdateListStatus()
{
    lblListStatus1->setText(QStringLiteral("总共 %1 个类别, 分 %2 层子类")
                                .arg(TreeView2->Nodes().size())
                                .arg(TreeView2->DeepestLevel()));
}

void TCataRelEditFrm::AddClick()
{
    RCata cata;
    cata.Id = 0;
    cata.SlfId = 0;
    const RCata *selected = TreeView2->SelectedData();
    cata.PrtId = selected ? selected->SlfId : 0;
    const auto edit = CreateEdit(this, cata, [this](RCata &edited) { return SaveCata(edited); });
    edit->ShowModal();
}

void TCataRelEditFrm::ModifyClick()
{
    const RCata *selected = TreeView2->SelectedData();
    if (!selected) {
        ShowInfo(QStringLiteral("请选择一个类别再修改"));
        return;
    }
    const auto edit = CreateEdit(this, *selected, [this](RCata &edited) { return SaveCata(edited); });
    edit->ShowModal();
}

void TCataRelEditFrm::DeleteClick()
{
    QTreeWidgetItem *node = TreeView2->Selected();
    if (!node)
        return;
    const QString question = node->childCount() > 0
                                 ? QStringLiteral("\r\n确定要删除 %1 及其以下所有子项吗?\t")
                                 : QStringLiteral("\r\n确定要删除 %1 吗?\t");
    if (Prompter().MessageBox(MsgIcon::Question, QStringLiteral("确认"), question.arg(node->text(0)),
                              {QStringLiteral("确定"), QStringLiteral("取消")}) != 0)
        return;

    RCatas doomed;
    const std::function<void(QTreeWidgetItem *)> collect = [&](QTreeWidgetItem *item) {
        if (const RCata *cata = Uis::TTreeView::NodeData(item))
            doomed << *cata;
        for (int i = 0; i < item->childCount(); ++i)
            collect(item->child(i));
    };
    collect(node);
    if (!TCataSet::DeleteCatas(doomed))
        return;
    // The node's destructor takes the whole subtree and its records with it.
    std::unique_ptr<QTreeWidgetItem> gone(node);
    gone.reset();
    UpdateListStatus();
    m_changed = true;
}

void TCataRelEditFrm::MoveClick()
{
    const auto adjust = CreateAdjust(this);
    if (adjust->ShowModal() != QDialog::Accepted)
        return;
    TreeView2->ClearNodes(nullptr);
    TreeView2->LoadCatas(nullptr);
    UpdateListStatus();
    m_changed = true;
}

bool TCataRelEditFrm::SaveCata(RCata &cata)
{
    bool saved = false;
    if (cata.Id > 0) {
        saved = TCataSet::UpdateCata(cata);
        if (QTreeWidgetItem *node = TreeView2->Selected()) {
            node->setText(0, cata.Name);
            if (RCata *record = Uis::TTreeView::NodeData(node))
                *record = cata;
        }
    } else {
        saved = TCataSet::AddCata(cata);
        Uis::TTreeView::SetNodeImages(TreeView2->AddCataNode(cata), Uis::imgCata, Uis::imgCataSelected);
        if (QTreeWidgetItem *selected = TreeView2->Selected())
            TreeView2->expandItem(selected);
    }
    UpdateListStatus();
    m_changed = true;
    return saved;
}

// ---- adjustment ----

bool TCataRelEditFrm::TreeView1DragOver(QObject *source, QTreeWidgetItem *target)
{
    if (!qobject_cast<Uis::TTreeView *>(source))
        return false;
    return Uis::CataDropAccepted(TreeView1->Selected(), target);
}

void TCataRelEditFrm::TreeView1DragDrop(QObject *source, QTreeWidgetItem *target)
{
    if (!qobject_cast<Uis::TTreeView *>(source))
        return;
    // MoveNode applies the same refusal rules again, so no drop can make a node its own ancestor.
    if (TreeView1->MoveNode(TreeView1->Selected(), target))
        m_moved = true;
}

// ---- picker ----

void TCataRelEditFrm::PickSettingsClick()
{
    const auto settings = CreateSettings(this);
    settings->ShowModal();
    if (!settings->Changed())
        return;
    const RCata *selected = TreeView3->SelectedData();
    const QString code = selected ? selected->Code : QString();
    TreeView3->ClearNodes(nullptr);
    TreeView3->LoadCatas(nullptr);
    TreeView3->SelectByCode(code);
}

// ---- closing ----

bool TCataRelEditFrm::CanClose(int modalResult)
{
    if (!TaFrm::CanClose(modalResult))
        return false;
    if (modalResult != QDialog::Accepted)
        return true;
    switch (m_mode) {
    case Mode::Settings:
        return true;
    case Mode::Edit:
        m_cata.Name = edtName1->text();
        m_cata.Note = edtMemo1->Text();
        return m_save && m_save(m_cata);
    case Mode::Adjust: {
        RCatas list;
        if (!TreeView1->Flatten(list))
            return false;
        return !m_moved || TCataSet::RenumberCatas(list);
    }
    case Mode::Pick: {
        const RCata *selected = TreeView3->SelectedData();
        return selected && m_pick && m_pick(*selected);
    }
    }
    return false;
}

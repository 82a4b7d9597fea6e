#include "CategoryWindow.h"

#include "FormBuilder.h"
#include "Prompter.h"
#include "Prompts.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The size each mode's window was designed at; it opens at least that large.
constexpr QSize SettingsSize(380, 460);
constexpr QSize AdjustSize(280, 400);
constexpr QSize EditSize(380, 244);
constexpr QSize PickSize(302, 419);

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
    auto *pages = new QStackedLayout(this);
    pages->setContentsMargins(0, 0, 0, 0);
    BuildList();
    BuildRelEdit();
    BuildEdit();
    BuildPick();
    for (QWidget *panel : {pnlList1, pnlRelEdit1, pnlEdit1, pnlPick1})
        pages->addWidget(panel);
}

void TCataRelEditFrm::BringToFront(QWidget *panel, QSize designed)
{
    auto *pages = static_cast<QStackedLayout *>(layout());
    // A stacked layout asks every page for its size; only the page of this window's mode
    // may decide how small the window can get.
    for (int i = 0; i < pages->count(); ++i) {
        QWidget *page = pages->widget(i);
        const auto policy = page == panel ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        page->setSizePolicy(policy, policy);
    }
    pages->setCurrentWidget(panel);
    Form::SetInitialSize(this, designed.width(), designed.height());
}

void TCataRelEditFrm::BuildList()
{
    pnlList1 = Form::Named(new QWidget(this), QStringLiteral("pnlList1"));
    auto *column = new QVBoxLayout(pnlList1);
    column->setContentsMargins(4, 4, 4, 4);

    ToolBar1 = Form::Named(new QToolBar(pnlList1), QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto action = [this](const QString &caption, const QString &name,
                               void (TCataRelEditFrm::*handler)()) {
        QAction *item = Form::Named(ToolBar1->addAction(caption), name);
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
    actExit1 = Form::Named(ToolBar1->addAction(QStringLiteral("  退出  ")), QStringLiteral("actExit1"));
    connect(actExit1, &QAction::triggered, this, &QDialog::reject);
    column->addWidget(ToolBar1);

    TreeView2 = Form::Named(new Uis::TTreeView(pnlList1), QStringLiteral("TreeView2"));
    column->addWidget(TreeView2, 1);

    lblListStatus1 = Form::Named(new Uis::TLabel(pnlList1), QStringLiteral("lblListStatus1"));
    column->addWidget(lblListStatus1);
}

void TCataRelEditFrm::BuildRelEdit()
{
    pnlRelEdit1 = Form::Named(new QWidget(this), QStringLiteral("pnlRelEdit1"));
    auto *column = new QVBoxLayout(pnlRelEdit1);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(Form::Caption(QStringLiteral("  您可以拖动项目来调整分类的上下级关系")));

    TreeView1 = Form::Named(new Uis::TTreeView(pnlRelEdit1), QStringLiteral("TreeView1"));
    column->addWidget(TreeView1, 1);

    btnRelOk1 = Form::Button(QStringLiteral("确定"), QStringLiteral("btnRelOk1"));
    btnRelCancel1 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnRelCancel1"));
    column->addLayout(Form::ButtonRow({}, {btnRelOk1, btnRelCancel1}));
    connect(btnRelOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnRelCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TCataRelEditFrm::BuildEdit()
{
    pnlEdit1 = Form::Named(new QWidget(this), QStringLiteral("pnlEdit1"));
    edtName1 = Form::Named(new Uis::TEdit, QStringLiteral("edtName1"));
    // Made inside the panel so that its smallest height is measured in the window's font.
    edtMemo1 = Form::Named(new Uis::TMemo(pnlEdit1), QStringLiteral("edtMemo1"));
    // The remark takes the height the name leaves rather than its own preference, so the window
    // opens at its designed size; it never gets lower than its scroll bars need.
    edtMemo1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    edtMemo1->setMinimumHeight(edtMemo1->minimumSizeHint().height());
    btnEditOk1 = Form::Button(QStringLiteral("确定"), QStringLiteral("btnEditOk1"));
    btnEditCancel1 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnEditCancel1"));
    connect(btnEditOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnEditCancel1, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(10);
    grid->addWidget(Form::Caption(QStringLiteral("分类名称"), edtName1), 0, 0);
    grid->addWidget(edtName1, 0, 1);
    grid->addWidget(Form::Caption(QStringLiteral("备注"), edtMemo1), 1, 0, Qt::AlignTop);
    grid->addWidget(edtMemo1, 1, 1);
    grid->setRowStretch(1, 1);

    auto *column = new QVBoxLayout(pnlEdit1);
    column->setContentsMargins(16, 16, 20, 16);
    column->setSpacing(14);
    column->addLayout(grid, 1);
    column->addLayout(Form::ButtonRow({}, {btnEditOk1, btnEditCancel1}));
}

void TCataRelEditFrm::BuildPick()
{
    pnlPick1 = Form::Named(new QWidget(this), QStringLiteral("pnlPick1"));
    TreeView3 = Form::Named(new Uis::TTreeView, QStringLiteral("TreeView3"));
    btnPickSettings1 = Form::Button(QStringLiteral("设置"), QStringLiteral("btnPickSettings1"));
    btnPickOk1 = Form::Button(QStringLiteral("确定"), QStringLiteral("btnPickOk1"));
    btnPickCancel1 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnPickCancel1"));
    connect(btnPickOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPickCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnPickSettings1, &QPushButton::clicked, this, Guarded([this](bool) { PickSettingsClick(); }));

    auto *column = new QVBoxLayout(pnlPick1);
    column->setContentsMargins(12, 10, 30, 16);
    column->addWidget(Form::Caption(QStringLiteral("请选择档案类别"), TreeView3));
    column->addWidget(TreeView3, 1);
    column->addSpacing(6);
    column->addLayout(Form::ButtonRow({btnPickSettings1}, {btnPickOk1, btnPickCancel1}));
}

// ---- the four constructors ----

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreateSettings(QWidget *owner)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Settings));
    frm->setWindowTitle(QStringLiteral("档案分类设置"));
    frm->BringToFront(frm->pnlList1, SettingsSize);
    frm->TreeView2->LoadCatas(nullptr);
    frm->UpdateListStatus();
    frm->m_changed = false;
    return frm;
}

std::unique_ptr<TCataRelEditFrm> TCataRelEditFrm::CreateAdjust(QWidget *owner)
{
    std::unique_ptr<TCataRelEditFrm> frm(new TCataRelEditFrm(owner, Mode::Adjust));
    frm->setWindowTitle(QStringLiteral("档案分类调整"));
    frm->BringToFront(frm->pnlRelEdit1, AdjustSize);
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
    frm->BringToFront(frm->pnlEdit1, EditSize);
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
    frm->BringToFront(frm->pnlPick1, PickSize);
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

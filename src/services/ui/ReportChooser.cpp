#include "ReportChooser.h"

#include "FormBuilder.h"
#include "Prompter.h"
#include "ReportStore.h"
#include "Settings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString NoSelectionText = QStringLiteral("请先从左框列表中选中您要操作的项目.");

// The list's rows are 25 pixels high whatever the font asks for.
class RowHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(25);
        return size;
    }
};

// A message box without icon under the program's name.
void PlainMessage(const QString &text)
{
    Prompter().MessageBox(MsgIcon::None, ProgramCaption(), text, {QStringLiteral("确定")});
}

} // namespace

void ShowReporter(const QList<TDataSet *> &dataSets, int groupId)
{
    CurrentOperator->CheckRight(RightPrint);
    // The window refers to the runner, so it goes first when both are released.
    auto runner = std::make_unique<TProjRep>();
    auto window = std::make_unique<TReporterFrm>();
    window->SetCanDesign(CurrentOperator->HasRight(RightPrintDesign));
    runner->SetDataSets(dataSets);
    window->SetGroupId(groupId);
    window->SetReper(runner.get());
    window->ShowModal();
}

QPoint ReporterPlacement(const QPoint &cursor, const QSize &window, const QSize &screen)
{
    const int w = window.width();
    const int h = window.height();
    int top;
    int x;
    // C++ division truncates toward zero, as the placement wants.
    if (cursor.y() + h > screen.height() || cursor.x() + w > screen.width()) {
        top = screen.height() / 2 - h / 2;
        x = screen.width() / 2;
    } else {
        top = cursor.y() - h / 4;
        x = cursor.x();
    }
    int left = x - w / 2;
    if (top < 0)
        top = 10;
    else if (top > screen.height() - h)
        top = screen.height() - h;
    if (left < 0)
        left = 10;
    else if (left > screen.width() - w)
        left = screen.width() - w;
    return {left, top};
}

TReporterFrm::TReporterFrm(QWidget *owner) : TaFrm(owner)
{
    setObjectName(QStringLiteral("ReporterFrm"));
    setWindowTitle(QStringLiteral("打印"));

    ToolBar1 = Form::Named(new QToolBar(this), QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->setMovable(false);
    tbNew1 = Form::Named(ToolBar1->addAction(QStringLiteral("新建")), QStringLiteral("tbNew1"));
    ToolBar1->addSeparator();
    tbDelete1 = Form::Named(ToolBar1->addAction(QStringLiteral("删除")), QStringLiteral("tbDelete1"));
    tbRename1 = Form::Named(ToolBar1->addAction(QStringLiteral("重命名")), QStringLiteral("tbRename1"));
    tbDesign1 = Form::Named(ToolBar1->addAction(QStringLiteral("设计")), QStringLiteral("tbDesign1"));

    TemplateList = Form::Named(new QListWidget, QStringLiteral("ListBox1"));
    TemplateList->setItemDelegate(new RowHeightDelegate(TemplateList));
    TemplateList->setSelectionMode(QAbstractItemView::SingleSelection);
    // A plain push button, so that it becomes the default when the window shows: Enter in the
    // list previews the selected template.
    PreviewButton = Form::Named(new QPushButton(QStringLiteral("预览")), QStringLiteral("Button4"));

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 7, 8, 11);
    body->setSpacing(4);
    body->addWidget(Form::Named(Form::Caption(QStringLiteral("请选择一种打印样式"), TemplateList),
                                QStringLiteral("Label1")));
    body->addWidget(TemplateList, 1);
    body->addSpacing(8);
    body->addLayout(Form::ButtonRow({}, {PreviewButton}));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addLayout(body, 1);
    Form::SetInitialSize(this, 326, 324);

    connect(tbNew1, &QAction::triggered, this, Guarded([this](auto &&...) { tbNew1Click(); }));
    connect(tbDelete1, &QAction::triggered, this, Guarded([this](auto &&...) { tbDelete1Click(); }));
    connect(tbRename1, &QAction::triggered, this, Guarded([this](auto &&...) { tbRename1Click(); }));
    connect(tbDesign1, &QAction::triggered, this, Guarded([this](auto &&...) { tbDesign1Click(); }));
    connect(PreviewButton, &QPushButton::clicked, this,
            Guarded([this](auto &&...) { PreviewButtonClick(); }));
    connect(TemplateList, &QListWidget::itemDoubleClicked, this,
            Guarded([this](auto &&...) { TemplateListDblClick(); }));
}

void TReporterFrm::SetGroupId(int groupId)
{
    m_groupId = groupId;
    Reload();
}

void TReporterFrm::Reload()
{
    TemplateList->clear();
    TRepSet templates;
    templates.OpenGroup(m_groupId);
    TDataSet *rows = templates.DataSet();
    for (rows->First(); !rows->Eof(); rows->Next()) {
        auto *item = new QListWidgetItem(templates.TitleField()->AsString(), TemplateList);
        item->setData(Qt::UserRole, templates.IdField()->AsInteger());
    }
    if (TemplateList->count() > 0)
        TemplateList->setCurrentRow(0);
}

void TReporterFrm::SetCanDesign(bool canDesign)
{
    for (QAction *action : {tbNew1, tbDelete1, tbRename1, tbDesign1})
        action->setEnabled(canDesign);
}

int TReporterFrm::SelectedId() const
{
    const QListWidgetItem *item = TemplateList->currentItem();
    if (!item || !item->isSelected())
        return -1;
    return item->data(Qt::UserRole).toInt();
}

bool TReporterFrm::RequireSelection()
{
    if (SelectedId() >= 0)
        return true;
    PlainMessage(NoSelectionText);
    return false;
}

void TReporterFrm::PreviewButtonClick()
{
    if (!RequireSelection())
        return;
    m_reper->Preview(SelectedId());
    close();
}

void TReporterFrm::TemplateListDblClick()
{
    PreviewButtonClick();
}

void TReporterFrm::tbDesign1Click()
{
    if (!RequireSelection())
        return;
    m_reper->Design(SelectedId());
}

void TReporterFrm::tbNew1Click()
{
    QString title;
    if (!Prompter().InputBox(QStringLiteral("添加报表"), QStringLiteral("请输入报表名称:\t\t"), title))
        return;
    m_reper->AddReport(title, m_groupId);
    Reload();
}

void TReporterFrm::tbRename1Click()
{
    if (!RequireSelection())
        return;
    QString title = TemplateList->currentItem()->text();
    if (!Prompter().InputBox(QStringLiteral("修改报表标题"), QStringLiteral("请输入新的报表名称:\t\t"),
                             title))
        return;
    m_reper->RenameReport(SelectedId(), title);
    Reload();
}

void TReporterFrm::tbDelete1Click()
{
    if (!RequireSelection())
        return;
    const QString text =
        QStringLiteral("确定要删除") + TemplateList->currentItem()->text() + QStringLiteral("吗?");
    if (Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), text,
                              {QStringLiteral("确定"), QStringLiteral("取消")}) != 0)
        return;
    m_reper->DeleteReport(SelectedId());
    Reload();
}

void TReporterFrm::showEvent(QShowEvent *event)
{
    TaFrm::showEvent(event);
    if (event->spontaneous() || !isWindow())
        return;
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    move(area.topLeft() +
         ReporterPlacement(QCursor::pos() - area.topLeft(), frameGeometry().size(), area.size()));
}

#include "ReportChooser.h"

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

// A message box without icon under the application's name, as the toolkit's simplest one.
void PlainMessage(const QString &text)
{
    Prompter().MessageBox(MsgIcon::None, QApplication::applicationDisplayName(), text,
                          {QStringLiteral("确定")});
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
    setFixedSize(326, 324);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->setMovable(false);
    ToolBar1->setGeometry(0, 0, 326, 29);
    tbNew1 = ToolBar1->addAction(QStringLiteral("新建"));
    tbNew1->setObjectName(QStringLiteral("tbNew1"));
    ToolBar1->addSeparator();
    tbDelete1 = ToolBar1->addAction(QStringLiteral("删除"));
    tbDelete1->setObjectName(QStringLiteral("tbDelete1"));
    tbRename1 = ToolBar1->addAction(QStringLiteral("重命名"));
    tbRename1->setObjectName(QStringLiteral("tbRename1"));
    tbDesign1 = ToolBar1->addAction(QStringLiteral("设计"));
    tbDesign1->setObjectName(QStringLiteral("tbDesign1"));

    Label1 = new QLabel(QStringLiteral("请选择一种打印样式"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 36, 310, 16);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 56, 310, 220);
    ListBox1->setItemDelegate(new RowHeightDelegate(ListBox1));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    Button4 = new QPushButton(QStringLiteral("预览"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->setGeometry(243, 288, 75, 25);

    connect(tbNew1, &QAction::triggered, this, Guarded([this](auto &&...) { tbNew1Click(); }));
    connect(tbDelete1, &QAction::triggered, this, Guarded([this](auto &&...) { tbDelete1Click(); }));
    connect(tbRename1, &QAction::triggered, this, Guarded([this](auto &&...) { tbRename1Click(); }));
    connect(tbDesign1, &QAction::triggered, this, Guarded([this](auto &&...) { tbDesign1Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded([this](auto &&...) { Button4Click(); }));
    connect(ListBox1, &QListWidget::itemDoubleClicked, this,
            Guarded([this](auto &&...) { ListBox1DblClick(); }));
}

void TReporterFrm::SetGroupId(int groupId)
{
    m_groupId = groupId;
    Reload();
}

void TReporterFrm::Reload()
{
    ListBox1->clear();
    TRepSet templates;
    templates.OpenGroup(m_groupId);
    TDataSet *rows = templates.DataSet();
    for (rows->First(); !rows->Eof(); rows->Next()) {
        auto *item = new QListWidgetItem(templates.TitleField()->AsString(), ListBox1);
        item->setData(Qt::UserRole, templates.IdField()->AsInteger());
    }
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
}

void TReporterFrm::SetCanDesign(bool canDesign)
{
    for (QAction *action : {tbNew1, tbDelete1, tbRename1, tbDesign1})
        action->setEnabled(canDesign);
}

int TReporterFrm::SelectedId() const
{
    const QListWidgetItem *item = ListBox1->currentItem();
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

void TReporterFrm::Button4Click()
{
    if (!RequireSelection())
        return;
    m_reper->Preview(SelectedId());
    close();
}

void TReporterFrm::ListBox1DblClick()
{
    Button4Click();
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
    QString title = ListBox1->currentItem()->text();
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
        QStringLiteral("确定要删除") + ListBox1->currentItem()->text() + QStringLiteral("吗?");
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

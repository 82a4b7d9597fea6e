#include "CategoryTree.h"

#include "Prompter.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStyle>
#include <QTreeWidgetItemIterator>

#include <memory>

namespace Uis {

namespace {

const QString CataMimeType = QStringLiteral("application/x-pzarc-cata-node");

// The pictures of the shared image list that the tree uses, taken from the desktop's theme.
QIcon TreeImage(int index)
{
    QStyle *style = QApplication::style();
    switch (index) {
    case imgAll:
        return QIcon::fromTheme(QStringLiteral("folder-documents"),
                                style->standardIcon(QStyle::SP_DirHomeIcon));
    case imgCataSelected:
        return QIcon::fromTheme(QStringLiteral("folder-open"), style->standardIcon(QStyle::SP_DirOpenIcon));
    default:
        return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirClosedIcon));
    }
}

// One icon showing `image` normally and `selectedImage` while the node is selected.
QIcon NodeIcon(int image, int selectedImage)
{
    QIcon icon;
    for (const QSize size : {QSize(16, 16), QSize(32, 32)}) {
        icon.addPixmap(TreeImage(image).pixmap(size), QIcon::Normal);
        icon.addPixmap(TreeImage(selectedImage).pixmap(size), QIcon::Selected);
    }
    return icon;
}

bool IsBelow(const QTreeWidgetItem *node, const QTreeWidgetItem *ancestor)
{
    for (const QTreeWidgetItem *up = node ? node->parent() : nullptr; up; up = up->parent())
        if (up == ancestor)
            return true;
    return false;
}

void CollectDepthFirst(QTreeWidgetItem *node, int parent, QList<QTreeWidgetItem *> &nodes,
                       QList<int> &parents)
{
    const int self = int(nodes.size());
    nodes << node;
    parents << parent;
    for (int i = 0; i < node->childCount(); ++i)
        CollectDepthFirst(node->child(i), self, nodes, parents);
}

int DepthOf(const QTreeWidgetItem *node)
{
    int depth = 0;
    for (const QTreeWidgetItem *up = node->parent(); up; up = up->parent())
        ++depth;
    return depth;
}

} // namespace

RCata FixedCataAll()
{
    RCata cata;
    cata.Id = -1;
    cata.Code = CataCodeAll;
    cata.Name = QStringLiteral("全部");
    cata.Path = cata.Name;
    cata.SlfId = -1;
    cata.PrtId = 0;
    return cata;
}

RCata FixedCataNulled()
{
    RCata cata;
    cata.Id = -1;
    cata.Code = CataCodeNulled;
    cata.Name = QStringLiteral("未分类");
    cata.Path = cata.Name;
    cata.SlfId = -1;
    cata.PrtId = 0;
    return cata;
}

int FlattenCatas(const QList<TFlatCata> &nodes, RCatas &list)
{
    list = RCatas(nodes.size());
    for (int n = 0; n < int(nodes.size()); ++n) {
        RCata &entry = list[n];
        entry = nodes[n].Cata;
        entry.SlfId = n + 1;
        entry.PrtId = 0;
        entry.Code = QStringLiteral("%1.").arg(entry.SlfId);
        // Parents precede their children, so the parent's entry already carries its new values.
        if (const int parent = nodes[n].Parent; parent >= 0 && parent < n) {
            entry.PrtId = list[parent].SlfId;
            entry.Code = QStringLiteral("%1%2.").arg(list[parent].Code).arg(entry.SlfId);
        }
        if (entry.Name.trimmed().isEmpty())
            return n;
    }
    return -1;
}

bool CataDropAccepted(const QTreeWidgetItem *dragged, const QTreeWidgetItem *target)
{
    if (!dragged)
        return false;
    if (!target)
        return dragged->parent() != nullptr;
    return target != dragged && target != dragged->parent() && !IsBelow(target, dragged);
}

TCataNode::TCataNode(const RCata &cata) : QTreeWidgetItem(NodeType), Cata(cata)
{
    setText(0, cata.Name);
}

TTreeView::TTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection stays highlighted while another control has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);

    // The fixed nodes stay open: a collapse of a node that is no stored category is undone.
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *node) {
        const RCata *cata = NodeData(node);
        if (!cata || cata->Id <= 0)
            expandItem(node);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (const RCata *cata = NodeData(current))
            emit CataSelected(*cata);
    });
}

TTreeView::~TTreeView()
{
    // The records go with their nodes; clearing first keeps selection signals from reaching a
    // half-destroyed host.
    blockSignals(true);
    ClearNodes(nullptr);
}

RCata *TTreeView::NodeData(QTreeWidgetItem *node)
{
    if (!node || node->type() != TCataNode::NodeType)
        return nullptr;
    return &static_cast<TCataNode *>(node)->Cata;
}

void TTreeView::SetNodeImages(QTreeWidgetItem *node, int image, int selectedImage)
{
    if (node->type() == TCataNode::NodeType) {
        auto *cataNode = static_cast<TCataNode *>(node);
        cataNode->ImageIndex = image;
        cataNode->SelectedIndex = selectedImage;
    }
    node->setIcon(0, NodeIcon(image, selectedImage));
}

void TTreeView::LoadCatas(QTreeWidgetItem *root)
{
    m_root = root;
    {
        TCataSet catas;
        catas.LoadAll();
        TDataSet *rows = catas.DataSet();
        for (rows->First(); !rows->Eof(); rows->Next())
            SetNodeImages(AddCataNode(catas.ReadCata()), imgCata, imgCataSelected);
    }
    setRootIsDecorated(root == nullptr);
    if (!root) {
        if (topLevelItemCount() > 0)
            expandItem(topLevelItem(0));
    } else if (root->childCount() > 0) {
        expandItem(root->child(0));
    }
}

QTreeWidgetItem *TTreeView::AddCataNode(const RCata &cata)
{
    QTreeWidgetItem *parent = m_root;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        const RCata *candidate = NodeData(*it);
        if (candidate && candidate->SlfId == cata.PrtId) {
            parent = *it;
            break;
        }
    }
    auto node = std::make_unique<TCataNode>(cata);
    TCataNode *added = node.get();
    if (parent)
        parent->addChild(node.release());
    else
        addTopLevelItem(node.release());
    return added;
}

QTreeWidgetItem *TTreeView::AddFixedNode(const RCata &cata, QTreeWidgetItem *parent, int image,
                                         int selectedImage)
{
    auto node = std::make_unique<TCataNode>(cata);
    TCataNode *added = node.get();
    if (parent)
        parent->addChild(node.release());
    else
        addTopLevelItem(node.release());
    SetNodeImages(added, image, selectedImage);
    return added;
}

void TTreeView::Fill()
{
    ClearNodes(nullptr);
    QTreeWidgetItem *all = AddFixedNode(FixedCataAll(), nullptr, imgAll, imgAll);
    SetSelected(all);
    LoadCatas(all);
    AddFixedNode(FixedCataNulled(), topLevelItem(0), imgCata, imgCataSelected);
    expandItem(topLevelItem(0));
}

void TTreeView::Refresh()
{
    const RCata *selected = SelectedData();
    const QString code = selected ? selected->Code : QString();
    ClearNodes(nullptr);
    Fill();
    SelectByCode(code);
}

bool TTreeView::SelectByCode(const QString &code)
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        const RCata *cata = NodeData(*it);
        if (cata && cata->Code == code) {
            SetSelected(*it);
            return true;
        }
    }
    return false;
}

QTreeWidgetItem *TTreeView::Selected() const
{
    QTreeWidgetItem *node = currentItem();
    return node && node->isSelected() ? node : nullptr;
}

void TTreeView::SetSelected(QTreeWidgetItem *node)
{
    setCurrentItem(node);
    if (node)
        scrollToItem(node);
    else
        clearSelection();
}

void TTreeView::ClearNodes(QTreeWidgetItem *node)
{
    if (!node) {
        m_root = nullptr;
        clear();
        return;
    }
    if (IsBelow(m_root, node))
        m_root = nullptr;
    while (node->childCount() > 0)
        std::unique_ptr<QTreeWidgetItem> gone(node->takeChild(node->childCount() - 1));
}

void TTreeView::SelectedCata(RCata &cata) const
{
    if (const RCata *selected = SelectedData())
        cata = *selected;
    else
        cata.Id = -1;
}

RCata *TTreeView::SelectedData() const
{
    return NodeData(Selected());
}

QList<QTreeWidgetItem *> TTreeView::Nodes() const
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(const_cast<TTreeView *>(this)); *it; ++it)
        nodes << *it;
    return nodes;
}

int TTreeView::DeepestLevel() const
{
    int deepest = 0;
    for (QTreeWidgetItem *node : Nodes())
        deepest = qMax(deepest, DepthOf(node));
    return deepest;
}

bool TTreeView::Flatten(RCatas &list)
{
    QList<QTreeWidgetItem *> nodes;
    QList<int> parents;
    for (int i = 0; i < topLevelItemCount(); ++i)
        CollectDepthFirst(topLevelItem(i), -1, nodes, parents);

    QList<TFlatCata> flat;
    flat.reserve(nodes.size());
    for (int n = 0; n < int(nodes.size()); ++n) {
        const RCata *cata = NodeData(nodes[n]);
        flat.append({cata ? *cata : RCata(), parents[n]});
    }
    const int blank = FlattenCatas(flat, list);
    const int written = blank < 0 ? int(nodes.size()) : blank + 1;
    for (int n = 0; n < written; ++n)
        if (RCata *cata = NodeData(nodes[n]))
            *cata = list[n];
    if (blank < 0)
        return true;
    SetSelected(nodes[blank]);
    Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                          QStringLiteral("\r\n分类名称不能是空白,必须填写.\t"), {QStringLiteral("确定")});
    return false;
}

void TTreeView::SetDragHandlers(TDragOver over, TDragDrop drop)
{
    m_dragOver = std::move(over);
    m_dragDrop = std::move(drop);
    const bool on = bool(m_dragOver) && bool(m_dragDrop);
    setDragEnabled(on);
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
    setDragDropMode(on ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDropIndicatorShown(false);
}

bool TTreeView::MoveNode(QTreeWidgetItem *node, QTreeWidgetItem *target)
{
    if (!CataDropAccepted(node, target) || node->treeWidget() != this)
        return false;
    const bool wasCurrent = currentItem() == node;
    QTreeWidgetItem *taken = node->parent() ? node->parent()->takeChild(node->parent()->indexOfChild(node))
                                            : takeTopLevelItem(indexOfTopLevelItem(node));
    if (target)
        target->addChild(taken);
    else
        addTopLevelItem(taken);
    if (wasCurrent)
        SetSelected(taken);
    return true;
}

void TTreeView::startDrag(Qt::DropActions)
{
    // The drop handler moves the node itself; the drag only carries the word that a node of
    // this tree is travelling, so the view never removes or copies rows on its own.
    if (!currentItem())
        return;
    auto *mime = new QMimeData;
    mime->setData(CataMimeType, QByteArray());
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void TTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dragOver && qobject_cast<TTreeView *>(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    // The base class scrolls near the edges; the decision is the host's.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    bool accepted = false;
    Guard([&] { accepted = m_dragOver && m_dragOver(event->source(), target); });
    if (accepted) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TTreeView::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (m_dragDrop)
        Guard([&] { m_dragDrop(event->source(), target); });
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
}

} // namespace Uis

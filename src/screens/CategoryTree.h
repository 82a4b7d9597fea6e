#pragma once
// The category tree view: categories as nodes, each node owning a copy of its category
// record, with the two fixed nodes of the main window ("全部" and "未分类"), lookup and
// reselection by code, and the renumbering computation that gives a rearranged tree its
// canonical numbers and codes.
//
// The computations that need no window (renumbering a flattened tree, the drop rule) are free
// functions; the view only walks its nodes and hands them over.

#include "Archive.h"

#include <QTreeWidget>

#include <functional>

namespace Uis {

// Picture numbers of the shared image list used by the tree.
enum TTreeImage { imgAll = 5, imgCata = 23, imgCataSelected = 24 };

// The records of the two fixed nodes. Their SlfId is -1, so no category ever takes them for
// its parent.
RCata FixedCataAll();
RCata FixedCataNulled();

// One node of a tree flattened depth-first (a node, then its children, then its next
// sibling): its record and the position of its parent in the same list (-1 at the top).
struct TFlatCata
{
    RCata Cata;
    int Parent = -1;
};

// Numbers the flattened tree the canonical way: entry n gets SlfId n + 1, PrtId the parent's
// new SlfId (0 at the top) and the code "%d." at the top, the parent's code followed by
// "%d." below it. `list` is sized to the node count. Answers the position of the first node
// whose name is blank after trimming, whose entry is filled while the entries after it stay
// empty; -1 when every name is filled.
int FlattenCatas(const QList<TFlatCata> &nodes, RCatas &list);

// Whether the dragged node may become the last child of `target` (null: the last top-level
// node). Refused onto itself, onto its own parent, anywhere below itself, and onto empty
// space for a node that is already at the top; so a category never becomes its own ancestor.
bool CataDropAccepted(const QTreeWidgetItem *dragged, const QTreeWidgetItem *target);

// A tree node owning its category record; freed with the node.
class TCataNode : public QTreeWidgetItem
{
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 23;
    explicit TCataNode(const RCata &cata);

    RCata Cata;
    int ImageIndex = imgCata;
    int SelectedIndex = imgCataSelected;
};

class TTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TTreeView(QWidget *parent = nullptr);
    ~TTreeView() override;

    // Adds every category under its parent; top-level categories go under `root` (none: the
    // true top level).
    void LoadCatas(QTreeWidgetItem *root = nullptr);
    // A node for a copy of the record, as the last child of the first node (in tree order)
    // whose SlfId is the record's PrtId, else of the root of the last load.
    QTreeWidgetItem *AddCataNode(const RCata &cata);
    // "全部" selected, every category under it, then "未分类" as its last child.
    void Fill();
    // Fill again and reselect the node of the code that was selected.
    void Refresh();
    // Selects the first node whose record has exactly this code.
    bool SelectByCode(const QString &code);
    // None: every node goes. A node: everything below it goes, the node stays.
    void ClearNodes(QTreeWidgetItem *node = nullptr);
    // A copy of the selected node's record; with nothing selected only Id becomes -1.
    void SelectedCata(RCata &cata) const;
    // The selected node's own record, to be changed in place; null when nothing is selected.
    RCata *SelectedData() const;
    // The renumbering list of the whole tree, also written back into the nodes. False when a
    // name is blank: that node is selected and the warning has been shown.
    bool Flatten(RCatas &list);

    // The selected node: the current node when it is highlighted, else null. Taking the focus
    // makes a node current without highlighting it, and that node is not selected.
    QTreeWidgetItem *Selected() const;
    // Makes the node current and highlights it; null leaves nothing selected.
    void SetSelected(QTreeWidgetItem *node);
    // The record a node owns; null for a node that is not a category node.
    static RCata *NodeData(QTreeWidgetItem *node);
    static void SetNodeImages(QTreeWidgetItem *node, int image, int selectedImage);
    // Every node in tree order.
    QList<QTreeWidgetItem *> Nodes() const;
    // Depth below the top level of the deepest node (0 when there are only top-level nodes or
    // none at all).
    int DeepestLevel() const;

    // Dragging nodes with the mouse. The host decides over each target and carries out the
    // drop; `source` is the widget the drag started from.
    using TDragOver = std::function<bool(QObject *source, QTreeWidgetItem *target)>;
    using TDragDrop = std::function<void(QObject *source, QTreeWidgetItem *target)>;
    void SetDragHandlers(TDragOver over, TDragDrop drop);
    // Moves a node with everything below it to the end of `target`'s children, or to the end
    // of the top level when `target` is null. Refused moves (see CataDropAccepted) do nothing.
    bool MoveNode(QTreeWidgetItem *node, QTreeWidgetItem *target);

signals:
    // The selection moved to a node (not emitted when it becomes empty).
    void CataSelected(const RCata &cata);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QTreeWidgetItem *AddFixedNode(const RCata &cata, QTreeWidgetItem *parent, int image, int selectedImage);

    QTreeWidgetItem *m_root = nullptr;
    TDragOver m_dragOver;
    TDragDrop m_dragDrop;
};

} // namespace Uis

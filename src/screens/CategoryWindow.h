#pragma once
// The category window: one modal window with four modes, each on its own panel.
//   settings   ("档案分类设置")  the tree with tool buttons to add, change, delete and move;
//   adjustment ("档案分类调整")  categories dragged to new parents, then renumbered on OK;
//   edit       ("添加分类" / "修改分类")  name and remark of one category;
//   picker     ("选择")  one category chosen for a caller, e.g. an archive's category.
// Each mode has its own constructor; the caller shows the window modally and releases it.

#include "ArchiveControls.h"
#include "BaseWindow.h"
#include "CategoryTree.h"

#include <functional>
#include <memory>

class QAction;
class QPushButton;
class QToolBar;

// Makes the picker of this module the category picker of every Uis edit box.
void InstallCataPicker();

class TCataRelEditFrm : public TaFrm
{
    Q_OBJECT
public:
    // Edit mode: stores the edited category; true when it was stored.
    using TSaveCata = std::function<bool(RCata &cata)>;
    // Picker mode: takes the chosen category; true lets the picker close.
    using TPickCata = std::function<bool(const RCata &cata)>;

    enum class Mode { Settings, Adjust, Edit, Pick };

    static std::unique_ptr<TCataRelEditFrm> CreateSettings(QWidget *owner);
    static std::unique_ptr<TCataRelEditFrm> CreateAdjust(QWidget *owner);
    static std::unique_ptr<TCataRelEditFrm> CreateEdit(QWidget *owner, const RCata &cata, TSaveCata save);
    static std::unique_ptr<TCataRelEditFrm> CreatePick(QWidget *owner, TPickCata pick);

    Mode WindowMode() const { return m_mode; }
    // Settings mode: a category was added, changed, deleted or moved in this window.
    bool Changed() const { return m_changed; }
    // Adjustment mode: a node was dropped.
    bool Moved() const { return m_moved; }
    // Edit mode: the record as last handed to the save callback.
    const RCata &EditedCata() const { return m_cata; }

    // ---- settings ----
    QWidget *pnlList1;
    QToolBar *ToolBar1;
    QAction *actAdd1;
    QAction *actModify1;
    QAction *actDelete1;
    QAction *actMove1;
    QAction *actExit1;
    Uis::TTreeView *TreeView2;
    Uis::TLabel *lblListStatus1;

    // ---- adjustment ----
    QWidget *pnlRelEdit1;
    Uis::TTreeView *TreeView1;
    QPushButton *btnRelOk1;
    QPushButton *btnRelCancel1;

    // ---- edit ----
    QWidget *pnlEdit1;
    Uis::TEdit *edtName1;
    Uis::TMemo *edtMemo1;
    QPushButton *btnEditOk1;
    QPushButton *btnEditCancel1;

    // ---- picker ----
    QWidget *pnlPick1;
    Uis::TTreeView *TreeView3;
    QPushButton *btnPickOk1;
    QPushButton *btnPickCancel1;
    QPushButton *btnPickSettings1;

    // Settings tool buttons.
    void AddClick();
    void ModifyClick();
    void DeleteClick();
    void MoveClick();
    // The settings window's save operation, the callback of the edit windows it opens.
    bool SaveCata(RCata &cata);
    // "总共 %d 个类别, 分 %d 层子类" of the settings tree.
    void UpdateListStatus();

    // Adjustment tree: whether the selected node may be dropped on `target` (null: empty
    // space), and the drop itself.
    bool TreeView1DragOver(QObject *source, QTreeWidgetItem *target);
    void TreeView1DragDrop(QObject *source, QTreeWidgetItem *target);

    // Picker "设置".
    void PickSettingsClick();

protected:
    // OK is where each mode stores or hands over its result; a refusal keeps the window open.
    bool CanClose(int modalResult) override;

private:
    TCataRelEditFrm(QWidget *owner, Mode mode);
    void BuildList();
    void BuildRelEdit();
    void BuildEdit();
    void BuildPick();
    // Shows the mode's panel and sizes the window from the panel's designed size.
    void BringToFront(QWidget *panel, QSize designed);

    Mode m_mode;
    bool m_changed = false;
    bool m_moved = false;
    RCata m_cata;
    TSaveCata m_save;
    TPickCata m_pick;
};

#pragma once
// The two data grids of the system. Both show the records of a data set through a table
// model that reads values on demand (a million rows are never copied), both carry the popup
// commands (sort, column choice, layout save, exports) with their right tests, and both keep
// a column layout per screen in table `syscols`.
//
// TpzDBGrid serves the lending query and the import wizard: several rows may be selected,
// title clicks sort by one or more columns, and arrow keys move record by record.
// TpzGridcx serves the main window: one record at a time, a numbered row indicator, every
// other record in cream, and events for the hosting screen.

#include "ColumnChooser.h"
#include "GridLayout.h"
#include "InputControls.h"
#include "PopupMenu.h"

#include <QPointer>
#include <QTableView>

#include <functional>
#include <memory>

class QAction;
#include "DataSet.h"
class TDataSetModel;
class TGridHeader;
class TIndicatorHeader;

// What joins a grid to its data set. A grid has one of its own; a host may attach another.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);
    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet);

signals:
    void DataSetChanged();

private:
    QPointer<TDataSet> m_dataSet;
};

// A parameterless callback run after each record that a batch update changed.
using TProcedureObject = std::function<void()>;

class TpzGridBase : public QTableView
{
    Q_OBJECT
public:
    explicit TpzGridBase(QWidget *owner = nullptr);
    ~TpzGridBase() override;

    // ---- binding ----
    // Null when the host detached it.
    TDataSource *DataSource() const { return m_dataSource; }
    // A data source of the host's own (not owned); nullptr leaves the grid without one.
    void SetDataSource(TDataSource *source);
    TDataSet *DataSet() const;
    // Sets the data set of the grid's current data source.
    void SetDataSet(TDataSet *dataSet);
    TDataSetModel *Model() const { return m_model; }

    // The component tag: the fallback layout key.
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    TpzPopupMenu *PopupMenuPz() const { return m_popup.get(); }
    QAction *ActionExport() const { return m_actionExport; }
    QAction *ActionSort() const { return m_actionSort; }
    QAction *ActionExport2Excel() const { return m_actionExport2Excel; }
    QAction *ActionExport2Html() const { return m_actionExport2Html; }
    QAction *ActionColVisible() const { return m_actionColVisible; }
    QAction *ActionTableStyleSave() const { return m_actionTableStyleSave; }

    // ---- columns and layout ----
    // The grid's columns in column order; hidden columns keep their width.
    TGridColumns Columns() const;
    // Takes shown flags, widths and order for columns of the named fields; other fields get
    // no column.
    void SetColumns(const TGridColumns &columns);
    int ColumnCount() const { return int(m_columns.size()); }
    // The field of the column at a place in column order, or null.
    TField *ColumnField(int position) const;
    // The place in column order of the column bound to a model column, or -1.
    int ColumnPosition(int modelColumn) const;
    // Moves the current cell to the column at a place in column order.
    void SetCurrentColumn(int position);

    QString Layout() const { return ComposeLayout(Columns()); }
    // Applies a layout text: the columns are rebuilt from the data set first (see
    // RebuildForLayout), then the text's flags, widths and order are laid over them.
    void SetLayout(const QString &layout);
    // Reads the stored layout of the key and applies it; answers whether a row was stored.
    bool LoadLayout(int key);
    // Writes the current layout under the key; true when exactly one row changed.
    virtual bool SaveLayout(int key);

    // ---- the export work, done elsewhere and installed here ----
    using TGridExporter = std::function<void(TpzGridBase &)>;
    using TExportWizard = std::function<void(TDataSet &, QWidget *owner)>;
    static void SetExcelExporter(TGridExporter exporter);
    static void SetHtmlExporter(TGridExporter exporter);
    static void SetExportWizard(TExportWizard wizard);
    // Until an exporter is installed the export commands are disabled and do nothing.
    virtual void ExportToExcel();
    virtual void ExportToHtml();

    // ---- commands ----
    virtual bool CheckDataSet() = 0;
    void SortClick();
    virtual void PickColumnsClick();
    virtual void SaveLayoutClick() = 0;
    virtual void SaveToExcelClick();
    virtual void SaveToHtmlClick();
    void ExportClick();
    virtual void BatchUpdateClick() = 0;

    // ---- look ----
    // The row indicator: a "NO" corner and each row's 1-based number, bold for the current row.
    bool IndicatorVisible() const;
    void SetIndicatorVisible(bool visible);
    // Whole records are selected and focused, never single cells.
    void SetRowSelect(bool on);
    bool RowSelect() const { return selectionBehavior() == SelectRows; }
    // The rows the view shows (model rows) selected now, in the order they were selected.
    QList<int> SelectedRows() const;

protected:
    // Step one of applying a layout text.
    virtual void RebuildForLayout(bool emptyLayout) = 0;
    // All columns replaced by one per visible field, shown or hidden.
    void BuildColumns(bool shown);
    void FillPopupMenu();
    // Fills the batch dialog from the columns and answers the chosen field and value; false
    // when the dialog was cancelled.
    bool AskBatchValue(TField *&field, QString &value);
    void UpdateExportCommands();
    void SyncHeader();
    void SyncCurrentFromDataSet();
    QModelIndex ModelIndexAt(int row, int preferredColumn) const;
    virtual bool CreamRows() const { return false; }
    // Whether the view's row is filled cream (see GridCream).
    bool CreamAt(int row) const;

    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    TGridHeader *m_header;
    TIndicatorHeader *m_indicator;

private:
    struct Column
    {
        int Field; // model column
        QString Name;
        QString Caption;
        int Width;
        bool Visible;
    };
    void AttachModel();
    void OnDataReset();
    void OnSectionResized(int logical, int oldSize, int newSize);
    void OnSectionMoved();
    void UpdateIndicatorWidth();

    TDataSource *m_ownSource;
    QPointer<TDataSource> m_dataSource;
    QPointer<TDataSet> m_boundSet;
    TDataSetModel *m_model = nullptr;
    QList<QMetaObject::Connection> m_setConnections;
    QList<Column> m_columns;
    bool m_syncing = false;
    bool m_removingRows = false;
    int m_tag = 0;
    std::unique_ptr<TpzPopupMenu> m_popup;
    QAction *m_itemExcel = nullptr;
    QAction *m_itemHtml = nullptr;
    QAction *m_actionExport;
    QAction *m_actionSort;
    QAction *m_actionExport2Excel;
    QAction *m_actionExport2Html;
    QAction *m_actionColVisible;
    QAction *m_actionTableStyleSave;
    QWidget *m_corner = nullptr;
};

class TpzDBGrid : public TpzGridBase
{
    Q_OBJECT
public:
    explicit TpzDBGrid(QWidget *owner = nullptr);

    int LayoutId() const { return m_layoutId; }
    // Stores the key and at once loads its layout.
    void SetLayoutId(int key);
    TProcedureObject BatchProc() const { return m_batchProc; }
    void SetBatchProc(TProcedureObject proc) { m_batchProc = std::move(proc); }

    // All columns replaced by one shown column per visible field; title marks dropped.
    void RebuildColumns();
    bool CheckDataSet() override;
    void SaveLayoutClick() override;
    void BatchUpdateClick() override;
    void FilterClick();
    // Shows the popup menu under a control, at its bottom-left corner.
    void PopupButtonClick(QWidget *control);

    // The title marks in the order the columns were marked: field name and descending.
    QList<TSortMark> SortMarks() const;
    // What a click on the title of a model column does after the header handled it.
    void TitleClick(int modelColumn);

signals:
    void OnKeyDown(int key, Qt::KeyboardModifiers shift);

protected:
    void RebuildForLayout(bool emptyLayout) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_layoutId = 0;
    TProcedureObject m_batchProc;
    QList<QPair<int, bool>> m_marks; // model column, descending
    friend class TGridHeader;
};

class TpzGridcx : public TpzGridBase
{
    Q_OBJECT
public:
    explicit TpzGridcx(QWidget *owner = nullptr);
    // Builds the grid filling `parent`, binds the data set, takes the key as its tag and
    // loads the layout of the key.
    TpzGridcx(QWidget *owner, int layoutKey, TDataSet *dataSet, QWidget *parent);

    // The table view itself: the grid is its own single view.
    QTableView *View() { return this; }
    int RowCount() const;
    int SelectedCount() const;

    TProcedureObject BatchProc() const { return m_batchProc; }
    void SetBatchProc(TProcedureObject proc) { m_batchProc = std::move(proc); }

    // All columns replaced by one column per visible field, shown or hidden.
    void RebuildColumns(bool shown);
    bool CheckDataSet() override;
    void SaveLayoutClick() override;
    void BatchUpdateClick() override;

signals:
    // The focused record changed; false when no record is focused.
    void OnSelectChanged(bool selected);
    void OnDblClick(QObject *sender);
    void OnCellDblClick(TField *field);
    void OnCellClick(TField *field);
    // The view never edits, so these two are never raised; they are here for hosts.
    void OnEditChanged(QObject *sender);
    void OnEditValueChanged(QObject *sender);
    void OnFocusedItemChanged(QObject *sender);
    void OnEditButtonClick(TField *field);

protected:
    void RebuildForLayout(bool emptyLayout) override;
    bool CreamRows() const override { return true; }
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void Setup();
    TProcedureObject m_batchProc;
};

// The cream of every other record of the main window's grids, counted in the order the
// records were loaded.
inline const QColor GridCream(255, 251, 240);

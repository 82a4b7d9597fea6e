#include "DataGrids.h"

#include "BatchUpdate.h"
#include "DataSetModel.h"
#include "FilterDialog.h"
#include "Prompter.h"
#include "Prompts.h"
#include "QuerySets.h"
#include "Settings.h"
#include "SortDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <set>

namespace {
TpzGridBase::TGridExporter g_excelExporter;
TpzGridBase::TGridExporter g_htmlExporter;
TpzGridBase::TExportWizard g_exportWizard;

// Query sets give their fields this width; fields declared elsewhere may carry none.
constexpr int DefaultColumnWidth = 75;

void RequireRight(int rightNo)
{
    if (!CurrentOperator)
        Abort();
    CurrentOperator->CheckRight(rightNo, true);
}
} // namespace

// ---- header pieces ----

// The title row; in TpzDBGrid it draws the sort marks of the title clicks. A marked title
// keeps its caption clear of the mark: the caption is laid out in the room left of it.
class TGridHeader : public QHeaderView
{
public:
    explicit TGridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}
    TpzDBGrid *MarkSource = nullptr;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        size.rwidth() += MarkRoom(logicalIndex);
        return size;
    }

    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        const int mark = MarkOf(logicalIndex);
        if (mark < 0 || !rect.isValid()) {
            painter->save();
            QHeaderView::paintSection(painter, rect, logicalIndex);
            painter->restore();
            return;
        }
        PaintMarkedSection(painter, rect, logicalIndex);
        PaintMark(painter, rect, mark);
    }

private:
    // The place of the section's column among the marks, or -1 when it carries none.
    int MarkOf(int logicalIndex) const
    {
        if (!MarkSource)
            return -1;
        const auto &marks = MarkSource->m_marks;
        for (int i = 0; i < marks.size(); ++i)
            if (marks[i].first == logicalIndex)
                return i;
        return -1;
    }

    // The width at the right of a marked title that its mark takes: the arrow, and before it
    // the mark's number when several columns are marked.
    int MarkRoom(int logicalIndex) const
    {
        if (MarkOf(logicalIndex) < 0)
            return 0;
        return MarkSource->m_marks.size() > 1 ? 28 : 16;
    }

    void PaintMarkedSection(QPainter *painter, const QRect &rect, int logicalIndex) const
    {
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        QStyleOptionHeaderV2 caption = option;
        caption.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
        caption.rect.setRight(std::min(caption.rect.right(), rect.right() - MarkRoom(logicalIndex)));
        const QString text =
            model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
        caption.text = caption.fontMetrics.elidedText(text, textElideMode(), caption.rect.width());
        painter->save();
        painter->setClipRect(rect);
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
        if (caption.rect.width() > 0)
            style()->drawControl(QStyle::CE_HeaderLabel, &caption, painter, this);
        painter->restore();
    }

    void PaintMark(QPainter *painter, const QRect &rect, int mark) const
    {
        const auto &marks = MarkSource->m_marks;
        const int x = rect.right() - 10;
        const int y = rect.center().y();
        QPolygon arrow;
        if (marks[mark].second)
            arrow << QPoint(x - 4, y - 2) << QPoint(x + 4, y - 2) << QPoint(x, y + 3);
        else
            arrow << QPoint(x - 4, y + 2) << QPoint(x + 4, y + 2) << QPoint(x, y - 3);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setBrush(palette().color(QPalette::WindowText));
        painter->setPen(Qt::NoPen);
        painter->drawPolygon(arrow);
        if (marks.size() > 1) {
            QFont small = painter->font();
            small.setPixelSize(8);
            painter->setFont(small);
            painter->setPen(palette().color(QPalette::WindowText));
            painter->drawText(QRect(x - 16, rect.top(), 10, rect.height()), Qt::AlignCenter,
                              QString::number(mark + 1));
        }
        painter->restore();
    }
};

// The row indicator: each row's 1-based number, the current row's in bold.
class TIndicatorHeader : public QHeaderView
{
public:
    explicit TIndicatorHeader(QTableView *view) : QHeaderView(Qt::Vertical, view), m_view(view)
    {
        setDefaultAlignment(Qt::AlignCenter);
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        painter->save();
        if (m_view->currentIndex().isValid() && m_view->currentIndex().row() == logicalIndex) {
            QFont bold = painter->font();
            bold.setBold(true);
            painter->setFont(bold);
        }
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
    }

private:
    QTableView *m_view;
};

// Cream fill of the rows the grid names, unless they are selected.
class TGridDelegate : public QStyledItemDelegate
{
public:
    TGridDelegate(QObject *parent, std::function<bool(int row)> creamAt)
        : QStyledItemDelegate(parent), m_creamAt(std::move(creamAt))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected) && m_creamAt(index.row()))
            option->backgroundBrush = GridCream;
    }

private:
    std::function<bool(int row)> m_creamAt;
};

// ---- data source ----

TDataSource::TDataSource(QObject *parent) : QObject(parent) {}

void TDataSource::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    m_dataSet = dataSet;
    emit DataSetChanged();
}

// ---- common grid ----

TpzGridBase::TpzGridBase(QWidget *owner)
    : QTableView(owner), m_header(new TGridHeader(this)), m_indicator(new TIndicatorHeader(this)),
      m_ownSource(new TDataSource(this)), m_popup(std::make_unique<TpzPopupMenu>())
{
    setHorizontalHeader(m_header);
    setVerticalHeader(m_indicator);
    m_header->setSectionsMovable(true);
    m_header->setHighlightSections(false);
    setItemDelegate(new TGridDelegate(this, [this](int row) { return CreamAt(row); }));
    setEditTriggers(NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    // Every row is as high as the next, so the view never measures rows one by one.
    m_indicator->setDefaultSectionSize(fontMetrics().height() + 6);
    m_indicator->setMinimumSectionSize(12);

    const auto makeAction = [this](const QString &caption, void (TpzGridBase::*command)()) {
        auto *action = new QAction(caption, this);
        connect(action, &QAction::triggered, this, [this, command] { Guard([&] { (this->*command)(); }); });
        return action;
    };
    m_actionExport = makeAction(QStringLiteral("导出"), &TpzGridBase::ExportClick);
    m_actionSort = makeAction(QStringLiteral("排序"), &TpzGridBase::SortClick);
    m_actionExport2Excel = makeAction(QStringLiteral("导出到Excel文档"), &TpzGridBase::SaveToExcelClick);
    m_actionExport2Html = makeAction(QStringLiteral("导出到Html网页文件"), &TpzGridBase::SaveToHtmlClick);
    m_actionColVisible = makeAction(QStringLiteral("列选择"), &TpzGridBase::PickColumnsClick);
    m_actionTableStyleSave = makeAction(QStringLiteral("保存表格样式"), &TpzGridBase::SaveLayoutClick);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popup->popup(viewport()->mapToGlobal(pos)); });
    connect(m_popup.get(), &QMenu::aboutToShow, this, &TpzGridBase::UpdateExportCommands);
    connect(m_header, &QHeaderView::sectionResized, this, &TpzGridBase::OnSectionResized);
    connect(m_header, &QHeaderView::sectionMoved, this, &TpzGridBase::OnSectionMoved);

    // The corner above the row numbers is a button of the view; it gets the indicator's title.
    for (QAbstractButton *button : findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)) {
        m_corner = button;
        button->installEventFilter(this);
    }
    SetDataSource(m_ownSource);
    FillPopupMenu();
}

TpzGridBase::~TpzGridBase() = default;

void TpzGridBase::SetDataSource(TDataSource *source)
{
    if (m_dataSource)
        disconnect(m_dataSource, nullptr, this, nullptr);
    m_dataSource = source;
    if (source)
        connect(source, &TDataSource::DataSetChanged, this, &TpzGridBase::AttachModel);
    AttachModel();
}

TDataSet *TpzGridBase::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TpzGridBase::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSource)
        m_dataSource->SetDataSet(dataSet);
}

void TpzGridBase::AttachModel()
{
    TDataSet *dataSet = DataSet();
    if (m_model && m_boundSet == dataSet)
        return;
    for (const QMetaObject::Connection &connection : m_setConnections)
        disconnect(connection);
    m_setConnections.clear();
    m_boundSet = dataSet;

    QAbstractItemModel *oldModel = m_model;
    QItemSelectionModel *oldSelection = selectionModel();
    m_model = new TDataSetModel(dataSet, this);
    // While a record is removed the data set has already chosen the record that follows as
    // current; the view and its selection model would move the current row on their own
    // while the rows shift, and that move must not reach the data set. Connected before the
    // view takes the model, so the flag is up before the view reacts, and cleared after.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_removingRows = true; });
    setModel(m_model);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_removingRows = false;
        SyncCurrentFromDataSet();
    });
    if (oldSelection)
        oldSelection->deleteLater();
    if (oldModel)
        oldModel->deleteLater();
    m_columns.clear();
    if (dataSet) {
        // Connected after the model, so the model has taken the change when these run.
        m_setConnections << connect(dataSet, &TDataSet::DataReset, this, &TpzGridBase::OnDataReset)
                         << connect(dataSet, &TDataSet::CurrentChanged, this,
                                    [this] { SyncCurrentFromDataSet(); })
                         << connect(dataSet, &TDataSet::RowInserted, this, [this] { UpdateIndicatorWidth(); })
                         << connect(dataSet, &TDataSet::RowRemoved, this, [this] { UpdateIndicatorWidth(); });
        BuildColumns(true);
    } else {
        SyncHeader();
    }
    UpdateIndicatorWidth();
    SyncCurrentFromDataSet();
}

void TpzGridBase::OnDataReset()
{
    // Fields may have been redeclared while the set was closed: columns follow them by name.
    if (TDataSet *dataSet = DataSet()) {
        for (int i = int(m_columns.size()) - 1; i >= 0; --i) {
            const TField *field = dataSet->FindField(m_columns[i].Name);
            if (field)
                m_columns[i].Field = field->Index();
            else
                m_columns.removeAt(i);
        }
    }
    SyncHeader();
    UpdateIndicatorWidth();
    SyncCurrentFromDataSet();
}

void TpzGridBase::UpdateIndicatorWidth()
{
    const int rows = m_model ? m_model->rowCount() : 0;
    const int digits = int(QString::number(std::max(rows, 1)).size());
    QFont bold = m_indicator->font();
    bold.setBold(true);
    const int text = QFontMetrics(bold).horizontalAdvance(QString(digits, QLatin1Char('9')));
    const int width = std::max(30, text + 10);
    if (m_indicator->width() != width || m_indicator->minimumWidth() != width)
        m_indicator->setFixedWidth(width);
}

QModelIndex TpzGridBase::ModelIndexAt(int row, int preferredColumn) const
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return {};
    int column = preferredColumn;
    if (column < 0 || column >= m_model->columnCount() || m_header->isSectionHidden(column)) {
        column = -1;
        for (const Column &c : m_columns)
            if (c.Visible) {
                column = c.Field;
                break;
            }
    }
    if (column < 0)
        return {};
    return m_model->index(row, column);
}

void TpzGridBase::SyncCurrentFromDataSet()
{
    TDataSet *dataSet = DataSet();
    if (!m_model || !dataSet || !dataSet->Active() || m_syncing)
        return;
    const int row = dataSet->RecNo();
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const QModelIndex target = ModelIndexAt(row, current.column());
    m_syncing = true;
    if (target.isValid()) {
        // Where several records may be selected, the selection is the user's own: moving the
        // record pointer does not change it.
        const QItemSelectionModel::SelectionFlags flags =
            selectionMode() == ExtendedSelection ? QItemSelectionModel::NoUpdate
            : RowSelect() ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                          : QItemSelectionModel::ClearAndSelect;
        selectionModel()->setCurrentIndex(target, flags);
        scrollTo(target);
    } else {
        selectionModel()->clearCurrentIndex();
    }
    m_syncing = false;
}

void TpzGridBase::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row())
        m_indicator->viewport()->update();
    TDataSet *dataSet = DataSet();
    if (m_syncing || m_removingRows || !current.isValid() || !dataSet || !dataSet->Active() ||
        current.row() == dataSet->RecNo())
        return;
    m_syncing = true;
    Guard([&] { dataSet->SetRecNo(current.row()); });
    m_syncing = false;
}

bool TpzGridBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QPainter painter(m_corner);
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.rect = m_corner->rect();
        option.text = QStringLiteral("NO");
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        style()->drawControl(QStyle::CE_Header, &option, &painter, m_corner);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

bool TpzGridBase::CreamAt(int row) const
{
    if (!CreamRows())
        return false;
    // The colour belongs to the record: it follows the order the records were loaded in, so a
    // sort moves each record with its colour.
    const TDataSet *dataSet = DataSet();
    const int loaded = dataSet && dataSet->Active() ? dataSet->PhysicalRow(row) : row;
    return loaded >= 0 && loaded % 2 == 0;
}

bool TpzGridBase::IndicatorVisible() const
{
    return !m_indicator->isHidden();
}

void TpzGridBase::SetIndicatorVisible(bool visible)
{
    m_indicator->setVisible(visible);
}

void TpzGridBase::SetRowSelect(bool on)
{
    setSelectionBehavior(on ? SelectRows : SelectItems);
}

QList<int> TpzGridBase::SelectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    std::set<int> seen;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (seen.insert(row).second)
                rows.append(row);
    return rows;
}

// ---- columns ----

void TpzGridBase::BuildColumns(bool shown)
{
    m_columns.clear();
    if (TDataSet *dataSet = DataSet()) {
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            const TField *field = dataSet->Field(i);
            if (!field->Visible())
                continue;
            const int width = field->DisplayWidth() > 0 ? field->DisplayWidth() : DefaultColumnWidth;
            m_columns.append({i, field->FieldName(), field->DisplayLabel(), width, shown});
        }
    }
    SyncHeader();
}

void TpzGridBase::SyncHeader()
{
    if (!m_model)
        return;
    m_syncing = true;
    const int sections = m_model->columnCount();
    std::vector<bool> inGrid(size_t(std::max(sections, 0)), false);
    for (const Column &column : m_columns) {
        if (column.Field < 0 || column.Field >= sections)
            continue;
        inGrid[size_t(column.Field)] = true;
        m_header->setSectionHidden(column.Field, !column.Visible);
        if (column.Visible)
            m_header->resizeSection(column.Field, column.Width);
    }
    for (int i = 0; i < sections; ++i)
        if (!inGrid[size_t(i)])
            m_header->setSectionHidden(i, true);
    int place = 0;
    for (const Column &column : m_columns) {
        if (column.Field < 0 || column.Field >= sections)
            continue;
        const int from = m_header->visualIndex(column.Field);
        if (from != place)
            m_header->moveSection(from, place);
        ++place;
    }
    m_syncing = false;
    m_header->viewport()->update();
}

void TpzGridBase::OnSectionResized(int logical, int, int newSize)
{
    if (m_syncing || newSize <= 0)
        return;
    for (Column &column : m_columns)
        if (column.Field == logical && column.Visible)
            column.Width = newSize;
}

void TpzGridBase::OnSectionMoved()
{
    if (m_syncing)
        return;
    std::stable_sort(m_columns.begin(), m_columns.end(), [this](const Column &a, const Column &b) {
        return m_header->visualIndex(a.Field) < m_header->visualIndex(b.Field);
    });
}

TGridColumns TpzGridBase::Columns() const
{
    TGridColumns columns;
    for (const Column &column : m_columns)
        columns.append({column.Name, column.Caption, column.Width, column.Visible});
    return columns;
}

void TpzGridBase::SetColumns(const TGridColumns &columns)
{
    QList<Column> result;
    TDataSet *dataSet = DataSet();
    for (const TGridColumn &column : columns) {
        const TField *field = dataSet ? dataSet->FindField(column.FieldName) : nullptr;
        if (!field)
            continue;
        result.append({field->Index(), field->FieldName(),
                       column.Caption.isEmpty() ? field->DisplayLabel() : column.Caption, column.Width,
                       column.Visible});
    }
    m_columns = result;
    SyncHeader();
}

TField *TpzGridBase::ColumnField(int position) const
{
    TDataSet *dataSet = DataSet();
    if (!dataSet || position < 0 || position >= m_columns.size())
        return nullptr;
    const int field = m_columns[position].Field;
    return field < dataSet->FieldCount() ? dataSet->Field(field) : nullptr;
}

int TpzGridBase::ColumnPosition(int modelColumn) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].Field == modelColumn)
            return i;
    return -1;
}

void TpzGridBase::SetCurrentColumn(int position)
{
    if (position < 0 || position >= m_columns.size() || !m_model)
        return;
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (row >= m_model->rowCount())
        return;
    setCurrentIndex(m_model->index(row, m_columns[position].Field));
}

// ---- layout ----

void TpzGridBase::SetLayout(const QString &layout)
{
    RebuildForLayout(layout.isEmpty());
    if (layout.isEmpty())
        return;
    TGridColumns columns = Columns();
    ApplyLayout(columns, layout);
    SetColumns(columns);
}

bool TpzGridBase::LoadLayout(int key)
{
    const int rows = SharedRecordSet->Open(QStringLiteral("select F06 from syscols where F02=:KeyId"),
                                           {DBParam(QStringLiteral("KeyId"), key)});
    TDataSet *found = SharedRecordSet->DataSet();
    const QString layout = rows > 0 && !found->IsEmpty() ? found->Field(0)->AsString() : QString();
    SetLayout(layout);
    return rows > 0;
}

bool TpzGridBase::SaveLayout(int key)
{
    const int rows = SharedRecordSet->Open(QStringLiteral("select 1 from syscols where F02=:Id"),
                                           {DBParam(QStringLiteral("Id"), key)});
    const QString layout = Layout();
    int changed = 0;
    if (rows == 1)
        changed = Database->ExecSql(
            QStringLiteral("update syscols set F06=:Value where F02=:KeyId"),
            {DBParam(QStringLiteral("KeyId"), key), DBParam(QStringLiteral("Value"), layout)});
    else
        changed =
            Database->ExecSql(QStringLiteral("insert into syscols (F02,F06) values (:Id, :S)"),
                              {DBParam(QStringLiteral("S"), layout), DBParam(QStringLiteral("Id"), key)});
    return changed == 1;
}

// ---- exports ----

void TpzGridBase::SetExcelExporter(TGridExporter exporter)
{
    g_excelExporter = std::move(exporter);
}

void TpzGridBase::SetHtmlExporter(TGridExporter exporter)
{
    g_htmlExporter = std::move(exporter);
}

void TpzGridBase::SetExportWizard(TExportWizard wizard)
{
    g_exportWizard = std::move(wizard);
}

void TpzGridBase::ExportToExcel()
{
    if (g_excelExporter)
        g_excelExporter(*this);
}

void TpzGridBase::ExportToHtml()
{
    if (g_htmlExporter)
        g_htmlExporter(*this);
}

void TpzGridBase::UpdateExportCommands()
{
    const bool excel = bool(g_excelExporter);
    const bool html = bool(g_htmlExporter);
    m_actionExport2Excel->setEnabled(excel);
    m_actionExport2Html->setEnabled(html);
    m_actionExport->setEnabled(bool(g_exportWizard));
    if (m_itemExcel)
        m_itemExcel->setEnabled(excel);
    if (m_itemHtml)
        m_itemHtml->setEnabled(html);
}

// ---- commands ----

void TpzGridBase::FillPopupMenu()
{
    TpzPopupMenu *menu = m_popup.get();
    menu->AddItem(QStringLiteral("排序"), false, [this] { SortClick(); });
    menu->AddItem(QStringLiteral("-"), false, nullptr);
    menu->AddItem(QStringLiteral("列选择"), false, [this] { PickColumnsClick(); });
    menu->AddItem(QStringLiteral("保存表格样式"), false, [this] { SaveLayoutClick(); });
    menu->AddItem(QStringLiteral("-"), false, nullptr);
    m_itemExcel = menu->AddItem(QStringLiteral("导出到Excel文档"), false, [this] { SaveToExcelClick(); });
    m_itemHtml = menu->AddItem(QStringLiteral("导出到Html网页文件"), false, [this] { SaveToHtmlClick(); });
    UpdateExportCommands();
}

void TpzGridBase::SortClick()
{
    if (!CheckDataSet())
        return;
    TDataSet *dataSet = DataSet();
    TSortFrm dialog(this);
    dialog.LoadFields(*dataSet, true);
    dialog.SetSortString(dataSet->Sort());
    if (Prompter().ExecDialog(dialog) == QDialog::Accepted)
        dataSet->SetSort(dialog.SortString());
}

void TpzGridBase::PickColumnsClick()
{
    RequireRight(RightColumnSelect);
    RColItems items;
    for (int i = 0; i < m_columns.size(); ++i)
        items.append({i, m_columns[i].Caption, m_columns[i].Visible});
    TxVisibleFrm dialog(items, this);
    if (Prompter().ExecDialog(dialog) != QDialog::Accepted)
        return;
    for (const RColItem &item : items)
        if (item.Position >= 0 && item.Position < m_columns.size())
            m_columns[item.Position].Visible = item.Visible;
    SyncHeader();
}

void TpzGridBase::SaveToExcelClick()
{
    RequireRight(RightDataExport);
    ExportToExcel();
}

void TpzGridBase::SaveToHtmlClick()
{
    RequireRight(RightDataExport);
    ExportToHtml();
}

void TpzGridBase::ExportClick()
{
    RequireRight(RightDataExport);
    TDataSet *dataSet = DataSet();
    if (dataSet && dataSet->Active() && g_exportWizard)
        g_exportWizard(*dataSet, this);
}

bool TpzGridBase::AskBatchValue(TField *&field, QString &value)
{
    TBatchUpdateFrm dialog(this);
    for (int i = 0; i < m_columns.size(); ++i) {
        const TField *columnField = ColumnField(i);
        if (columnField && m_columns[i].Visible && !columnField->Calculated())
            dialog.AddItem(columnField->DisplayLabel(), columnField->FieldName());
    }
    if (dialog.ShowModal() != QDialog::Accepted)
        return false;
    field = DataSet()->FieldByName(dialog.ItemFieldName(dialog.ItemIndex()));
    value = dialog.Value();
    return true;
}

// ---- TpzDBGrid ----

TpzDBGrid::TpzDBGrid(QWidget *owner) : TpzGridBase(owner)
{
    m_header->MarkSource = this;
    m_header->setSectionsClickable(true);
    m_header->setFixedHeight(20);
    m_indicator->setDefaultSectionSize(std::max(16, fontMetrics().height() + 2));
    SetRowSelect(true);
    setSelectionMode(ExtendedSelection);
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([&] { TitleClick(column); }); });
}

void TpzDBGrid::SetLayoutId(int key)
{
    m_layoutId = key;
    LoadLayout(key);
}

void TpzDBGrid::RebuildColumns()
{
    m_marks.clear();
    BuildColumns(true);
}

void TpzDBGrid::RebuildForLayout(bool)
{
    RebuildColumns();
}

bool TpzDBGrid::CheckDataSet()
{
    if (!DataSource()) {
        ShowInfo(QStringLiteral("系统错误: 没有为DBGrid指定DataSource对象,请与作者联系!"));
        return false;
    }
    if (!DataSet()) {
        ShowInfo(QStringLiteral("系统错误: 没有为DBGrid.DataSource指定DataSet对象,请与作者联系!"));
        return false;
    }
    if (!DataSet()->Active()) {
        ShowInfo(QStringLiteral("系统提示: 请先打开数据再操作!"));
        return false;
    }
    return true;
}

void TpzDBGrid::SaveLayoutClick()
{
    RequireRight(RightColumnStyleSave);
    SaveLayout(m_layoutId > 0 ? m_layoutId : Tag());
    ShowInfo(QStringLiteral("列样式保存成功."));
}

QList<TSortMark> TpzDBGrid::SortMarks() const
{
    QList<TSortMark> marks;
    TDataSet *dataSet = DataSet();
    for (const auto &[column, descending] : m_marks)
        if (dataSet && column < dataSet->FieldCount())
            marks.append({dataSet->Field(column)->FieldName(), descending});
    return marks;
}

void TpzDBGrid::TitleClick(int modelColumn)
{
    TDataSet *dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || modelColumn < 0 || modelColumn >= dataSet->FieldCount())
        return;
    if (dataSet->Field(modelColumn)->Calculated())
        return;
    int marked = -1;
    for (int i = 0; i < m_marks.size(); ++i)
        if (m_marks[i].first == modelColumn)
            marked = i;
    if (marked < 0)
        m_marks.append({modelColumn, false});
    else if (!m_marks[marked].second)
        m_marks[marked].second = true;
    else
        m_marks.removeAt(marked);
    m_header->viewport()->update();
    dataSet->SetSort(SortTextFromMarks(SortMarks()));
}

void TpzDBGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    TDataSet *dataSet = DataSet();
    const int position = currentIndex().isValid() ? ColumnPosition(currentIndex().column()) : -1;
    const auto shownAt = [this](int place) {
        return place >= 0 && place < ColumnCount() && Columns()[place].Visible;
    };
    bool handled = true;
    switch (key) {
    case Qt::Key_Left:
        if (position > 0)
            for (int place = position - 1; place >= 0; --place)
                if (shownAt(place)) {
                    SetCurrentColumn(place);
                    break;
                }
        break;
    case Qt::Key_Right:
        for (int place = position + 1; place < ColumnCount(); ++place)
            if (shownAt(place)) {
                SetCurrentColumn(place);
                break;
            }
        break;
    case Qt::Key_Up:
        if (dataSet && dataSet->Active())
            Guard([&] { dataSet->Prior(); });
        break;
    case Qt::Key_Down:
        if (dataSet && dataSet->Active())
            Guard([&] { dataSet->Next(); });
        break;
    default:
        handled = false;
    }
    emit OnKeyDown(key, event->modifiers());
    if (handled)
        event->accept();
    else
        event->ignore();
}

void TpzDBGrid::PopupButtonClick(QWidget *control)
{
    if (!control)
        return;
    PopupMenuPz()->popup(control->mapToGlobal(QPoint(0, control->height())));
}

void TpzDBGrid::FilterClick()
{
    if (!CheckDataSet())
        return;
    TFltrDlgFrm dialog(this);
    dialog.SetDataSet(DataSet());
    dialog.ShowModal();
}

void TpzDBGrid::BatchUpdateClick()
{
    TDataSet *dataSet = DataSet();
    if (!dataSet) {
        ShowInfo(QStringLiteral("没有指定数据集DataSet, 操作被取消."));
        return;
    }
    if (!m_batchProc) {
        ShowInfo(QStringLiteral("没有指定更新过程BatchProc, 操作被取消."));
        return;
    }
    TField *field = nullptr;
    QString value;
    if (!AskBatchValue(field, value))
        return;
    std::set<int> selected;
    for (int row : SelectedRows())
        selected.insert(dataSet->PhysicalRow(row));
    const int bookmark = dataSet->Bookmark();
    dataSet->First();
    dataSet->DisableControls();
    const auto restore = [&] {
        if (dataSet->State() != DataSetState::Browse)
            dataSet->Cancel();
        dataSet->GotoBookmark(bookmark);
        dataSet->EnableControls();
    };
    try {
        while (!dataSet->Eof()) {
            if (selected.count(dataSet->Bookmark())) {
                dataSet->Edit();
                field->SetAsString(value);
                dataSet->Post();
                m_batchProc();
            }
            dataSet->Next();
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// ---- TpzGridcx ----

TpzGridcx::TpzGridcx(QWidget *owner) : TpzGridBase(owner)
{
    Setup();
}

TpzGridcx::TpzGridcx(QWidget *owner, int layoutKey, TDataSet *dataSet, QWidget *parent)
    : TpzGridBase(parent ? parent : owner)
{
    Setup();
    if (parent) {
        if (!parent->layout()) {
            auto *fill = new QVBoxLayout(parent);
            fill->setContentsMargins(0, 0, 0, 0);
        }
        parent->layout()->addWidget(this);
    }
    SetDataSet(dataSet);
    SetTag(layoutKey);
    LoadLayout(layoutKey);
}

void TpzGridcx::Setup()
{
    m_header->setSectionsClickable(false);
    SetIndicatorVisible(false);
    setSelectionMode(SingleSelection);
    SetRowSelect(false);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        emit OnCellClick(Model() ? Model()->FieldAt(index.column()) : nullptr);
    });
    PopupMenuPz()->ClearItems();
    FillPopupMenu();
}

int TpzGridcx::RowCount() const
{
    return Model() ? Model()->rowCount() : 0;
}

int TpzGridcx::SelectedCount() const
{
    return int(SelectedRows().size());
}

void TpzGridcx::RebuildColumns(bool shown)
{
    BuildColumns(shown);
}

void TpzGridcx::RebuildForLayout(bool emptyLayout)
{
    RebuildColumns(emptyLayout);
}

bool TpzGridcx::CheckDataSet()
{
    if (!DataSet()) {
        ShowInfo(QStringLiteral("系统错误: 没有为TpzGridcx.DataSource指定DataSet对象,请与作者联系!"));
        return false;
    }
    if (!DataSet()->Active()) {
        ShowInfo(QStringLiteral("系统提示: 请先打开数据再操作!"));
        return false;
    }
    return true;
}

void TpzGridcx::SaveLayoutClick()
{
    RequireRight(RightColumnStyleSave);
    if (SaveLayout(Tag()))
        ShowInfo(QStringLiteral("列样式保存成功."));
}

void TpzGridcx::BatchUpdateClick()
{
    if (!CheckDataSet())
        return;
    if (!m_batchProc) {
        ShowInfo(QStringLiteral("没有指定BatchUpdate更新过程, 操作被取消."));
        return;
    }
    TField *field = nullptr;
    QString value;
    if (!AskBatchValue(field, value))
        return;
    TDataSet *dataSet = DataSet();
    for (int row : SelectedRows()) {
        dataSet->SetRecNo(row);
        dataSet->Edit();
        try {
            field->SetAsString(value);
        } catch (...) {
            dataSet->Cancel();
            throw;
        }
        dataSet->Post();
        m_batchProc();
    }
}

void TpzGridcx::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    TpzGridBase::currentChanged(current, previous);
    if (current.row() != previous.row() || current.isValid() != previous.isValid())
        emit OnSelectChanged(current.isValid());
    if (current.column() != previous.column())
        emit OnFocusedItemChanged(this);
}

void TpzGridcx::mouseDoubleClickEvent(QMouseEvent *event)
{
    TpzGridBase::mouseDoubleClickEvent(event);
    emit OnDblClick(this);
    const QModelIndex focused = currentIndex();
    emit OnCellDblClick(Model() && focused.isValid() ? Model()->FieldAt(focused.column()) : nullptr);
}

#include "DragRowTable.h"

#include <QHeaderView>
#include <QMouseEvent>

TDragRowTable::TDragRowTable(QWidget *parent) : QTableWidget(parent)
{
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(120);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setToolTip(QStringLiteral("双击可改变当前值"));
}

void TDragRowTable::SetRowCount(int rows)
{
    clearContents();
    setRowCount(rows);
}

void TDragRowTable::SetRow(int row, const QString &caption, const QString &value, const QVariant &data)
{
    auto *captionCell = new QTableWidgetItem(caption);
    // The caption column is fixed: grey and not selectable, as a title column is.
    captionCell->setBackground(palette().button());
    captionCell->setFlags(Qt::ItemIsEnabled);
    captionCell->setData(Qt::UserRole, data);
    setItem(row, 0, captionCell);
    auto *valueCell = new QTableWidgetItem(value);
    valueCell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 1, valueCell);
}

QString TDragRowTable::Caption(int row) const
{
    const QTableWidgetItem *cell = item(row, 0);
    return cell ? cell->text() : QString();
}

QString TDragRowTable::Value(int row) const
{
    const QTableWidgetItem *cell = item(row, 1);
    return cell ? cell->text() : QString();
}

QVariant TDragRowTable::RowData(int row) const
{
    const QTableWidgetItem *cell = item(row, 0);
    return cell ? cell->data(Qt::UserRole) : QVariant();
}

void TDragRowTable::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    m_pressRow = at.isValid() ? at.row() : -1;
    m_pressColumn = at.isValid() ? at.column() : -1;
    QTableWidget::mousePressEvent(event);
}

void TDragRowTable::mouseReleaseEvent(QMouseEvent *event)
{
    QTableWidget::mouseReleaseEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    const int pressRow = m_pressRow;
    const int pressColumn = m_pressColumn;
    m_pressRow = m_pressColumn = -1;
    if (pressRow < 0 || !at.isValid())
        return;
    if (at.row() == pressRow)
        emit RowClicked(pressRow);
    else if (pressColumn == 0)
        emit RowDragged(pressRow, at.row());
}

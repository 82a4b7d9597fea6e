#include "DataSetModel.h"

TDataSetModel::TDataSetModel(TDataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet)
{
    if (dataSet) {
        connect(dataSet, &TDataSet::DataReset, this, &TDataSetModel::Reset);
        connect(dataSet, &TDataSet::RowInserted, this, &TDataSetModel::OnRowInserted);
        connect(dataSet, &TDataSet::RowRemoved, this, &TDataSetModel::OnRowRemoved);
        connect(dataSet, &TDataSet::RowChanged, this, &TDataSetModel::OnRowChanged);
        connect(dataSet, &QObject::destroyed, this, &TDataSetModel::Reset);
    }
    m_rows = dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
    m_columns = dataSet ? dataSet->FieldCount() : 0;
}

TField *TDataSetModel::FieldAt(int column) const
{
    if (!m_dataSet || column < 0 || column >= m_dataSet->FieldCount())
        return nullptr;
    return m_dataSet->Field(column);
}

int TDataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

int TDataSetModel::DataSetRow(int modelRow) const
{
    if (m_changeAt < 0 || modelRow < m_changeAt)
        return modelRow;
    if (m_changeShift > 0)
        return modelRow + 1;
    return modelRow == m_changeAt ? -1 : modelRow - 1;
}

QVariant TDataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns)
        return {};
    const TField *field = FieldAt(index.column());
    if (!field || !m_dataSet->Active())
        return {};
    const int row = DataSetRow(index.row());
    if (row < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataSet->DisplayTextAt(row, index.column());
    case Qt::EditRole:
        return m_dataSet->ValueAt(row, index.column());
    case Qt::TextAlignmentRole:
        if (field->Kind() == FieldKind::Integer || field->Kind() == FieldKind::LargeInt ||
            field->Kind() == FieldKind::Float)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const TField *field = section < m_columns ? FieldAt(section) : nullptr;
        return field ? QVariant(field->DisplayLabel()) : QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void TDataSetModel::Reset()
{
    beginResetModel();
    m_changeAt = -1;
    m_rows = m_dataSet && m_dataSet->Active() ? m_dataSet->RecordCount() : 0;
    m_columns = m_dataSet ? m_dataSet->FieldCount() : 0;
    endResetModel();
}

void TDataSetModel::OnRowInserted(int row)
{
    if (row < 0 || row > m_rows || m_rows + 1 != m_dataSet->RecordCount()) {
        Reset();
        return;
    }
    m_changeAt = row;
    m_changeShift = 1;
    beginInsertRows(QModelIndex(), row, row);
    m_changeAt = -1;
    ++m_rows;
    endInsertRows();
}

void TDataSetModel::OnRowRemoved(int row)
{
    if (row < 0 || row >= m_rows || m_rows - 1 != m_dataSet->RecordCount()) {
        Reset();
        return;
    }
    m_changeAt = row;
    m_changeShift = -1;
    beginRemoveRows(QModelIndex(), row, row);
    m_changeAt = -1;
    --m_rows;
    endRemoveRows();
}

void TDataSetModel::OnRowChanged(int row)
{
    if (row < 0 || row >= m_rows || m_columns == 0)
        return;
    emit dataChanged(index(row, 0), index(row, m_columns - 1));
}

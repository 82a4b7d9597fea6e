#pragma once
// A table model over a TDataSet: one row per visible record, one column per field (hidden
// fields included; grids hide their columns). Values are read from the data set on demand,
// never copied.

#include <QAbstractTableModel>
#include <QPointer>

#include "DataSet.h"

class TDataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The data set is not owned and may be destroyed first; the model then shows nothing.
    explicit TDataSetModel(TDataSet *dataSet, QObject *parent = nullptr);

    TDataSet *DataSet() const { return m_dataSet; }
    TField *FieldAt(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void Reset();
    void OnRowInserted(int row);
    void OnRowRemoved(int row);
    void OnRowChanged(int row);
    int DataSetRow(int modelRow) const;

    QPointer<TDataSet> m_dataSet;
    int m_rows = 0;
    int m_columns = 0;
    // The data set signals a row change after making it, while the model must still answer
    // with the old rows until the change is announced: this maps the old rows onto the new.
    int m_changeAt = -1;
    int m_changeShift = 0;
};

#pragma once
// The sort dialog: one row per sortable field with its direction; row order is priority.

#include "GridLayout.h"

#include <QDialog>

class QPushButton;
class TDataSet;
class TDragRowTable;

class TSortFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TSortFrm(QWidget *parent = nullptr);

    TDragRowTable *FieldGrid; // one row per field: caption and direction
    QPushButton *btnUp1;
    QPushButton *btnDown1;
    QPushButton *btnOk1;
    QPushButton *btnCancel1;

    // One row per data field of a kind that can be sorted (no memo or blob), visible or, with
    // includeHidden, hidden too; in field order.
    void LoadFields(const TDataSet &dataSet, bool includeHidden);
    QString SortString() const { return m_rows.SortString(); }
    void SetSortString(const QString &text);
    QString SortLabels() const { return m_rows.SortLabels(); }
    const TSortRows &Rows() const { return m_rows; }

    // The commands of the dialog's controls.
    void CycleRow(int row);
    void MoveRow(int from, int to);
    void MoveUpClick();
    void MoveDownClick();

private:
    void Show();
    void SelectDirection(int row);
    void UpdateButtons();

    TSortRows m_rows;
};

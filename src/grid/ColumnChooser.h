#pragma once
// The column-choice dialog: one row per grid column with a tick for the shown ones.

#include <QDialog>
#include <QList>
#include <QString>

class QPushButton;
class TDragRowTable;

struct RColItem
{
    int Position = 0; // the column's place in the grid
    QString Caption;
    bool Visible = false;
};
using RColItems = QList<RColItem>;

class TxVisibleFrm : public QDialog
{
    Q_OBJECT
public:
    // The dialog writes the shown flags into `items` when it closes with OK.
    TxVisibleFrm(RColItems &items, QWidget *parent = nullptr);

    static const QString Tick; // the mark of a shown column

    TDragRowTable *ColumnGrid; // one row per column: caption and tick
    QPushButton *btnOk1;
    QPushButton *btnCancel1;

    // A click on a row.
    void ToggleRow(int row);
    // A row dragged to another place; its item goes with it.
    void MoveRow(int from, int to);

private:
    struct Row
    {
        int Item;
        bool Ticked;
    };
    void Show();
    void OkClick();

    RColItems &m_items;
    QList<Row> m_rows;
};

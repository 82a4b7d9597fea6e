#pragma once
// The two-column table of the column-choice and sort dialogs: a grey caption column and a
// value column, no header row. A row is dragged to another place by its caption cell; a
// press and release on the same row is a click on that row.

#include <QTableWidget>

class TDragRowTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit TDragRowTable(QWidget *parent = nullptr);

    // Replaces the rows: caption and value texts, each row carrying `data` in its caption cell.
    void SetRowCount(int rows);
    void SetRow(int row, const QString &caption, const QString &value, const QVariant &data = {});
    QString Caption(int row) const;
    QString Value(int row) const;
    QVariant RowData(int row) const;

signals:
    void RowClicked(int row);
    void RowDragged(int from, int to);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_pressRow = -1;
    int m_pressColumn = -1;
};

#include "ColumnChooser.h"

#include "DragRowTable.h"

#include <QPushButton>
#include <QVBoxLayout>

const QString TxVisibleFrm::Tick = QStringLiteral("√");

TxVisibleFrm::TxVisibleFrm(RColItems &items, QWidget *parent) : QDialog(parent), m_items(items)
{
    setWindowTitle(QStringLiteral("列选择"));
    resize(405, 396);
    Grid1 = new TDragRowTable(this);
    btnOk1 = new QPushButton(QStringLiteral("确定(&Y)"), this);
    btnCancel1 = new QPushButton(QStringLiteral("取消(&Q)"), this);
    btnOk1->setAutoDefault(false);
    btnCancel1->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk1);
    buttons->addWidget(btnCancel1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Grid1, 1);
    layout->addLayout(buttons);

    for (int i = 0; i < m_items.size(); ++i)
        m_rows.append({i, m_items[i].Visible});
    Show();

    connect(Grid1, &TDragRowTable::RowClicked, this, &TxVisibleFrm::ToggleRow);
    connect(Grid1, &TDragRowTable::RowDragged, this, &TxVisibleFrm::MoveRow);
    connect(btnOk1, &QPushButton::clicked, this, &TxVisibleFrm::OkClick);
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TxVisibleFrm::Show()
{
    Grid1->SetRowCount(int(m_rows.size()));
    for (int row = 0; row < m_rows.size(); ++row)
        Grid1->SetRow(row, m_items[m_rows[row].Item].Caption, m_rows[row].Ticked ? Tick : QString(),
                      m_rows[row].Item);
}

void TxVisibleFrm::ToggleRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].Ticked = !m_rows[row].Ticked;
    Show();
}

void TxVisibleFrm::MoveRow(int from, int to)
{
    if (from < 0 || from >= m_rows.size() || to < 0 || to >= m_rows.size())
        return;
    m_rows.move(from, to);
    Show();
    Grid1->setCurrentCell(to, 1);
}

void TxVisibleFrm::OkClick()
{
    for (int row = 0; row < Grid1->rowCount(); ++row)
        m_items[Grid1->RowData(row).toInt()].Visible = Grid1->Value(row) == Tick;
    accept();
}

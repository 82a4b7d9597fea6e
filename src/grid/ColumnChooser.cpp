#include "ColumnChooser.h"

#include "DragRowTable.h"
#include "FormBuilder.h"

#include <QPushButton>
#include <QVBoxLayout>

const QString TxVisibleFrm::Tick = QStringLiteral("√");

TxVisibleFrm::TxVisibleFrm(RColItems &items, QWidget *parent) : QDialog(parent), m_items(items)
{
    setWindowTitle(QStringLiteral("列选择"));
    ColumnGrid = new TDragRowTable(this);
    btnOk1 = Form::Button(QStringLiteral("确定(&Y)"));
    btnCancel1 = Form::Button(QStringLiteral("取消(&Q)"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ColumnGrid, 1);
    layout->addLayout(Form::ButtonRow({}, {btnOk1, btnCancel1}));
    Form::SetInitialSize(this, 405, 396);

    for (int i = 0; i < m_items.size(); ++i)
        m_rows.append({i, m_items[i].Visible});
    Show();

    connect(ColumnGrid, &TDragRowTable::RowClicked, this, &TxVisibleFrm::ToggleRow);
    connect(ColumnGrid, &TDragRowTable::RowDragged, this, &TxVisibleFrm::MoveRow);
    connect(btnOk1, &QPushButton::clicked, this, &TxVisibleFrm::OkClick);
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TxVisibleFrm::Show()
{
    ColumnGrid->SetRowCount(int(m_rows.size()));
    for (int row = 0; row < m_rows.size(); ++row)
        ColumnGrid->SetRow(row, m_items[m_rows[row].Item].Caption, m_rows[row].Ticked ? Tick : QString(),
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
    ColumnGrid->setCurrentCell(to, 1);
}

void TxVisibleFrm::OkClick()
{
    for (int row = 0; row < ColumnGrid->rowCount(); ++row)
        m_items[ColumnGrid->RowData(row).toInt()].Visible = ColumnGrid->Value(row) == Tick;
    accept();
}

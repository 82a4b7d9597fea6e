#include "SortDialog.h"

#include "DataSet.h"
#include "DragRowTable.h"
#include "FormBuilder.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TSortFrm::TSortFrm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("排序"));
    FieldGrid = new TDragRowTable(this);
    btnUp1 = Form::Button(QStringLiteral("上移(&U)"));
    btnDown1 = Form::Button(QStringLiteral("下移(&D)"));
    btnOk1 = Form::Button(QStringLiteral("确定(&Y)"));
    btnCancel1 = Form::Button(QStringLiteral("取消(&Q)"));
    btnUp1->setEnabled(false);
    // Greyed: the hint reads as help, not as something to click.
    auto *hint =
        Form::Caption(QStringLiteral("提示:双击空白处切换排序方式(升/降/无),单击上下移动键调整优先顺序"));
    hint->setEnabled(false);
    hint->setWordWrap(true);

    auto *side = new QVBoxLayout;
    side->addWidget(btnUp1);
    side->addWidget(btnDown1);
    side->addStretch();
    side->addWidget(btnOk1);
    side->addWidget(btnCancel1);
    auto *top = new QHBoxLayout;
    top->addWidget(FieldGrid, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(hint);
    Form::SetInitialSize(this, 405, 395);

    connect(FieldGrid, &QTableWidget::cellDoubleClicked, this, [this] { CycleRow(FieldGrid->currentRow()); });
    connect(FieldGrid, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });
    connect(FieldGrid, &TDragRowTable::RowDragged, this, &TSortFrm::MoveRow);
    connect(btnUp1, &QPushButton::clicked, this, &TSortFrm::MoveUpClick);
    connect(btnDown1, &QPushButton::clicked, this, &TSortFrm::MoveDownClick);
    connect(btnOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TSortFrm::LoadFields(const TDataSet &dataSet, bool includeHidden)
{
    m_rows.Clear();
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField *field = dataSet.Field(i);
        if (field->Calculated() || field->Kind() == FieldKind::Memo || field->Kind() == FieldKind::Blob)
            continue;
        if (field->Visible() || includeHidden)
            m_rows.Add(field->DisplayLabel(), field->FieldName());
    }
    Show();
}

void TSortFrm::SetSortString(const QString &text)
{
    m_rows.SetSortString(text);
    Show();
}

void TSortFrm::Show()
{
    const int current = FieldGrid->currentRow();
    FieldGrid->SetRowCount(m_rows.Count());
    for (int row = 0; row < m_rows.Count(); ++row)
        FieldGrid->SetRow(row, m_rows.At(row).Label, TSortRows::DirectionText(m_rows.At(row).Direction));
    if (current >= 0 && current < m_rows.Count())
        FieldGrid->setCurrentCell(current, 1);
}

void TSortFrm::CycleRow(int row)
{
    m_rows.CycleDirection(row);
    Show();
}

void TSortFrm::SelectDirection(int row)
{
    FieldGrid->setCurrentCell(row, 1);
    UpdateButtons();
}

void TSortFrm::MoveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_rows.Count() || to >= m_rows.Count())
        return;
    m_rows.Move(from, to);
    Show();
    SelectDirection(to);
}

void TSortFrm::MoveUpClick()
{
    const int row = FieldGrid->currentRow();
    if (row > 0)
        MoveRow(row, row - 1);
}

void TSortFrm::MoveDownClick()
{
    const int row = FieldGrid->currentRow();
    if (row >= 0 && row < m_rows.Count() - 1)
        MoveRow(row, row + 1);
}

void TSortFrm::UpdateButtons()
{
    const int row = FieldGrid->currentRow();
    if (row < 0)
        return;
    btnDown1->setEnabled(row < m_rows.Count() - 1);
    btnUp1->setEnabled(row > 0);
}

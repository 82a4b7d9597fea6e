#include "BatchUpdate.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TBatchUpdateFrm::TBatchUpdateFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowTitle(QStringLiteral("修改"));
    SetCentring(Centring::MainWindow);
    setFixedSize(400, 221);

    GroupBox1 = new QGroupBox(QStringLiteral("批量更新"), this);
    GroupBox1->setGeometry(12, 8, 376, 160);
    (new QLabel(QStringLiteral("项目"), GroupBox1))->setGeometry(16, 24, 120, 18);
    cbItems1 = new QComboBox(GroupBox1);
    cbItems1->setEditable(false);
    cbItems1->setGeometry(16, 44, 344, 22);
    (new QLabel(QStringLiteral("值为"), GroupBox1))->setGeometry(16, 80, 120, 18);
    edtValue1 = new QLineEdit(GroupBox1);
    edtValue1->setGeometry(16, 100, 344, 22);
    edtValue1->clear();

    btnOk1 = new QPushButton(QStringLiteral("确定"), this);
    btnOk1->setGeometry(212, 184, 75, 25);
    btnCancel1 = new QPushButton(QStringLiteral("取消"), this);
    btnCancel1->setGeometry(300, 184, 75, 25);
    btnOk1->setAutoDefault(false);
    btnCancel1->setAutoDefault(false);
    connect(btnOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TBatchUpdateFrm::AddItem(const QString &label, const QString &fieldName)
{
    cbItems1->addItem(label, fieldName);
    // A new list starts with nothing chosen, so OK waits for a choice.
    if (cbItems1->count() == 1)
        cbItems1->setCurrentIndex(-1);
}

int TBatchUpdateFrm::ItemCount() const
{
    return cbItems1->count();
}

QString TBatchUpdateFrm::ItemLabel(int index) const
{
    return cbItems1->itemText(index);
}

QString TBatchUpdateFrm::ItemFieldName(int index) const
{
    return cbItems1->itemData(index).toString();
}

int TBatchUpdateFrm::ItemIndex() const
{
    return cbItems1->currentIndex();
}

void TBatchUpdateFrm::SetItemIndex(int index)
{
    cbItems1->setCurrentIndex(index);
}

QString TBatchUpdateFrm::Value() const
{
    return edtValue1->text();
}

void TBatchUpdateFrm::SetValue(const QString &value)
{
    edtValue1->setText(value);
}

bool TBatchUpdateFrm::CanClose(int modalResult)
{
    if (modalResult == QDialog::Accepted && ItemIndex() < 0)
        return false;
    return TaFrm::CanClose(modalResult);
}

#include "BatchUpdate.h"

#include "FormBuilder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TBatchUpdateFrm::TBatchUpdateFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowTitle(QStringLiteral("修改"));
    SetCentring(Centring::MainWindow);

    cbItems1 = new QComboBox;
    cbItems1->setEditable(false);
    edtValue1 = new QLineEdit;
    edtValue1->clear();
    auto *group = new QGroupBox(QStringLiteral("批量更新"));
    auto *fields = new QVBoxLayout(group);
    fields->setContentsMargins(16, 8, 16, 16);
    fields->addWidget(Form::Caption(QStringLiteral("项目"), cbItems1));
    fields->addWidget(cbItems1);
    fields->addSpacing(10);
    fields->addWidget(Form::Caption(QStringLiteral("值为"), edtValue1));
    fields->addWidget(edtValue1);
    fields->addStretch(1);

    btnOk1 = Form::Button(QStringLiteral("确定"));
    btnCancel1 = Form::Button(QStringLiteral("取消"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 12);
    layout->setSpacing(16);
    layout->addWidget(group, 1);
    layout->addLayout(Form::ButtonRow({}, {btnOk1, btnCancel1}));
    Form::SetInitialSize(this, 400, 221);

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

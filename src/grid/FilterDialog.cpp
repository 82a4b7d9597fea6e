#include "FilterDialog.h"

#include "DataSet.h"
#include "FormBuilder.h"
#include "GridLayout.h"
#include "Prompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

TFltrDlgFrm::TFltrDlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowTitle(QStringLiteral("过滤"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Pages = new QStackedWidget(this);
    auto *page1 = new QWidget(Pages);
    auto *page2 = new QWidget(Pages);
    Pages->addWidget(page1);
    Pages->addWidget(page2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Pages);

    FieldList = new QListWidget;
    btnNext1 = Form::Button(QStringLiteral("下一步"));
    btnNext1->setEnabled(false);
    btnCancel1 = Form::Button(QStringLiteral("取消"));
    auto *first = new QVBoxLayout(page1);
    first->setContentsMargins(16, 12, 16, 15);
    first->addWidget(Form::Caption(QStringLiteral("请选择过滤项目"), FieldList));
    first->addWidget(FieldList, 1);
    first->addWidget(Form::Caption(QStringLiteral("双击选择快捷确认")));
    first->addLayout(Form::ButtonRow({}, {btnNext1, btnCancel1}));

    // The second page ends in the same button row as the first, so OK comes where Next was.
    edtKeyword1 = new QLineEdit;
    btnOk1 = Form::Button(QStringLiteral("确定"));
    btnCancel2 = Form::Button(QStringLiteral("取消"));
    auto *second = new QVBoxLayout(page2);
    second->setContentsMargins(16, 12, 16, 15);
    second->addWidget(Form::Caption(QStringLiteral("请输入关键字"), edtKeyword1));
    second->addWidget(edtKeyword1);
    second->addStretch(1);
    second->addLayout(Form::ButtonRow({}, {btnOk1, btnCancel2}));

    Form::SetInitialSize(this, 377, 364);

    // A current row alone (the list takes one when it gets the focus) is not a choice.
    connect(FieldList, &QListWidget::itemSelectionChanged, this,
            [this] { btnNext1->setEnabled(!FieldList->selectedItems().isEmpty()); });
    connect(FieldList, &QListWidget::itemDoubleClicked, this, [this] { Guard([this] { NextClick(); }); });
    connect(btnNext1, &QPushButton::clicked, this, [this] { Guard([this] { NextClick(); }); });
    connect(edtKeyword1, &QLineEdit::returnPressed, btnOk1, &QPushButton::click);
    connect(btnOk1, &QPushButton::clicked, this, [this] { Guard([this] { OkClick(); }); });
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCancel2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFltrDlgFrm::SetDataSet(TDataSet *dataSet)
{
    m_dataSet = dataSet;
    FieldList->clear();
    if (!dataSet)
        return;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        const TField *field = dataSet->Field(i);
        const bool text = field->Kind() == FieldKind::String || field->Kind() == FieldKind::WideString;
        if (!text || field->Calculated() || !field->Visible())
            continue;
        auto *item = new QListWidgetItem(field->DisplayLabel(), FieldList);
        item->setData(Qt::UserRole, field->FieldName());
    }
}

void TFltrDlgFrm::NextClick()
{
    if (FieldList->selectedItems().isEmpty())
        return;
    Pages->setCurrentIndex(1);
    edtKeyword1->setFocus();
}

void TFltrDlgFrm::OkClick()
{
    const QListWidgetItem *item = FieldList->selectedItems().value(0);
    if (!m_dataSet || !item)
        return;
    const QString keyword = edtKeyword1->text();
    m_dataSet->SetFilter(keyword.isEmpty() ? QString()
                                           : KeywordFilterText(item->data(Qt::UserRole).toString(), keyword));
    m_dataSet->SetFiltered(true);
    accept();
}

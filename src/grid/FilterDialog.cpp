#include "FilterDialog.h"

#include "DataSet.h"
#include "GridLayout.h"
#include "Prompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

namespace {
QPushButton *Button(const QString &caption, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}
} // namespace

TFltrDlgFrm::TFltrDlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowTitle(QStringLiteral("过滤"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(377, 364);

    Pages = new QStackedWidget(this);
    Pages->setGeometry(0, 0, 377, 364);
    auto *page1 = new QWidget(Pages);
    auto *page2 = new QWidget(Pages);
    Pages->addWidget(page1);
    Pages->addWidget(page2);

    (new QLabel(QStringLiteral("请选择过滤项目"), page1))->setGeometry(16, 12, 200, 18);
    ListBox1 = new QListWidget(page1);
    ListBox1->setGeometry(16, 34, 345, 260);
    (new QLabel(QStringLiteral("双击选择快捷确认"), page1))->setGeometry(16, 300, 160, 18);
    btnNext1 = Button(QStringLiteral("下一步"), page1, {196, 324, 75, 25});
    btnNext1->setEnabled(false);
    btnCancel1 = Button(QStringLiteral("取消"), page1, {286, 324, 75, 25});

    (new QLabel(QStringLiteral("请输入关键字"), page2))->setGeometry(16, 12, 200, 18);
    edtKeyword1 = new QLineEdit(page2);
    edtKeyword1->setGeometry(16, 34, 345, 22);
    btnOk1 = Button(QStringLiteral("确定"), page2, {196, 324, 75, 25});
    btnCancel2 = Button(QStringLiteral("取消"), page2, {286, 324, 75, 25});

    // A current row alone (the list takes one when it gets the focus) is not a choice.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { btnNext1->setEnabled(!ListBox1->selectedItems().isEmpty()); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { Guard([this] { NextClick(); }); });
    connect(btnNext1, &QPushButton::clicked, this, [this] { Guard([this] { NextClick(); }); });
    connect(edtKeyword1, &QLineEdit::returnPressed, btnOk1, &QPushButton::click);
    connect(btnOk1, &QPushButton::clicked, this, [this] { Guard([this] { OkClick(); }); });
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCancel2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFltrDlgFrm::SetDataSet(TDataSet *dataSet)
{
    m_dataSet = dataSet;
    ListBox1->clear();
    if (!dataSet)
        return;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        const TField *field = dataSet->Field(i);
        const bool text = field->Kind() == FieldKind::String || field->Kind() == FieldKind::WideString;
        if (!text || field->Calculated() || !field->Visible())
            continue;
        auto *item = new QListWidgetItem(field->DisplayLabel(), ListBox1);
        item->setData(Qt::UserRole, field->FieldName());
    }
}

void TFltrDlgFrm::NextClick()
{
    if (ListBox1->selectedItems().isEmpty())
        return;
    Pages->setCurrentIndex(1);
    edtKeyword1->setFocus();
}

void TFltrDlgFrm::OkClick()
{
    const QListWidgetItem *item = ListBox1->selectedItems().value(0);
    if (!m_dataSet || !item)
        return;
    const QString keyword = edtKeyword1->text();
    m_dataSet->SetFilter(keyword.isEmpty() ? QString()
                                           : KeywordFilterText(item->data(Qt::UserRole).toString(), keyword));
    m_dataSet->SetFiltered(true);
    accept();
}

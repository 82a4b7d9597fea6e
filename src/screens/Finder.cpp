#include "Finder.h"

#include "FormBuilder.h"

#include <QDateTime>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QVariant DayOnly(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return value.toDate();
}

} // namespace

RArchiveWhere PackFinderWhere(const TFinderInput &input)
{
    RArchiveWhere where;
    where.Id = QVariant();
    where.CataCode.clear();
    where.Code = input.Code;
    where.Name = input.Name;
    where.Arcdept = input.Arcdept;
    where.Arcman = input.Arcman;
    where.Arcdate1 = DayOnly(input.Arcdate1);
    where.Arcdate2 = DayOnly(input.Arcdate2);
    where.Layplace = input.Layplace;
    where.Security = input.Security;
    where.Filepath = input.Filepath;
    where.Keyword.clear();
    return where;
}

TFinderFrm::TFinderFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowTitle(QStringLiteral("查找"));

    edtCode1 = Form::Named(new Uis::TEdit, QStringLiteral("edtCode1"));
    edtName1 = Form::Named(new Uis::TEdit, QStringLiteral("edtName1"));
    edtArcdept1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtArcdept1"));
    edtArcman1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtArcman1"));
    edtArcdate1 = Form::Named(new Uis::TDateTimePicker, QStringLiteral("edtArcdate1"));
    edtArcdate2 = Form::Named(new Uis::TDateTimePicker, QStringLiteral("edtArcdate2"));
    edtLayplace1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtLayplace1"));
    edtSecurity1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtSecurity1"));
    edtFilepath1 = Form::Named(new Uis::TEdit, QStringLiteral("edtFilepath1"));
    for (Uis::TComboBox *combo : {edtArcdept1, edtArcman1, edtLayplace1, edtSecurity1})
        combo->SetEditable(true);
    edtArcdate1->SetShowCheckbox(true);
    edtArcdate2->SetShowCheckbox(true);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    const auto row = [grid](int line, int column, const QString &caption, QWidget *control) {
        grid->addWidget(Form::Caption(caption, control), line, column * 2);
        grid->addWidget(control, line, column * 2 + 1);
    };
    row(0, 0, QStringLiteral("档案编号"), edtCode1);
    row(1, 0, QStringLiteral("档案名称"), edtName1);
    row(2, 0, QStringLiteral("归档部门"), edtArcdept1);
    row(3, 0, QStringLiteral("归档人"), edtArcman1);
    row(4, 0, QStringLiteral("电子文档"), edtFilepath1);
    row(0, 1, QStringLiteral("归档日期"), edtArcdate1);
    row(1, 1, QStringLiteral("截止日期"), edtArcdate2);
    row(2, 1, QStringLiteral("存放位置"), edtLayplace1);
    row(3, 1, QStringLiteral("保密级别"), edtSecurity1);

    btnOk1 = Form::Button(QStringLiteral("确定"), QStringLiteral("btnOk1"));
    CancelButton = Form::Button(QStringLiteral("取消"), QStringLiteral("Button2"));
    connect(btnOk1, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addStretch(1);
    column->addLayout(Form::ButtonRow({}, {btnOk1, CancelButton}));
    Form::SetInitialSize(this, 520, 230);

    QWidget *order[] = {edtCode1,    edtName1,     edtArcdept1,  edtArcman1, edtFilepath1, edtArcdate1,
                        edtArcdate2, edtLayplace1, edtSecurity1, btnOk1,     CancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    edtCode1->setFocus();
}

std::unique_ptr<TFinderFrm> TFinderFrm::CreateFinder(QWidget *owner, TSearchCallback search)
{
    std::unique_ptr<TFinderFrm> frm(new TFinderFrm(owner));
    frm->m_search = std::move(search);
    frm->ClearConditions();
    return frm;
}

void TFinderFrm::ClearConditions()
{
    for (Uis::TEdit *edit : {edtCode1, edtName1, edtFilepath1})
        edit->Clear();
    for (Uis::TComboBox *combo : {edtArcdept1, edtArcman1, edtLayplace1, edtSecurity1})
        combo->SetText(QString());
    edtArcdate1->Clear();
    edtArcdate2->Clear();
}

TFinderInput TFinderFrm::Input() const
{
    TFinderInput input;
    input.Code = edtCode1->text();
    input.Name = edtName1->text();
    input.Arcdept = edtArcdept1->Text();
    input.Arcman = edtArcman1->Text();
    input.Arcdate1 = edtArcdate1->AsDate();
    input.Arcdate2 = edtArcdate2->AsDate();
    input.Layplace = edtLayplace1->Text();
    input.Security = edtSecurity1->Text();
    input.Filepath = edtFilepath1->text();
    return input;
}

bool TFinderFrm::CanClose(int modalResult)
{
    if (!TaFrm::CanClose(modalResult))
        return false;
    if (modalResult != QDialog::Accepted)
        return true;
    return m_search && m_search(Where());
}

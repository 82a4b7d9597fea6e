#include "LendEdit.h"

#include "FormBuilder.h"
#include "Prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

Uis::TComboBox *FreeCombo(const QString &name)
{
    auto *combo = Form::Named(new Uis::TComboBox, name);
    combo->SetEditable(true);
    // What is typed belongs to this lending, not to the list offered next time.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

Uis::TDateTimePicker *Picker(const QString &name, bool checkbox)
{
    auto *picker = Form::Named(new Uis::TDateTimePicker, name);
    picker->SetShowCheckbox(checkbox);
    return picker;
}

} // namespace

TLendEditFrm::TLendEditFrm(QWidget *owner) : TaFrm(owner)
{
    setObjectName(QStringLiteral("LendEditFrm"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    SetCentring(Centring::Owner);

    edtLendate1 = Picker(QStringLiteral("edtLendate1"), false);
    edtCheckman1 = FreeCombo(QStringLiteral("edtCheckman1"));
    edtArcName1 = Form::Named(new Uis::TEdit, QStringLiteral("edtArcName1"));
    edtArcName1->setReadOnly(true);
    // The archive of a lending is the one it was started from; it is shown, never picked here.
    btnArchive1 = Form::Named(new QPushButton(QStringLiteral("...")), QStringLiteral("btnArchive1"));
    btnArchive1->setEnabled(false);
    edtBordept1 = FreeCombo(QStringLiteral("edtBordept1"));
    edtBorrower1 = FreeCombo(QStringLiteral("edtBorrower1"));
    edtHeadline1 = Picker(QStringLiteral("edtHeadline1"), true);
    edtReturndate1 = Picker(QStringLiteral("edtReturndate1"), true);
    edtNotes1 = Form::Named(new Uis::TEdit, QStringLiteral("edtNotes1"));

    // Enter moves on between the boxes as Tab does; it never saves the form by itself.
    OkButton = Form::Button(QStringLiteral("确定"), QStringLiteral("Button1"));
    CancelButton = Form::Button(QStringLiteral("取消"), QStringLiteral("Button2"));
    connect(OkButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    // Two caption and box pairs a row; the archive and the notes take the whole width.
    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 0, 10, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    const auto pair = [grid](int row, const QString &leftCaption, QWidget *left, const QString &rightCaption,
                             QWidget *right) {
        grid->addWidget(Form::Caption(leftCaption, left), row, 0);
        grid->addWidget(left, row, 1);
        grid->addWidget(Form::Caption(rightCaption, right), row, 2);
        grid->addWidget(right, row, 3);
    };
    pair(0, QStringLiteral("借阅日期"), edtLendate1, QStringLiteral("批准人"), edtCheckman1);
    auto *archive = new QHBoxLayout;
    archive->setSpacing(4);
    archive->addWidget(edtArcName1, 1);
    archive->addWidget(btnArchive1);
    grid->addWidget(Form::Caption(QStringLiteral("档案名称"), edtArcName1), 1, 0);
    grid->addLayout(archive, 1, 1, 1, 3);
    pair(2, QStringLiteral("借阅部门"), edtBordept1, QStringLiteral("借阅人"), edtBorrower1);
    pair(3, QStringLiteral("归还期限"), edtHeadline1, QStringLiteral("归还日期"), edtReturndate1);
    grid->addWidget(Form::Caption(QStringLiteral("备注"), edtNotes1), 4, 0);
    grid->addWidget(edtNotes1, 4, 1, 1, 3);

    QHBoxLayout *buttons = Form::ButtonRow({}, {OkButton, CancelButton});
    buttons->setContentsMargins(0, 0, 10, 0);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 18, 8, 13);
    column->setSpacing(12);
    column->addLayout(grid);
    column->addStretch(1);
    column->addWidget(Form::Bevel());
    column->addLayout(buttons);
    Form::SetInitialSize(this, 430, 262);

    setTabOrder(edtLendate1, edtCheckman1);
    setTabOrder(edtCheckman1, edtArcName1);
    setTabOrder(edtArcName1, edtBordept1);
    setTabOrder(edtBordept1, edtBorrower1);
    setTabOrder(edtBorrower1, edtHeadline1);
    setTabOrder(edtHeadline1, edtReturndate1);
    setTabOrder(edtReturndate1, edtNotes1);
    setTabOrder(edtNotes1, OkButton);
    setTabOrder(OkButton, CancelButton);

    edtBorrower1->FillBorrowers();
}

void TLendEditFrm::LoadLend(const RLend &lend)
{
    setWindowTitle(lend.Id > 0 ? QStringLiteral("修改") : QStringLiteral("添加"));
    m_tag = lend.Id;
    edtArcName1->SetArchive(lend.ArcId, lend.ArcCode, lend.ArcName);
    edtBorrower1->SetText(lend.Borrower);
    edtBordept1->SetText(lend.Bordept);
    edtCheckman1->SetText(lend.Checkman);
    edtLendate1->SetAsDate(lend.Lendate);
    edtHeadline1->SetAsDate(lend.Headline);
    edtReturndate1->SetAsDate(lend.Returndate);
    edtNotes1->setText(lend.Notes);
}

RLend TLendEditFrm::CollectLend() const
{
    RLend lend;
    lend.Id = m_tag;
    lend.ArcId = edtArcName1->HeldId();
    const RArchive archive = edtArcName1->HeldArchive();
    lend.ArcCode = archive.Code;
    lend.ArcName = archive.Name;
    lend.Borrower = edtBorrower1->Text();
    lend.Bordept = edtBordept1->Text();
    lend.Checkman = edtCheckman1->Text();
    lend.Lendate = edtLendate1->AsDate();
    lend.Headline = edtHeadline1->AsDate();
    lend.Returndate = edtReturndate1->AsDate();
    lend.Notes = edtNotes1->text();
    return lend;
}

bool TLendEditFrm::CanClose(int modalResult)
{
    if (!TaFrm::CanClose(modalResult))
        return false;
    if (modalResult != QDialog::Accepted || !m_save)
        return true;
    RLend lend = CollectLend();
    if (m_save(lend))
        return true;
    // Only an update finds no row: the lending was deleted since the list was read.
    ShowInfo(QStringLiteral("借阅记录没有保存: 数据库中已经没有这条记录, 它可能已被删除."));
    return false;
}

bool TLendEditFrm::EditLend(const RLend &lend, TSaveLend save, QWidget *owner)
{
    TLendEditFrm form(owner);
    form.LoadLend(lend);
    form.SetSaveCallback(std::move(save));
    return form.ShowModal() == QDialog::Accepted;
}

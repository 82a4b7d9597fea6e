#include "LendEdit.h"

#include "Prompts.h"

#include <QFrame>
#include <QPushButton>

namespace {

Uis::TLabel *Caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new Uis::TLabel(text, parent);
    label->move(x, y + 3);
    return label;
}

Uis::TComboBox *FreeCombo(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *combo = new Uis::TComboBox(parent);
    combo->setObjectName(name);
    combo->SetEditable(true);
    // What is typed belongs to this lending, not to the list offered next time.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(geometry);
    return combo;
}

Uis::TDateTimePicker *Picker(QWidget *parent, const QString &name, const QRect &geometry, bool checkbox)
{
    auto *picker = new Uis::TDateTimePicker(parent);
    picker->setObjectName(name);
    picker->SetShowCheckbox(checkbox);
    picker->setGeometry(geometry);
    return picker;
}

} // namespace

TLendEditFrm::TLendEditFrm(QWidget *owner) : TaFrm(owner)
{
    setObjectName(QStringLiteral("LendEditFrm"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(430, 262);
    SetCentring(Centring::Owner);

    Label1 = Caption(this, QStringLiteral("借阅日期"), 16, 18);
    edtLendate1 = Picker(this, QStringLiteral("edtLendate1"), QRect(84, 18, 120, 22), false);
    Label8 = Caption(this, QStringLiteral("批准人"), 222, 18);
    edtCheckman1 = FreeCombo(this, QStringLiteral("edtCheckman1"), QRect(282, 18, 130, 22));

    Label2 = Caption(this, QStringLiteral("档案名称"), 16, 50);
    edtArcName1 = new Uis::TEdit(this);
    edtArcName1->setObjectName(QStringLiteral("edtArcName1"));
    edtArcName1->setReadOnly(true);
    edtArcName1->setGeometry(84, 50, 300, 22);
    // The archive of a lending is the one it was started from; it is shown, never picked here.
    btnArchive1 = new QPushButton(QStringLiteral("..."), this);
    btnArchive1->setObjectName(QStringLiteral("btnArchive1"));
    btnArchive1->setGeometry(388, 49, 24, 24);
    btnArchive1->setEnabled(false);

    Label3 = Caption(this, QStringLiteral("借阅部门"), 16, 82);
    edtBordept1 = FreeCombo(this, QStringLiteral("edtBordept1"), QRect(84, 82, 120, 22));
    Label4 = Caption(this, QStringLiteral("借阅人"), 222, 82);
    edtBorrower1 = FreeCombo(this, QStringLiteral("edtBorrower1"), QRect(282, 82, 130, 22));

    Label5 = Caption(this, QStringLiteral("归还期限"), 16, 114);
    edtHeadline1 = Picker(this, QStringLiteral("edtHeadline1"), QRect(84, 114, 120, 22), true);
    Label6 = Caption(this, QStringLiteral("归还日期"), 222, 114);
    edtReturndate1 = Picker(this, QStringLiteral("edtReturndate1"), QRect(282, 114, 130, 22), true);

    Label7 = Caption(this, QStringLiteral("备注"), 16, 146);
    edtNotes1 = new Uis::TEdit(this);
    edtNotes1->setObjectName(QStringLiteral("edtNotes1"));
    edtNotes1->setGeometry(84, 146, 328, 22);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 210, 414, 2);

    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(256, 224, 75, 25);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(337, 224, 75, 25);
    // Enter moves on between the boxes as Tab does; it never saves the form by itself.
    for (QPushButton *button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    setTabOrder(edtLendate1, edtCheckman1);
    setTabOrder(edtCheckman1, edtArcName1);
    setTabOrder(edtArcName1, edtBordept1);
    setTabOrder(edtBordept1, edtBorrower1);
    setTabOrder(edtBorrower1, edtHeadline1);
    setTabOrder(edtHeadline1, edtReturndate1);
    setTabOrder(edtReturndate1, edtNotes1);
    setTabOrder(edtNotes1, Button1);
    setTabOrder(Button1, Button2);

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

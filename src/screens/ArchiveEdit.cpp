#include "ArchiveEdit.h"

#include "CategoryWindow.h"
#include "Exceptions.h"
#include "Prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <cmath>

namespace {

// Digits of a whole number with a comma between every group of three.
QString GroupedDigits(qulonglong value)
{
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

// The number format "0.##": at least one integer digit, up to two decimals, no trailing zeros.
QString UpToTwoDecimals(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// The number format ",#.#": thousands separators, one optional decimal, and no digit at all
// for a zero part.
QString GroupedOneDecimal(double value)
{
    const double rounded = std::round(std::fabs(value) * 10) / 10;
    const auto whole = qulonglong(std::floor(rounded));
    const int tenth = int(std::lround((rounded - double(whole)) * 10));
    QString text = whole > 0 ? GroupedDigits(whole) : QString();
    if (tenth > 0)
        text += QLatin1Char('.') + QString::number(tenth);
    if (value < 0 && !text.isEmpty())
        text.prepend(QLatin1Char('-'));
    return text;
}

Uis::TLabel *Caption(const QString &text, QWidget *parent, int x, int y)
{
    auto *label = new Uis::TLabel(text, parent);
    label->setGeometry(x, y + 3, 70, 20);
    return label;
}

// Hands the mouse events of one control to the form: a read-only edit box has no click signal.
class TMouseWatcher : public QObject
{
public:
    TMouseWatcher(QObject *parent, std::function<void(QEvent::Type, Qt::MouseButton)> onMouse)
        : QObject(parent), m_onMouse(std::move(onMouse))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)
            m_onMouse(type, static_cast<QMouseEvent *>(event)->button());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QEvent::Type, Qt::MouseButton)> m_onMouse;
};

template <class Control> Control *Place(Control *control, const QString &name, const QRect &geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QPushButton *Button(const QString &caption, QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *button = Place(new QPushButton(caption, parent), name, geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

QString FormatFileSize(const QVariant &bytes)
{
    const double n = bytes.isNull() ? 0.0 : bytes.toDouble();
    return UpToTwoDecimals(n / 1024 / 1024) + QStringLiteral(" MB") + QStringLiteral(" (") +
           GroupedOneDecimal(n) + QStringLiteral(" 字节)");
}

TArchiveEditFrm::TArchiveEditFrm(QWidget *owner) : TaFrm(owner)
{
    // The archive form is where the category picker is first needed.
    InstallCataPicker();

    setWindowTitle(QStringLiteral("新建"));
    setFixedSize(452, 470);
    constexpr int left = 16;
    constexpr int box = 92;
    constexpr int right = 250;
    constexpr int rightBox = 320;

    lblCata1 = Caption(QStringLiteral("档案分类"), this, left, 12);
    edtCata1 = Place(new Uis::TEdit(this), QStringLiteral("edtCata1"), QRect(box, 12, 310, 24));
    edtCata1->setReadOnly(true);
    btnCata1 = Button(QStringLiteral("..."), this, QStringLiteral("btnCata1"), QRect(406, 12, 30, 24));

    lblCode1 = Caption(QStringLiteral("档案编号"), this, left, 44);
    edtCode1 = Place(new Uis::TEdit(this), QStringLiteral("edtCode1"), QRect(box, 44, 344, 24));
    lblName1 = Caption(QStringLiteral("档案名称"), this, left, 76);
    edtName1 = Place(new Uis::TEdit(this), QStringLiteral("edtName1"), QRect(box, 76, 344, 24));

    lblArcdate1 = Caption(QStringLiteral("归档日期"), this, left, 108);
    edtArcdate1 =
        Place(new Uis::TDateTimePicker(this), QStringLiteral("edtArcdate1"), QRect(box, 108, 140, 24));
    edtArcdate1->SetShowCheckbox(true);
    lblCopys1 = Caption(QStringLiteral("档案份数"), this, right, 108);
    edtCopys1 = Place(new Uis::TEdit(this), QStringLiteral("edtCopys1"), QRect(rightBox, 108, 116, 24));
    edtCopys1->SetEditType(etInteger);

    lblLends1 = Caption(QStringLiteral("借出"), this, left, 140);
    edtLends1 = Place(new Uis::TEdit(this), QStringLiteral("edtLends1"), QRect(box, 140, 140, 24));
    edtLends1->setReadOnly(true);
    lblSecurity1 = Caption(QStringLiteral("保密级别"), this, right, 140);
    edtSecurity1 =
        Place(new Uis::TComboBox(this), QStringLiteral("edtSecurity1"), QRect(rightBox, 140, 116, 24));
    edtSecurity1->SetEditable(true);

    lblLayplace1 = Caption(QStringLiteral("存放地点"), this, left, 172);
    edtLayplace1 = Place(new Uis::TComboBox(this), QStringLiteral("edtLayplace1"), QRect(box, 172, 344, 24));
    edtLayplace1->SetEditable(true);

    lblFilename1 = Caption(QStringLiteral("电子文档"), this, left, 204);
    edtFilename1 = Place(new Uis::TEdit(this), QStringLiteral("edtFilename1"), QRect(box, 204, 276, 24));
    edtFilename1->setReadOnly(true);
    QFont link = edtFilename1->font();
    link.setUnderline(true);
    edtFilename1->setFont(link);
    QPalette blue = edtFilename1->palette();
    blue.setColor(QPalette::Text, Qt::blue);
    edtFilename1->setPalette(blue);
    edtFilename1->setCursor(Qt::PointingHandCursor);
    edtFilename1->setToolTip(QStringLiteral("双击可以打开文档..."));
    edtFilename1->installEventFilter(
        new TMouseWatcher(edtFilename1, [this](QEvent::Type type, Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                FilenameMouse(type == QEvent::MouseButtonDblClick);
        }));
    Button3 = Button(QStringLiteral("..."), this, QStringLiteral("Button3"), QRect(372, 204, 30, 24));
    Button4 = Button(QStringLiteral(">>"), this, QStringLiteral("Button4"), QRect(406, 204, 30, 24));

    lblFileSize1 = Caption(QStringLiteral("文件大小:"), this, left, 234);
    txtFileSize1 = Place(new Uis::TLabel(this), QStringLiteral("txtFileSize1"), QRect(box, 237, 344, 20));
    txtFileByte1 = Place(new Uis::TLabel(this), QStringLiteral("txtFileByte1"), QRect(box, 237, 100, 20));
    txtFileByte1->hide();
    txtFilepath1 = Place(new Uis::TLabel(this), QStringLiteral("txtFilepath1"), QRect(box, 237, 100, 20));
    txtFilepath1->hide();

    lblArcdept1 = Caption(QStringLiteral("归档部门"), this, left, 264);
    edtArcdept1 = Place(new Uis::TComboBox(this), QStringLiteral("edtArcdept1"), QRect(box, 264, 140, 24));
    edtArcdept1->SetEditable(true);
    lblArcman1 = Caption(QStringLiteral("归档人"), this, right, 264);
    edtArcman1 = Place(new Uis::TComboBox(this), QStringLiteral("edtArcman1"), QRect(rightBox, 264, 116, 24));
    edtArcman1->SetEditable(true);

    lblNotes1 = Caption(QStringLiteral("备注"), this, left, 296);
    edtNotes1 = Place(new Uis::TMemo(this), QStringLiteral("edtNotes1"), QRect(box, 296, 344, 112));
    edtNotes1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtNotes1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtNotes1->setLineWrapMode(QPlainTextEdit::NoWrap);

    btnLend1 = Button(QStringLiteral("借阅"), this, QStringLiteral("btnLend1"), QRect(left, 426, 75, 25));
    Button1 = Button(QStringLiteral("确定"), this, QStringLiteral("Button1"), QRect(280, 426, 75, 25));
    Button2 = Button(QStringLiteral("取消"), this, QStringLiteral("Button2"), QRect(361, 426, 75, 25));

    for (auto [label, control] :
         std::initializer_list<std::pair<QLabel *, QWidget *>>{{lblCata1, edtCata1},
                                                               {lblCode1, edtCode1},
                                                               {lblName1, edtName1},
                                                               {lblArcdate1, edtArcdate1},
                                                               {lblCopys1, edtCopys1},
                                                               {lblLends1, edtLends1},
                                                               {lblSecurity1, edtSecurity1},
                                                               {lblLayplace1, edtLayplace1},
                                                               {lblFilename1, edtFilename1},
                                                               {lblArcdept1, edtArcdept1},
                                                               {lblArcman1, edtArcman1},
                                                               {lblNotes1, edtNotes1}})
        label->setBuddy(control);

    // Typing starts at the code; the read-only boxes are passed over.
    QWidget *order[] = {edtCode1,     edtName1, edtArcdate1, edtCopys1,   edtSecurity1,
                        edtLayplace1, Button3,  Button4,     edtArcdept1, edtArcman1,
                        edtNotes1,    btnLend1, Button1,     Button2,     btnCata1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    edtCata1->setFocusPolicy(Qt::ClickFocus);
    edtLends1->setFocusPolicy(Qt::ClickFocus);
    edtCode1->setFocus();

    connect(btnCata1, &QPushButton::clicked, this, Guarded([this](bool) { btnCata1Click(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded([this](bool) { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded([this](bool) { Button4Click(); }));
    connect(btnLend1, &QPushButton::clicked, this, Guarded([this](bool) { btnLend1Click(); }));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    edtSecurity1->FillSecuritys();
    edtLayplace1->FillLayplaces();
}

bool TArchiveEditFrm::EditArchive(const RArchive &archive, TLendCallback lend, TSaveCallback save,
                                  QWidget *owner)
{
    TArchiveEditFrm form(owner);
    form.SetCallbacks(std::move(lend), std::move(save));
    form.LoadRecord(archive);
    return form.ShowModal() == QDialog::Accepted;
}

void TArchiveEditFrm::SetCallbacks(TLendCallback lend, TSaveCallback save)
{
    m_lend = std::move(lend);
    m_save = std::move(save);
}

void TArchiveEditFrm::LoadRecord(const RArchive &archive)
{
    m_archive = archive;
    setWindowTitle(archive.Id > 0 ? QStringLiteral("修改") : QStringLiteral("新建"));
    m_tag = archive.Id;

    edtCata1->SetCata(archive.CataId, archive.CataName);
    edtCode1->setText(archive.Code);
    edtName1->setText(archive.Name);
    edtArcdept1->SetText(archive.Arcdept);
    edtArcman1->SetText(archive.Arcman);
    edtArcdate1->SetAsDate(archive.Arcdate);
    edtSecurity1->SetText(archive.Security);
    edtCopys1->SetAsInteger(archive.Copys);
    edtLends1->SetAsInteger(archive.Lends);
    edtLayplace1->SetText(archive.Layplace);

    edtFilename1->setText(ArchiveFilename(archive.Filepath));
    txtFilepath1->setText(archive.Filepath);
    txtFileByte1->SetNumber(archive.Filebyte);
    txtFileSize1->setText(FormatFileSize(archive.Filebyte));

    edtNotes1->SetText(archive.Notes);
    btnLend1->setVisible(archive.Id > 0);
}

RArchive TArchiveEditFrm::CollectRecord() const
{
    RArchive archive;
    archive.Id = m_tag;
    archive.CataId = edtCata1->HeldId();
    archive.CataName = edtCata1->text();
    archive.Code = edtCode1->text();
    archive.Name = edtName1->text();
    archive.Arcdept = edtArcdept1->Text();
    archive.Arcman = edtArcman1->Text();
    archive.Arcdate = edtArcdate1->AsDate();
    archive.Security = edtSecurity1->Text();
    archive.Copys = edtCopys1->AsInteger();
    archive.Lends = edtLends1->AsInteger();
    archive.Layplace = edtLayplace1->Text();
    archive.Filepath = txtFilepath1->text();
    // Sizes are whole bytes; kept as an integer so that every engine takes the value.
    const QVariant size = TextAsNumber(txtFileByte1);
    archive.Filebyte = size.isNull() ? QVariant() : QVariant(qlonglong(std::llround(size.toDouble())));
    archive.Notes = edtNotes1->Text();
    return archive;
}

bool TArchiveEditFrm::CanClose(int modalResult)
{
    if (!TaFrm::CanClose(modalResult))
        return false;
    if (modalResult != QDialog::Accepted)
        return true;
    RArchive archive = CollectRecord();
    return m_save && m_save(archive);
}

void TArchiveEditFrm::btnCata1Click()
{
    edtCata1->PickCata();
}

void TArchiveEditFrm::Button3Click()
{
    const QString path = Prompter().OpenFileName(QStringLiteral("打开"), QString());
    if (path.isEmpty())
        return;
    edtFilename1->setText(QFileInfo(path).fileName());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    const qint64 size = file.size();
    file.close();
    txtFileByte1->SetNumber(size);
    txtFileSize1->setText(FormatFileSize(size));
    txtFilepath1->setText(path);
}

void TArchiveEditFrm::Button4Click()
{
    const QString path = txtFilepath1->text();
    // Without a document the file manager still opens, on the home folder, as Explorer opens
    // its default folder when given no path.
    const QString folder = path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
    Prompter().OpenUrl(QUrl::fromLocalFile(folder));
}

void TArchiveEditFrm::edtFilename1Click()
{
    const QString path = txtFilepath1->text();
    if (path.trimmed().isEmpty())
        return;
    if (QFileInfo(path).isFile()) {
        Prompter().OpenUrl(QUrl::fromLocalFile(path));
        return;
    }
    Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                          QStringLiteral("\r\n%1 不存在!").arg(path), {QStringLiteral("确定")});
}

void TArchiveEditFrm::btnLend1Click()
{
    if (m_lend)
        m_lend(m_archive);
}

void TArchiveEditFrm::FilenameMouse(bool doubleClick)
{
    // The first click of a double click has opened the document already; the release that
    // ends the double click opens nothing more.
    if (doubleClick) {
        m_afterDoubleClick = true;
        return;
    }
    if (!m_afterDoubleClick)
        Guard([this] { edtFilename1Click(); });
    m_afterDoubleClick = false;
}

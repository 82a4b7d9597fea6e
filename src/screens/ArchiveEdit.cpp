#include "ArchiveEdit.h"

#include "CategoryWindow.h"
#include "Exceptions.h"
#include "FormBuilder.h"
#include "Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

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

    edtCata1 = Form::Named(new Uis::TEdit, QStringLiteral("edtCata1"));
    edtCata1->setReadOnly(true);
    btnCata1 = Form::Button(QStringLiteral("..."), QStringLiteral("btnCata1"));
    edtCode1 = Form::Named(new Uis::TEdit, QStringLiteral("edtCode1"));
    edtName1 = Form::Named(new Uis::TEdit, QStringLiteral("edtName1"));
    edtArcdate1 = Form::Named(new Uis::TDateTimePicker, QStringLiteral("edtArcdate1"));
    edtArcdate1->SetShowCheckbox(true);
    edtCopys1 = Form::Named(new Uis::TEdit, QStringLiteral("edtCopys1"));
    edtCopys1->SetEditType(etInteger);
    edtLends1 = Form::Named(new Uis::TEdit, QStringLiteral("edtLends1"));
    edtLends1->setReadOnly(true);
    edtSecurity1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtSecurity1"));
    edtSecurity1->SetEditable(true);
    edtLayplace1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtLayplace1"));
    edtLayplace1->SetEditable(true);

    edtFilename1 = Form::Named(new Uis::TEdit, QStringLiteral("edtFilename1"));
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
    PickFileButton = Form::Button(QStringLiteral("..."), QStringLiteral("Button3"));
    OpenFolderButton = Form::Button(QStringLiteral(">>"), QStringLiteral("Button4"));

    txtFileSize1 = Form::Named(new Uis::TLabel, QStringLiteral("txtFileSize1"));
    // The byte count and the full path are held for the record, never shown.
    txtFileByte1 = Form::Named(new Uis::TLabel(this), QStringLiteral("txtFileByte1"));
    txtFileByte1->hide();
    txtFilepath1 = Form::Named(new Uis::TLabel(this), QStringLiteral("txtFilepath1"));
    txtFilepath1->hide();

    edtArcdept1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtArcdept1"));
    edtArcdept1->SetEditable(true);
    edtArcman1 = Form::Named(new Uis::TComboBox, QStringLiteral("edtArcman1"));
    edtArcman1->SetEditable(true);

    edtNotes1 = Form::Named(new Uis::TMemo, QStringLiteral("edtNotes1"));
    edtNotes1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtNotes1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtNotes1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The notes take the height the other rows leave rather than their own preference, so the
    // form opens at its designed size; they never get lower than their scroll bars need.
    edtNotes1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    edtNotes1->setMinimumHeight(edtNotes1->minimumSizeHint().height());

    btnLend1 = Form::Button(QStringLiteral("借阅"), QStringLiteral("btnLend1"));
    OkButton = Form::Button(QStringLiteral("确定"), QStringLiteral("Button1"));
    CancelButton = Form::Button(QStringLiteral("取消"), QStringLiteral("Button2"));

    // Four columns: caption and box on the left, caption and box on the right; a row with one
    // box spans both boxes' columns, a box with buttons behind it shares the span with them.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    int row = 0;
    // A box across both columns, with its small buttons (if any) behind it.
    const auto wide = [grid, &row](QLabel *caption, QWidget *box,
                                   std::initializer_list<QWidget *> trail = {}) {
        grid->addWidget(caption, row, 0);
        auto *line = new QHBoxLayout;
        line->setSpacing(4);
        line->addWidget(box, 1);
        for (QWidget *button : trail)
            line->addWidget(button);
        grid->addLayout(line, row, 1, 1, 3);
        ++row;
    };
    const auto pair = [grid, &row](const QString &leftCaption, QWidget *left, const QString &rightCaption,
                                   QWidget *right) {
        grid->addWidget(Form::Caption(leftCaption, left), row, 0);
        grid->addWidget(left, row, 1);
        grid->addWidget(Form::Caption(rightCaption, right), row, 2);
        grid->addWidget(right, row, 3);
        ++row;
    };
    wide(Form::Caption(QStringLiteral("档案分类"), edtCata1), edtCata1, {btnCata1});
    wide(Form::Caption(QStringLiteral("档案编号"), edtCode1), edtCode1);
    wide(Form::Caption(QStringLiteral("档案名称"), edtName1), edtName1);
    pair(QStringLiteral("归档日期"), edtArcdate1, QStringLiteral("档案份数"), edtCopys1);
    pair(QStringLiteral("借出"), edtLends1, QStringLiteral("保密级别"), edtSecurity1);
    wide(Form::Caption(QStringLiteral("存放地点"), edtLayplace1), edtLayplace1);
    wide(Form::Caption(QStringLiteral("电子文档"), edtFilename1), edtFilename1,
         {PickFileButton, OpenFolderButton});
    wide(Form::Caption(QStringLiteral("文件大小:")), txtFileSize1);
    pair(QStringLiteral("归档部门"), edtArcdept1, QStringLiteral("归档人"), edtArcman1);
    grid->addWidget(Form::Caption(QStringLiteral("备注"), edtNotes1), row, 0, Qt::AlignTop);
    grid->addWidget(edtNotes1, row, 1, 1, 3);
    grid->setRowStretch(row, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 12, 16, 16);
    column->setSpacing(16);
    column->addLayout(grid, 1);
    column->addLayout(Form::ButtonRow({btnLend1}, {OkButton, CancelButton}));
    Form::SetInitialSize(this, 452, 470);

    // Typing starts at the code; the read-only boxes are passed over.
    QWidget *order[] = {edtCode1,     edtName1,       edtArcdate1,      edtCopys1,    edtSecurity1,
                        edtLayplace1, PickFileButton, OpenFolderButton, edtArcdept1,  edtArcman1,
                        edtNotes1,    btnLend1,       OkButton,         CancelButton, btnCata1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    edtCata1->setFocusPolicy(Qt::ClickFocus);
    edtLends1->setFocusPolicy(Qt::ClickFocus);
    edtCode1->setFocus();

    connect(btnCata1, &QPushButton::clicked, this, Guarded([this](bool) { btnCata1Click(); }));
    connect(PickFileButton, &QPushButton::clicked, this, Guarded([this](bool) { PickFileButtonClick(); }));
    connect(OpenFolderButton, &QPushButton::clicked, this,
            Guarded([this](bool) { OpenFolderButtonClick(); }));
    connect(btnLend1, &QPushButton::clicked, this, Guarded([this](bool) { btnLend1Click(); }));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

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

void TArchiveEditFrm::PickFileButtonClick()
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

void TArchiveEditFrm::OpenFolderButtonClick()
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

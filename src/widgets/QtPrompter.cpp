#include "QtPrompter.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>

#include <cmath>
#include <memory>

QString QtFileFilter(const QString &windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    if (out.isEmpty() && !windowsFilter.isEmpty())
        out << windowsFilter;
    return out.join(QStringLiteral(";;"));
}

QString FileDialogFolder(const QString &initial)
{
    if (!initial.isEmpty()) {
        const QFileInfo given(initial);
        // A relative path would be read against the working directory, which means nothing
        // to the operator.
        if (given.isAbsolute()) {
            const QFileInfo folder(given.isDir() ? given.absoluteFilePath() : given.absolutePath());
            if (folder.isDir())
                return QDir::cleanPath(folder.absoluteFilePath());
        }
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return QDir::cleanPath(documents);
    return QDir::homePath();
}

namespace {
// What a file dialog is handed: its folder, followed by the file name the initial path
// proposes, if any.
QString FileDialogStart(const QString &initial)
{
    const QString folder = FileDialogFolder(initial);
    const QFileInfo given(initial);
    if (initial.isEmpty() || given.isDir() || given.fileName().isEmpty())
        return folder;
    return QDir(folder).filePath(given.fileName());
}
} // namespace

// ---- message box ----

namespace {
QIcon MessageIcon(MsgIcon icon, const QStyle *style)
{
    switch (icon) {
    case MsgIcon::Information:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MsgIcon::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MsgIcon::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MsgIcon::Question:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MsgIcon::None:
        break;
    }
    return {};
}
} // namespace

TMessageBox::TMessageBox(MsgIcon icon, const QString &caption, const QString &text,
                         const QStringList &buttons, int defaultButton, QWidget *parent)
    : QDialog(parent), m_text(new QTextEdit(this))
{
    setWindowTitle(caption);
    setObjectName(QStringLiteral("MessageBox"));

    auto *iconLabel = new QLabel(this);
    const QIcon picture = MessageIcon(icon, style());
    if (!picture.isNull()) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        iconLabel->setPixmap(picture.pixmap(size, size));
    }
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    iconLabel->setVisible(!picture.isNull());

    // The text reads as a caption of the box, not as an edit box: no frame, the window's
    // colour, no focus of its own (Enter presses the default button), yet it may be selected.
    m_text->setObjectName(QStringLiteral("MessageText"));
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    m_text->setPalette(colours);
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_text->setPlainText(plain);
    m_text->document()->setDocumentMargin(0);

    auto *row = new QDialogButtonBox(this);
    for (int i = 0; i < buttons.size(); ++i) {
        // The last button of several is the one that cancels; Escape presses it.
        const auto role = buttons.size() > 1 && i == buttons.size() - 1 ? QDialogButtonBox::RejectRole
                                                                        : QDialogButtonBox::AcceptRole;
        m_buttons << row->addButton(buttons[i], role);
    }
    connect(row, &QDialogButtonBox::clicked, this, [this](QAbstractButton *button) {
        m_answer = int(m_buttons.indexOf(qobject_cast<QPushButton *>(button)));
        done(QDialog::Accepted);
    });
    if (defaultButton >= 0 && defaultButton < m_buttons.size()) {
        m_buttons[defaultButton]->setDefault(true);
        m_buttons[defaultButton]->setFocus();
    }

    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(iconLabel, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);
    auto *column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addLayout(top);
    column->addSpacing(8);
    column->addWidget(row);
    FitText();
}

void TMessageBox::reject()
{
    m_answer = int(m_buttons.size()) - 1;
    QDialog::reject();
}

void TMessageBox::FitText()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // Measured on a copy: the view lays out its own document to its present width.
    const std::unique_ptr<QTextDocument> measure(m_text->document()->clone());
    measure->setDefaultFont(m_text->font());
    QTextOption unwrapped = measure->defaultTextOption();
    unwrapped.setWrapMode(QTextOption::NoWrap);
    measure->setDefaultTextOption(unwrapped);
    measure->setTextWidth(-1);
    const int natural = int(std::ceil(measure->size().width())) + 1;
    // Up to half the screen and 500 pixels wide; a wider text wraps.
    const int widest = std::max(200, std::min(room.width() / 2, 500));
    const int width = std::min(natural, widest);
    measure->setDefaultTextOption(m_text->document()->defaultTextOption());
    measure->setTextWidth(width);
    const int height = int(std::ceil(measure->size().height()));
    // Up to half the screen high, which leaves room for the caption bar and the buttons; a
    // higher text scrolls.
    const int highest = std::max(4 * fontMetrics().lineSpacing(), room.height() / 2);
    const int scrollBar =
        height > highest ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_text) : 0;
    m_text->setVerticalScrollBarPolicy(scrollBar > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int frame = 2 * m_text->frameWidth();
    m_text->setFixedSize(width + scrollBar + frame, std::min(height, highest) + frame);
}

// ---- Qt prompter ----

int QtPrompter::MessageBox(MsgIcon icon, const QString &caption, const QString &text,
                           const QStringList &buttons, int defaultButton)
{
    TMessageBox box(icon, caption, text, buttons, defaultButton, QApplication::activeWindow());
    box.exec();
    return box.Answer();
}

bool QtPrompter::InputBox(const QString &caption, const QString &prompt, QString &value, bool password)
{
    bool ok = false;
    const QString typed =
        QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                              password ? QLineEdit::Password : QLineEdit::Normal, value, &ok);
    if (ok)
        value = typed;
    return ok;
}

QString QtPrompter::OpenFileName(const QString &caption, const QString &filter, const QString &initial)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, FileDialogStart(initial),
                                        QtFileFilter(filter));
}

QString QtPrompter::SaveFileName(const QString &caption, const QString &filter, const QString &defaultExt,
                                 const QString &initial)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, FileDialogStart(initial), QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtPrompter::DirectoryName(const QString &caption, const QString &initial)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption,
                                             FileDialogFolder(initial));
}

bool QtPrompter::OpenUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool QtPrompter::StartProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

int QtPrompter::ExecDialog(QDialog &dialog)
{
    return dialog.exec();
}

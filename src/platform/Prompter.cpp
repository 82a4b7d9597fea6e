#include "Prompter.h"

#include "Exceptions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

namespace {
IPrompter *g_prompter = nullptr;

IPrompter &QtOne()
{
    static QtPrompter one;
    return one;
}
} // namespace

IPrompter &Prompter()
{
    return g_prompter ? *g_prompter : QtOne();
}

void SetPrompter(IPrompter *prompter)
{
    g_prompter = prompter;
}

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

// ---- Qt prompter ----

int QtPrompter::MessageBox(MsgIcon icon, const QString &caption, const QString &text,
                           const QStringList &buttons, int defaultButton)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::None:
        break;
    }
    QList<QPushButton *> pushButtons;
    for (int i = 0; i < buttons.size(); ++i) {
        // The last button of a multi-button box is the one Escape presses (cancel, no).
        const auto role = (buttons.size() > 1 && i == buttons.size() - 1) ? QMessageBox::RejectRole
                                                                          : QMessageBox::AcceptRole;
        pushButtons << box.addButton(buttons[i], role);
    }
    if (defaultButton >= 0 && defaultButton < pushButtons.size())
        box.setDefaultButton(pushButtons[defaultButton]);
    if (pushButtons.size() == 1)
        box.setEscapeButton(pushButtons.first());
    box.exec();
    if (!box.clickedButton())
        return -1;
    return int(pushButtons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
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
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, initial, QtFileFilter(filter));
}

QString QtPrompter::SaveFileName(const QString &caption, const QString &filter, const QString &defaultExt,
                                 const QString &initial)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, initial, QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtPrompter::DirectoryName(const QString &caption, const QString &initial)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, initial);
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

// ---- scripted prompter ----

ScriptedPrompter::ScriptedPrompter()
{
    SetPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    if (&Prompter() == this)
        SetPrompter(nullptr);
}

std::optional<QVariant> ScriptedPrompter::TakeAnswer()
{
    if (m_answers.empty())
        return std::nullopt;
    QVariant answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QStringList ScriptedPrompter::Texts() const
{
    QStringList texts;
    for (const Shown &shown : m_history)
        if (shown.kind == QLatin1String("message"))
            texts << shown.text;
    return texts;
}

QString ScriptedPrompter::LastText() const
{
    const QStringList texts = Texts();
    return texts.isEmpty() ? QString() : texts.last();
}

int ScriptedPrompter::MessageBox(MsgIcon icon, const QString &caption, const QString &text,
                                 const QStringList &buttons, int defaultButton)
{
    Shown shown{QStringLiteral("message"), icon, caption, text, buttons};
    m_history << shown;
    if (OnShow)
        OnShow(shown);
    const std::optional<QVariant> answer = TakeAnswer();
    if (!answer)
        return defaultButton;
    if (answer->isNull())
        return -1;
    if (answer->typeId() == QMetaType::QString)
        return int(buttons.indexOf(answer->toString()));
    return answer->toInt();
}

bool ScriptedPrompter::InputBox(const QString &caption, const QString &prompt, QString &value, bool)
{
    m_history << Shown{QStringLiteral("input"), MsgIcon::None, caption, prompt, {value}};
    const std::optional<QVariant> answer = TakeAnswer();
    if (!answer || answer->isNull())
        return false;
    value = answer->toString();
    return true;
}

QString ScriptedPrompter::FileAnswer(const QString &kind, const QString &caption, const QString &text)
{
    m_history << Shown{kind, MsgIcon::None, caption, text, {}};
    const std::optional<QVariant> answer = TakeAnswer();
    if (!answer || answer->isNull())
        return {};
    return answer->toString();
}

QString ScriptedPrompter::OpenFileName(const QString &caption, const QString &filter, const QString &)
{
    return FileAnswer(QStringLiteral("open"), caption, filter);
}

QString ScriptedPrompter::SaveFileName(const QString &caption, const QString &filter, const QString &,
                                       const QString &)
{
    return FileAnswer(QStringLiteral("save"), caption, filter);
}

QString ScriptedPrompter::DirectoryName(const QString &caption, const QString &)
{
    return FileAnswer(QStringLiteral("dir"), caption, {});
}

bool ScriptedPrompter::OpenUrl(const QUrl &url)
{
    m_history << Shown{QStringLiteral("url"), MsgIcon::None, {}, url.toString(), {}};
    return true;
}

bool ScriptedPrompter::StartProgram(const QString &program, const QStringList &arguments)
{
    m_history << Shown{QStringLiteral("program"), MsgIcon::None, {}, program, arguments};
    return true;
}

int ScriptedPrompter::ExecDialog(QDialog &dialog)
{
    m_dialogs << QString::fromLatin1(dialog.metaObject()->className());
    if (m_dialogHandlers.empty())
        return QDialog::Rejected;
    auto handler = std::move(m_dialogHandlers.front());
    m_dialogHandlers.pop_front();
    // Shown without a modal loop, so that the handler drives it like a user would.
    dialog.show();
    QCoreApplication::processEvents();
    const int result = handler(dialog);
    dialog.hide();
    return result;
}

// ---- top-level handler ----

void ShowErrorBox(const QString &message)
{
    QString caption = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        if (!app->applicationDisplayName().isEmpty())
            caption = app->applicationDisplayName();
    Prompter().MessageBox(MsgIcon::Error, caption, message, {QStringLiteral("确定")});
}

bool Guard(const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        ShowErrorBox(e.Message());
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

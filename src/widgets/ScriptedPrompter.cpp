#include "ScriptedPrompter.h"

#include <QCoreApplication>
#include <QDialog>

// ---- scripted prompter ----

ScriptedPrompter::ScriptedPrompter() : m_replaced(SetPrompter(this)) {}

ScriptedPrompter::~ScriptedPrompter()
{
    if (&Prompter() == this)
        SetPrompter(m_replaced);
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

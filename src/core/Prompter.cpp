#include "Prompter.h"

#include "Exceptions.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
IPrompter *g_prompter = nullptr;
IPrompter *g_default = nullptr;
QString g_programCaption;

// Without windows (a command-line run, a logic test) a box can only be reported.
class StreamPrompter : public IPrompter
{
public:
    int MessageBox(MsgIcon, const QString &caption, const QString &text, const QStringList &,
                   int defaultButton) override
    {
        Report(caption, text);
        return defaultButton;
    }
    bool InputBox(const QString &caption, const QString &prompt, QString &, bool) override
    {
        Report(caption, prompt);
        return false;
    }
    QString OpenFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString SaveFileName(const QString &, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString DirectoryName(const QString &, const QString &) override { return {}; }
    bool OpenUrl(const QUrl &) override { return false; }
    bool StartProgram(const QString &, const QStringList &) override { return false; }
    int ExecDialog(QDialog &) override { return 0; }

private:
    static void Report(const QString &caption, const QString &text)
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text.trimmed()));
    }
};
} // namespace

IPrompter &Prompter()
{
    static StreamPrompter stream;
    if (g_prompter)
        return *g_prompter;
    return g_default ? *g_default : stream;
}

IPrompter *SetPrompter(IPrompter *prompter)
{
    IPrompter *replaced = g_prompter;
    g_prompter = prompter;
    return replaced;
}

void SetDefaultPrompter(IPrompter *prompter)
{
    g_default = prompter;
}

// ---- top-level handler ----

void SetProgramCaption(const QString &caption)
{
    g_programCaption = caption;
}

QString ProgramCaption()
{
    if (!g_programCaption.isEmpty())
        return g_programCaption;
    return QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
}

void ShowErrorBox(const QString &message)
{
    Prompter().MessageBox(MsgIcon::Error, ProgramCaption(), message, {QStringLiteral("确定")});
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

#pragma once
// Every message box, input box, file or folder dialog and shell "open" goes through the
// prompter, so that tests can install a scripted one that records the exact texts and
// answers without ever blocking on a modal box.

#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>

class QDialog;

enum class MsgIcon { None, Information, Warning, Error, Question };

class IPrompter
{
public:
    virtual ~IPrompter() = default;
    // A modal message box. Answers the index of the pressed button in `buttons`, or -1 when
    // the box was closed by Escape or its close box.
    virtual int MessageBox(MsgIcon icon, const QString &caption, const QString &text,
                           const QStringList &buttons, int defaultButton = 0) = 0;
    // A modal input box. Answers false when cancelled; `value` holds the initial and the typed text.
    virtual bool InputBox(const QString &caption, const QString &prompt, QString &value,
                          bool password = false) = 0;
    // File dialogs take filters in the "Name|*.a;*.b|..." form. Empty answer: cancelled.
    virtual QString OpenFileName(const QString &caption, const QString &filter,
                                 const QString &initial = {}) = 0;
    virtual QString SaveFileName(const QString &caption, const QString &filter, const QString &defaultExt,
                                 const QString &initial = {}) = 0;
    virtual QString DirectoryName(const QString &caption, const QString &initial = {}) = 0;
    // The shell's "open" of a file, folder, web or mail address.
    virtual bool OpenUrl(const QUrl &url) = 0;
    // Starts a program detached.
    virtual bool StartProgram(const QString &program, const QStringList &arguments) = 0;
    // Shows a window modally and answers its result (QDialog::Accepted, Rejected or the
    // value it was closed with). Every modal window of the system is shown through here.
    virtual int ExecDialog(QDialog &dialog) = 0;
};

// The prompter in use: the installed one, else the default (the program installs its windowed
// prompter as the default at start-up), else one that only writes to the error stream and
// answers as if every box were closed with its default button.
IPrompter &Prompter();
// Installs a prompter (not owned) and answers the one it replaces; nullptr restores the default.
IPrompter *SetPrompter(IPrompter *prompter);
// The prompter used when none is installed (not owned).
void SetDefaultPrompter(IPrompter *prompter);

// The caption of the boxes that speak for the program as a whole (the error box among them):
// the product's name once the start-up has set it, else the application name. Window titles
// never get it appended, so it is kept here rather than as Qt's application display name.
void SetProgramCaption(const QString &caption);
QString ProgramCaption();

// The application's top-level handler: shows an error's message in an error box captioned
// with ProgramCaption().
void ShowErrorBox(const QString &message);

// Runs a user action: the silent abort is swallowed, any other error is shown by the
// top-level handler and ends the action. Answers true when the body ran to its end.
bool Guard(const std::function<void()> &body);

// Wraps a slot body so that no exception ever reaches Qt's event loop.
template <class F> auto Guarded(F body)
{
    return [body](auto &&...args) { Guard([&] { body(std::forward<decltype(args)>(args)...); }); };
}

#pragma once
// Every message box, input box, file or folder dialog and shell "open" goes through the
// prompter, so that tests can install a scripted one that records the exact texts and
// answers without ever blocking on a modal box.

#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <deque>
#include <functional>
#include <optional>

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
    // File dialogs take filters in the "名称|*.a;*.b|..." form. Empty answer: cancelled.
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

// The prompter in use: the Qt one unless a test installed its own.
IPrompter &Prompter();
// Installs a prompter (not owned); nullptr restores the Qt one.
void SetPrompter(IPrompter *prompter);

// "名称|*.a;*.b|..." to Qt's "名称 (*.a *.b);;...".
QString QtFileFilter(const QString &windowsFilter);

// The Qt implementation: real modal boxes and dialogs.
class QtPrompter : public IPrompter
{
public:
    int MessageBox(MsgIcon icon, const QString &caption, const QString &text, const QStringList &buttons,
                   int defaultButton = 0) override;
    bool InputBox(const QString &caption, const QString &prompt, QString &value,
                  bool password = false) override;
    QString OpenFileName(const QString &caption, const QString &filter, const QString &initial = {}) override;
    QString SaveFileName(const QString &caption, const QString &filter, const QString &defaultExt,
                         const QString &initial = {}) override;
    QString DirectoryName(const QString &caption, const QString &initial = {}) override;
    bool OpenUrl(const QUrl &url) override;
    bool StartProgram(const QString &program, const QStringList &arguments) override;
    int ExecDialog(QDialog &dialog) override;
};

// The scripted implementation for tests: records what was shown, answers from a queue.
// Message boxes without a queued answer press their default button; dialogs without a
// queued answer are cancelled; shell requests succeed and are recorded.
class ScriptedPrompter : public IPrompter
{
public:
    struct Shown
    {
        QString kind; // "message", "input", "open", "save", "dir", "url", "program"
        MsgIcon icon = MsgIcon::None;
        QString caption;
        QString text;
        QStringList buttons; // for "program": the arguments
    };

    ScriptedPrompter();           // installs itself
    ~ScriptedPrompter() override; // restores the Qt prompter

    // Next answer: an int (button index) or a QString (button text, typed text or file name).
    // A null QVariant cancels.
    void Answer(const QVariant &answer) { m_answers.push_back(answer); }
    const QList<Shown> &History() const { return m_history; }
    QStringList Texts() const; // texts of every message box shown, in order
    QString LastText() const;
    void Clear() { m_history.clear(); }
    // Called for each message box before it is answered (a test may act there).
    std::function<void(const Shown &)> OnShow;
    // Modal windows: each shown window is handed to the next queued handler, which may fill
    // its controls and click its buttons while the window is shown (not in a nested event
    // loop), and answers its result. Without a handler the window is rejected at once.
    void OnDialog(std::function<int(QDialog &)> handler) { m_dialogHandlers.push_back(std::move(handler)); }
    // Class names of the modal windows shown, in order.
    const QStringList &Dialogs() const { return m_dialogs; }

    int MessageBox(MsgIcon icon, const QString &caption, const QString &text, const QStringList &buttons,
                   int defaultButton = 0) override;
    bool InputBox(const QString &caption, const QString &prompt, QString &value,
                  bool password = false) override;
    QString OpenFileName(const QString &caption, const QString &filter, const QString &initial = {}) override;
    QString SaveFileName(const QString &caption, const QString &filter, const QString &defaultExt,
                         const QString &initial = {}) override;
    QString DirectoryName(const QString &caption, const QString &initial = {}) override;
    bool OpenUrl(const QUrl &url) override;
    bool StartProgram(const QString &program, const QStringList &arguments) override;
    int ExecDialog(QDialog &dialog) override;

private:
    std::optional<QVariant> TakeAnswer();
    QString FileAnswer(const QString &kind, const QString &caption, const QString &text);

    std::deque<QVariant> m_answers;
    QList<Shown> m_history;
    std::deque<std::function<int(QDialog &)>> m_dialogHandlers;
    QStringList m_dialogs;
};

// The application's top-level handler: shows an error's message in an error box.
void ShowErrorBox(const QString &message);

// Runs a user action: the silent abort is swallowed, any other error is shown by the
// top-level handler and ends the action. Answers true when the body ran to its end.
bool Guard(const std::function<void()> &body);

// Wraps a slot body so that no exception ever reaches Qt's event loop.
template <class F> auto Guarded(F body)
{
    return [body](auto &&...args) { Guard([&] { body(std::forward<decltype(args)>(args)...); }); };
}

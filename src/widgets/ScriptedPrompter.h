#pragma once

#include "Prompter.h"

#include <deque>
#include <functional>
#include <optional>

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
    ~ScriptedPrompter() override; // restores the prompter it replaced

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

    IPrompter *m_replaced = nullptr;
    std::deque<QVariant> m_answers;
    QList<Shown> m_history;
    std::deque<std::function<int(QDialog &)>> m_dialogHandlers;
    QStringList m_dialogs;
};

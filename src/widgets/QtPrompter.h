#pragma once
// The prompter of the running program: real modal boxes, file dialogs and the desktop's shell.

#include "Prompter.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QTextEdit;

// "名称|*.a;*.b|..." to Qt's "名称 (*.a *.b);;...".
QString QtFileFilter(const QString &windowsFilter);

// The folder a file dialog opens in, never the working directory: the folder the initial
// path names (the path itself when it is a folder, else the folder it lies in) when that is
// an absolute path to an existing folder; otherwise the user's documents folder, or the home
// folder when there is no documents folder.
QString FileDialogFolder(const QString &initial);

// The message box of the running program: an icon, the text and a row of buttons, the
// default one focused. A long text wraps, inside a word where a word is wider than the box,
// and a text higher than the screen allows scrolls; the box itself always fits the screen.
class TMessageBox : public QDialog
{
    Q_OBJECT
public:
    TMessageBox(MsgIcon icon, const QString &caption, const QString &text, const QStringList &buttons,
                int defaultButton = 0, QWidget *parent = nullptr);

    // The place of the button that closed the box; Escape and the window's close button
    // answer the last button. -1 while open, or when there are no buttons.
    int Answer() const { return m_answer; }
    QTextEdit *TextView() const { return m_text; }
    const QList<QPushButton *> &Buttons() const { return m_buttons; }

public slots:
    void reject() override;

private:
    // Sizes the text: as wide as it needs up to a part of the screen, then wrapped; as high
    // as it needs up to a part of the screen, then scrolled.
    void FitText();

    QTextEdit *m_text;
    QList<QPushButton *> m_buttons;
    int m_answer = -1;
};

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

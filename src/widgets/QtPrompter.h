#pragma once
// The prompter of the running program: real modal boxes, file dialogs and the desktop's shell.

#include "Prompter.h"

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

#include "QtPrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

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

#pragma once
// The prompts every screen shares, and the scrambling of stored secrets.

#include <QByteArray>
#include <QString>

// The information box: the message between a leading line break and a trailing tab, with
// the information caption and one OK button.
void ShowInfo(const QString &message);
// The delete question naming `what` (empty asks about the current record), with the warning
// caption and OK and Cancel. True only for OK.
bool ConfirmDelete(const QString &what = {});
// Symmetric byte-wise scrambling with the fixed key; applying it twice gives the bytes back.
QByteArray Scramble(const QByteArray &bytes);

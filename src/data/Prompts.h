#pragma once
// The prompts every screen shares, and the scrambling of stored secrets.

#include <QByteArray>
#include <QString>

// The information box: "\r\n" + message + "\t", caption "信息", one button "确定".
void ShowInfo(const QString &message);
// The delete question: "\r您确定要删除 %s 吗?\t\t" (empty `what` asks about "当前记录"),
// caption "警告", buttons "确定" and "取消". True only for "确定".
bool ConfirmDelete(const QString &what = {});
// Symmetric byte-wise scrambling with the fixed key; applying it twice gives the bytes back.
QByteArray Scramble(const QByteArray &bytes);

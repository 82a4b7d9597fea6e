#pragma once
// The GBK code page at the boundaries where bytes matter (settings file, exported files,
// byte lengths). GB18030 is used: it is GBK's superset with identical bytes for every
// GBK character, and Qt reaches it through ICU.

#include <QByteArray>
#include <QString>

namespace Gbk {
QByteArray Encode(const QString &text);
QString Decode(const QByteArray &bytes);
// Number of bytes the text takes in GBK (a Chinese character counts two).
int ByteLength(const QString &text);
} // namespace Gbk

#pragma once
// Shared by the exchange tests: files in a temporary folder, the raw parts of a written
// workbook, and the check that an operation raised the error type with a message.

#include "Exceptions.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include "ZipPackage.h"

#include <zlib.h>

#include <functional>

namespace ExchangeTest {

inline QByteArray ReadBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The text of one part of a workbook package ("xl/worksheets/sheet1.xml"); empty when missing.
inline QString PackagePart(const QString &fileName, const QString &part)
{
    ReaderParts::ZipPackage zip;
    QByteArray bytes;
    if (!zip.Open(fileName) || !zip.Read(part, bytes))
        return {};
    return QString::fromUtf8(bytes);
}

// A zip package of stored (uncompressed) entries, for packages no spreadsheet program would
// write.
inline bool WriteZip(const QString &fileName, const QList<QPair<QString, QByteArray>> &entries)
{
    auto u16 = [](QByteArray &out, quint16 v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&u16](QByteArray &out, quint32 v) {
        u16(out, quint16(v & 0xFFFF));
        u16(out, quint16(v >> 16));
    };
    QByteArray body;
    QByteArray directory;
    for (const auto &[name, data] : entries) {
        const QByteArray rawName = name.toUtf8();
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(body.size());
        u32(body, 0x04034b50);
        for (quint16 v : {quint16(20), quint16(0x0800), quint16(0), quint16(0), quint16(0)})
            u16(body, v);
        u32(body, crc);
        u32(body, quint32(data.size()));
        u32(body, quint32(data.size()));
        u16(body, quint16(rawName.size()));
        u16(body, 0);
        body += rawName + data;

        u32(directory, 0x02014b50);
        for (quint16 v : {quint16(20), quint16(20), quint16(0x0800), quint16(0), quint16(0), quint16(0)})
            u16(directory, v);
        u32(directory, crc);
        u32(directory, quint32(data.size()));
        u32(directory, quint32(data.size()));
        for (quint16 v : {quint16(rawName.size()), quint16(0), quint16(0), quint16(0), quint16(0)})
            u16(directory, v);
        u32(directory, 0);
        u32(directory, offset);
        directory += rawName;
    }
    QByteArray end;
    u32(end, 0x06054b50);
    for (quint16 v : {quint16(0), quint16(0), quint16(entries.size()), quint16(entries.size())})
        u16(end, v);
    u32(end, quint32(directory.size()));
    u32(end, quint32(body.size()));
    u16(end, 0);
    return WriteBytes(fileName, body + directory + end);
}

// Every match of the pattern's first group in the text.
inline QStringList Captures(const QString &text, const QString &pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

// The files of a folder, hidden ones included, sorted.
inline QStringList FolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Runs the action and answers the message of the error of type E it raised; fails the test
// when it raised nothing or another type.
template <class E> QString ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const E &error) {
        return error.Message();
    } catch (const Exception &other) {
        return QStringLiteral("<other error> ") + other.Message();
    }
    return QStringLiteral("<no error>");
}

} // namespace ExchangeTest

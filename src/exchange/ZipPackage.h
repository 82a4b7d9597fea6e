#pragma once
// Reads the entries of a zip package (the container of .xlsx workbooks) with zlib.
//
// The program cannot use QuaZip for this: QuaZip exports its own variant of the minizip
// functions under minizip's names, and libxlsxwriter calls the real minizip through those
// names, so with both in one process one of them calls into the other and crashes. This
// reader needs nothing but zlib, which libxlsxwriter brings along anyway.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace ReaderParts {

class ZipPackage
{
public:
    // Reads the package's directory. False when the file is not a zip package or its
    // directory is damaged; Error() then says why (in English, for tests and logs).
    bool Open(const QString &fileName);
    const QString &Error() const { return m_error; }

    // Entry names, in directory order.
    QStringList Names() const { return m_order; }
    // Part names are compared without regard to letter case, as the package format says.
    bool Contains(const QString &name) const;
    // The whole uncompressed entry; false (with Error()) when it is missing, encrypted,
    // compressed by an unknown method, or damaged (its checksum does not match).
    bool Read(const QString &name, QByteArray &bytes);

private:
    struct Entry
    {
        QString name;
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint64 localOffset = 0;
    };
    bool Fail(const QString &error);

    QByteArray m_data;
    QHash<QString, Entry> m_entries; // by lower-case name
    QStringList m_order;
    QString m_error;
};

} // namespace ReaderParts

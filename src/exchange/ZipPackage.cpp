#include "ZipPackage.h"

#include <QFile>

#include <zlib.h>

#include <limits>

namespace ReaderParts {

namespace {

constexpr quint32 LocalHeaderSignature = 0x04034b50;
constexpr quint32 CentralHeaderSignature = 0x02014b50;
constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 Zip64EndSignature = 0x06064b50;
constexpr quint32 Zip64LocatorSignature = 0x07064b50;

// No part of a workbook that the program can use comes near this; a larger claim is taken
// for a damaged or hostile file rather than allocated.
constexpr quint64 MaxEntrySize = quint64(2) * 1024 * 1024 * 1024 - 1;

class Bytes
{
public:
    explicit Bytes(const QByteArray &data) : m_data(data) {}
    bool Has(quint64 offset, quint64 length) const
    {
        return offset <= quint64(m_data.size()) && length <= quint64(m_data.size()) - offset;
    }
    quint16 U16(quint64 at) const
    {
        const auto *p = reinterpret_cast<const uchar *>(m_data.constData()) + at;
        return quint16(p[0] | (p[1] << 8));
    }
    quint32 U32(quint64 at) const { return quint32(U16(at)) | (quint32(U16(at + 2)) << 16); }
    quint64 U64(quint64 at) const { return quint64(U32(at)) | (quint64(U32(at + 4)) << 32); }
    const char *At(quint64 at) const { return m_data.constData() + at; }

private:
    const QByteArray &m_data;
};

} // namespace

bool ZipPackage::Fail(const QString &error)
{
    m_error = error;
    return false;
}

bool ZipPackage::Open(const QString &fileName)
{
    m_entries.clear();
    m_order.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(file.errorString());
    m_data = file.readAll();
    const Bytes bytes(m_data);
    const quint64 size = quint64(m_data.size());

    // The end record sits in the last 22 bytes plus a comment of up to 65535 bytes.
    qint64 end = -1;
    for (qint64 at = qint64(size) - 22; at >= 0 && at >= qint64(size) - 22 - 65535; --at) {
        if (bytes.U32(quint64(at)) == EndSignature) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return Fail(QStringLiteral("no end of central directory"));
    quint64 count = bytes.U16(quint64(end) + 10);
    quint64 directorySize = bytes.U32(quint64(end) + 12);
    quint64 directoryOffset = bytes.U32(quint64(end) + 16);
    if (end >= 20 && bytes.U32(quint64(end) - 20) == Zip64LocatorSignature) {
        const quint64 zip64End = bytes.U64(quint64(end) - 20 + 8);
        if (!bytes.Has(zip64End, 56) || bytes.U32(zip64End) != Zip64EndSignature)
            return Fail(QStringLiteral("bad zip64 end record"));
        count = bytes.U64(zip64End + 32);
        directorySize = bytes.U64(zip64End + 40);
        directoryOffset = bytes.U64(zip64End + 48);
    }
    if (!bytes.Has(directoryOffset, directorySize))
        return Fail(QStringLiteral("central directory outside the file"));

    quint64 at = directoryOffset;
    for (quint64 i = 0; i < count; ++i) {
        if (!bytes.Has(at, 46) || bytes.U32(at) != CentralHeaderSignature)
            return Fail(QStringLiteral("bad central directory entry"));
        Entry entry;
        entry.flags = bytes.U16(at + 8);
        entry.method = bytes.U16(at + 10);
        entry.crc = bytes.U32(at + 16);
        entry.compressedSize = bytes.U32(at + 20);
        entry.size = bytes.U32(at + 24);
        const quint16 nameLength = bytes.U16(at + 28);
        const quint16 extraLength = bytes.U16(at + 30);
        const quint16 commentLength = bytes.U16(at + 32);
        entry.localOffset = bytes.U32(at + 42);
        if (!bytes.Has(at + 46, quint64(nameLength) + extraLength + commentLength))
            return Fail(QStringLiteral("central directory entry outside the file"));
        const QByteArray rawName(bytes.At(at + 46), nameLength);
        entry.name = (entry.flags & 0x0800) ? QString::fromUtf8(rawName) : QString::fromLatin1(rawName);

        // Zip64: the fields that read all ones are given in the extra field, in this order.
        quint64 extra = at + 46 + nameLength;
        const quint64 extraEnd = extra + extraLength;
        while (extra + 4 <= extraEnd) {
            const quint16 id = bytes.U16(extra);
            const quint16 length = bytes.U16(extra + 2);
            quint64 field = extra + 4;
            const quint64 fieldEnd = field + length;
            if (fieldEnd > extraEnd)
                break;
            if (id == 0x0001) {
                auto take = [&](quint64 &value) {
                    if (value == 0xFFFFFFFFu && field + 8 <= fieldEnd) {
                        value = bytes.U64(field);
                        field += 8;
                    }
                };
                take(entry.size);
                take(entry.compressedSize);
                take(entry.localOffset);
            }
            extra = fieldEnd;
        }
        m_order << entry.name;
        m_entries.insert(entry.name.toLower(), entry);
        at += 46 + quint64(nameLength) + extraLength + commentLength;
    }
    m_error.clear();
    return true;
}

bool ZipPackage::Contains(const QString &name) const
{
    return m_entries.contains(name.toLower());
}

bool ZipPackage::Read(const QString &name, QByteArray &out)
{
    const auto found = m_entries.constFind(name.toLower());
    if (found == m_entries.constEnd())
        return Fail(QStringLiteral("no entry %1").arg(name));
    const Entry &entry = *found;
    if (entry.flags & 0x0001)
        return Fail(QStringLiteral("entry %1 is encrypted").arg(name));
    if (entry.size > MaxEntrySize || entry.compressedSize > MaxEntrySize)
        return Fail(QStringLiteral("entry %1 is too large").arg(name));
    const Bytes bytes(m_data);
    if (!bytes.Has(entry.localOffset, 30) || bytes.U32(entry.localOffset) != LocalHeaderSignature)
        return Fail(QStringLiteral("bad local header of %1").arg(name));
    const quint64 dataOffset =
        entry.localOffset + 30 + bytes.U16(entry.localOffset + 26) + bytes.U16(entry.localOffset + 28);
    if (!bytes.Has(dataOffset, entry.compressedSize))
        return Fail(QStringLiteral("entry %1 outside the file").arg(name));

    out = QByteArray(qsizetype(entry.size), Qt::Uninitialized);
    if (entry.method == 0) {
        if (entry.compressedSize != entry.size)
            return Fail(QStringLiteral("stored entry %1 has two sizes").arg(name));
        memcpy(out.data(), bytes.At(dataOffset), size_t(entry.size));
    } else if (entry.method == 8) {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return Fail(QStringLiteral("zlib cannot start"));
        // Fed in pieces that fit zlib's 32-bit counters.
        quint64 inputLeft = entry.compressedSize;
        quint64 outputLeft = entry.size;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.At(dataOffset)));
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        int status = Z_OK;
        const quint64 piece = std::numeric_limits<uInt>::max();
        while (status == Z_OK) {
            if (stream.avail_in == 0) {
                stream.avail_in = uInt(qMin(inputLeft, piece));
                inputLeft -= stream.avail_in;
            }
            if (stream.avail_out == 0) {
                stream.avail_out = uInt(qMin(outputLeft, piece));
                outputLeft -= stream.avail_out;
            }
            status = inflate(&stream, Z_NO_FLUSH);
            if (status == Z_BUF_ERROR) {
                // Only a piece still to be handed over lets zlib go on; otherwise the input
                // ended early or the output is longer than the directory says.
                const bool more =
                    (stream.avail_in == 0 && inputLeft > 0) || (stream.avail_out == 0 && outputLeft > 0);
                if (!more)
                    break;
                status = Z_OK;
            }
        }
        const quint64 produced = stream.total_out;
        inflateEnd(&stream);
        if (status != Z_STREAM_END || produced != entry.size)
            return Fail(QStringLiteral("entry %1 does not inflate").arg(name));
    } else {
        return Fail(QStringLiteral("entry %1 uses compression method %2").arg(name).arg(entry.method));
    }
    const uLong crc =
        crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(out.constData()), size_t(out.size()));
    if (quint32(crc) != entry.crc)
        return Fail(QStringLiteral("entry %1 fails its checksum").arg(name));
    return true;
}

} // namespace ReaderParts

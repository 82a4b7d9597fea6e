// Comma-separated text as one sheet. Fields follow the usual quoting rules (a field in
// double quotes may hold commas, line breaks and doubled quotes); records end with CR LF,
// LF or CR. The encoding is found from the bytes: a byte-order mark, else UTF-8 when the
// bytes are valid UTF-8, else GBK.

#include "Exceptions.h"
#include "Gbk.h"
#include "ReaderParts.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace ReaderParts {

namespace {

QString DecodeText(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(content.mid(3));
    if (content.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder.decode(content.mid(2));
    }
    if (content.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16BE);
        return decoder.decode(content.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    return Gbk::Decode(content);
}

class CsvBook : public BookSource
{
public:
    CsvBook(const QString &fileName, const QByteArray &content)
        : m_fileName(fileName), m_name(QFileInfo(fileName).completeBaseName())
    {
        const QString text = DecodeText(content);
        if (text.trimmed().isEmpty())
            throw EFileError(QStringLiteral("文件\"%1\"是空的,没有可以导入的数据.").arg(fileName));
        Parse(text);
    }

    QStringList SheetNames() const override { return {m_name}; }
    TSheet ReadSheet(int) const override
    {
        SheetBuilder builder;
        for (qsizetype row = 0; row < m_records.size(); ++row) {
            const QStringList &fields = m_records[row];
            for (qsizetype column = 0; column < fields.size(); ++column) {
                if (!fields[column].isEmpty())
                    builder.SetCell(int(row), int(column), fields[column]);
            }
        }
        return builder.Finish(m_name);
    }

private:
    void Parse(const QString &text)
    {
        QStringList record;
        QString field;
        int line = 1;
        qsizetype i = 0;
        const qsizetype n = text.size();
        auto endRecord = [&] {
            record << field;
            field.clear();
            m_records << record;
            record.clear();
        };
        while (i < n) {
            const QChar c = text[i];
            if (c == u'"' && field.isEmpty()) {
                const int startLine = line;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar q = text[i];
                    if (q == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (q == u'\n')
                        ++line;
                    field += q;
                    ++i;
                }
                if (!closed)
                    throw EFileError(QStringLiteral("无法读取文件\"%1\": 第 %2 行的引号没有结束.")
                                         .arg(m_fileName)
                                         .arg(startLine));
                continue;
            }
            if (c == u',') {
                record << field;
                field.clear();
                ++i;
            } else if (c == u'\r' || c == u'\n') {
                endRecord();
                ++line;
                i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
            } else {
                field += c;
                ++i;
            }
        }
        if (!field.isEmpty() || !record.isEmpty())
            endRecord();
    }

    QString m_fileName;
    QString m_name;
    QList<QStringList> m_records;
};

} // namespace

std::unique_ptr<BookSource> OpenCsv(const QString &fileName, const QByteArray &content)
{
    return std::make_unique<CsvBook>(fileName, content);
}

} // namespace ReaderParts

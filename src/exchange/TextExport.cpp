#include "TextExport.h"

#include "Exceptions.h"
#include "Paths.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace Exchange {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// Collects lines and writes them in chunks in the chosen encoding.
class EncodedFile
{
public:
    EncodedFile(const QString &fileName, TextEncoding encoding)
        : m_file(fileName), m_fileName(fileName),
          m_encoder(encoding == TextEncoding::Utf8 ? QStringEncoder(QStringEncoder::Utf8)
                                                   : QStringEncoder("GB18030"))
    {
        if (!m_encoder.isValid())
            throw EFileError(QStringLiteral("无法写入文件\"%1\": 系统不支持 GBK 编码.").arg(fileName));
        if (!m_file.open(QIODevice::WriteOnly))
            Fail();
    }
    ~EncodedFile()
    {
        if (m_file.isOpen())
            m_file.cancelWriting();
    }

    void WriteBytes(const QByteArray &bytes)
    {
        if (m_file.write(bytes) != bytes.size())
            Fail();
    }
    void Line(const QString &text)
    {
        m_pending += text;
        m_pending += LineEnd;
        if (m_pending.size() >= 32 * 1024)
            Flush();
    }
    void Commit()
    {
        Flush();
        if (!m_file.commit())
            Fail();
    }

private:
    void Flush()
    {
        if (m_pending.isEmpty())
            return;
        WriteBytes(m_encoder.encode(m_pending));
        m_pending.clear();
    }
    [[noreturn]] void Fail()
    {
        const QString reason = Paths::FailureReason(m_file.errorString());
        if (m_file.isOpen())
            m_file.cancelWriting();
        throw EFileError(QStringLiteral("无法写入文件\"%1\": %2.").arg(m_fileName, reason));
    }

    QSaveFile m_file;
    QString m_fileName;
    QStringEncoder m_encoder;
    QString m_pending;
};

bool IsLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

QString CsvField(const QString &text)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || IsLineBreak(c)) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void HtmlCells(EncodedFile &file, const QStringList &texts)
{
    file.Line(QStringLiteral("<tr>"));
    for (const QString &text : texts)
        file.Line(QStringLiteral("<td nowrap>") + HtmlEscaped(text) + QStringLiteral("&nbsp;</td>"));
    file.Line(QStringLiteral("</tr>"));
}

} // namespace

QString TabLine(const QStringList &texts)
{
    QString line;
    for (const QString &text : texts) {
        QString cell = text;
        // A CR LF pair is one line break and becomes one blank.
        cell.replace(QLatin1String("\r\n"), QLatin1String(" "));
        for (QChar &c : cell) {
            if (c == u'\t' || IsLineBreak(c))
                c = u' ';
        }
        line += cell;
        line += QLatin1Char('\t');
    }
    return line;
}

QString CsvLine(const QStringList &texts)
{
    QString line;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += CsvField(texts[i]);
    }
    return line;
}

QString HtmlEscaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&':
            escaped += QLatin1String("&amp;");
            break;
        case u'<':
            escaped += QLatin1String("&lt;");
            break;
        case u'>':
            escaped += QLatin1String("&gt;");
            break;
        case u'"':
            escaped += QLatin1String("&quot;");
            break;
        case u'\r':
            escaped += QLatin1String("<br>");
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            break;
        case u'\n':
            escaped += QLatin1String("<br>");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString DefaultSuffix(TextFormat format)
{
    switch (format) {
    case TextFormat::Tab:
        return QStringLiteral("txt");
    case TextFormat::Csv:
        return QStringLiteral("csv");
    case TextFormat::Html:
        return QStringLiteral("html");
    }
    return {};
}

qint64 ExportText(const QString &fileName, TextFormat format, TextEncoding encoding,
                  const QStringList &header, const RowSource &rows, const ProgressProc &progress)
{
    if (fileName.trimmed().isEmpty())
        throw EFileError(QStringLiteral("没有指定要写入的文件."));
    EncodedFile file(fileName, encoding);
    ProgressTicker ticker(progress);
    QStringList row;

    if (format == TextFormat::Html) {
        file.Line(QStringLiteral("<html>"));
        file.Line(QStringLiteral("<head>"));
        file.Line(encoding == TextEncoding::Utf8 ? QStringLiteral("<meta charset=\"utf-8\">")
                                                 : QStringLiteral("<meta charset=\"gbk\">"));
        file.Line(QStringLiteral("<title></title>"));
        file.Line(QStringLiteral("</head>"));
        file.Line(QStringLiteral("<body>"));
        file.Line(QStringLiteral("<table>"));
        HtmlCells(file, header);
        while (rows && rows(row)) {
            HtmlCells(file, row);
            ticker.Tick();
        }
        file.Line(QStringLiteral("</table>"));
        file.Line(QStringLiteral("</body>"));
        file.Line(QStringLiteral("</html>"));
    } else {
        const bool csv = format == TextFormat::Csv;
        if (csv && encoding == TextEncoding::Utf8)
            file.WriteBytes(QByteArrayLiteral("\xEF\xBB\xBF"));
        file.Line(csv ? CsvLine(header) : TabLine(header));
        while (rows && rows(row)) {
            file.Line(csv ? CsvLine(row) : TabLine(row));
            ticker.Tick();
        }
    }
    ticker.Finish();
    file.Commit();
    return ticker.Done();
}

} // namespace Exchange

// .xlsx workbooks: a zip package of XML parts. The workbook part lists the sheets in order
// and names their parts through its relationships; cell texts live in the shared-string part
// or in the cells themselves; whether a number shows as a date is decided by the number
// format of the cell's style.

#include "Exceptions.h"
#include "ReaderParts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include "ZipPackage.h"

#include <functional>

namespace ReaderParts {

namespace {

// The largest sheet a workbook can have.
constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;

// Characters that XML cannot carry are written as _xHHHH_ in the parts.
QString DecodeEscapes(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                decoded += QChar(code);
                i += 6;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

// "B12" as row 11, column 1.
bool ParseCellRef(QStringView ref, int &row, int &column)
{
    qsizetype i = 0;
    qint64 col = 0;
    while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128) {
        col = col * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        if (col > MaxColumns)
            return false;
        ++i;
    }
    if (i == 0 || i == ref.size())
        return false;
    bool ok = false;
    const int number = ref.mid(i).toInt(&ok);
    if (!ok || number < 1 || number > MaxRows)
        return false;
    row = number - 1;
    column = int(col - 1);
    return true;
}

// The path of a related part: relative to the folder of the part that names it, or from the
// package root when it starts with "/".
QString ResolvePart(const QString &fromFolder, const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    if (fromFolder.isEmpty())
        return QDir::cleanPath(target);
    return QDir::cleanPath(fromFolder + QLatin1Char('/') + target);
}

QString FolderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString NameOf(const QString &part)
{
    return part.mid(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// The attribute of the given local name, whatever its namespace prefix.
QString Attribute(const QXmlStreamReader &xml, QLatin1StringView localName)
{
    for (const QXmlStreamAttribute &attribute : xml.attributes()) {
        if (attribute.name() == localName)
            return attribute.value().toString();
    }
    return {};
}

// The text of a string item (<si> or <is>), its runs joined, phonetic hints left out. The
// reader stands on the item's start and ends on its end.
QString ReadItemText(QXmlStreamReader &xml)
{
    const QString item = xml.name().toString();
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh") || xml.name() == QLatin1String("phoneticPr"))
                xml.skipCurrentElement();
            else if (xml.name() == QLatin1String("t"))
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement() && xml.name() == item) {
            break;
        }
    }
    return DecodeEscapes(text);
}

bool IsTrue(const QString &value)
{
    return value == QLatin1String("1") || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

class XlsxBook : public BookSource
{
public:
    explicit XlsxBook(const QString &fileName);
    QStringList SheetNames() const override { return m_names; }
    TSheet ReadSheet(int index) const override;

private:
    [[noreturn]] void Damaged() const { throw EFileError(DamagedMessage(m_fileName)); }
    // Runs the parser over a part; false when the package has no such part.
    bool ParsePart(ZipPackage &zip, const QString &part,
                   const std::function<void(QXmlStreamReader &)> &parse) const;
    QHash<QString, QPair<QString, QString>> ReadRelationships(ZipPackage &zip, const QString &part) const;
    void ReadStyles(ZipPackage &zip, const QString &part);
    void ReadSharedStrings(ZipPackage &zip, const QString &part);
    QVariant CellValue(const QString &type, int style, const QString &value, const QString &inlineText) const;

    QString m_fileName;
    QStringList m_names;
    QStringList m_parts;
    QStringList m_shared;
    QList<NumberShape> m_styleShapes;
    bool m_date1904 = false;
};

bool XlsxBook::ParsePart(ZipPackage &zip, const QString &part,
                         const std::function<void(QXmlStreamReader &)> &parse) const
{
    if (!zip.Contains(part))
        return false;
    QByteArray bytes;
    if (!zip.Read(part, bytes))
        Damaged();
    QXmlStreamReader xml(bytes);
    parse(xml);
    if (xml.hasError())
        Damaged();
    return true;
}

// Relationship id -> (type, resolved part).
QHash<QString, QPair<QString, QString>> XlsxBook::ReadRelationships(ZipPackage &zip,
                                                                    const QString &part) const
{
    QHash<QString, QPair<QString, QString>> relationships;
    const QString relsPart = FolderOf(part).isEmpty()
                                 ? QStringLiteral("_rels/%1.rels").arg(NameOf(part))
                                 : QStringLiteral("%1/_rels/%2.rels").arg(FolderOf(part), NameOf(part));
    ParsePart(zip, relsPart, [&](QXmlStreamReader &xml) {
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Relationship")) {
                const QString target = Attribute(xml, QLatin1StringView("Target"));
                if (Attribute(xml, QLatin1StringView("TargetMode")) != QLatin1String("External"))
                    relationships.insert(
                        Attribute(xml, QLatin1StringView("Id")),
                        {Attribute(xml, QLatin1StringView("Type")), ResolvePart(FolderOf(part), target)});
                xml.skipCurrentElement();
            } else if (xml.name() != QLatin1String("Relationships")) {
                xml.skipCurrentElement();
            }
        }
    });
    return relationships;
}

void XlsxBook::ReadStyles(ZipPackage &zip, const QString &part)
{
    QHash<int, NumberShape> customFormats;
    ParsePart(zip, part, [&](QXmlStreamReader &xml) {
        bool inCellFormats = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.name() == QLatin1String("numFmt")) {
                    customFormats.insert(Attribute(xml, QLatin1StringView("numFmtId")).toInt(),
                                         ShapeOfFormatCode(Attribute(xml, QLatin1StringView("formatCode"))));
                } else if (xml.name() == QLatin1String("cellXfs")) {
                    inCellFormats = true;
                } else if (xml.name() == QLatin1String("xf") && inCellFormats) {
                    const int id = Attribute(xml, QLatin1StringView("numFmtId")).toInt();
                    m_styleShapes << (customFormats.contains(id) ? customFormats.value(id)
                                                                 : ShapeOfBuiltinFormat(id));
                    xml.skipCurrentElement();
                }
            } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
                inCellFormats = false;
            }
        }
    });
}

void XlsxBook::ReadSharedStrings(ZipPackage &zip, const QString &part)
{
    ParsePart(zip, part, [&](QXmlStreamReader &xml) {
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                m_shared << ReadItemText(xml);
        }
    });
}

XlsxBook::XlsxBook(const QString &fileName) : m_fileName(fileName)
{
    ZipPackage zip;
    if (!zip.Open(fileName))
        Damaged();

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    const auto packageRels = ReadRelationships(zip, QString());
    for (const auto &relationship : packageRels) {
        if (relationship.first.endsWith(QLatin1String("/officeDocument")))
            workbookPart = relationship.second;
    }
    const auto workbookRels = ReadRelationships(zip, workbookPart);

    QStringList sheetIds;
    const bool found = ParsePart(zip, workbookPart, [&](QXmlStreamReader &xml) {
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("workbookPr")) {
                m_date1904 = IsTrue(Attribute(xml, QLatin1StringView("date1904")));
            } else if (xml.name() == QLatin1String("sheet")) {
                m_names << Attribute(xml, QLatin1StringView("name"));
                sheetIds << Attribute(xml, QLatin1StringView("id"));
            }
        }
    });
    if (!found)
        Damaged();
    for (const QString &id : sheetIds) {
        if (!workbookRels.contains(id))
            Damaged();
        m_parts << workbookRels.value(id).second;
    }

    QString stylesPart = ResolvePart(FolderOf(workbookPart), QStringLiteral("styles.xml"));
    QString sharedPart = ResolvePart(FolderOf(workbookPart), QStringLiteral("sharedStrings.xml"));
    for (const auto &relationship : workbookRels) {
        if (relationship.first.endsWith(QLatin1String("/styles")))
            stylesPart = relationship.second;
        else if (relationship.first.endsWith(QLatin1String("/sharedStrings")))
            sharedPart = relationship.second;
    }
    ReadStyles(zip, stylesPart);
    ReadSharedStrings(zip, sharedPart);
}

QVariant XlsxBook::CellValue(const QString &type, int style, const QString &value,
                             const QString &inlineText) const
{
    if (type == QLatin1String("inlineStr"))
        return inlineText.isEmpty() ? QVariant() : QVariant(inlineText);
    if (value.isEmpty())
        return {};
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= m_shared.size())
            Damaged();
        return m_shared[index].isEmpty() ? QVariant() : QVariant(m_shared[index]);
    }
    if (type == QLatin1String("str") || type == QLatin1String("e"))
        return DecodeEscapes(value);
    if (type == QLatin1String("b"))
        return IsTrue(value);
    if (type == QLatin1String("d")) {
        QDateTime stamp = QDateTime::fromString(value, Qt::ISODate);
        if (!stamp.isValid())
            stamp = QDateTime(QDate::fromString(value, Qt::ISODate), QTime(0, 0));
        if (!stamp.isValid())
            return value;
        return stamp.time() == QTime(0, 0) ? stamp.date().toString(QStringLiteral("yyyy-MM-dd"))
                                           : stamp.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value;
    const NumberShape shape =
        style >= 0 && style < m_styleShapes.size() ? m_styleShapes[style] : NumberShape::Number;
    if (shape != NumberShape::Number) {
        const QVariant date = SerialDateText(number, shape, m_date1904);
        if (!date.isNull())
            return date;
    }
    return number;
}

TSheet XlsxBook::ReadSheet(int index) const
{
    ZipPackage zip;
    if (!zip.Open(m_fileName))
        Damaged();
    SheetBuilder builder;
    const bool found = ParsePart(zip, m_parts[index], [&](QXmlStreamReader &xml) {
        int row = -1;
        int column = -1;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("row")) {
                const QString number = Attribute(xml, QLatin1StringView("r"));
                bool ok = false;
                const int r = number.toInt(&ok);
                if (!number.isEmpty() && (!ok || r < 1 || r > MaxRows))
                    Damaged();
                row = number.isEmpty() ? row + 1 : r - 1;
                column = -1;
            } else if (xml.name() == QLatin1String("c")) {
                const QString ref = Attribute(xml, QLatin1StringView("r"));
                if (ref.isEmpty()) {
                    row = qMax(row, 0);
                    ++column;
                } else if (!ParseCellRef(ref, row, column)) {
                    Damaged();
                }
                if (column >= MaxColumns)
                    Damaged();
                const QString type = Attribute(xml, QLatin1StringView("t"));
                const QString styleText = Attribute(xml, QLatin1StringView("s"));
                const int style = styleText.isEmpty() ? 0 : styleText.toInt();
                QString value;
                QString inlineText;
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("v"))
                        value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    else if (xml.name() == QLatin1String("is"))
                        inlineText = ReadItemText(xml);
                    else
                        xml.skipCurrentElement();
                }
                builder.SetCell(row, column, CellValue(type, style, value, inlineText));
            }
        }
    });
    if (!found)
        Damaged();
    return builder.Finish(m_names[index]);
}

} // namespace

std::unique_ptr<BookSource> OpenXlsx(const QString &fileName)
{
    return std::make_unique<XlsxBook>(fileName);
}

} // namespace ReaderParts

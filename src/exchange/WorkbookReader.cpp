#include "WorkbookReader.h"

#include "Exceptions.h"
#include "Paths.h"
#include "ReaderParts.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace ReaderParts {

QString DamagedMessage(const QString &fileName)
{
    return QStringLiteral("无法读取文件\"%1\": 文件已损坏,或者不是有效的 Excel 工作簿.").arg(fileName);
}

QString EncryptedMessage(const QString &fileName)
{
    return QStringLiteral("无法读取文件\"%1\": 工作簿设置了密码保护,请在 Excel 中取消密码后再导入.")
        .arg(fileName);
}

void SheetBuilder::SetCell(int row, int column, const QVariant &value)
{
    if (value.isNull() || row < 0 || column < 0)
        return;
    if (row >= m_rows.size())
        m_rows.resize(row + 1);
    QVariantList &cells = m_rows[row];
    if (column >= cells.size())
        cells.resize(column + 1);
    cells[column] = value;
    if (m_firstRow < 0 || row < m_firstRow)
        m_firstRow = row;
    if (m_firstColumn < 0 || column < m_firstColumn)
        m_firstColumn = column;
    m_lastColumn = qMax(m_lastColumn, column);
}

TSheet SheetBuilder::Finish(const QString &name)
{
    TSheet sheet;
    sheet.Name = name;
    if (m_firstRow < 0)
        return sheet;
    sheet.FirstRow = m_firstRow + 1;
    const QVariantList &titles = m_rows[m_firstRow];
    for (int column = m_firstColumn; column <= m_lastColumn; ++column) {
        const QString title = column < titles.size() ? CellText(titles[column]) : QString();
        sheet.Titles << (title.isEmpty() ? QStringLiteral("F%1").arg(column - m_firstColumn + 1) : title);
    }
    sheet.Rows.reserve(m_rows.size() - m_firstRow - 1);
    for (qsizetype row = m_firstRow + 1; row < m_rows.size(); ++row) {
        QVariantList &cells = m_rows[row];
        if (cells.size() <= m_firstColumn)
            sheet.Rows.append(QVariantList());
        else if (m_firstColumn == 0)
            sheet.Rows.append(std::move(cells));
        else
            sheet.Rows.append(cells.mid(m_firstColumn));
    }
    m_rows.clear();
    return sheet;
}

NumberShape ShapeOfBuiltinFormat(int formatId)
{
    switch (formatId) {
    case 14:
    case 15:
    case 16:
    case 17:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 36:
    case 50:
    case 51:
    case 52:
    case 53:
    case 54:
    case 57:
    case 58:
        return NumberShape::Date;
    case 18:
    case 19:
    case 20:
    case 21:
    case 32:
    case 33:
    case 34:
    case 35:
    case 45:
    case 46:
    case 47:
    case 55:
    case 56:
        return NumberShape::Time;
    case 22:
        return NumberShape::DateTime;
    default:
        return NumberShape::Number;
    }
}

NumberShape ShapeOfFormatCode(const QString &formatCode)
{
    // Only the first section (positive numbers) decides; quoted texts, escaped characters
    // and colours or conditions in brackets are no date parts, but an elapsed-time bracket
    // ([h], [mm], [ss]) is a time part.
    bool date = false;
    bool time = false;
    bool month = false;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode[i];
        if (c == u';')
            break;
        if (c == u'"') {
            i = formatCode.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0)
                break;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
            continue;
        }
        if (c == u'[') {
            const qsizetype close = formatCode.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                break;
            const QString inside = formatCode.mid(i + 1, close - i - 1).toLower();
            if (!inside.isEmpty() && (inside[0] == u'h' || inside[0] == u'm' || inside[0] == u's'))
                time = true;
            i = close;
            continue;
        }
        switch (c.toLower().unicode()) {
        case u'y':
        case u'd':
        case u'e':
        case u'g':
            date = true;
            break;
        case u'h':
        case u's':
            time = true;
            break;
        case u'm':
            month = true;
            break;
        default:
            break;
        }
    }
    if (date && time)
        return NumberShape::DateTime;
    if (date)
        return NumberShape::Date;
    if (time)
        return NumberShape::Time;
    if (month)
        return NumberShape::Date; // a month alone ("mmm") shows a date
    return NumberShape::Number;
}

QVariant SerialDateText(double serial, NumberShape shape, bool date1904)
{
    // Beyond the year 9999 and below day 0 there is no date to show.
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return {};
    qint64 days = qint64(std::floor(serial));
    qint64 seconds = qint64(std::llround((serial - double(days)) * 86400.0));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    const QTime time = QTime(0, 0).addSecs(int(seconds));
    if (shape == NumberShape::Time && days == 0)
        return time.toString(QStringLiteral("hh:mm:ss"));
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(days);
    else if (days < 61)
        // The 1900 system counts a 29 February 1900 that never was; the days before it are
        // one off against the calendar.
        date = QDate(1899, 12, 31).addDays(days == 60 ? 59 : days);
    else
        date = QDate(1899, 12, 30).addDays(days);
    if (shape == NumberShape::Date || seconds == 0)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace ReaderParts

using namespace ReaderParts;

QVariant TSheet::Cell(int row, int column) const
{
    if (row < 0 || row >= Rows.size())
        return {};
    const QVariantList &cells = Rows[row];
    return column >= 0 && column < cells.size() ? cells[column] : QVariant();
}

QString CellText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 15);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.isNull() ? QString() : value.toString();
    }
}

TWorkbookReader::TWorkbookReader(const QString &fileName) : m_fileName(fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir())
        throw EFileError(QStringLiteral("文件\"%1\"不存在.").arg(fileName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("无法读取文件\"%1\": %2.")
                             .arg(fileName, Paths::FailureReason(file.errorString())));
    const QByteArray head = file.peek(8);
    if (head.isEmpty())
        throw EFileError(QStringLiteral("文件\"%1\"是空的,没有可以导入的数据.").arg(fileName));
    if (head.startsWith("PK")) {
        file.close();
        m_source = OpenXlsx(fileName);
    } else if (head == QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        file.close();
        m_source = OpenXls(fileName);
    } else if (info.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        m_source = OpenCsv(fileName, file.readAll());
    } else {
        throw EFileError(
            QStringLiteral("无法读取文件\"%1\": 文件不是 Excel 工作簿(*.xlsx; *.xls),也不是 CSV 文件(*.csv).")
                .arg(fileName));
    }
    if (m_source->SheetNames().isEmpty())
        throw EFileError(QStringLiteral("工作簿\"%1\"中没有工作表.").arg(fileName));
}

TWorkbookReader::~TWorkbookReader() = default;

QStringList TWorkbookReader::SheetNames() const
{
    return m_source->SheetNames();
}

TSheet TWorkbookReader::ReadSheet(int index) const
{
    if (index < 0 || index >= m_source->SheetNames().size())
        throw EFileError(QStringLiteral("工作簿\"%1\"中没有第 %2 个工作表.").arg(m_fileName).arg(index + 1));
    return m_source->ReadSheet(index);
}

TSheet TWorkbookReader::ReadSheet(const QString &name) const
{
    const qsizetype index = m_source->SheetNames().indexOf(name);
    if (index < 0)
        throw EFileError(QStringLiteral("工作簿\"%1\"中没有名为\"%2\"的工作表.").arg(m_fileName, name));
    return m_source->ReadSheet(int(index));
}

#include "DateFormats.h"

#include "Exceptions.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

QChar DateSeparator = QLatin1Char('-');
QString ShortDateFormat = QStringLiteral("yyyy-mm-dd");
QChar TimeSeparator = QLatin1Char(':');
QString LongDateFormat = QStringLiteral("yyyy-mm-dd hh:nn:ss");
bool NullStrictConvert = false;

void SetDateFormats()
{
    DateSeparator = QLatin1Char('-');
    ShortDateFormat = QStringLiteral("yyyy-mm-dd");
    TimeSeparator = QLatin1Char(':');
    LongDateFormat = QStringLiteral("yyyy-mm-dd hh:nn:ss");
}

namespace {

QString Padded(int number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

// Length of the run of the same letter (either case) starting at `pos`.
qsizetype RunLength(const QString &format, qsizetype pos)
{
    const QChar letter = format[pos].toLower();
    qsizetype end = pos + 1;
    while (end < format.size() && format[end].toLower() == letter)
        ++end;
    return end - pos;
}

int ParseNumber(const QString &text, int minDigits, int maxDigits, bool &ok)
{
    ok = text.size() >= minDigits && text.size() <= maxDigits;
    for (const QChar c : text)
        ok = ok && c.isDigit();
    return ok ? text.toInt() : 0;
}

// A two-digit year belongs to the century that puts it within fifty years after this one.
int FullYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    const int thisYear = QDate::currentDate().year();
    int full = thisYear / 100 * 100 + year;
    if (full > thisYear + 50)
        full -= 100;
    else if (full <= thisYear - 50)
        full += 100;
    return full;
}

bool ParseDate(const QString &text, QDate &value)
{
    const QStringList parts = text.trimmed().split(DateSeparator);
    if (parts.size() != 3)
        return false;
    // The order of year, month and day is the order in which the short format names them.
    const QString format = ShortDateFormat.toLower();
    QList<std::pair<qsizetype, QChar>> order = {{format.indexOf(QLatin1Char('y')), QLatin1Char('y')},
                                                {format.indexOf(QLatin1Char('m')), QLatin1Char('m')},
                                                {format.indexOf(QLatin1Char('d')), QLatin1Char('d')}};
    std::sort(order.begin(), order.end());
    int year = 0, month = 0, day = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        switch (order[i].second.unicode()) {
        case 'y':
            year = ParseNumber(parts[i], 2, 4, ok);
            if (ok && parts[i].size() == 3)
                ok = false;
            year = FullYear(year, parts[i].size());
            break;
        case 'm':
            month = ParseNumber(parts[i], 1, 2, ok);
            break;
        default:
            day = ParseNumber(parts[i], 1, 2, ok);
            break;
        }
        if (!ok)
            return false;
    }
    value = QDate(year, month, day);
    return value.isValid();
}

bool ParseTime(const QString &text, QTime &value)
{
    const QStringList parts = text.split(TimeSeparator);
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    int numbers[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = ParseNumber(parts[i], 1, 2, ok);
        if (!ok)
            return false;
    }
    value = QTime(numbers[0], numbers[1], numbers[2]);
    return value.isValid();
}

[[noreturn]] void NullRefused(const QString &type)
{
    throw EConvertError(QStringLiteral("空值不能转换为%1.").arg(type));
}

} // namespace

QString FormatDateTime(const QString &format, const QDateTime &value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale locale;
    QString out;
    bool afterHour = false;
    qsizetype pos = 0;
    while (pos < format.size()) {
        const QChar c = format[pos];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(c, pos + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            out += format.mid(pos + 1, end - pos - 1);
            pos = end + 1;
            continue;
        }
        const qsizetype run = RunLength(format, pos);
        switch (c.toLower().unicode()) {
        case 'y':
            out += run <= 2 ? Padded(date.year() % 100, 2) : Padded(date.year(), 4);
            afterHour = false;
            break;
        case 'm':
            if (afterHour && run <= 2)
                out += Padded(time.minute(), int(run));
            else if (run <= 2)
                out += Padded(date.month(), int(run));
            else
                out += locale.monthName(date.month(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            afterHour = false;
            break;
        case 'd':
            if (run <= 2)
                out += Padded(date.day(), int(run));
            else
                out +=
                    locale.dayName(date.dayOfWeek(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            afterHour = false;
            break;
        case 'h':
            out += Padded(time.hour(), int(qMin<qsizetype>(run, 2)));
            afterHour = true;
            break;
        case 'n':
            out += Padded(time.minute(), int(qMin<qsizetype>(run, 2)));
            afterHour = false;
            break;
        case 's':
            out += Padded(time.second(), int(qMin<qsizetype>(run, 2)));
            afterHour = false;
            break;
        case 'z':
            out += Padded(time.msec(), run >= 3 ? 3 : 1);
            afterHour = false;
            break;
        case '/':
            out += QString(DateSeparator).repeated(run);
            break;
        case ':':
            out += QString(TimeSeparator).repeated(run);
            break;
        default:
            out += format.mid(pos, run);
            break;
        }
        pos += run;
    }
    return out;
}

QString DateToStr(const QDate &value)
{
    return value.isValid() ? FormatDateTime(ShortDateFormat, value.startOfDay()) : QString();
}

QString DateToStr(const QDateTime &value)
{
    return value.isValid() ? FormatDateTime(ShortDateFormat, value) : QString();
}

QString DateTimeToStr(const QDateTime &value)
{
    return value.isValid() ? FormatDateTime(LongDateFormat, value) : QString();
}

bool TryStrToDate(const QString &text, QDate &value)
{
    QDate parsed;
    if (!ParseDate(text, parsed))
        return false;
    value = parsed;
    return true;
}

QDate StrToDate(const QString &text)
{
    QDate value;
    if (!TryStrToDate(text, value))
        throw EConvertError(QStringLiteral("\"%1\" 不是有效的日期.").arg(text));
    return value;
}

bool TryStrToDateTime(const QString &text, QDateTime &value)
{
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    QDate date;
    QTime time(0, 0);
    if (!ParseDate(blank < 0 ? trimmed : trimmed.left(blank), date))
        return false;
    if (blank >= 0 && !ParseTime(trimmed.mid(blank + 1).trimmed(), time))
        return false;
    value = QDateTime(date, time);
    return true;
}

QDateTime StrToDateTime(const QString &text)
{
    QDateTime value;
    if (!TryStrToDateTime(text, value))
        throw EConvertError(QStringLiteral("\"%1\" 不是有效的日期和时间.").arg(text));
    return value;
}

int VarToInt(const QVariant &value)
{
    if (value.isNull()) {
        if (NullStrictConvert)
            NullRefused(QStringLiteral("整数"));
        return 0;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' 不是有效的整数").arg(value.toString()));
    return number;
}

double VarToFloat(const QVariant &value)
{
    if (value.isNull()) {
        if (NullStrictConvert)
            NullRefused(QStringLiteral("浮点数"));
        return 0;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' 不是有效的浮点数").arg(value.toString()));
    return number;
}

QString VarToStr(const QVariant &value)
{
    if (value.isNull()) {
        if (NullStrictConvert)
            NullRefused(QStringLiteral("字符串"));
        return {};
    }
    if (value.typeId() == QMetaType::QDateTime)
        return DateTimeToStr(value.toDateTime());
    if (value.typeId() == QMetaType::QDate)
        return DateToStr(value.toDate());
    return value.toString();
}

bool VarToBool(const QVariant &value)
{
    if (value.isNull()) {
        if (NullStrictConvert)
            NullRefused(QStringLiteral("布尔值"));
        return false;
    }
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' 不是有效的布尔值").arg(text));
        return number != 0;
    }
    return value.toBool();
}

#pragma once
// The process-wide conversions between dates and text, and the conversion of database nulls.
//
// Qt has no process-wide date format, so the formats live here as variables in the classic
// picture notation (yyyy, mm, dd, hh, nn for minutes, ss) and every conversion that does not
// name its own format goes through the functions below. They never consult the locale, so a
// date reads "2013-07-12" on every machine.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The formats StartServices sets; they hold the same values from the start so that a
// conversion made before the services start already reads the same.
extern QChar DateSeparator;     // "-"
extern QString ShortDateFormat; // "yyyy-mm-dd"
extern QChar TimeSeparator;     // ":"
extern QString LongDateFormat;  // "yyyy-mm-dd hh:nn:ss"

// Sets the four variables above to the system's fixed values.
void SetDateFormats();

// Formats with a picture: y/yy/yyyy year, m/mm month (minutes right after an hour), mmm/mmmm
// month name, d/dd day, ddd/dddd day name, h/hh hour, n/nn minute, s/ss second, z/zzz
// milliseconds, "/" the date separator, ":" the time separator, text in single or double
// quotes as it stands. Letters are recognised in either case; anything else is copied.
QString FormatDateTime(const QString &format, const QDateTime &value);

// The short form of the date part ("yyyy-mm-dd"); an invalid value gives empty text.
QString DateToStr(const QDate &value);
QString DateToStr(const QDateTime &value);
// The long form ("yyyy-mm-dd hh:nn:ss"); an invalid value gives empty text.
QString DateTimeToStr(const QDateTime &value);

// Reads a date in the order of the short format, the parts split by the date separator,
// one or two digits for month and day, two or four for the year (surrounding blanks are
// ignored). Failure raises EConvertError naming the text.
QDate StrToDate(const QString &text);
bool TryStrToDate(const QString &text, QDate &value);
// A date as above, optionally followed by a blank and a time h:n or h:n:s. Failure raises
// EConvertError naming the text.
QDateTime StrToDateTime(const QString &text);
bool TryStrToDateTime(const QString &text, QDateTime &value);

// When false (as StartServices leaves it), a null converts to 0, empty text or false; when
// true, converting a null raises EConvertError.
extern bool NullStrictConvert;

int VarToInt(const QVariant &value);
double VarToFloat(const QVariant &value);
QString VarToStr(const QVariant &value);
bool VarToBool(const QVariant &value);

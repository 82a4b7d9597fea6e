#include "DataSet.h"

#include "DataSetFilter.h"
#include "DataSetStorage.h"
#include "Exceptions.h"

#include <QChar>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString &ClosedMessage()
{
    static const QString text = QStringLiteral("数据集已关闭,不能执行此操作");
    return text;
}

[[noreturn]] void ThrowNotEditing()
{
    throw EDatabaseError(QStringLiteral("数据集不在编辑或插入状态"));
}

[[noreturn]] void ThrowEmpty()
{
    throw EDatabaseError(QStringLiteral("数据集为空,不能执行此操作"));
}

bool IsShortText(FieldKind kind)
{
    return kind == FieldKind::String || kind == FieldKind::WideString;
}

// The size CoerceToKind cuts to: only short texts are ever cut.
int CutSize(const TField &field)
{
    return IsShortText(field.Kind()) ? field.Size() : 0;
}

QString KindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer:
        return QStringLiteral("整数");
    case FieldKind::LargeInt:
        return QStringLiteral("长整数");
    case FieldKind::Float:
        return QStringLiteral("浮点数");
    case FieldKind::Boolean:
        return QStringLiteral("布尔值");
    case FieldKind::DateTime:
        return QStringLiteral("日期时间");
    case FieldKind::String:
    case FieldKind::WideString:
        return QStringLiteral("文本");
    case FieldKind::Memo:
        return QStringLiteral("长文本");
    case FieldKind::Blob:
        return QStringLiteral("二进制数据");
    case FieldKind::Variant:
        return QStringLiteral("任意值");
    }
    return {};
}

QString ValueTypeName(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QChar:
        return QStringLiteral("文本");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QStringLiteral("整数");
    case QMetaType::Double:
    case QMetaType::Float:
        return QStringLiteral("浮点数");
    case QMetaType::Bool:
        return QStringLiteral("布尔值");
    case QMetaType::QDate:
        return QStringLiteral("日期");
    case QMetaType::QTime:
        return QStringLiteral("时间");
    case QMetaType::QDateTime:
        return QStringLiteral("日期时间");
    case QMetaType::QByteArray:
        return QStringLiteral("二进制数据");
    default:
        return QString::fromLatin1(value.typeName());
    }
}

[[noreturn]] void ThrowMismatch(const QVariant &value, FieldKind kind, const QString &fieldName)
{
    throw EDatabaseError(QStringLiteral("字段 '%1' 的类型不匹配,应为%2,实为%3")
                             .arg(fieldName, KindName(kind), ValueTypeName(value)));
}

bool IsIntegerType(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool IsFloatType(int type)
{
    return type == QMetaType::Double || type == QMetaType::Float;
}

bool IsDateType(int type)
{
    return type == QMetaType::QDateTime || type == QMetaType::QDate;
}

// Digits at `at`, at least `minDigits` and at most `maxDigits`.
bool ReadNumber(QStringView text, qsizetype &at, int minDigits, int maxDigits, int &out)
{
    int digits = 0;
    int value = 0;
    while (at < text.size() && digits < maxDigits && text[at].isDigit() && text[at].unicode() < 128) {
        value = value * 10 + (text[at].unicode() - '0');
        ++at;
        ++digits;
    }
    out = value;
    return digits >= minDigits;
}

// "yyyy-mm-dd", "yyyy/mm/dd", each optionally followed by " hh:nn", " hh:nn:ss" or
// " hh:nn:ss.zzz" (a 'T' in place of the blank), and by a zone suffix that is ignored because
// the values are naive.
std::optional<QDateTime> ParseDateTimeText(QStringView text)
{
    text = text.trimmed();
    qsizetype at = 0;
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text, at, 4, 4, year) || at >= text.size())
        return std::nullopt;
    const QChar separator = text[at];
    if (separator != u'-' && separator != u'/')
        return std::nullopt;
    ++at;
    if (!ReadNumber(text, at, 1, 2, month) || at >= text.size() || text[at] != separator)
        return std::nullopt;
    ++at;
    if (!ReadNumber(text, at, 1, 2, day))
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (at < text.size() && (text[at] == u' ' || text[at] == u'T')) {
        ++at;
        if (!ReadNumber(text, at, 1, 2, hour) || at >= text.size() || text[at] != u':')
            return std::nullopt;
        ++at;
        if (!ReadNumber(text, at, 2, 2, minute))
            return std::nullopt;
        if (at < text.size() && text[at] == u':') {
            ++at;
            if (!ReadNumber(text, at, 2, 2, second))
                return std::nullopt;
            if (at < text.size() && (text[at] == u'.' || text[at] == u',')) {
                ++at;
                const qsizetype start = at;
                if (!ReadNumber(text, at, 1, 3, msec))
                    return std::nullopt;
                for (qsizetype n = at - start; n < 3; ++n)
                    msec *= 10;
                while (at < text.size() && text[at].isDigit())
                    ++at;
            }
        }
    }
    if (at < text.size()) {
        const QStringView zone = text.mid(at);
        const bool utc = zone == u"Z";
        const bool offset = (zone[0] == u'+' || zone[0] == u'-') && zone.size() >= 3 && zone.size() <= 6;
        if (!utc && !offset)
            return std::nullopt;
    }
    const QTime time(hour, minute, second, msec);
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

QString DateTimeText(const QDateTime &value)
{
    const QTime time = value.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return value.date().toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString FloatText(double value)
{
    return QString::number(value, 'g', 15);
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool ToInt64(const QVariant &value, qint64 &out)
{
    const int type = value.typeId();
    if (type == QMetaType::ULongLong) {
        const qulonglong n = value.toULongLong();
        if (n > qulonglong(std::numeric_limits<qint64>::max()))
            return false;
        out = qint64(n);
        return true;
    }
    if (IsIntegerType(type)) {
        out = value.toLongLong();
        return true;
    }
    if (type == QMetaType::Bool) {
        out = value.toBool() ? 1 : 0;
        return true;
    }
    double number = 0;
    if (IsFloatType(type)) {
        number = value.toDouble();
    } else if (type == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        out = text.toLongLong(&ok);
        if (ok)
            return true;
        number = text.toDouble(&ok);
        if (!ok)
            return false;
    } else {
        return false;
    }
    // Whole numbers only below 2^63; the default rounding mode rounds halves to even.
    if (!std::isfinite(number) || std::fabs(number) >= 9.2e18)
        return false;
    out = qint64(std::nearbyint(number));
    return true;
}

bool ToDouble(const QVariant &value, double &out)
{
    const int type = value.typeId();
    if (IsFloatType(type) || IsIntegerType(type)) {
        out = value.toDouble();
        return true;
    }
    if (type == QMetaType::Bool) {
        out = value.toBool() ? 1 : 0;
        return true;
    }
    if (type == QMetaType::QString) {
        bool ok = false;
        out = value.toString().trimmed().toDouble(&ok);
        return ok;
    }
    return false;
}

bool ToBool(const QVariant &value, bool &out)
{
    const int type = value.typeId();
    if (type == QMetaType::Bool) {
        out = value.toBool();
        return true;
    }
    if (IsIntegerType(type) || IsFloatType(type)) {
        out = value.toDouble() != 0;
        return true;
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1") {
            out = true;
            return true;
        }
        if (text.compare(u"false", Qt::CaseInsensitive) == 0 || text == u"0") {
            out = false;
            return true;
        }
    }
    return false;
}

std::optional<QDateTime> ToDateTime(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), dt.time());
    }
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QString:
        return ParseDateTimeText(value.toString());
    default:
        return std::nullopt;
    }
}

// Cuts without splitting a surrogate pair.
QStringView CutText(QStringView text, int size)
{
    if (size <= 0 || text.size() <= size)
        return text;
    qsizetype n = size;
    if (text[n - 1].isHighSurrogate() && text[n].isLowSurrogate())
        --n;
    return text.left(n);
}

// Days since 1899-12-30 with the time of day as fraction: the classic float form of a date.
constexpr qint64 FloatDateEpochJulianDay = 2415019;

} // namespace

// ---- text rules ----

namespace DataSetText {

const char16_t *FoldTable()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(65536);
        for (char32_t unit = 0; unit < 65536; ++unit) {
            char32_t folded = unit;
            if (unit < 0xD800 || unit > 0xDFFF) {
                folded = QChar::toCaseFolded(unit);
                if (folded > 0xFFFF)
                    folded = unit;
            }
            t[unit] = char16_t(folded);
        }
        return t;
    }();
    return table.data();
}

char16_t FoldSurrogate(const char16_t *text, qsizetype length, qsizetype at)
{
    const char16_t unit = text[at];
    if (QChar::isHighSurrogate(unit) && at + 1 < length && QChar::isLowSurrogate(text[at + 1])) {
        const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, text[at + 1]));
        return folded > 0xFFFF ? QChar::highSurrogate(folded) : unit;
    }
    if (QChar::isLowSurrogate(unit) && at > 0 && QChar::isHighSurrogate(text[at - 1])) {
        const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(text[at - 1], unit));
        return folded > 0xFFFF ? QChar::lowSurrogate(folded) : unit;
    }
    return unit;
}

int CompareFolded(QStringView a, QStringView b)
{
    const char16_t *table = FoldTable();
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i] && (pa[i] & 0xF800) != 0xD800)
            continue;
        const char16_t fa = FoldAt(table, pa, a.size(), i);
        const char16_t fb = FoldAt(table, pb, b.size(), i);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareText(QStringView a, QStringView b)
{
    const int folded = CompareFolded(a, b);
    if (folded != 0)
        return folded;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a.utf16()[i] != b.utf16()[i])
            return a.utf16()[i] < b.utf16()[i] ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualFolded(QStringView a, QStringView b)
{
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

} // namespace DataSetText

qint64 NaiveMsecs(const QDateTime &value)
{
    return value.date().toJulianDay() * MsecsPerDay + value.time().msecsSinceStartOfDay();
}

QDateTime FromNaiveMsecs(qint64 msecs)
{
    qint64 day = msecs / MsecsPerDay;
    qint64 rest = msecs % MsecsPerDay;
    if (rest < 0) {
        rest += MsecsPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(rest)));
}

int CompareVariants(const QVariant &a, const QVariant &b)
{
    const bool an = a.isNull();
    const bool bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const int ta = a.typeId();
    const int tb = b.typeId();
    const bool numberA = IsIntegerType(ta) || IsFloatType(ta) || ta == QMetaType::Bool;
    const bool numberB = IsIntegerType(tb) || IsFloatType(tb) || tb == QMetaType::Bool;
    if (numberA && numberB) {
        if (IsIntegerType(ta) && IsIntegerType(tb) && ta != QMetaType::ULongLong &&
            tb != QMetaType::ULongLong) {
            const qint64 x = a.toLongLong();
            const qint64 y = b.toLongLong();
            return x == y ? 0 : (x < y ? -1 : 1);
        }
        const quint64 x = TDataSet::Column::FloatKey(a.toDouble());
        const quint64 y = TDataSet::Column::FloatKey(b.toDouble());
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    if (IsDateType(ta) && IsDateType(tb)) {
        const qint64 x = NaiveMsecs(*ToDateTime(a));
        const qint64 y = NaiveMsecs(*ToDateTime(b));
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    if (ta == QMetaType::QByteArray && tb == QMetaType::QByteArray) {
        const int c = a.toByteArray().compare(b.toByteArray());
        return c == 0 ? 0 : (c < 0 ? -1 : 1);
    }
    return DataSetText::CompareText(a.toString(), b.toString());
}

// ---- conversions ----

QVariant CoerceToKind(const QVariant &value, FieldKind kind, int size, const QString &fieldName)
{
    if (value.isNull())
        return {};
    const int type = value.typeId();
    switch (kind) {
    case FieldKind::Variant:
        return value;
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo: {
        QString text;
        if (type == QMetaType::QString) {
            const QString &given = *static_cast<const QString *>(value.constData());
            if (size <= 0 || given.size() <= size)
                return value;
            text = given;
        } else if (IsDateType(type)) {
            text = DateTimeText(*ToDateTime(value));
        } else if (IsFloatType(type)) {
            text = FloatText(value.toDouble());
        } else if (type == QMetaType::Bool) {
            text = BoolText(value.toBool());
        } else if (type == QMetaType::QByteArray) {
            text = QString::fromUtf8(value.toByteArray());
        } else if (value.canConvert<QString>()) {
            text = value.toString();
        } else {
            ThrowMismatch(value, kind, fieldName);
        }
        return CutText(text, size).toString();
    }
    case FieldKind::Integer: {
        if (type == QMetaType::Int)
            return value;
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        qint64 number = 0;
        if (!ToInt64(value, number))
            ThrowMismatch(value, kind, fieldName);
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            throw EDatabaseError(QStringLiteral("值 %1 超出字段 '%2' 的范围").arg(number).arg(fieldName));
        return int(number);
    }
    case FieldKind::LargeInt: {
        if (type == QMetaType::LongLong)
            return value;
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        qint64 number = 0;
        if (!ToInt64(value, number))
            ThrowMismatch(value, kind, fieldName);
        return qlonglong(number);
    }
    case FieldKind::Float: {
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        double number = 0;
        if (!ToDouble(value, number))
            ThrowMismatch(value, kind, fieldName);
        return number;
    }
    case FieldKind::Boolean: {
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        bool flag = false;
        if (!ToBool(value, flag))
            ThrowMismatch(value, kind, fieldName);
        return flag;
    }
    case FieldKind::DateTime: {
        if (type == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        if (type == QMetaType::QDateTime && !value.toDateTime().isValid())
            return {};
        const std::optional<QDateTime> dt = ToDateTime(value);
        if (!dt || !dt->isValid())
            ThrowMismatch(value, kind, fieldName);
        return *dt;
    }
    case FieldKind::Blob:
        if (type == QMetaType::QByteArray)
            return value;
        if (type == QMetaType::QString)
            return value.toString().toUtf8();
        ThrowMismatch(value, kind, fieldName);
    }
    return value;
}

QString DisplayTextOf(const QVariant &value, FieldKind kind)
{
    if (value.isNull())
        return {};
    const int type = value.typeId();
    switch (kind) {
    case FieldKind::DateTime: {
        const std::optional<QDateTime> dt = ToDateTime(value);
        return dt && dt->isValid() ? DateTimeText(*dt) : value.toString();
    }
    case FieldKind::Float:
        return IsFloatType(type) || IsIntegerType(type) ? FloatText(value.toDouble()) : value.toString();
    case FieldKind::Boolean:
        return type == QMetaType::Bool ? BoolText(value.toBool()) : value.toString();
    case FieldKind::Blob:
        return QStringLiteral("(BLOB)");
    case FieldKind::Variant:
        if (IsFloatType(type))
            return FloatText(value.toDouble());
        if (type == QMetaType::Bool)
            return BoolText(value.toBool());
        if (IsDateType(type))
            return DateTimeText(*ToDateTime(value));
        if (type == QMetaType::QByteArray)
            return QStringLiteral("(BLOB)");
        return value.toString();
    case FieldKind::Integer:
    case FieldKind::LargeInt:
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo:
        break;
    }
    return value.toString();
}

// ---- storage ----

TDataSet::Storage::Storage(const std::vector<std::unique_ptr<TField>> &fields)
{
    columns.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        Column &column = columns[i];
        column.field = fields[i].get();
        column.kind = fields[i]->Kind();
        column.calculated = fields[i]->Calculated();
        column.shortText = IsShortText(column.kind);
    }
}

quint32 TDataSet::Storage::AddRow()
{
    if (rowCount == std::numeric_limits<quint32>::max())
        throw EDatabaseError(QStringLiteral("数据集中的记录过多"));
    const quint32 row = rowCount++;
    deleted.push_back(0);
    for (Column &column : columns) {
        if (column.calculated)
            continue;
        column.nulls.push_back(1);
        switch (column.kind) {
        case FieldKind::Integer:
        case FieldKind::LargeInt:
        case FieldKind::Boolean:
        case FieldKind::DateTime:
            column.ints.push_back(0);
            break;
        case FieldKind::Float:
            column.floats.push_back(0);
            break;
        case FieldKind::String:
        case FieldKind::WideString:
        case FieldKind::Memo:
            column.offsets.push_back(0);
            column.lengths.push_back(0);
            break;
        case FieldKind::Blob:
            column.blobs.emplace_back();
            break;
        case FieldKind::Variant:
            column.variants.emplace_back();
            break;
        }
    }
    return row;
}

void TDataSet::Storage::StoreText(Column &column, quint32 row, QStringView text)
{
    text = CutText(text, column.shortText ? column.field->Size() : 0);
    // An edit that is not longer than the old text reuses its slice, so that repeated edits
    // of the same row do not grow the arena.
    if (!column.IsNull(row) && text.size() <= qsizetype(column.lengths[row])) {
        std::copy(text.utf16(), text.utf16() + text.size(), column.arena.begin() + column.offsets[row]);
        column.lengths[row] = quint32(text.size());
        return;
    }
    const size_t offset = column.arena.size();
    if (offset + size_t(text.size()) > std::numeric_limits<quint32>::max())
        throw EDatabaseError(QStringLiteral("数据集字段 '%1' 中的文本过多").arg(column.field->FieldName()));
    column.arena.insert(column.arena.end(), text.utf16(), text.utf16() + text.size());
    column.offsets[row] = quint32(offset);
    column.lengths[row] = quint32(text.size());
    column.nulls[row] = 0;
}

void TDataSet::Storage::Store(Column &column, quint32 row, const QVariant &value)
{
    if (column.calculated)
        return;
    if (value.isNull()) {
        column.nulls[row] = 1;
        if (column.kind == FieldKind::Blob)
            column.blobs[row] = QByteArray();
        else if (column.kind == FieldKind::Variant)
            column.variants[row] = QVariant();
        return;
    }
    const int type = value.typeId();
    switch (column.kind) {
    case FieldKind::Integer:
        if (type == QMetaType::Int) {
            column.ints[row] = *static_cast<const int *>(value.constData());
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::LargeInt:
        if (type == QMetaType::LongLong) {
            column.ints[row] = *static_cast<const qlonglong *>(value.constData());
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::Boolean:
        if (type == QMetaType::Bool) {
            column.ints[row] = *static_cast<const bool *>(value.constData()) ? 1 : 0;
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::DateTime:
        if (type == QMetaType::QDateTime) {
            const QDateTime &dt = *static_cast<const QDateTime *>(value.constData());
            if (!dt.isValid()) {
                column.nulls[row] = 1;
                return;
            }
            column.ints[row] = NaiveMsecs(dt);
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::Float:
        if (type == QMetaType::Double) {
            column.floats[row] = *static_cast<const double *>(value.constData());
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo:
        if (type == QMetaType::QString) {
            StoreText(column, row, *static_cast<const QString *>(value.constData()));
            return;
        }
        break;
    case FieldKind::Blob:
        if (type == QMetaType::QByteArray) {
            column.blobs[row] = value.toByteArray();
            column.nulls[row] = 0;
            return;
        }
        break;
    case FieldKind::Variant:
        column.variants[row] = value;
        column.nulls[row] = 0;
        return;
    }
    const QVariant coerced = CoerceToKind(value, column.kind, 0, column.field->FieldName());
    if (coerced.isNull()) {
        column.nulls[row] = 1;
        return;
    }
    Store(column, row, coerced);
}

QVariant TDataSet::Storage::Value(const Column &column, quint32 row) const
{
    if (column.IsNull(row))
        return {};
    switch (column.kind) {
    case FieldKind::Integer:
        return int(column.ints[row]);
    case FieldKind::LargeInt:
        return qlonglong(column.ints[row]);
    case FieldKind::Boolean:
        return column.ints[row] != 0;
    case FieldKind::DateTime:
        return FromNaiveMsecs(column.ints[row]);
    case FieldKind::Float:
        return column.floats[row];
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo:
        return column.Text(row).toString();
    case FieldKind::Blob:
        return column.blobs[row];
    case FieldKind::Variant:
        return column.variants[row];
    }
    return {};
}

bool TDataSet::Storage::CellEquals(const Column &column, quint32 row, const QVariant &value) const
{
    if (value.isNull() || column.IsNull(row))
        return value.isNull() && column.IsNull(row);
    switch (column.kind) {
    case FieldKind::Integer:
    case FieldKind::LargeInt:
        return column.ints[row] == value.toLongLong();
    case FieldKind::Boolean:
        return (column.ints[row] != 0) == value.toBool();
    case FieldKind::DateTime:
        return column.ints[row] == NaiveMsecs(value.toDateTime());
    case FieldKind::Float:
        return column.floats[row] == value.toDouble();
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo:
        return column.Text(row) == *static_cast<const QString *>(value.constData());
    case FieldKind::Blob:
        return column.blobs[row] == value.toByteArray();
    case FieldKind::Variant:
        return CompareVariants(column.variants[row], value) == 0;
    }
    return false;
}

int TDataSet::Storage::CompareCells(const Column &column, quint32 a, quint32 b) const
{
    const bool an = column.IsNull(a);
    const bool bn = column.IsNull(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (column.kind) {
    case FieldKind::Integer:
    case FieldKind::LargeInt:
    case FieldKind::Boolean:
    case FieldKind::DateTime: {
        const qint64 x = column.ints[a];
        const qint64 y = column.ints[b];
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    case FieldKind::Float: {
        const quint64 x = Column::FloatKey(column.floats[a]);
        const quint64 y = Column::FloatKey(column.floats[b]);
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    case FieldKind::String:
    case FieldKind::WideString:
    case FieldKind::Memo:
        return DataSetText::CompareText(column.Text(a), column.Text(b));
    case FieldKind::Blob: {
        const int c = column.blobs[a].compare(column.blobs[b]);
        return c == 0 ? 0 : (c < 0 ? -1 : 1);
    }
    case FieldKind::Variant:
        return CompareVariants(column.variants[a], column.variants[b]);
    }
    return 0;
}

// ---- fields ----

TField::TField(TDataSet *dataSet, FieldKind kind, const QString &name, int index)
    : m_dataSet(dataSet), m_kind(kind), m_name(name), m_index(index),
      m_size(IsShortText(kind) ? DefaultStringSize : 0)
{
}

bool TField::IsText() const
{
    return m_kind == FieldKind::String || m_kind == FieldKind::WideString || m_kind == FieldKind::Memo;
}

QVariant TField::Value() const
{
    return m_dataSet->CurrentValue(m_index);
}

void TField::SetValue(const QVariant &value)
{
    m_dataSet->SetCurrentValue(m_index, value);
}

bool TField::IsNull() const
{
    return Value().isNull();
}

QString TField::AsString() const
{
    const QVariant value = Value();
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return DisplayTextOf(value, m_kind);
}

void TField::SetAsString(const QString &text)
{
    SetValue(text);
}

int TField::AsInteger() const
{
    const QVariant value = Value();
    if (value.isNull())
        return 0;
    qint64 number = 0;
    if (IsDateType(value.typeId()) || !ToInt64(value, number) || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max())
        throw EConvertError(QStringLiteral("'%1' 不是有效的整数").arg(AsString()));
    return int(number);
}

qint64 TField::AsLargeInt() const
{
    const QVariant value = Value();
    if (value.isNull())
        return 0;
    qint64 number = 0;
    if (IsDateType(value.typeId()) || !ToInt64(value, number))
        throw EConvertError(QStringLiteral("'%1' 不是有效的整数").arg(AsString()));
    return number;
}

double TField::AsFloat() const
{
    const QVariant value = Value();
    if (value.isNull())
        return 0;
    if (IsDateType(value.typeId())) {
        const QDateTime dt = *ToDateTime(value);
        return double(dt.date().toJulianDay() - FloatDateEpochJulianDay) +
               double(dt.time().msecsSinceStartOfDay()) / double(MsecsPerDay);
    }
    double number = 0;
    if (!ToDouble(value, number))
        throw EConvertError(QStringLiteral("'%1' 不是有效的浮点数").arg(AsString()));
    return number;
}

bool TField::AsBoolean() const
{
    const QVariant value = Value();
    if (value.isNull())
        return false;
    bool flag = false;
    if (!ToBool(value, flag))
        throw EConvertError(QStringLiteral("'%1' 不是有效的布尔值").arg(AsString()));
    return flag;
}

QDateTime TField::AsDateTime() const
{
    const QVariant value = Value();
    if (value.isNull())
        return {};
    const std::optional<QDateTime> dt = ToDateTime(value);
    if (!dt || !dt->isValid())
        throw EConvertError(QStringLiteral("'%1' 不是有效的日期和时间").arg(AsString()));
    return *dt;
}

QString TField::DisplayText() const
{
    return DisplayTextOf(Value(), m_kind);
}

// ---- data set: structure ----

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

TDataSet::~TDataSet() = default;

TField *TDataSet::AddField(FieldKind kind, const QString &name, int size)
{
    if (Active())
        throw EDatabaseError(QStringLiteral("数据集已打开,不能执行此操作"));
    if (FindField(name))
        throw EDatabaseError(QStringLiteral("字段名 '%1' 重复").arg(name));
    std::unique_ptr<TField> field(new TField(this, kind, name, FieldCount()));
    if (size >= 0)
        field->m_size = size;
    m_fields.push_back(std::move(field));
    return m_fields.back().get();
}

TField *TDataSet::AddCalcField(FieldKind kind, const QString &name,
                               std::function<QVariant(const TDataSet &, int)> calc)
{
    TField *field = AddField(kind, name);
    field->m_calc = std::move(calc);
    return field;
}

void TDataSet::ClearFields()
{
    if (Active())
        throw EDatabaseError(QStringLiteral("数据集已打开,不能执行此操作"));
    m_fields.clear();
    m_sortText.clear();
    m_sortKeys.clear();
    m_filterText.clear();
}

TField *TDataSet::FindField(const QString &name) const
{
    for (const std::unique_ptr<TField> &field : m_fields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(name));
    return field;
}

// ---- data set: life ----

void TDataSet::OpenEmpty()
{
    if (Active())
        Close();
    m_storage = std::make_unique<Storage>(m_fields);
    m_view.clear();
    m_buffer.clear();
    m_current = -1;
    m_eof = m_bof = true;
    SetState(DataSetState::Browse);
    NotifyReset();
}

void TDataSet::CreateDataSet()
{
    OpenEmpty();
}

void TDataSet::Close()
{
    if (!Active())
        return;
    m_storage.reset();
    m_view.clear();
    m_view.shrink_to_fit();
    m_buffer.clear();
    m_bufferChanged.clear();
    m_current = -1;
    m_insertAt = -1;
    m_eof = m_bof = true;
    m_sortText.clear();
    m_sortKeys.clear();
    m_filterText.clear();
    SetState(DataSetState::Inactive);
    NotifyReset();
}

void TDataSet::BeginLoad()
{
    OpenEmpty();
}

void TDataSet::LoadRow(const QVariant *values)
{
    RequireActive();
    const quint32 row = m_storage->AddRow();
    for (size_t i = 0; i < m_storage->columns.size(); ++i) {
        Column &column = m_storage->columns[i];
        if (!column.calculated)
            m_storage->Store(column, row, values[i]);
    }
}

void TDataSet::EndLoad()
{
    RequireActive();
    RebuildView();
    m_current = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    NotifyReset();
    if (!Quiet())
        emit CurrentChanged(m_current);
}

// ---- data set: cursor ----

void TDataSet::RequireActive() const
{
    if (!Active())
        throw EDatabaseError(ClosedMessage());
}

int TDataSet::RecordCount() const
{
    RequireActive();
    return int(m_view.size());
}

bool TDataSet::IsEmpty() const
{
    return !Active() || m_view.empty();
}

int TDataSet::RecNo() const
{
    return Active() ? m_current : -1;
}

void TDataSet::SetRecNo(int row)
{
    RequireActive();
    CheckBrowseMode();
    if (row < 0 || row >= int(m_view.size()))
        return;
    m_eof = m_bof = false;
    SetCurrent(row);
}

void TDataSet::First()
{
    RequireActive();
    CheckBrowseMode();
    m_bof = true;
    m_eof = m_view.empty();
    SetCurrent(m_view.empty() ? -1 : 0);
}

void TDataSet::Last()
{
    RequireActive();
    CheckBrowseMode();
    m_eof = true;
    m_bof = m_view.empty();
    SetCurrent(int(m_view.size()) - 1);
}

void TDataSet::Next()
{
    MoveBy(1);
}

void TDataSet::Prior()
{
    MoveBy(-1);
}

void TDataSet::MoveBy(int distance)
{
    RequireActive();
    CheckBrowseMode();
    if (distance == 0)
        return;
    const qint64 count = qint64(m_view.size());
    if (count == 0) {
        m_eof = m_bof = true;
        return;
    }
    qint64 target = qint64(m_current) + distance;
    if (distance > 0) {
        m_bof = false;
        m_eof = target >= count;
        target = std::min(target, count - 1);
    } else {
        m_eof = false;
        m_bof = target < 0;
        target = std::max<qint64>(target, 0);
    }
    SetCurrent(int(target));
}

bool TDataSet::Eof() const
{
    return !Active() || m_eof;
}

bool TDataSet::Bof() const
{
    return !Active() || m_bof;
}

bool TDataSet::Locate(const QString &fieldName, const QVariant &value)
{
    RequireActive();
    CheckBrowseMode();
    const TField *field = FieldByName(fieldName);
    const QVariant wanted = CoerceToKind(value, field->Kind(), CutSize(*field), field->FieldName());
    for (size_t row = 0; row < m_view.size(); ++row) {
        const quint32 physical = m_view[row];
        const bool match =
            field->Calculated()
                ? CompareVariants(PhysicalValue(int(physical), field->Index()), wanted) == 0
                : m_storage->CellEquals(m_storage->columns[size_t(field->Index())], physical, wanted);
        if (match) {
            m_eof = m_bof = false;
            SetCurrent(int(row));
            return true;
        }
    }
    return false;
}

int TDataSet::Bookmark() const
{
    if (!Active() || m_current < 0)
        return -1;
    return int(m_view[size_t(m_current)]);
}

bool TDataSet::GotoBookmark(int physicalRow)
{
    RequireActive();
    CheckBrowseMode();
    const auto found = std::find(m_view.begin(), m_view.end(), quint32(physicalRow));
    if (physicalRow < 0 || found == m_view.end())
        return false;
    m_eof = m_bof = false;
    SetCurrent(int(found - m_view.begin()));
    return true;
}

int TDataSet::PhysicalRow(int row) const
{
    if (row < 0 || row >= int(m_view.size()))
        return -1;
    return int(m_view[size_t(row)]);
}

void TDataSet::SetCurrent(int row)
{
    if (row == m_current)
        return;
    m_current = row;
    if (!Quiet())
        emit CurrentChanged(row);
}

// ---- data set: editing ----

void TDataSet::SetState(DataSetState state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (!Quiet())
        emit StateChanged();
}

void TDataSet::CheckBrowseMode()
{
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        Post();
}

void TDataSet::StartInsert(int position)
{
    m_buffer.assign(m_fields.size(), QVariant());
    m_bufferChanged.assign(m_fields.size(), false);
    m_insertAt = position;
    SetState(DataSetState::Insert);
}

void TDataSet::Append()
{
    RequireActive();
    CheckBrowseMode();
    StartInsert(int(m_view.size()));
}

void TDataSet::Insert()
{
    RequireActive();
    CheckBrowseMode();
    StartInsert(std::max(m_current, 0));
}

void TDataSet::Edit()
{
    RequireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    if (m_current < 0)
        ThrowEmpty();
    const quint32 physical = m_view[size_t(m_current)];
    m_buffer.assign(m_fields.size(), QVariant());
    m_bufferChanged.assign(m_fields.size(), false);
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (!m_fields[i]->Calculated())
            m_buffer[i] = m_storage->Value(m_storage->columns[i], physical);
    SetState(DataSetState::Edit);
}

void TDataSet::Post()
{
    RequireActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        ThrowNotEditing();
    UpdateRecord();
    if (m_state == DataSetState::Edit) {
        const quint32 physical = m_view[size_t(m_current)];
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (m_bufferChanged[i])
                m_storage->Store(m_storage->columns[i], physical, m_buffer[i]);
        m_buffer.clear();
        SetState(DataSetState::Browse);
        if (!Quiet())
            emit RowChanged(m_current);
        return;
    }
    const quint32 physical = m_storage->AddRow();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_storage->Store(m_storage->columns[i], physical, m_buffer[i]);
    m_buffer.clear();
    const int position = std::clamp(m_insertAt, 0, int(m_view.size()));
    m_view.insert(m_view.begin() + position, physical);
    m_insertAt = -1;
    m_current = position;
    m_eof = m_bof = false;
    SetState(DataSetState::Browse);
    if (!Quiet()) {
        emit RowInserted(position);
        emit CurrentChanged(position);
    }
}

void TDataSet::Cancel()
{
    RequireActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    m_buffer.clear();
    m_bufferChanged.clear();
    m_insertAt = -1;
    SetState(DataSetState::Browse);
}

void TDataSet::Delete()
{
    RequireActive();
    if (m_state == DataSetState::Insert) {
        Cancel();
        return;
    }
    Cancel();
    if (m_current < 0)
        ThrowEmpty();
    const int position = m_current;
    m_storage->deleted[m_view[size_t(position)]] = 1;
    m_view.erase(m_view.begin() + position);
    if (m_view.empty()) {
        m_current = -1;
        m_eof = m_bof = true;
    } else {
        m_current = std::min(position, int(m_view.size()) - 1);
        m_eof = m_bof = false;
    }
    if (!Quiet()) {
        emit RowRemoved(position);
        emit CurrentChanged(m_current);
    }
}

void TDataSet::DeleteAll()
{
    RequireActive();
    Cancel();
    for (const quint32 row : m_view)
        m_storage->deleted[row] = 1;
    m_view.clear();
    m_current = -1;
    m_eof = m_bof = true;
    NotifyReset();
    if (!Quiet())
        emit CurrentChanged(m_current);
}

void TDataSet::UpdateRecord()
{
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    if (!Quiet())
        emit UpdateRecordRequested();
}

QVariant TDataSet::CurrentValue(int fieldIndex) const
{
    const TField &field = *m_fields[size_t(fieldIndex)];
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        if (!field.Calculated())
            return m_buffer[size_t(fieldIndex)];
        if (m_state == DataSetState::Insert)
            return {};
    }
    if (!Active() || m_current < 0)
        return {};
    return PhysicalValue(int(m_view[size_t(m_current)]), fieldIndex);
}

void TDataSet::SetCurrentValue(int fieldIndex, const QVariant &value)
{
    RequireActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        ThrowNotEditing();
    const TField &field = *m_fields[size_t(fieldIndex)];
    if (field.Calculated())
        throw EDatabaseError(QStringLiteral("字段 '%1' 不能修改").arg(field.FieldName()));
    m_buffer[size_t(fieldIndex)] = CoerceToKind(value, field.Kind(), CutSize(field), field.FieldName());
    m_bufferChanged[size_t(fieldIndex)] = true;
    if (!Quiet())
        emit FieldChanged(fieldIndex);
}

// ---- data set: values by row ----

QVariant TDataSet::ValueAt(int row, int fieldIndex) const
{
    if (!Active() || row < 0 || row >= int(m_view.size()))
        return {};
    return PhysicalValue(int(m_view[size_t(row)]), fieldIndex);
}

QString TDataSet::DisplayTextAt(int row, int fieldIndex) const
{
    if (!Active() || row < 0 || row >= int(m_view.size()))
        return {};
    const TField &field = *m_fields[size_t(fieldIndex)];
    if (field.IsText() && !field.Calculated()) {
        const Column &column = m_storage->columns[size_t(fieldIndex)];
        const quint32 physical = m_view[size_t(row)];
        return column.IsNull(physical) ? QString() : column.Text(physical).toString();
    }
    return DisplayTextOf(ValueAt(row, fieldIndex), field.Kind());
}

QVariant TDataSet::PhysicalValue(int physicalRow, int fieldIndex) const
{
    if (!Active() || physicalRow < 0 || quint32(physicalRow) >= m_storage->rowCount)
        return {};
    const TField &field = *m_fields[size_t(fieldIndex)];
    if (field.Calculated())
        return field.m_calc(*this, physicalRow);
    return m_storage->Value(m_storage->columns[size_t(fieldIndex)], quint32(physicalRow));
}

void TDataSet::SetValueAt(int row, int fieldIndex, const QVariant &value)
{
    RequireActive();
    if (row < 0 || row >= int(m_view.size()))
        throw EDatabaseError(QStringLiteral("记录 %1 超出范围").arg(row));
    const TField &field = *m_fields[size_t(fieldIndex)];
    if (field.Calculated())
        throw EDatabaseError(QStringLiteral("字段 '%1' 不能修改").arg(field.FieldName()));
    const QVariant coerced = CoerceToKind(value, field.Kind(), CutSize(field), field.FieldName());
    m_storage->Store(m_storage->columns[size_t(fieldIndex)], m_view[size_t(row)], coerced);
    if (!Quiet())
        emit RowChanged(row);
}

// ---- data set: order and filter ----

namespace {

std::vector<std::pair<int, bool>> ParseSortText(const TDataSet &dataSet, const QString &text)
{
    std::vector<std::pair<int, bool>> keys;
    for (QStringView item : QStringView(text).split(u',')) {
        item = item.trimmed();
        if (item.isEmpty())
            continue;
        QString name;
        QStringView rest;
        if (item.startsWith(u'[')) {
            const qsizetype close = item.indexOf(u']');
            if (close < 0)
                throw EDatabaseError(QStringLiteral("排序条件 '%1' 有误").arg(text));
            name = item.mid(1, close - 1).toString();
            rest = item.mid(close + 1).trimmed();
        } else {
            qsizetype end = 0;
            while (end < item.size() && !item[end].isSpace())
                ++end;
            name = item.left(end).toString();
            rest = item.mid(end).trimmed();
        }
        bool descending = false;
        if (rest.compare(u"DESC", Qt::CaseInsensitive) == 0)
            descending = true;
        else if (!rest.isEmpty() && rest.compare(u"ASC", Qt::CaseInsensitive) != 0)
            throw EDatabaseError(QStringLiteral("排序条件 '%1' 有误").arg(text));
        keys.emplace_back(dataSet.FieldByName(name)->Index(), descending);
    }
    return keys;
}

} // namespace

void TDataSet::SetSort(const QString &sortText)
{
    std::vector<std::pair<int, bool>> keys = ParseSortText(*this, sortText);
    if (Active())
        CheckBrowseMode();
    m_sortText = sortText;
    m_sortKeys = std::move(keys);
    ApplyOrder();
}

void TDataSet::SetFilter(const QString &filterText)
{
    if (!filterText.trimmed().isEmpty())
        TDataSetFilter check(*this, filterText);
    if (Active())
        CheckBrowseMode();
    m_filterText = filterText;
    if (m_filtered)
        ApplyOrder();
}

void TDataSet::SetFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (Active())
        CheckBrowseMode();
    m_filtered = filtered;
    if (!m_filterText.trimmed().isEmpty())
        ApplyOrder();
}

// Rebuilds the visible rows and keeps the cursor on its record when that stays visible.
void TDataSet::ApplyOrder()
{
    if (!Active())
        return;
    const int bookmark = Bookmark();
    RebuildView();
    const auto found = std::find(m_view.begin(), m_view.end(), quint32(bookmark));
    m_current =
        m_view.empty() ? -1 : (bookmark >= 0 && found != m_view.end() ? int(found - m_view.begin()) : 0);
    m_eof = m_bof = m_view.empty();
    NotifyReset();
    if (!Quiet())
        emit CurrentChanged(m_current);
}

void TDataSet::RebuildView()
{
    m_view.clear();
    if (!m_storage)
        return;
    std::unique_ptr<TDataSetFilter> filter;
    if (m_filtered && !m_filterText.trimmed().isEmpty())
        filter = std::make_unique<TDataSetFilter>(*this, m_filterText);
    m_view.reserve(m_storage->rowCount);
    for (quint32 row = 0; row < m_storage->rowCount; ++row)
        if (!m_storage->deleted[row] && (!filter || filter->Accepts(row)))
            m_view.push_back(row);
    if (!m_sortKeys.empty())
        SortView();
}

namespace {

// Sorts visible rows by the sort keys, most significant digit first: each pass orders a run of
// rows by one 64-bit key (three folded characters of a text, or a whole number) and passes the
// runs of equal keys on to the next characters or the next sort key. Most of the work is thus
// done on plain integers instead of comparing texts over and over. The physical row is the last
// key, which makes the order total and the sort stable.
class RowSorter
{
public:
    struct Entry
    {
        quint64 key;
        quint32 row;
    };

    RowSorter(const TDataSet &dataSet, const TDataSet::Storage &storage,
              const std::vector<std::pair<int, bool>> &keys)
        : m_dataSet(dataSet), m_storage(storage), m_keys(keys), m_table(DataSetText::FoldTable())
    {
        // Calculated and Variant keys are read once per row rather than once per comparison.
        m_generic.resize(keys.size());
        for (size_t k = 0; k < keys.size(); ++k) {
            const TDataSet::Column &column = Column(k);
            if (column.calculated || column.kind == FieldKind::Variant || column.kind == FieldKind::Blob)
                m_generic[k].resize(storage.rowCount);
        }
    }

    void Sort(std::vector<quint32> &view)
    {
        for (size_t k = 0; k < m_keys.size(); ++k)
            if (!m_generic[k].empty())
                for (quint32 row : view)
                    m_generic[k][row] = m_dataSet.PhysicalValue(int(row), m_keys[k].first);
        std::vector<Entry> entries(view.size());
        for (size_t i = 0; i < view.size(); ++i)
            entries[i] = {0, view[i]};
        SortRun(entries.data(), entries.data() + entries.size(), 0, 0);
        for (size_t i = 0; i < view.size(); ++i)
            view[i] = entries[i].row;
    }

private:
    static constexpr quint64 NotNull = quint64(1) << 63;
    static constexpr int UnitBits = 17;
    static constexpr int UnitsPerKey = 3;
    static constexpr quint64 LastUnitMask = (quint64(1) << UnitBits) - 1;
    // Runs this short are finished with whole-row comparisons.
    static constexpr ptrdiff_t SmallRun = 24;

    const TDataSet::Column &Column(size_t key) const { return m_storage.columns[size_t(m_keys[key].first)]; }

    int CompareKey(size_t key, quint32 a, quint32 b) const
    {
        const int c = m_generic[key].empty() ? m_storage.CompareCells(Column(key), a, b)
                                             : CompareVariants(m_generic[key][a], m_generic[key][b]);
        return m_keys[key].second ? -c : c;
    }

    bool RowLess(quint32 a, quint32 b, size_t fromKey) const
    {
        for (size_t k = fromKey; k < m_keys.size(); ++k)
            if (const int c = CompareKey(k, a, b))
                return c < 0;
        return a < b;
    }

    // Units of the folded text from `level` * 3, each plus one so that the end of a text sorts
    // before any character; the top bit puts every text after null.
    quint64 TextKey(const TDataSet::Column &column, quint32 row, int level) const
    {
        if (column.IsNull(row))
            return 0;
        const QStringView text = column.Text(row);
        quint64 key = 0;
        for (qsizetype i = qsizetype(level) * UnitsPerKey, end = i + UnitsPerKey; i < end; ++i) {
            const quint64 unit =
                i < text.size() ? quint64(DataSetText::FoldAt(m_table, text.utf16(), text.size(), i)) + 1 : 0;
            key = (key << UnitBits) | unit;
        }
        return key | NotNull;
    }

    static quint64 NumberKey(const TDataSet::Column &column, quint32 row)
    {
        if (column.IsNull(row))
            return 0;
        if (column.kind == FieldKind::Float)
            return TDataSet::Column::FloatKey(column.floats[row]);
        return quint64(column.ints[row]) ^ NotNull;
    }

    template <typename Less> void SortThenSplit(Entry *begin, Entry *end, size_t key, Less less)
    {
        std::sort(begin, end, [&](const Entry &a, const Entry &b) { return less(a.row, b.row); });
        for (Entry *run = begin; run < end;) {
            Entry *next = run + 1;
            while (next < end && !less(run->row, next->row))
                ++next;
            SortRun(run, next, key + 1, 0);
            run = next;
        }
    }

    void SortRun(Entry *begin, Entry *end, size_t key, int level)
    {
        if (end - begin < 2)
            return;
        if (key == m_keys.size()) {
            std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.row < b.row; });
            return;
        }
        if (end - begin <= SmallRun) {
            std::sort(begin, end, [&](const Entry &a, const Entry &b) { return RowLess(a.row, b.row, key); });
            return;
        }
        const TDataSet::Column &column = Column(key);
        const bool descending = m_keys[key].second;
        if (!m_generic[key].empty()) {
            SortThenSplit(begin, end, key, [&](quint32 a, quint32 b) { return CompareKey(key, a, b) < 0; });
            return;
        }
        const bool text = column.UsesText();
        for (Entry *e = begin; e < end; ++e) {
            const quint64 k = text ? TextKey(column, e->row, level) : NumberKey(column, e->row);
            e->key = descending ? ~k : k;
        }
        std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.key < b.key; });
        for (Entry *run = begin; run < end;) {
            Entry *next = run + 1;
            while (next < end && next->key == run->key)
                ++next;
            const quint64 k = descending ? ~run->key : run->key;
            if (!text || k == 0)
                SortRun(run, next, key + 1, 0);
            else if ((k & LastUnitMask) != 0)
                SortRun(run, next, key, level + 1);
            else // equal without regard to letter case: the code units decide
                SortThenSplit(run, next, key, [&](quint32 a, quint32 b) {
                    const int c = DataSetText::CompareText(column.Text(a), column.Text(b));
                    return descending ? c > 0 : c < 0;
                });
            run = next;
        }
    }

    const TDataSet &m_dataSet;
    const TDataSet::Storage &m_storage;
    const std::vector<std::pair<int, bool>> &m_keys;
    const char16_t *m_table;
    std::vector<std::vector<QVariant>> m_generic;
};

} // namespace

void TDataSet::SortView()
{
    RowSorter(*this, *m_storage, m_sortKeys).Sort(m_view);
}

// ---- bound views ----

bool TDataSet::Quiet()
{
    if (m_disableCount == 0)
        return false;
    m_pendingReset = true;
    return true;
}

void TDataSet::NotifyReset()
{
    if (!Quiet())
        emit DataReset();
}

void TDataSet::DisableControls()
{
    ++m_disableCount;
}

void TDataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && m_pendingReset) {
        m_pendingReset = false;
        emit DataReset();
    }
}

#pragma once
// Internal to the data set and its compiled filters: the column storage and the text rules
// that sorting and filtering share. Nothing else should include this header.

#include "DataSet.h"

#include <QByteArray>
#include <QStringView>

#include <bit>
#include <vector>

namespace DataSetText {
// Simple case folding of every UTF-16 unit, built once. Folding keeps the number of units,
// so folded and original texts can be compared position by position.
const char16_t *FoldTable();
char16_t FoldSurrogate(const char16_t *text, qsizetype length, qsizetype at);

// The folded unit at `at`; a surrogate pair is folded as the one character it encodes.
inline char16_t FoldAt(const char16_t *table, const char16_t *text, qsizetype length, qsizetype at)
{
    const char16_t unit = text[at];
    if ((unit & 0xF800) != 0xD800)
        return table[unit];
    return FoldSurrogate(text, length, at);
}

// Without regard to letter case.
int CompareFolded(QStringView a, QStringView b);
// Without regard to letter case first, then by code units, so that the order is total.
int CompareText(QStringView a, QStringView b);
bool EqualFolded(QStringView a, QStringView b);
} // namespace DataSetText

// Date-times are kept as naive milliseconds since the julian epoch: no time zone ever applies.
constexpr qint64 MsecsPerDay = 86400000;
qint64 NaiveMsecs(const QDateTime &value);
QDateTime FromNaiveMsecs(qint64 msecs);

struct TDataSet::Column
{
    const TField *field = nullptr;
    FieldKind kind = FieldKind::Variant;
    bool calculated = false;
    bool shortText = false;

    std::vector<quint8> nulls;
    std::vector<qint64> ints; // Integer, LargeInt, Boolean, DateTime
    std::vector<double> floats;
    std::vector<quint32> offsets; // String, WideString, Memo: slices of the arena
    std::vector<quint32> lengths;
    std::vector<char16_t> arena;
    std::vector<QByteArray> blobs;
    std::vector<QVariant> variants;

    bool IsNull(quint32 row) const { return nulls[row] != 0; }
    bool UsesInts() const
    {
        return kind == FieldKind::Integer || kind == FieldKind::LargeInt || kind == FieldKind::Boolean ||
               kind == FieldKind::DateTime;
    }
    bool UsesText() const
    {
        return kind == FieldKind::String || kind == FieldKind::WideString || kind == FieldKind::Memo;
    }
    // A size lowered after loading still limits what is read.
    QStringView Text(quint32 row) const
    {
        qsizetype length = lengths[row];
        if (shortText) {
            const int size = field->Size();
            if (size > 0 && length > size)
                length = size;
        }
        return QStringView(arena.data() + offsets[row], length);
    }
    // Order-preserving key of a float: compares as the doubles do. Never 0, which stands for
    // null in sort keys (only one NaN pattern would map there; it joins its neighbour).
    static quint64 FloatKey(double value)
    {
        const quint64 bits = std::bit_cast<quint64>(value);
        const quint64 key = (bits & (quint64(1) << 63)) ? ~bits : bits | (quint64(1) << 63);
        return key == 0 ? 1 : key;
    }
};

class TDataSet::Storage
{
public:
    explicit Storage(const std::vector<std::unique_ptr<TField>> &fields);

    quint32 AddRow();
    // Takes a value of any type; what is not already of the column's own type is coerced.
    void Store(Column &column, quint32 row, const QVariant &value);
    QVariant Value(const Column &column, quint32 row) const;
    // Exact match of a stored cell against a value already coerced to the column's kind.
    bool CellEquals(const Column &column, quint32 row, const QVariant &value) const;
    int CompareCells(const Column &column, quint32 a, quint32 b) const;

    std::vector<Column> columns;
    std::vector<quint8> deleted;
    quint32 rowCount = 0;

private:
    void StoreText(Column &column, quint32 row, QStringView text);
};

// Ordering of two values that have no column storage (calculated and Variant fields).
int CompareVariants(const QVariant &a, const QVariant &b);

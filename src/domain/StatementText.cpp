#include "Archive.h"

#include "StatementText.h"

namespace StatementText {

QString Format(QStringView pattern, const QStringList &args)
{
    QString result;
    result.reserve(pattern.size() + 64);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('%') && i + 1 < pattern.size()) {
            const QChar kind = pattern[i + 1];
            if (kind == QLatin1Char('%')) {
                result += QLatin1Char('%');
                ++i;
                continue;
            }
            if (kind == QLatin1Char('s') || kind == QLatin1Char('d')) {
                Q_ASSERT(next < args.size());
                result += args.value(next++);
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

QString WhereFromClauses(QString clauses)
{
    const qsizetype first = clauses.indexOf(QLatin1String(" and "));
    if (first >= 0)
        clauses.replace(first, 5, QStringLiteral(" where "));
    return clauses;
}

QString Quoted(const QString &value)
{
    QString text = value;
    // A NUL would end the statement on SQLite and is refused by PostgreSQL.
    text.remove(QChar(0));
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

QVariant Text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

int NextKey(const QString &maxStatement)
{
    SharedRecordSet->Open(maxStatement);
    return SharedRecordSet->DataSet()->Field(0)->AsInteger() + 1;
}

int DistinctValues(const QString &statement, QStringList &list)
{
    list.clear();
    const int count = SharedRecordSet->Open(statement);
    list.reserve(count);
    TDataSet &rows = *SharedRecordSet->DataSet();
    bool emptySeen = false;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const QString value = rows.Field(0)->AsString();
        // Older rows may hold null where newer ones hold empty text; both read as empty, and
        // a pick list offers the empty entry once.
        if (value.isEmpty()) {
            if (emptySeen)
                continue;
            emptySeen = true;
        }
        list.append(value);
    }
    rows.Close();
    return int(list.size());
}

bool AllOrNothing(const std::function<bool()> &steps)
{
    try {
        Database->BeginTrans();
        const bool done = steps();
        if (done)
            Database->CommitTrans();
        else
            Database->RollbackTrans();
        return done;
    } catch (...) {
        if (Database->InTransaction()) {
            // The first error is the one the caller needs to see.
            try {
                Database->RollbackTrans();
            } catch (...) {
            }
        }
        throw;
    }
}

} // namespace StatementText

bool CanLend(const RArchive &archive)
{
    return archive.Lends < archive.Copys;
}

bool CanLendArchive(int archiveId)
{
    RArchive archive;
    TArchiveSet::LoadArchive(archiveId, archive);
    return CanLend(archive);
}

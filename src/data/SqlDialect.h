#pragma once
// The statement texts of the system are written once, in the bracketed, "top N", #date#
// dialect. Just before a statement is prepared it is rewritten for the engine at hand;
// text inside string literals is never touched.

#include <QDate>
#include <QString>
#include <QStringList>

enum class SqlEngine { SQLite, PostgreSQL, SqlServer };

struct TranslatedSql
{
    QString text;           // the statement for the engine, parameters as positional "?"
    QStringList paramNames; // the ":Name" parameters in order of appearance (repeats kept)
};

// Rewrites a statement for an engine:
// - ":Name" parameters become "?" (a "::" cast is left alone);
// - "[Name]" becomes "Name" on SQLite and "\"name\"" on PostgreSQL (which folds case);
// - "#yyyy-mm-dd#" becomes 'yyyy-mm-dd';
// - "select [distinct] top N ..." becomes "select [distinct] ... limit N" (not on SQL Server);
// - LIKE becomes ILIKE on PostgreSQL, so that it ignores letter case as the others do.
TranslatedSql TranslateSql(const QString &statement, SqlEngine engine);

// What the statement builders need to know of the engine they write for: date literals and
// the escape character of LIKE. Taken from the open connection (TDatabase::Dialect), or made
// up by a test that checks statement texts without a database.
struct SqlDialect
{
    SqlEngine engine = SqlEngine::SQLite;
    // The legacy Jet provider writes dates as #yyyy-mm-dd#, every other one as 'yyyy-mm-dd'.
    bool hashDates = false;

    QString DateLiteral(const QDate &value) const;
    // A value pasted inside a LIKE pattern's quotes: NUL characters dropped, the quote doubled,
    // and on PostgreSQL, which alone reads a backslash as LIKE's escape character, the
    // backslash doubled so that it matches itself as on the other engines. "%" and "_" stay
    // wildcards.
    QString LikeText(const QString &value) const;
};

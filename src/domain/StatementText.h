#pragma once
// Helpers shared by the domain's statement builders and writers; not part of the module's
// interface.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace StatementText {

// Formats a statement pattern the way the patterns are written: each "%s" or "%d" takes the
// next argument as it stands and "%%" gives "%". The pattern alone is scanned, so a "%" inside
// an argument never acts as a placeholder.
QString Format(QStringView pattern, const QStringList &args);

// Every clause of a search begins with " and "; the first one is turned into " where ".
QString WhereFromClauses(QString clauses);

// A condition value pasted between single quotes, with the quote doubled so that it stays
// inside the literal and NUL characters dropped.
QString Quoted(const QString &value);

// A text parameter of a writer: an unset text is stored as empty text, never as null, so that
// a column holds one kind of "nothing" and distinct lists show it once.
QVariant Text(const QString &value);

// "select max(...)" on the scratch set, read as an integer (null counts as 0), plus 1.
int NextKey(const QString &maxStatement);

// The first column of every row of a "select distinct" into the list, in the order the
// database returns them (null reads as empty, and the empty entry appears once); answers the
// number of entries. The scratch set is closed afterwards.
int DistinctValues(const QString &statement, QStringList &list);

// Runs the steps in one transaction: commits when they answer true, rolls back when they
// answer false. An error rolls back (when a transaction is open) and goes on to the caller.
bool AllOrNothing(const std::function<bool()> &steps);

} // namespace StatementText

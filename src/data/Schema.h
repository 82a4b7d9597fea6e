#pragma once
// The delivered database: schema scripts for the three engines (every table the system reads
// or writes, the clear-data tables included, and the rows that must exist before the first
// start), and the first-start laying down of the database file and "cfg.ini".

#include <QByteArray>
#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace Schema {

enum class Engine { SQLite, PostgreSQL, SqlServer };

// The script text of an engine (compiled into the program as a resource).
QString Script(Engine engine);
// The statements of a script, in order: comments dropped, split at ";" outside string
// literals, blank statements skipped.
QStringList Statements(const QString &script);
// Runs every statement of the engine's script on an open connection. A failing statement
// raises EDatabaseError with the engine's message, "\r\n" and the statement.
void RunScript(QSqlDatabase &db, Engine engine);

// Every table of the database, and the twenty tables only the clear-data window empties.
QStringList TableNames();
QStringList ClearDataTables();
// The tables the program itself reads and writes (all but the clear-data ones) that an open
// connection cannot read: a database without them is not this system's register.
QStringList MissingTables(const QSqlDatabase &db);

// Creates the delivered SQLite database at `path` (which must not exist), readable and
// writable by its owner only. It is built under another name in the same directory and takes
// its own name in one step when complete, so `path` either does not exist or holds the whole
// database. Raises EDatabaseError or EFileError; a half-made file is removed.
void CreateDeliveredDatabase(const QString &path);
// The bytes of the delivered "cfg.ini": the local file kind with the default connection.
QByteArray DeliveredConfig();
// File name of the default local database ("pzarc.db").
QString DefaultDatabaseFileName();
// First start, told by the data directory having no "cfg.ini": lays down the default
// database when it is missing, then "cfg.ini" (owner-only), each complete or not at all.
// With "cfg.ini" present nothing is done, even when the default database is missing. Answers
// true when "cfg.ini" was laid down.
bool EnsureDeliveredFiles();

} // namespace Schema

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

// Creates the delivered SQLite database at `path` (which must not exist), readable and
// writable by its owner only. Raises EDatabaseError or EFileError; a half-made file is removed.
void CreateDeliveredDatabase(const QString &path);
// The bytes of the delivered "cfg.ini": the local file kind with the default connection.
QByteArray DeliveredConfig();
// File name of the default local database ("pzarc.db").
QString DefaultDatabaseFileName();
// First start: lays down "cfg.ini" and the default database in the data directory when
// they are missing. Answers true when anything was laid down.
bool EnsureDeliveredFiles();

} // namespace Schema

#pragma once
// Connection strings keep the OLE DB shape ("Provider=...;Data Source=...;..."). This module
// turns one into the settings of a Qt SQL connection for the engine it names.

#include <QList>
#include <QPair>
#include <QString>

namespace ConnStr {

enum class Kind { SQLite, PostgreSQL, SqlServer };

// What a Qt SQL connection needs.
struct QtSettings
{
    Kind kind = Kind::SQLite;
    QString driver;       // QSQLITE, QPSQL or QODBC
    QString databaseName; // file, catalog, or the whole ODBC string
    QString host;
    int port = -1;
    QString user;
    QString password;
    QString options; // QSqlDatabase::setConnectOptions
};

// A value as it is written into a connection string: enclosed in double quotes (inner double
// quotes doubled) when it holds a ";", a quote character or a blank at either end; as it
// stands otherwise.
QString QuoteValue(const QString &value);
// "key=value" items in order; keys trimmed. A value enclosed in double or single quotes is
// the text between them (a doubled quote standing for one, ";" and blanks kept); any other
// value is the trimmed text up to the next ";", so strings written before values were quoted
// read as they always did. Raises EDatabaseError when the text is empty or an item has no
// "=" or no key.
QList<QPair<QString, QString>> Parse(const QString &connectionString);
// The value after the first occurrence of the exact (case-sensitive) text `key` outside a
// quoted value, read from one character past the key up to the next ";" (empty when the key
// is absent or no ";" follows); a whole key with a quoted value gives the value unquoted. This
// is the connection's own reading of a value (TDatabase::ConnectionValue).
QString ValueAfterKey(const QString &connectionString, const QString &key);
// The value of a key, compared without regard to letter case; empty when absent.
QString Value(const QList<QPair<QString, QString>> &items, const QString &key);

// The Qt settings for a connection string. The local file kind ("SQLite", and legacy
// "Microsoft.Jet.OLEDB.4.0" strings) opens the file named by Data Source; "PostgreSQL" a
// server; "SQLOLEDB.1" SQL Server through ODBC and FreeTDS, with the port taken from the
// alias store. Raises EDatabaseError for an empty, malformed or unknown-provider string.
QtSettings ToQt(const QString &connectionString, const QString &aliasFile);

// The ODBC string for FreeTDS from the OLE DB keys of a SQL Server string.
QString OdbcString(const QList<QPair<QString, QString>> &items, const QString &aliasFile);
// The port the alias store gives a server name ("DBMSSOCN,server,port"), empty when none.
QString AliasPort(const QString &aliasFile, const QString &server);
// The alias store beside "cfg.ini".
QString DefaultAliasFile();

// The connection string of the default local database file (its name quoted as needed).
QString DefaultLocalConnectionString(const QString &file);

} // namespace ConnStr

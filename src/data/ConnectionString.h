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

// "key=value" items in order; keys and values trimmed. Raises EDatabaseError when the text
// is empty or an item has no "=".
QList<QPair<QString, QString>> Parse(const QString &connectionString);
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

// The connection string of the default local database file.
QString DefaultLocalConnectionString(const QString &file);

} // namespace ConnStr

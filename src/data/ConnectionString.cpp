#include "ConnectionString.h"

#include "Exceptions.h"
#include "Gbk.h"
#include "Paths.h"

#include <QFile>

namespace ConnStr {

QList<QPair<QString, QString>> Parse(const QString &connectionString)
{
    if (connectionString.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("连接字符串为空。"));
    QList<QPair<QString, QString>> items;
    const QStringList parts = connectionString.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw EDatabaseError(QStringLiteral("连接字符串格式不正确: %1").arg(part.trimmed()));
        items.append({part.left(eq).trimmed(), part.mid(eq + 1).trimmed()});
    }
    return items;
}

QString Value(const QList<QPair<QString, QString>> &items, const QString &key)
{
    for (const auto &item : items)
        if (item.first.compare(key, Qt::CaseInsensitive) == 0)
            return item.second;
    return {};
}

namespace {

// ODBC values with separators go inside braces, a closing brace doubled.
QString OdbcValue(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
        !value.contains(QLatin1Char('}')) && value.trimmed() == value)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

} // namespace

QString AliasPort(const QString &aliasFile, const QString &server)
{
    QFile file(aliasFile);
    if (server.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = Gbk::Decode(file.readAll()).split(QLatin1Char('\n'));
    bool inSection = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(QLatin1String("[ConnectTo]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0 || line.left(eq).trimmed().compare(server, Qt::CaseInsensitive) != 0)
            continue;
        // "DBMSSOCN,server,port", or "DBMSSOCN,server" when no port was given.
        const QStringList data = line.mid(eq + 1).split(QLatin1Char(','));
        return data.size() >= 3 ? data[2].trimmed() : QString();
    }
    return {};
}

QString OdbcString(const QList<QPair<QString, QString>> &items, const QString &aliasFile)
{
    QString server = Value(items, QStringLiteral("Data Source"));
    QString port;
    // "host,port" in Data Source names the port directly.
    if (const qsizetype comma = server.indexOf(QLatin1Char(',')); comma > 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
    } else {
        port = AliasPort(aliasFile, server);
    }
    QStringList parts;
    parts << QStringLiteral("DRIVER={FreeTDS}") << QStringLiteral("SERVER=") + OdbcValue(server);
    if (!port.isEmpty())
        parts << QStringLiteral("PORT=") + OdbcValue(port);
    parts << QStringLiteral("DATABASE=") + OdbcValue(Value(items, QStringLiteral("Initial Catalog")))
          << QStringLiteral("UID=") + OdbcValue(Value(items, QStringLiteral("User ID")))
          << QStringLiteral("PWD=") + OdbcValue(Value(items, QStringLiteral("Password")))
          << QStringLiteral("TDS_Version=7.3") << QStringLiteral("ClientCharset=UTF-8");
    return parts.join(QLatin1Char(';'));
}

QString DefaultAliasFile()
{
    return Paths::DataFile(QStringLiteral("mssql-aliases.ini"));
}

QtSettings ToQt(const QString &connectionString, const QString &aliasFile)
{
    const auto items = Parse(connectionString);
    const QString provider = Value(items, QStringLiteral("Provider"));
    QtSettings settings;
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0 ||
        provider.compare(QLatin1String("Microsoft.Jet.OLEDB.4.0"), Qt::CaseInsensitive) == 0) {
        settings.kind = Kind::SQLite;
        settings.driver = QStringLiteral("QSQLITE");
        settings.databaseName = Value(items, QStringLiteral("Data Source"));
        if (settings.databaseName.isEmpty())
            throw EDatabaseError(QStringLiteral("连接字符串没有指定数据库文件。"));
        settings.options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
    } else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        settings.kind = Kind::PostgreSQL;
        settings.driver = QStringLiteral("QPSQL");
        settings.host = Value(items, QStringLiteral("Data Source"));
        const QString port = Value(items, QStringLiteral("Port"));
        bool ok = true;
        settings.port = port.isEmpty() ? 5432 : port.toInt(&ok);
        if (!ok)
            throw EDatabaseError(QStringLiteral("连接字符串中的端口不正确: %1").arg(port));
        settings.databaseName = Value(items, QStringLiteral("Initial Catalog"));
        settings.user = Value(items, QStringLiteral("User ID"));
        settings.password = Value(items, QStringLiteral("Password"));
        settings.options = QStringLiteral("connect_timeout=120");
    } else if (provider.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) == 0 ||
               provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0) {
        settings.kind = Kind::SqlServer;
        settings.driver = QStringLiteral("QODBC");
        settings.databaseName = OdbcString(items, aliasFile);
        settings.options = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=120;SQL_ATTR_CONNECTION_TIMEOUT=120");
    } else if (provider.isEmpty()) {
        throw EDatabaseError(QStringLiteral("连接字符串没有指定数据提供者。"));
    } else {
        throw EDatabaseError(QStringLiteral("不支持的数据提供者: %1").arg(provider));
    }
    return settings;
}

QString DefaultLocalConnectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLite;Data Source=%1;Jet OLEDB:Database Password=moltrend;"
                          "Persist Security Info=True")
        .arg(file);
}

} // namespace ConnStr

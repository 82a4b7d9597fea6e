#include "ConnectionString.h"

#include "Exceptions.h"
#include "Gbk.h"
#include "Paths.h"

#include <QFile>

namespace ConnStr {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// One item's value, read from just past its "=".
struct ValueRead
{
    QString value;
    qsizetype next = 0;        // where the next item starts
    bool ended = false;        // a ";" ends the value
    qsizetype quoteStart = -1; // the opening and past the closing quote of a quoted value
    qsizetype quoteEnd = -1;
};

// A value that opens with a quote and closes with the same quote before its ";" is the text
// between them, doubled quotes standing for one; anything else is the trimmed text up to the
// next ";", as strings were stored before values were quoted.
ValueRead ReadValue(const QString &text, qsizetype from)
{
    const qsizetype length = text.size();
    qsizetype at = from;
    while (at < length && IsBlank(text[at]))
        ++at;
    if (at < length && IsQuote(text[at])) {
        const QChar quote = text[at];
        ValueRead read;
        qsizetype i = at + 1;
        bool closed = false;
        while (i < length) {
            if (text[i] == quote) {
                if (i + 1 < length && text[i + 1] == quote) {
                    read.value += quote;
                    i += 2;
                    continue;
                }
                closed = true;
                ++i;
                break;
            }
            read.value += text[i++];
        }
        read.quoteStart = at;
        read.quoteEnd = i;
        while (closed && i < length && IsBlank(text[i]))
            ++i;
        if (closed && (i >= length || text[i] == QLatin1Char(';'))) {
            read.ended = i < length;
            read.next = read.ended ? i + 1 : length;
            return read;
        }
    }
    ValueRead read;
    const qsizetype semicolon = text.indexOf(QLatin1Char(';'), from);
    read.ended = semicolon >= 0;
    read.value = text.mid(from, read.ended ? semicolon - from : -1).trimmed();
    read.next = read.ended ? semicolon + 1 : length;
    return read;
}

struct RawItem
{
    qsizetype start = 0; // where the item's text starts
    qsizetype eq = -1;   // its "=", -1 when it has none
    ValueRead read;      // read.next: where the next item starts
};

// The items in order, each with its place in the text; nothing is trimmed or checked.
QList<RawItem> Split(const QString &text)
{
    QList<RawItem> items;
    const qsizetype length = text.size();
    qsizetype i = 0;
    while (i < length) {
        RawItem item;
        item.start = i;
        qsizetype j = i;
        while (j < length && text[j] != QLatin1Char(';') && text[j] != QLatin1Char('='))
            ++j;
        if (j < length && text[j] == QLatin1Char('=')) {
            item.eq = j;
            item.read = ReadValue(text, j + 1);
        } else {
            item.read.ended = j < length;
            item.read.next = j < length ? j + 1 : length;
        }
        items.append(item);
        i = item.read.next;
    }
    return items;
}

} // namespace

QString QuoteValue(const QString &value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
                       !value.contains(QLatin1Char('\'')) &&
                       (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()));
    if (plain)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QList<QPair<QString, QString>> Parse(const QString &connectionString)
{
    if (connectionString.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("连接字符串为空。"));
    QList<QPair<QString, QString>> items;
    for (const RawItem &item : Split(connectionString)) {
        const QString key =
            item.eq < 0 ? QString() : connectionString.mid(item.start, item.eq - item.start).trimmed();
        if (!key.isEmpty()) {
            items.append({key, item.read.value});
            continue;
        }
        const qsizetype end = item.read.ended ? item.read.next - 1 : item.read.next;
        const QString part = connectionString.mid(item.start, end - item.start).trimmed();
        if (item.eq >= 0 || !part.isEmpty())
            throw EDatabaseError(QStringLiteral("连接字符串格式不正确: %1").arg(part));
    }
    return items;
}

QString ValueAfterKey(const QString &connectionString, const QString &key)
{
    const QString &s = connectionString;
    if (key.isEmpty())
        return {};
    const QList<RawItem> items = Split(s);
    auto quotedItemAt = [&items](qsizetype at) -> const RawItem * {
        for (const RawItem &item : items)
            if (item.read.quoteStart >= 0 && at >= item.read.quoteStart && at < item.read.quoteEnd)
                return &item;
        return nullptr;
    };
    // The first place the key's text stands outside a quoted value.
    qsizetype at = s.indexOf(key);
    while (at >= 0 && quotedItemAt(at))
        at = s.indexOf(key, at + 1);
    if (at < 0)
        return {};
    const qsizetype from = at + key.size() + 1;
    if (from > s.size())
        return {};
    // A whole key before its "=" with a quoted value: the value unquoted, when a ";" ends it.
    for (const RawItem &item : items)
        if (item.eq == at + key.size() && item.read.quoteStart >= 0)
            return item.read.ended ? item.read.value : QString();
    const qsizetype semicolon = s.indexOf(QLatin1Char(';'), from);
    return semicolon < 0 ? QString() : s.mid(from, semicolon - from);
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
        .arg(QuoteValue(file));
}

} // namespace ConnStr

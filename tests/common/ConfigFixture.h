#pragma once
// Helpers shared by the tests of the connection settings and of the connection form.

#include "DBConfig.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace ConfigFixture {

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A configuration with a value in every field.
inline void FillAll(TConfiger &c)
{
    c.mssqlServer = QStringLiteral("db.example");
    c.mssqlPort = 1500;
    c.mssqlDb = QStringLiteral("档案");
    c.mssqlUser = QStringLiteral("sa");
    c.mssqlPw = QStringLiteral("secret");
    c.jetfile = QStringLiteral("/srv/档案.db");
    c.jetUser = QStringLiteral("张三");
    c.jetPw = QStringLiteral("密码");
    c.dipUrl = QStringLiteral("http://dip.example/conn");
    c.dipUser = QStringLiteral("u1");
    c.pgServer = QStringLiteral("pg.example");
    c.pgPort = 5433;
    c.pgDb = QStringLiteral("arc");
    c.pgUser = QStringLiteral("pz");
    c.pgPw = QStringLiteral("secret");
}

// The connection string stored by the last save, as the connect loop would use it for provider 0.
inline QString StoredConnStr()
{
    TConfiger c;
    c.providerIdx = TConfiger::MsSqlProvider;
    return c.ConnectionString();
}

} // namespace ConfigFixture

#pragma once
// Helpers shared by the tests of the connection settings and of the connection form.

#include "DBConfig.h"
#include "Database.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace ConfigFixture {

// A data directory of its own for one test: PZARC_HOME points at a fresh folder. When it goes,
// the connection to the default database inside it is closed first.
class DataHome
{
public:
    DataHome() { qputenv("PZARC_HOME", QFile::encodeName(m_dir.path())); }
    ~DataHome()
    {
        if (Database)
            Database->SetConnected(false);
    }
    DataHome(const DataHome &) = delete;
    DataHome &operator=(const DataHome &) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

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

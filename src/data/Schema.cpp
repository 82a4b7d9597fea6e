#include "Schema.h"

#include "Exceptions.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

// The scripts live in a static library, whose resource registration the linker would drop
// unless something calls it; it has to be named outside any namespace.
static void InitSchemaResource()
{
    Q_INIT_RESOURCE(schema);
}

namespace Schema {

namespace {

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString ResourcePath(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral(":/schema/sqlite.sql");
    case Engine::PostgreSQL:
        return QStringLiteral(":/schema/postgresql.sql");
    case Engine::SqlServer:
        return QStringLiteral(":/schema/mssql.sql");
    }
    return {};
}

// Removes a connection from Qt's registry when it goes out of scope. Declare it before the
// QSqlDatabase handle it guards, so that the handle is gone by the time it runs.
class ConnectionName
{
public:
    ConnectionName()
        : m_name(QStringLiteral("pzarc-schema-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
    }
    ~ConnectionName() { QSqlDatabase::removeDatabase(m_name); }
    ConnectionName(const ConnectionName &) = delete;
    ConnectionName &operator=(const ConnectionName &) = delete;
    const QString &Name() const { return m_name; }

private:
    QString m_name;
};

QString ErrorText(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

void FillSqliteFile(const QString &path)
{
    const ConnectionName connection;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.Name());
    db.setDatabaseName(path);
    if (!db.open())
        throw EDatabaseError(ErrorText(db.lastError()));
    if (!db.transaction()) {
        const QString message = ErrorText(db.lastError());
        db.close();
        throw EDatabaseError(message);
    }
    try {
        RunScript(db, Engine::SQLite);
    } catch (...) {
        db.rollback();
        db.close();
        throw;
    }
    if (!db.commit()) {
        const QString message = ErrorText(db.lastError());
        db.rollback();
        db.close();
        throw EDatabaseError(message);
    }
    db.close();
}

void RemoveDatabaseFiles(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

QString Script(Engine engine)
{
    static const bool registered = (InitSchemaResource(), true);
    Q_UNUSED(registered);
    QFile file(ResourcePath(engine));
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(
            QStringLiteral("Cannot read the schema script %1: %2").arg(file.fileName(), file.errorString()));
    return QString::fromUtf8(file.readAll());
}

QStringList Statements(const QString &script)
{
    QStringList statements;
    QString current;
    auto finish = [&] {
        const QString statement = current.trimmed();
        if (!statement.isEmpty())
            statements << statement;
        current.clear();
    };
    // A quote character that is open: ' for a string literal, " for a quoted name, or none.
    QChar quote;
    const qsizetype length = script.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = script[i];
        if (!quote.isNull()) {
            current += c;
            // A doubled quote inside a literal closes and at once reopens it, which keeps it open.
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            current += c;
        } else if (c == QLatin1Char('-') && i + 1 < length && script[i + 1] == QLatin1Char('-')) {
            while (i + 1 < length && script[i + 1] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char(';')) {
            finish();
        } else {
            current += c;
        }
    }
    finish();
    return statements;
}

void RunScript(QSqlDatabase &db, Engine engine)
{
    const QStringList statements = Statements(Script(engine));
    for (const QString &statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw EDatabaseError(ErrorText(query.lastError()) + QStringLiteral("\r\n") + statement);
    }
}

QStringList TableNames()
{
    QStringList names{
        QStringLiteral("catas"),    QStringLiteral("archives"), QStringLiteral("lends"),
        QStringLiteral("operator"), QStringLiteral("Company"),  QStringLiteral("keyvalue"),
        QStringLiteral("options"),  QStringLiteral("report"),   QStringLiteral("syscols"),
        QStringLiteral("backup"),
    };
    return names + ClearDataTables();
}

QStringList ClearDataTables()
{
    return {
        QStringLiteral("gz_accountemp"), QStringLiteral("certificates"), QStringLiteral("tests"),
        QStringLiteral("Zpapply"),       QStringLiteral("Zpjobs"),       QStringLiteral("Trains"),
        QStringLiteral("TrainCourses"),  QStringLiteral("TrainOrgans"),  QStringLiteral("contracts"),
        QStringLiteral("postmove"),      QStringLiteral("rewards"),      QStringLiteral("vacation"),
        QStringLiteral("emptrials"),     QStringLiteral("empback"),      QStringLiteral("empjout"),
        QStringLiteral("empjoin"),       QStringLiteral("photo"),        QStringLiteral("empimages"),
        QStringLiteral("employee"),      QStringLiteral("department"),
    };
}

void CreateDeliveredDatabase(const QString &path)
{
    // Creating with NewOnly makes the existence test and the creation one step, so an existing
    // file is never opened for writing; the owner-only mode is there before any row is.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly))
        throw EFileError(QStringLiteral("Cannot create the database file %1: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    file.close();
    try {
        // The creation mode passed through the umask; set it outright.
        if (!QFile::setPermissions(path, OwnerOnly))
            throw EFileError(QStringLiteral("Cannot restrict the access to the database file %1")
                                 .arg(QDir::toNativeSeparators(path)));
        FillSqliteFile(path);
    } catch (...) {
        RemoveDatabaseFiles(path);
        throw;
    }
}

QByteArray DeliveredConfig()
{
    return QByteArrayLiteral("[db]\r\n"
                             "mssqlServer=\r\n"
                             "mssqlPort=1433\r\n"
                             "mssqlDb=\r\n"
                             "mssqlUser=\r\n"
                             "mssqlPw=\r\n"
                             "jetfile=\r\n"
                             "jetUser=\r\n"
                             "jetPw=\r\n"
                             "dipUrl=\r\n"
                             "dipUser=\r\n"
                             "providerIdx=1\r\n"
                             "defaultCon=1\r\n"
                             "ConnStr=\r\n"
                             "[Login]\r\n"
                             "LastLoginId=\r\n");
}

QString DefaultDatabaseFileName()
{
    return QStringLiteral("pzarc.db");
}

bool EnsureDeliveredFiles()
{
    bool laidDown = false;
    const QString config = Paths::DataFile(QStringLiteral("cfg.ini"));
    if (!QFileInfo::exists(config)) {
        QSaveFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write(DeliveredConfig()) < 0 || !file.commit())
            throw EFileError(QStringLiteral("Cannot write the settings file %1: %2")
                                 .arg(QDir::toNativeSeparators(config), file.errorString()));
        laidDown = true;
    }
    const QString database = Paths::DataFile(DefaultDatabaseFileName());
    if (!QFileInfo::exists(database)) {
        CreateDeliveredDatabase(database);
        laidDown = true;
    }
    return laidDown;
}

} // namespace Schema

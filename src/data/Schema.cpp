#include "Schema.h"

#include "Exceptions.h"
#include "Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

QString CannotCreate(const QString &path, const QString &reason)
{
    return QStringLiteral("无法创建数据库文件 %1: %2")
        .arg(QDir::toNativeSeparators(path), Paths::FailureReason(reason));
}

// Files being built carry this mark after the final name; a start that was killed leaves one
// behind, which no start ever opens.
const QString PartMark = QStringLiteral(".part-");

// Gives the finished file at `from` its final name in one step and never over an existing
// file. False when the name was taken meanwhile (another start was quicker).
bool PublishNew(const QString &from, const QString &to)
{
#ifdef Q_OS_UNIX
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    const int linkError = errno;
    if (linkError == EEXIST)
        return false;
    // A file system without hard links: a plain rename, which would replace a file that
    // appeared in the moment between the test and the rename.
    if (QFileInfo::exists(to))
        return false;
    if (std::rename(source.constData(), target.constData()) == 0)
        return true;
    throw EFileError(CannotCreate(to, qt_error_string(errno)));
#else
    if (QFileInfo::exists(to))
        return false;
    QFile file(from);
    if (file.rename(to))
        return true;
    if (QFileInfo::exists(to))
        return false;
    throw EFileError(CannotCreate(to, file.errorString()));
#endif
}

// Removes what killed starts left half-built in `dir`: only files older than a few minutes,
// so that a start running at the same moment keeps its own.
void RemoveAbandonedParts(const QDir &dir, const QString &finalName)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-600);
    const QFileInfoList parts =
        dir.entryInfoList({finalName + PartMark + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &part : parts)
        if (part.lastModified().toUTC() < before)
            QFile::remove(part.absoluteFilePath());
}

// The tables the program itself reads and writes; the clear-data tables may be absent.
QStringList OwnTables()
{
    return {
        QStringLiteral("catas"),    QStringLiteral("archives"), QStringLiteral("lends"),
        QStringLiteral("operator"), QStringLiteral("Company"),  QStringLiteral("keyvalue"),
        QStringLiteral("options"),  QStringLiteral("report"),   QStringLiteral("syscols"),
        QStringLiteral("backup"),
    };
}

} // namespace

QString Script(Engine engine)
{
    static const bool registered = (InitSchemaResource(), true);
    Q_UNUSED(registered);
    QFile file(ResourcePath(engine));
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("无法读取数据库脚本 %1: %2")
                             .arg(file.fileName(), Paths::FailureReason(file.errorString())));
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
    return OwnTables() + ClearDataTables();
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

QStringList MissingTables(const QSqlDatabase &db)
{
    QStringList missing;
    for (const QString &table : OwnTables()) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select 1 from %1 where 1=0").arg(table)))
            missing << table;
    }
    return missing;
}

void CreateDeliveredDatabase(const QString &path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw EFileError(CannotCreate(path, QStringLiteral("文件已存在")));
    // The database is built under a name of its own beside the final one and takes the final
    // name only when complete, so a start killed half-way never leaves a file that looks like
    // the database. NewOnly makes the test for a free name and the creation one step; the
    // owner-only mode is there before any row is.
    const QString part = path + PartMark + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly))
        throw EFileError(CannotCreate(path, file.errorString()));
    file.close();
    try {
        // The creation mode passed through the umask; set it outright.
        if (!QFile::setPermissions(part, OwnerOnly))
            throw EFileError(
                QStringLiteral("无法限制数据库文件 %1 的访问权限").arg(QDir::toNativeSeparators(path)));
        FillSqliteFile(part);
        if (!PublishNew(part, path))
            throw EFileError(CannotCreate(path, QStringLiteral("文件已存在")));
    } catch (...) {
        RemoveDatabaseFiles(part);
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
    const QString config = Paths::DataFile(QStringLiteral("cfg.ini"));
    if (QFileInfo::exists(config))
        return false;
    const QString database = Paths::DataFile(DefaultDatabaseFileName());
    RemoveAbandonedParts(QFileInfo(database).dir(), DefaultDatabaseFileName());
    // The database first: a start killed before "cfg.ini" is in place finds a complete
    // database and no settings, and this step runs again from the top.
    if (!QFileInfo::exists(database)) {
        try {
            CreateDeliveredDatabase(database);
        } catch (const EFileError &) {
            // Another start laid it down in the meantime.
            if (!QFileInfo::exists(database))
                throw;
        }
    }
    // QSaveFile too builds the file beside its final name and renames it into place.
    QSaveFile file(config);
    const QByteArray content = DeliveredConfig();
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(OwnerOnly) ||
        file.write(content) != content.size() || !file.commit())
        throw EFileError(
            QStringLiteral("无法写入设置文件 %1: %2")
                .arg(QDir::toNativeSeparators(config), Paths::FailureReason(file.errorString())));
    return true;
}

} // namespace Schema

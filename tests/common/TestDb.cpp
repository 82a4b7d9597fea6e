#include "TestDb.h"

#include "Database.h"
#include "Exceptions.h"
#include "Schema.h"
#include "ScriptedPrompter.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <stdexcept>
#include <utility>
#include <vector>

namespace TestDb {

namespace {

const char PostgresVariable[] = "PZARC_TEST_PG";

using Pairs = std::vector<std::pair<QString, QString>>;

// The "Key=Value;Key=Value" form of the connection strings; values never hold ';' here.
Pairs ParsePairs(const QString &text)
{
    Pairs pairs;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        pairs.emplace_back(part.left(eq).trimmed(), part.mid(eq + 1).trimmed());
    }
    return pairs;
}

QString Value(const Pairs &pairs, const QString &key)
{
    for (const auto &[k, v] : pairs)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

QString JoinPairs(const Pairs &pairs)
{
    QStringList parts;
    for (const auto &[k, v] : pairs)
        parts << k + QLatin1Char('=') + v;
    return parts.join(QLatin1Char(';'));
}

[[noreturn]] void Fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

// The file lives as long as the test process, so that a test can reopen its database freely.
QTemporaryDir &SqliteDir()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        Fail(QStringLiteral("cannot create a temporary directory: ") + dir.errorString());
    return dir;
}

QString FreshSqlite(const QString &name)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]"));
    QString fileName = name;
    fileName.replace(unsafe, QStringLiteral("_"));
    const QString path = SqliteDir().filePath(fileName + QStringLiteral(".db"));
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    try {
        Schema::CreateDeliveredDatabase(path);
    } catch (const Exception &e) {
        Fail(e.Message());
    }
    return QStringLiteral("Provider=SQLite;Data Source=%1;Persist Security Info=True").arg(path);
}

// The prefix keeps a test from ever dropping a database it did not make, the maintenance
// database above all.
QString PostgresDatabaseName(const QString &name)
{
    static const QRegularExpression unsafe(QStringLiteral("[^a-z0-9_]"));
    QString sanitized = name.toLower();
    sanitized.replace(unsafe, QStringLiteral("_"));
    return (QStringLiteral("pzarc_test_") + sanitized).left(63);
}

// Runs `body` on a QPSQL connection to `database` of the configured server, then closes and
// forgets the connection whatever happens.
template <typename Body> void WithPostgres(const Pairs &server, const QString &database, Body body)
{
    const QString connection =
        QStringLiteral("pzarc-testdb-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(Value(server, QStringLiteral("Data Source")));
        const QString port = Value(server, QStringLiteral("Port"));
        db.setPort(port.isEmpty() ? 5432 : port.toInt());
        db.setDatabaseName(database);
        db.setUserName(Value(server, QStringLiteral("User ID")));
        db.setPassword(Value(server, QStringLiteral("Password")));
        if (!db.open()) {
            failure = QStringLiteral("cannot connect to PostgreSQL database %1: %2")
                          .arg(database, db.lastError().text());
        } else {
            try {
                body(db);
            } catch (const Exception &e) {
                failure = e.Message();
            } catch (const std::exception &e) {
                failure = QString::fromUtf8(e.what());
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!failure.isEmpty())
        Fail(failure);
}

void Exec(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw EDatabaseError(query.lastError().text() + QStringLiteral("\r\n") + statement);
}

QString FreshPostgres(const QString &name)
{
    const QString configured = qEnvironmentVariable(PostgresVariable);
    if (configured.isEmpty())
        Fail(QStringLiteral("%1 is not set").arg(QLatin1String(PostgresVariable)));
    Pairs pairs = ParsePairs(configured);
    const QString maintenance = Value(pairs, QStringLiteral("Initial Catalog"));
    const QString database = PostgresDatabaseName(name);

    WithPostgres(
        pairs, maintenance.isEmpty() ? QStringLiteral("postgres") : maintenance, [&](QSqlDatabase &db) {
            Exec(db, QStringLiteral("set client_min_messages to warning"));
            Exec(db, QStringLiteral("drop database if exists %1 with (force)").arg(database));
            // A cluster made under a plain POSIX locale defaults to SQL_ASCII, which would let
            // Chinese text through as bytes without checking anything; the tests want UTF-8.
            QSqlQuery encoding(db);
            if (!encoding.exec(QStringLiteral("select pg_encoding_to_char(encoding) from pg_database "
                                              "where datname = 'template1'")) ||
                !encoding.next())
                throw EDatabaseError(encoding.lastError().text());
            if (encoding.value(0).toString() == QLatin1String("UTF8"))
                Exec(db, QStringLiteral("create database %1").arg(database));
            else
                Exec(db,
                     QStringLiteral("create database %1 template template0 encoding 'UTF8' lc_collate 'C' "
                                    "lc_ctype 'C'")
                         .arg(database));
        });
    WithPostgres(pairs, database, [](QSqlDatabase &db) {
        if (!db.transaction())
            throw EDatabaseError(db.lastError().text());
        try {
            Schema::RunScript(db, Schema::Engine::PostgreSQL);
        } catch (...) {
            db.rollback();
            throw;
        }
        if (!db.commit())
            throw EDatabaseError(db.lastError().text());
    });

    bool replaced = false;
    for (auto &[k, v] : pairs) {
        if (k.compare(QStringLiteral("Initial Catalog"), Qt::CaseInsensitive) == 0) {
            v = database;
            replaced = true;
        }
    }
    if (!replaced)
        pairs.emplace_back(QStringLiteral("Initial Catalog"), database);
    return JoinPairs(pairs);
}

} // namespace

QStringList Engines()
{
    QStringList engines{QStringLiteral("sqlite")};
    if (!qEnvironmentVariableIsEmpty(PostgresVariable))
        engines << QStringLiteral("postgresql");
    return engines;
}

void AddEngineRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    // Always present: without a server the row skips, or fails under CI, but never vanishes.
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

QString FreshConnectionString(const QString &engine, const QString &name)
{
    if (engine == QLatin1String("sqlite"))
        return FreshSqlite(name);
    if (engine == QLatin1String("postgresql"))
        return FreshPostgres(name);
    Fail(QStringLiteral("unknown test engine %1").arg(engine));
}

bool RequireEngine(const QString &engine)
{
    if (engine == QLatin1String("sqlite"))
        return true;
    if (engine == QLatin1String("postgresql")) {
        if (!qEnvironmentVariableIsEmpty(PostgresVariable))
            return true;
        if (!qEnvironmentVariableIsEmpty("CI")) {
            QTest::qFail("PZARC_TEST_PG is not set: start the server with scripts/start-test-postgres.sh",
                         __FILE__, __LINE__);
            return false;
        }
        QTest::qSkip("PZARC_TEST_PG is not set; PostgreSQL rows are skipped", __FILE__, __LINE__);
        return false;
    }
    QTest::qFail(qPrintable(QStringLiteral("unknown test engine %1").arg(engine)), __FILE__, __LINE__);
    return false;
}

bool OpenFresh(const QString &engine, const QString &name)
{
    if (!RequireEngine(engine))
        return false;
    ScriptedPrompter prompts;
    const bool opened = Database->Open(FreshConnectionString(engine, name));
    if (!opened)
        qWarning() << prompts.Texts();
    return opened;
}

} // namespace TestDb

#pragma once
// Fresh databases for tests, on real engines: SQLite files in a temporary directory, and
// the PostgreSQL server that the test command starts (connection string in PZARC_TEST_PG,
// naming a login allowed to create databases). When PZARC_TEST_PG is unset the PostgreSQL
// rows are skipped, except under CI (CI set), where that is a failure.

#include <QString>
#include <QStringList>

namespace TestDb {

// "sqlite", and "postgresql" when a server is configured.
QStringList Engines();
// For data-driven Qt tests: adds the column "engine" (QString) and one row per engine.
void AddEngineRows();
// A new, empty-of-user-data database laid down from the delivered schema for the engine,
// unique to `name` (an existing one of that name is dropped first). Answers the connection
// string that TDatabase::Open takes. QFAIL-style failures throw std::runtime_error.
QString FreshConnectionString(const QString &engine, const QString &name);
// Fails (under CI) or skips the current test when the engine is not available.
bool RequireEngine(const QString &engine);
// A fresh database of the engine opened on the process-wide connection (InitDataModule must
// have run); false when the engine is not available or the database does not open.
bool OpenFresh(const QString &engine, const QString &name);

} // namespace TestDb

#pragma once
// Shared steps of the service tests: a fresh database on the process-wide connection, and
// one-value reads that bypass the caches under test.

#include "DataSets.h"
#include "Database.h"
#include "Prompter.h"
#include "TestDb.h"

#include <QDebug>
#include <QVariant>

namespace ServicesTest {

// Opens a fresh database of the engine from the delivered schema; false skips or fails.
inline bool OpenFresh(const QString &engine, const QString &name)
{
    if (!TestDb::RequireEngine(engine))
        return false;
    ScriptedPrompter prompts;
    const bool opened = Database->Open(TestDb::FreshConnectionString(engine, QStringLiteral("svc_") + name));
    if (!opened)
        qWarning() << prompts.Texts();
    return opened;
}

// The first column of the first row, read straight from the database.
inline QVariant Scalar(const QString &statement, const TDBParameters &params = {})
{
    TRecordSet rows;
    if (rows.Open(statement, params) == 0)
        return {};
    rows.DataSet()->First();
    return rows.DataSet()->Field(0)->Value();
}

} // namespace ServicesTest

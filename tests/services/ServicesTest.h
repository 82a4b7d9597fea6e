#pragma once
// Shared steps of the service tests: a fresh database on the process-wide connection, and
// one-value reads that bypass the caches under test.

#include "Database.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"

#include <QDebug>
#include <QVariant>

namespace ServicesTest {

// Service tests use their own database names.
inline bool OpenFresh(const QString &engine, const QString &name)
{
    return TestDb::OpenFresh(engine, QStringLiteral("svc_") + name);
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

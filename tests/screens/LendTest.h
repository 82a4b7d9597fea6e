#pragma once
// Shared by the lending screen tests: a fresh SQLite database per test, rows put in
// directly, and reads that bypass the lists under test.

#include "Archive.h"
#include "Database.h"
#include "LayoutCheck.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"

#include <QDate>
#include <QFont>
#include <QTest>
#include <stdexcept>

namespace LendTest {

using LayoutCheck::Clipped;
using LayoutCheck::EnlargeFont;

// A database of its own for the running test function and data row.
inline bool OpenFresh(const char *prefix)
{
    QString name =
        QString::fromLatin1(prefix) + QLatin1Char('_') + QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('_') + QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
    ScriptedPrompter prompts;
    return TestDb::OpenFresh(QStringLiteral("sqlite"), name);
}

inline int StoreArchive(const QString &code, const QString &name, int copys)
{
    RArchive archive;
    archive.Code = code;
    archive.Name = name;
    archive.Copys = copys;
    if (!TArchiveSet::SaveArchive(archive))
        throw std::runtime_error("archive not stored");
    return archive.Id;
}

// The archive as a screen hands it over: freshly loaded, with its open-lending count.
inline RArchive LoadedArchive(int id)
{
    RArchive archive;
    TArchiveSet::LoadArchive(id, archive);
    return archive;
}

inline void InsertLend(int id, int arcId, const QVariant &lendate, const QString &borrower,
                       const QString &bordept, const QVariant &returndate = {})
{
    Database->ExecSql(
        QStringLiteral("insert into lends(Id, ArcId, Lendate, Borrower, Bordept, Checkman, Headline, "
                       "Returndate, Notes) values (:Id, :ArcId, :Lendate, :Borrower, :Bordept, '', "
                       "null, :Returndate, '')"),
        {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("ArcId"), arcId),
         DBParam(QStringLiteral("Lendate"), lendate), DBParam(QStringLiteral("Borrower"), borrower),
         DBParam(QStringLiteral("Bordept"), bordept), DBParam(QStringLiteral("Returndate"), returndate)});
}

// The first column of every row of a statement, as text.
inline QStringList Column(const QString &statement)
{
    QStringList values;
    TRecordSet rows;
    rows.Open(statement);
    TDataSet &data = *rows.DataSet();
    for (data.First(); !data.Eof(); data.Next())
        values << data.Field(0)->AsString();
    return values;
}

// The Ids of the cached rows of a list, in their order.
inline QList<int> CachedIds(TDataSet &rows)
{
    QList<int> ids;
    if (!rows.Active())
        return ids;
    for (int row = 0; row < rows.RecordCount(); ++row)
        ids << rows.ValueAt(row, rows.FieldByName(QStringLiteral("Id"))->Index()).toInt();
    return ids;
}

} // namespace LendTest

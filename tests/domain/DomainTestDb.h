#pragma once
// Shared by the domain tests: fresh databases on the real engines and direct row setup.

#include "Database.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"

#include <QDateTime>
#include <QStringList>
#include <QVariantMap>

#include <QTest>
#include <initializer_list>
#include <utility>

namespace DomainTest {

inline const char *const AllEngines[] = {"sqlite", "postgresql"};

using TestDb::OpenFresh;

// A name unique to the running test function and data row, for FreshConnectionString.
inline QString RowDbName(const char *prefix)
{
    QString name =
        QString::fromLatin1(prefix) + QLatin1Char('_') + QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('_') + QString::fromUtf8(QTest::currentDataTag());
    return name;
}

inline void InsertCata(int id, int slfId, int prtId, const QString &code, const QString &name)
{
    Database->ExecSql(QStringLiteral("insert into catas(Id, Code, Name, [Note], SlfId, PrtId) "
                                     "values (:Id, :Code, :Name, '', :SlfId, :PrtId)"),
                      {DBParam(QStringLiteral("Id"), id),
                       DBParam(QStringLiteral("Code"), code.isNull() ? QVariant() : QVariant(code)),
                       DBParam(QStringLiteral("Name"), name), DBParam(QStringLiteral("SlfId"), slfId),
                       DBParam(QStringLiteral("PrtId"), prtId)});
}

inline void InsertLend(int id, int arcId, const QVariant &lendate, const QString &borrower,
                       const QString &bordept, const QVariant &returndate)
{
    Database->ExecSql(
        QStringLiteral("insert into lends(Id, ArcId, Lendate, Borrower, Bordept, Checkman, Headline, "
                       "Returndate, Notes) values (:Id, :ArcId, :Lendate, :Borrower, :Bordept, '', "
                       ":Headline, :Returndate, '')"),
        {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("ArcId"), arcId),
         DBParam(QStringLiteral("Lendate"), lendate), DBParam(QStringLiteral("Borrower"), borrower),
         DBParam(QStringLiteral("Bordept"), bordept), DBParam(QStringLiteral("Headline"), QVariant()),
         DBParam(QStringLiteral("Returndate"), returndate)});
}

// Search conditions by field name, for data rows: Cond({{"Name", "abc"}, {"Id", 3}}).
inline QVariantMap Cond(std::initializer_list<std::pair<const char *, QVariant>> pairs)
{
    QVariantMap map;
    for (const auto &[key, value] : pairs)
        map.insert(QString::fromLatin1(key), value);
    return map;
}

// Sets exactly the given conditions on a condition record.
template <class Where> void SetConditions(Where &where, const QVariantMap &conditions)
{
    where.Reset();
    for (auto it = conditions.cbegin(); it != conditions.cend(); ++it)
        where.DataSet()->FieldByName(it.key())->SetValue(it.value());
}

// The first column of every row of a statement, as text (null reads as "<null>").
inline QStringList Column(const QString &statement)
{
    QStringList values;
    SharedRecordSet->Open(statement);
    TDataSet &rows = *SharedRecordSet->DataSet();
    for (rows.First(); !rows.Eof(); rows.Next())
        values << (rows.Field(0)->IsNull() ? QStringLiteral("<null>") : rows.Field(0)->AsString());
    return values;
}

inline QDateTime Day(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

} // namespace DomainTest

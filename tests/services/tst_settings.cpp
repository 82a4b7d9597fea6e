// The settings stores on real engines: rows made on first use, writes that reach the table
// and the cache, and the growth of the pick lists.

#include "ModulesFixture.h"
#include "ServicesTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QTest>

#include <optional>

using ServicesTest::OpenFresh;
using ServicesTest::Scalar;

namespace {

int CountRows(const QString &statement)
{
    return Scalar(statement).toInt();
}

// The values of one setting row as stored, in the order Vstr, Vint, Vfloat, Vbool.
QVariantList StoredSetting(int keyId)
{
    TRecordSet rows;
    if (rows.Open(QStringLiteral("select Vstr, Vint, Vfloat, Vbool from keyvalue where KeyId=:KeyId"),
                  {DBParam(QStringLiteral("KeyId"), keyId)}) != 1)
        return {};
    TDataSet *data = rows.DataSet();
    data->First();
    return {data->Field(0)->Value(), data->Field(1)->Value(), data->Field(2)->Value(),
            data->Field(3)->IsNull() ? QVariant() : QVariant(data->Field(3)->AsBoolean())};
}

} // namespace

class TSettingsTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase() { m_modules.emplace(); }
    void cleanupTestCase() { m_modules.reset(); }

    void readingCreatesTheRow_data() { TestDb::AddEngineRows(); }
    void readingCreatesTheRow()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("kv_read_") + engine))
            return;
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 0);
        TKeyValue2 settings;
        QCOMPARE(settings.DailyTipPrompt(), false);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 1);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue where KeyId=1 and Vbool is null and "
                                          "Vstr is null and Vint is null and Vfloat is null")),
                 1);
        // A second read is served by the cache and the row it made.
        QCOMPARE(settings.DailyTipPrompt(), false);
        QCOMPARE(settings.GetStartPrompt(), false);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 2);
    }

    void writingASetting_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("rowPresent");
        for (const char *engine : {"sqlite", "postgresql"}) {
            QTest::addRow("%s, row present", engine) << QString::fromLatin1(engine) << true;
            QTest::addRow("%s, row absent", engine) << QString::fromLatin1(engine) << false;
        }
    }
    void writingASetting()
    {
        QFETCH(QString, engine);
        QFETCH(bool, rowPresent);
        if (!OpenFresh(engine, QStringLiteral("kv_write_%1_%2").arg(engine).arg(rowPresent)))
            return;
        const TDBParameters neighbour = {DBParam(QStringLiteral("Vstr"), QStringLiteral("保留")),
                                         DBParam(QStringLiteral("Vbool"), true)};
        Database->ExecSql(
            QStringLiteral("insert into keyvalue(KeyId, Vstr, Vint, Vbool) values (1, :Vstr, 9, :Vbool)"),
            neighbour);
        if (rowPresent)
            Database->ExecSql(
                QStringLiteral("insert into keyvalue(KeyId, Vstr, Vint, Vfloat, Vbool) values (0, "
                               "'old', 5, 1.5, :Vbool)"),
                {DBParam(QStringLiteral("Vbool"), false)});

        TKeyValue2 settings;
        settings.SetFeedbackPrompt(true);
        QCOMPARE(settings.FeedbackPrompt(), true);
        QCOMPARE(StoredSetting(0), (QVariantList{QStringLiteral(""), 0, 0.0, true}));
        // The neighbour is untouched and no other row appeared.
        QCOMPARE(StoredSetting(1), (QVariantList{QStringLiteral("保留"), 9, QVariant(), true}));
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 2);

        // A store opened afterwards reads what was written.
        TKeyValue2 later;
        QCOMPARE(later.FeedbackPrompt(), true);
        QCOMPARE(later.DailyTipPrompt(), true);
        later.SetFeedbackPrompt(false);
        QCOMPARE(later.FeedbackPrompt(), false);
        QCOMPARE(StoredSetting(0).value(3), QVariant(false));
    }

    // A row removed behind the cache's back is written again by the missing-row insert.
    void writeValuesRestoresAMissingRow_data() { TestDb::AddEngineRows(); }
    void writeValuesRestoresAMissingRow()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("kv_missing_") + engine))
            return;
        TKeyValue2 settings;
        settings.SelectKey(7);
        Database->ExecSql(QStringLiteral("delete from keyvalue where KeyId=7"));
        QVERIFY(settings.WriteValues(7, QStringLiteral("宽文本"), -3, 2.25, true));
        QCOMPARE(StoredSetting(7), (QVariantList{QStringLiteral("宽文本"), -3, 2.25, true}));
        // The cache was positioned by SelectKey and mirrors the write.
        TDataSet *cache = settings.DataSet();
        QCOMPARE(cache->FieldByName(QStringLiteral("KeyId"))->AsInteger(), 7);
        QCOMPARE(cache->FieldByName(QStringLiteral("Vstr"))->AsString(), QStringLiteral("宽文本"));
        QCOMPARE(cache->FieldByName(QStringLiteral("Vint"))->AsInteger(), -3);
        QCOMPARE(cache->FieldByName(QStringLiteral("Vfloat"))->AsFloat(), 2.25);
        QCOMPARE(cache->FieldByName(QStringLiteral("Vbool"))->AsBoolean(), true);
    }

    void pickListsGrow_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QList<int>>("existing");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("expected");
        for (const char *engine : {"sqlite", "postgresql"}) {
            const QString e = QString::fromLatin1(engine);
            QTest::addRow("%s, empty table to 3", engine) << e << QList<int>{} << 3 << QList<int>{1, 2, 3};
            QTest::addRow("%s, numbered after the highest key", engine)
                << e << QList<int>{7} << 3 << QList<int>{7, 8, 9};
            QTest::addRow("%s, never shrinks", engine)
                << e << QList<int>{1, 2, 3, 4} << 2 << QList<int>{1, 2, 3, 4};
            QTest::addRow("%s, already enough", engine) << e << QList<int>{2, 5} << 2 << QList<int>{2, 5};
        }
    }
    void pickListsGrow()
    {
        QFETCH(QString, engine);
        QFETCH(QList<int>, existing);
        QFETCH(int, count);
        QFETCH(QList<int>, expected);
        if (!OpenFresh(engine, QStringLiteral("lists_") + engine + QString::number(existing.size()) +
                                   QString::number(count)))
            return;
        for (int key : existing)
            Database->ExecSql(
                QStringLiteral("insert into options([Key], Label, List) values (:Key, 'x', 'a,b')"),
                {DBParam(QStringLiteral("Key"), key)});

        TPickListSet lists;
        lists.SetCount(count);
        QCOMPARE(lists.Count(), expected.size());
        QList<int> cached;
        for (lists.DataSet()->First(); !lists.DataSet()->Eof(); lists.DataSet()->Next())
            cached << lists.DataSet()->FieldByName(QStringLiteral("Key"))->AsInteger();
        QCOMPARE(cached, expected);

        lists.OpenLists(true);
        QList<int> stored;
        for (lists.DataSet()->First(); !lists.DataSet()->Eof(); lists.DataSet()->Next()) {
            stored << lists.DataSet()->FieldByName(QStringLiteral("Key"))->AsInteger();
            // New lists are stored without a list text.
            if (!existing.contains(stored.last()))
                QVERIFY(lists.DataSet()->FieldByName(QStringLiteral("List"))->IsNull());
        }
        QCOMPARE(stored, expected);

        lists.SetCount(count - 1);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from options")), expected.size());
    }
};

PZ_TEST(TSettingsTest)
#include "tst_settings.moc"

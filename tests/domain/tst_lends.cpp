// Lendings on real engines: the lending search, the writes, the borrowers list and the rule
// that decides whether another copy may be lent.

#include "Archive.h"
#include "DomainTestDb.h"
#include "TestMain.h"

#include <QMap>

using namespace DomainTest;

namespace {

const QString SelectHead = QStringLiteral("select l.*, a.Code as ArcCode, a.Name as ArcName  from (lends l "
                                          "left join archives a on l.ArcId=a.Id)  ");
const QString SelectTail = QStringLiteral(" order by l.Id");

int StoreArchive(const QString &code, const QString &name, int copys)
{
    RArchive archive;
    archive.Code = code;
    archive.Name = name;
    archive.Copys = copys;
    if (!TArchiveSet::SaveArchive(archive))
        throw std::runtime_error("archive not stored");
    return archive.Id;
}

bool OpenFixture(const QString &engine)
{
    static QMap<QString, QString> connections;
    if (!TestDb::RequireEngine(engine))
        return false;
    ScriptedPrompter prompts;
    if (connections.contains(engine))
        return Database->Open(connections[engine]);
    const QString connection = TestDb::FreshConnectionString(engine, QStringLiteral("dom_lend_fixture"));
    if (!Database->Open(connection))
        return false;
    StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 1);
    StoreArchive(QStringLiteral("A-2"), QStringLiteral("档案二"), 1);
    InsertLend(1, 1, Day(2013, 3, 1), QStringLiteral("张三"), QStringLiteral("财务部"), QVariant());
    InsertLend(2, 2, Day(2013, 3, 1, 9, 30), QStringLiteral("O'Brien"), QStringLiteral("x' or '1'='1"),
               Day(2013, 3, 5));
    InsertLend(3, 1, Day(2013, 3, 2), QStringLiteral("李四"), QStringLiteral("人事部"), QVariant());
    InsertLend(4, 99, Day(2013, 2, 27), QString(), QStringLiteral("财务"), QVariant()); // archive deleted
    connections[engine] = connection;
    return true;
}

} // namespace

class TLendsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void search_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariantMap>("conditions");
        QTest::addColumn<QString>("whereText");
        QTest::addColumn<QList<int>>("ids");
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine;
            };
            row("nothing set") << QVariantMap() << QString() << QList<int>{1, 2, 3, 4};
            row("one archive") << Cond({{"ArcId", 1}}) << " where l.ArcId=1" << QList<int>{1, 3};
            row("id") << Cond({{"Id", 2}}) << " where l.Id=2" << QList<int>{2};
            row("same day, no time of day")
                << Cond({{"Lendate1", Day(2013, 3, 1)}, {"Lendate2", Day(2013, 3, 1)}})
                << " where l.Lendate>='2013-03-01' and l.Lendate<='2013-03-01'" << QList<int>{1};
            row("date range") << Cond({{"Lendate1", Day(2013, 2, 28)}, {"Lendate2", Day(2013, 3, 2, 12)}})
                              << " where l.Lendate>='2013-02-28' and l.Lendate<='2013-03-02'"
                              << QList<int>{1, 2, 3};
            row("department equals") << Cond({{"Lendept", "财务部"}}) << " where l.Bordept='财务部'"
                                     << QList<int>{1};
            row("partial department") << Cond({{"Lendept", "财"}}) << " where l.Bordept='财'" << QList<int>{};
            row("borrower") << Cond({{"Borrower", "张三"}}) << " where l.Borrower='张三'" << QList<int>{1};
            row("every condition, fixed order")
                << Cond({{"Borrower", "张三"},
                         {"Lendept", "财务部"},
                         {"Lendate2", Day(2013, 3, 9)},
                         {"Lendate1", Day(2013, 3, 1)},
                         {"ArcId", 1},
                         {"Id", 1}})
                << " where l.Id=1 and l.ArcId=1 and l.Lendate>='2013-03-01' and l.Lendate<='2013-03-09' and "
                   "l.Bordept='财务部' and l.Borrower='张三'"
                << QList<int>{1};
            row("borrower O'Brien") << Cond({{"Borrower", "O'Brien"}}) << " where l.Borrower='O''Brien'"
                                    << QList<int>{2};
            row("department x' or '1'='1") << Cond({{"Lendept", "x' or '1'='1"}})
                                           << " where l.Bordept='x'' or ''1''=''1'" << QList<int>{2};
            row("borrower ' or '1'='1") << Cond({{"Borrower", "' or '1'='1"}})
                                        << " where l.Borrower=''' or ''1''=''1'" << QList<int>{};
        }
    }
    void search()
    {
        QFETCH(QString, engine);
        QFETCH(QVariantMap, conditions);
        QFETCH(QString, whereText);
        QFETCH(QList<int>, ids);
        if (!OpenFixture(engine))
            return;
        ScriptedPrompter prompts;
        TLendSet set;
        SetConditions(*set.Where(), conditions);
        try {
            set.Query();
        } catch (const Exception &e) {
            QFAIL(qPrintable(e.Message() + QLatin1Char('\n') + prompts.Texts().join(QLatin1Char('\n'))));
        }
        QVERIFY2(prompts.Texts().isEmpty(), qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
        QCOMPARE(set.SqlText(), SelectHead + whereText + SelectTail);
        QList<int> listed;
        for (set.DataSet()->First(); !set.DataSet()->Eof(); set.DataSet()->Next())
            listed << set.IdFld()->AsInteger();
        QCOMPARE(listed, ids);
    }

    void listRows_data() { TestDb::AddEngineRows(); }
    void listRows()
    {
        QFETCH(QString, engine);
        if (!OpenFixture(engine))
            return;
        ScriptedPrompter prompts;
        TLendSet set;
        set.Where()->Reset();
        set.Query();
        QStringList shown;
        for (int f = 0; f < set.DataSet()->FieldCount(); ++f)
            if (set.DataSet()->Field(f)->Visible())
                shown << set.DataSet()->Field(f)->DisplayLabel();
        QCOMPARE(shown, (QStringList{"档案编号", "档案名称", "借出日期", "借阅人", "借阅部门", "审核人",
                                     "归还期限", "归还日期", "备注"}));

        set.DataSet()->First();
        RLend first = set.AsData();
        QCOMPARE(first.Id, 1);
        QCOMPARE(first.ArcId.toInt(), 1);
        QCOMPARE(first.ArcCode, QStringLiteral("A-1"));
        QCOMPARE(first.ArcName, QStringLiteral("档案一"));
        QCOMPARE(first.Lendate.toDateTime(), Day(2013, 3, 1));
        QCOMPARE(first.Borrower, QStringLiteral("张三"));
        QCOMPARE(first.Bordept, QStringLiteral("财务部"));
        QVERIFY(first.Returndate.isNull());
        QVERIFY(first.Headline.isNull());
        set.DataSet()->Next();
        QCOMPARE(set.AsData().Returndate.toDateTime(), Day(2013, 3, 5));
        // The archive was deleted: the lending stays, without archive code and name.
        set.DataSet()->Last();
        const RLend orphan = set.AsData();
        QCOMPARE(orphan.Id, 4);
        QCOMPARE(orphan.ArcId.toInt(), 99);
        QVERIFY(orphan.ArcCode.isEmpty());
        QVERIFY(orphan.ArcName.isEmpty());
    }

    void saveDelete_data() { TestDb::AddEngineRows(); }
    void saveDelete()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        const int arcId = StoreArchive(QStringLiteral("A-1"), QStringLiteral("一"), 2);

        RLend lend;
        lend.ArcId = arcId;
        lend.Lendate = Day(2013, 3, 1);
        lend.Borrower = QStringLiteral("O'Brien");
        lend.Bordept = QStringLiteral("部");
        lend.Checkman = QStringLiteral("批准人");
        lend.Headline = Day(2013, 4, 1);
        lend.Notes = QStringLiteral("注");
        QVERIFY(TLendSet::SaveLend(lend));
        QCOMPARE(lend.Id, 1);

        ScriptedPrompter prompts;
        TLendSet set;
        set.Where()->Reset();
        set.Where()->ArcIdFld()->SetValue(arcId);
        set.Query();
        RLend stored = set.AsData();
        QCOMPARE(stored.Id, 1);
        QCOMPARE(stored.Borrower, lend.Borrower);
        QCOMPARE(stored.Checkman, lend.Checkman);
        QCOMPARE(stored.Headline.toDateTime(), Day(2013, 4, 1));
        QCOMPARE(stored.Notes, lend.Notes);

        // Returned, then the return undone: open again.
        stored.Returndate = Day(2013, 3, 20);
        QVERIFY(TLendSet::SaveLend(stored));
        QCOMPARE(Column(QStringLiteral("select Returndate from lends")).size(), 1);
        QVERIFY(Column(QStringLiteral("select Returndate from lends")) != QStringList{"<null>"});
        stored.Returndate = QVariant();
        QVERIFY(TLendSet::SaveLend(stored));
        QCOMPARE(Column(QStringLiteral("select Returndate from lends")), QStringList{"<null>"});

        // The cached row takes a record without touching the database.
        RLend edited = stored;
        edited.Borrower = QStringLiteral("改");
        edited.ArcId = QVariant();
        set.DataSet()->Edit();
        set.SetAsData(edited);
        set.DataSet()->Post();
        QCOMPARE(set.AsData().Borrower, QStringLiteral("改"));
        QCOMPARE(set.AsData().ArcId, QVariant(0));
        QCOMPARE(Column(QStringLiteral("select Borrower from lends")), QStringList{"O'Brien"});

        RLend gone = stored;
        gone.Id = 55;
        QVERIFY(!TLendSet::SaveLend(gone));
        QCOMPARE(gone.Id, 55);
        QVERIFY(TLendSet::DeleteLend(1));
        QVERIFY(!TLendSet::DeleteLend(1));
        QVERIFY(prompts.Texts().isEmpty());
    }

    void availability_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("copys");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("returned");
        QTest::addColumn<bool>("canLend");
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine;
            };
            row("no copies") << 0 << 0 << 0 << false;
            row("no copies, only returned lendings") << 0 << 0 << 1 << false;
            row("one copy, none out") << 1 << 0 << 0 << true;
            row("one copy, out") << 1 << 1 << 0 << false;
            row("one copy, back") << 1 << 0 << 1 << true;
            row("two copies, one out") << 2 << 1 << 0 << true;
            row("two copies, both out") << 2 << 2 << 0 << false;
            row("two copies, one of two back") << 2 << 1 << 1 << true;
        }
    }
    void availability()
    {
        QFETCH(QString, engine);
        QFETCH(int, copys);
        QFETCH(int, open);
        QFETCH(int, returned);
        QFETCH(bool, canLend);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        const int arcId = StoreArchive(QStringLiteral("A"), QStringLiteral("A"), copys);
        // Another archive's open lending must not count.
        const int otherId = StoreArchive(QStringLiteral("B"), QStringLiteral("B"), 1);
        int id = 0;
        InsertLend(++id, otherId, Day(2013, 1, 1), QStringLiteral("x"), QString(), QVariant());
        for (int n = 0; n < open; ++n)
            InsertLend(++id, arcId, Day(2013, 1, 2), QStringLiteral("x"), QString(), QVariant());
        for (int n = 0; n < returned; ++n)
            InsertLend(++id, arcId, Day(2013, 1, 2), QStringLiteral("x"), QString(), Day(2013, 1, 3));

        RArchive archive;
        TArchiveSet::LoadArchive(arcId, archive);
        QCOMPARE(archive.Lends, open);
        QCOMPARE(CanLend(archive), canLend);
        QCOMPARE(CanLendArchive(arcId), canLend);
    }

    void availabilityOfMissingArchive()
    {
        if (!OpenFresh(QStringLiteral("sqlite"), RowDbName("dom")))
            return;
        QVERIFY(!CanLendArchive(12));
    }

    void borrowers_data() { TestDb::AddEngineRows(); }
    void borrowers()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        InsertLend(1, 1, QVariant(), QStringLiteral("张三"), QString(), QVariant());
        InsertLend(2, 1, QVariant(), QStringLiteral("李四"), QString(), QVariant());
        InsertLend(3, 2, QVariant(), QStringLiteral("张三"), QString(), QVariant());
        InsertLend(4, 2, QVariant(), QString(), QString(), QVariant());
        Database->ExecSql(QStringLiteral("update lends set Borrower=null where Id=4"));
        RBorrowers borrowers{QStringLiteral("stale")};
        QCOMPARE(TLendSet::GetBorrowers(borrowers), 3);
        borrowers.sort();
        QCOMPARE(borrowers, (QStringList{"", "张三", "李四"}));
    }
};

PZ_TEST(TLendsTest)
#include "tst_lends.moc"

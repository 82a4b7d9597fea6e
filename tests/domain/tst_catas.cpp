// The category tree on real engines: tree order, provisional and canonical codes, and the
// all-or-nothing delete and renumbering passes.

#include "Archive.h"
#include "DomainTestDb.h"
#include "StatementText.h"
#include "TestMain.h"

using namespace DomainTest;

namespace {

// "Name:SlfId:PrtId:Code" of every stored category in Id order; a null code reads "<null>".
QStringList StoredTree()
{
    QStringList rows;
    SharedRecordSet->Open(QStringLiteral("select Name, SlfId, PrtId, Code from catas order by Id"));
    TDataSet &set = *SharedRecordSet->DataSet();
    for (set.First(); !set.Eof(); set.Next()) {
        const QString code = set.Field(3)->IsNull() ? QStringLiteral("<null>") : set.Field(3)->AsString();
        rows << QStringLiteral("%1:%2:%3:%4")
                    .arg(set.Field(0)->AsString(), set.Field(1)->AsString(), set.Field(2)->AsString(), code);
    }
    return rows;
}

RCata NewCata(const QString &name, int prtId)
{
    RCata cata;
    cata.Name = name;
    cata.Note = name + QStringLiteral(" note");
    cata.PrtId = prtId;
    return cata;
}

} // namespace

class TCatasTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void addCata_data() { TestDb::AddEngineRows(); }
    void addCata()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;

        RCata first = NewCata(QStringLiteral("first"), 0);
        QVERIFY(TCataSet::AddCata(first));
        QCOMPARE(first.Id, 1);
        QCOMPARE(first.SlfId, 1);
        QCOMPARE(first.Code, QStringLiteral(".1."));

        // A renumbered tree up to SlfId 6, then new categories get provisional codes.
        first.Code = QStringLiteral("1.");
        QVERIFY(TCataSet::UpdateCata(first));
        InsertCata(2, 2, 1, QStringLiteral("1.2."), QStringLiteral("two"));
        for (int n = 3; n <= 6; ++n)
            InsertCata(n, n, 0, QStringLiteral("%1.").arg(n), QStringLiteral("n%1").arg(n));

        struct Case
        {
            int prtId;
            int id;
            const char *code;
        };
        const Case cases[] = {{2, 7, "1.2..7."}, {0, 8, ".8."}, {99, 9, ".9."}};
        for (const Case &c : cases) {
            RCata cata = NewCata(QStringLiteral("new%1").arg(c.id), c.prtId);
            QVERIFY(TCataSet::AddCata(cata));
            QCOMPARE(cata.Id, c.id);
            QCOMPARE(cata.SlfId, c.id);
            QCOMPARE(cata.Code, QString::fromLatin1(c.code));
        }
        QCOMPARE(StoredTree().mid(6),
                 (QStringList{QStringLiteral("new7:7:2:1.2..7."), QStringLiteral("new8:8:0:.8."),
                              QStringLiteral("new9:9:99:.9.")}));
        QCOMPARE(Column(QStringLiteral("select Note from catas where Id=7")),
                 QStringList{QStringLiteral("new7 note")});
    }

    void loadAllAndUpdate_data() { TestDb::AddEngineRows(); }
    void loadAllAndUpdate()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        // Stored out of tree order on purpose.
        InsertCata(1, 3, 2, QStringLiteral("1.2.3."), QStringLiteral("C"));
        InsertCata(2, 1, 0, QStringLiteral("1."), QStringLiteral("A"));
        InsertCata(3, 2, 1, QStringLiteral("1.2."), QStringLiteral("B"));

        TCataSet set;
        QCOMPARE(set.CodeFld()->DisplayLabel(), QStringLiteral("编码"));
        QVERIFY(!set.IdFld()->Visible());
        set.LoadAll();
        QStringList seen;
        for (set.DataSet()->First(); !set.DataSet()->Eof(); set.DataSet()->Next()) {
            const RCata cata = set.ReadCata();
            QCOMPARE(cata.Path, cata.Name);
            seen << QStringLiteral("%1/%2/%3/%4/%5")
                        .arg(cata.Name)
                        .arg(cata.Id)
                        .arg(cata.SlfId)
                        .arg(cata.PrtId)
                        .arg(cata.Code);
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("A/2/1/0/1."), QStringLiteral("B/3/2/1/1.2."),
                                    QStringLiteral("C/1/3/2/1.2.3.")}));

        // The tree writes each full name into the row; a deep tree's name stays whole.
        const QString deepPath = QStringLiteral("档案/文书/合同/").repeated(30);
        set.DataSet()->Last();
        set.DataSet()->Edit();
        set.PathFld()->SetAsString(deepPath);
        set.DataSet()->Post();
        QCOMPARE(set.ReadCata().Path, deepPath);

        set.DataSet()->First();
        RCata a = set.ReadCata();
        a.Name = QStringLiteral("A'renamed");
        a.Note = QStringLiteral("备注");
        QVERIFY(TCataSet::UpdateCata(a));
        set.LoadAll();
        QCOMPARE(set.ReadCata().Name, QStringLiteral("A'renamed"));
        QCOMPARE(set.NoteFld()->AsString(), QStringLiteral("备注"));

        // Deleted meanwhile: nothing changes and the caller hears so.
        a.Id = 42;
        QVERIFY(!TCataSet::UpdateCata(a));
    }

    void deleteCatas_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("vanished"); // deleted behind the caller's back first; 0 for none
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("remaining");
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine;
            };
            row("subtree") << QList<int>{1, 2, 3} << 0 << true << QStringList{QStringLiteral("D")};
            row("one vanished") << QList<int>{1, 2, 3} << 2 << false
                                << QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")};
            row("unknown last") << QList<int>{1, 2, 3, 99} << 0 << false
                                << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                               QStringLiteral("D")};
            row("empty list") << QList<int>{} << 0 << true
                              << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                             QStringLiteral("D")};
        }
    }
    void deleteCatas()
    {
        QFETCH(QString, engine);
        QFETCH(QList<int>, ids);
        QFETCH(int, vanished);
        QFETCH(bool, result);
        QFETCH(QStringList, remaining);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("A"));
        InsertCata(2, 2, 1, QStringLiteral("1.2."), QStringLiteral("B"));
        InsertCata(3, 3, 2, QStringLiteral("1.2.3."), QStringLiteral("C"));
        InsertCata(4, 4, 0, QStringLiteral("4."), QStringLiteral("D"));
        if (vanished)
            Database->ExecSql(QStringLiteral("delete from catas where Id=:Id"),
                              {DBParam(QStringLiteral("Id"), vanished)});

        RCatas list;
        for (int id : ids) {
            RCata cata;
            cata.Id = id;
            list << cata;
        }
        QCOMPARE(TCataSet::DeleteCatas(list), result);
        QVERIFY(!Database->InTransaction());
        QCOMPARE(Column(QStringLiteral("select Name from catas order by Id")), remaining);
    }

    void renumberCatas_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("tree");
        // Stored by AddCata in the order A, D, B (under A), C (under B): provisional codes.
        const QStringList before{QStringLiteral("A:1:0:.1."), QStringLiteral("D:2:0:.2."),
                                 QStringLiteral("B:3:1:.1..3."), QStringLiteral("C:4:3:.1..3..4.")};
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine << name;
            };
            row("whole tree") << true
                              << QStringList{QStringLiteral("A:1:0:1."), QStringLiteral("D:4:0:4."),
                                             QStringLiteral("B:2:1:1.2."), QStringLiteral("C:3:2:1.2.3.")};
            row("one vanished") << false << QStringList{before[0], before[1], before[2]};
            row("one left out") << true
                                << QStringList{QStringLiteral("A:1:0:1."), QStringLiteral("D:2:0:<null>"),
                                               QStringLiteral("B:2:1:1.2."), QStringLiteral("C:3:2:1.2.3.")};
        }
    }
    void renumberCatas()
    {
        QFETCH(QString, engine);
        QFETCH(QString, variant);
        QFETCH(bool, result);
        QFETCH(QStringList, tree);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        RCata a = NewCata(QStringLiteral("A"), 0);
        RCata d = NewCata(QStringLiteral("D"), 0);
        QVERIFY(TCataSet::AddCata(a));
        QVERIFY(TCataSet::AddCata(d));
        RCata b = NewCata(QStringLiteral("B"), a.SlfId);
        QVERIFY(TCataSet::AddCata(b));
        RCata c = NewCata(QStringLiteral("C"), b.SlfId);
        QVERIFY(TCataSet::AddCata(c));

        // The canonical numbers of A(B(C)), D as the tree view computes them.
        auto canonical = [](RCata cata, int slfId, int prtId, const char *code) {
            cata.SlfId = slfId;
            cata.PrtId = prtId;
            cata.Code = QString::fromLatin1(code);
            return cata;
        };
        RCatas list{canonical(a, 1, 0, "1."), canonical(b, 2, 1, "1.2."), canonical(c, 3, 2, "1.2.3."),
                    canonical(d, 4, 0, "4.")};
        if (variant == QLatin1String("one vanished"))
            Database->ExecSql(QStringLiteral("delete from catas where Id=:Id"),
                              {DBParam(QStringLiteral("Id"), c.Id)});
        if (variant == QLatin1String("one left out"))
            list.removeLast();

        QCOMPARE(TCataSet::RenumberCatas(list), result);
        QVERIFY(!Database->InTransaction());
        QCOMPARE(StoredTree(), tree);
    }

    // An error inside the transaction undoes what ran before it and reaches the caller.
    void errorRollsBack_data() { TestDb::AddEngineRows(); }
    void errorRollsBack()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("A"));
        bool raised = false;
        try {
            StatementText::AllOrNothing([] {
                Database->ExecSql(QStringLiteral("delete from catas where Id=1"));
                Database->ExecSql(QStringLiteral("delete from nosuchtable where Id=1"));
                return true;
            });
        } catch (const EDatabaseError &e) {
            raised = true;
            QVERIFY2(e.Message().endsWith(QStringLiteral("\r\ndelete from nosuchtable where Id=1")),
                     qPrintable(e.Message()));
        }
        QVERIFY(raised);
        QVERIFY(!Database->InTransaction());
        QCOMPARE(Column(QStringLiteral("select Name from catas")), QStringList{QStringLiteral("A")});
    }
};

PZ_TEST(TCatasTest)
#include "tst_catas.moc"

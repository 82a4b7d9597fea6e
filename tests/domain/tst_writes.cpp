// What the domain's writers leave in the tables on real engines: a commit the engine refuses,
// texts longer than the list columns, texts never set, and document sizes past 2 GiB.

#include "Archive.h"
#include "DomainTestDb.h"
#include "TestMain.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <memory>

using namespace DomainTest;

namespace {

// A second connection to the same SQLite file inside a read transaction: it holds the shared
// lock that a commit on the program's connection has to wait for.
class HeldReader
{
public:
    explicit HeldReader(const QString &path)
        : m_name(QStringLiteral("pz-reader-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open() || !db.transaction())
            m_error = db.lastError().text();
        QSqlQuery read(db);
        if (m_error.isEmpty() && (!read.exec(QStringLiteral("select count(*) from catas")) || !read.next()))
            m_error = read.lastError().text();
    }
    ~HeldReader() { Release(); }
    HeldReader(const HeldReader &) = delete;
    HeldReader &operator=(const HeldReader &) = delete;

    const QString &Error() const { return m_error; }
    void Release()
    {
        if (m_name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
    }

private:
    QString m_name;
    QString m_error;
};

// Statements the program never runs itself (constraints made for a test); run unprepared,
// as PostgreSQL prepares no DDL.
void RunDirect(const QString &statement)
{
    QSqlQuery query(Database->Connection());
    if (!query.exec(statement))
        QFAIL(qPrintable(query.lastError().text() + QLatin1Char('\n') + statement));
}

QStringList StoredTree()
{
    QStringList rows;
    SharedRecordSet->Open(QStringLiteral("select Name, SlfId, PrtId, Code from catas order by Id"));
    TDataSet &set = *SharedRecordSet->DataSet();
    for (set.First(); !set.Eof(); set.Next())
        rows << QStringLiteral("%1:%2:%3:%4")
                    .arg(set.Field(0)->AsString(), set.Field(1)->AsString(), set.Field(2)->AsString(),
                         set.Field(3)->AsString());
    return rows;
}

RCata Cata(int id, int slfId, int prtId, const QString &code, const QString &name)
{
    RCata cata;
    cata.Id = id;
    cata.SlfId = slfId;
    cata.PrtId = prtId;
    cata.Code = code;
    cata.Name = name;
    return cata;
}

// The number of rows of the table whose column holds null, for every column named.
QStringList NullColumns(const QString &table, const QStringList &columns)
{
    QStringList found;
    for (const QString &column : columns) {
        const QString count =
            Column(QStringLiteral("select count(*) from %1 where %2 is null").arg(table, column)).value(0);
        if (count != QLatin1String("0"))
            found << QStringLiteral("%1.%2: %3").arg(table, column, count);
    }
    return found;
}

} // namespace

class TDomainWritesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    // A commit the engine refuses undoes the whole operation and reports the engine's message;
    // no transaction stays open, so the next write reaches the table and the next
    // all-or-nothing operation starts afresh. SQLite refuses while another connection reads
    // the file past the busy timeout; PostgreSQL when a deferred constraint fails at commit.
    void failedCommit_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("writer");
        for (const char *engine : AllEngines)
            for (const char *writer : {"renumber", "delete"})
                QTest::addRow("%s: %s", engine, writer) << engine << writer;
    }
    void failedCommit()
    {
        QFETCH(QString, engine);
        QFETCH(QString, writer);
        if (!OpenFresh(engine, RowDbName("wr")))
            return;
        InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("A"));
        InsertCata(2, 2, 1, QStringLiteral("1.2."), QStringLiteral("B"));
        InsertCata(3, 3, 2, QStringLiteral("1.2.3."), QStringLiteral("C"));
        InsertCata(4, 4, 0, QStringLiteral("4."), QStringLiteral("D"));
        const QStringList before = StoredTree();
        const bool sqlite = engine == QLatin1String("sqlite");

        std::unique_ptr<HeldReader> reader;
        if (sqlite) {
            RunDirect(QStringLiteral("pragma busy_timeout = 100"));
            reader = std::make_unique<HeldReader>(Database->DataSource());
            QVERIFY2(reader->Error().isEmpty(), qPrintable(reader->Error()));
        } else if (writer == QLatin1String("renumber")) {
            RunDirect(
                QStringLiteral("alter table catas add constraint uq_catas_code unique (Code) deferrable "
                               "initially deferred"));
        } else {
            RunDirect(QStringLiteral("alter table archives add constraint fk_archives_cata foreign key "
                                     "(CataId) references catas (Id) deferrable initially deferred"));
            Database->ExecSql(QStringLiteral("insert into archives(Id, CataId, Code) values (1, 2, 'A-1')"));
        }

        QString message;
        try {
            if (writer == QLatin1String("renumber"))
                // C takes B's code: only the commit checks a deferred constraint.
                TCataSet::RenumberCatas({Cata(1, 1, 0, "1.", "A"), Cata(2, 2, 1, "1.2.", "B"),
                                         Cata(3, 3, 2, "1.2.", "C"), Cata(4, 4, 0, "9.", "D")});
            else
                TCataSet::DeleteCatas({Cata(1, 0, 0, "", ""), Cata(2, 0, 0, "", ""), Cata(3, 0, 0, "", "")});
            QFAIL("the commit was not refused");
        } catch (const EDatabaseError &e) {
            message = e.Message();
        }
        QVERIFY(!message.isEmpty());
        if (sqlite)
            QVERIFY2(message.contains(QStringLiteral("database is locked")), qPrintable(message));
        QVERIFY(!Database->InTransaction());
        if (reader)
            reader->Release();
        QCOMPARE(StoredTree(), before);

        // The next write is stored for good: it is there after the connection closes.
        QVERIFY(TCataSet::UpdateCata(Cata(4, 4, 0, "4.", "D2")));
        Database->SetConnected(false);
        Database->SetConnected(true);
        QCOMPARE(Column(QStringLiteral("select Name from catas where Id=4")), QStringList{"D2"});

        QVERIFY(TCataSet::RenumberCatas({Cata(1, 1, 0, "1.", "A"), Cata(2, 2, 1, "1.2.", "B"),
                                         Cata(3, 3, 2, "1.2.3.", "C"), Cata(4, 5, 0, "5.", "D2")}));
        QVERIFY(!Database->InTransaction());
        Database->SetConnected(false);
        Database->SetConnected(true);
        QCOMPARE(Column(QStringLiteral("select Code from catas where Id=4")), QStringList{"5."});
    }

    // The lists are laid out for short texts, but an edit reads the record from a list and
    // writes it back: every text must make the round trip whole.
    void longTextsMakeTheRoundTripWhole_data() { TestDb::AddEngineRows(); }
    void longTextsMakeTheRoundTripWhole()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("wr")))
            return;
        ScriptedPrompter prompts;
        const QString longText = QStringLiteral("二〇一三年度档案室搬迁后重新编号的各类合同与往来函件");
        QVERIFY(longText.size() > 16);
        const QString longer = longText.repeated(3);
        QVERIFY(longer.size() > 50 && longer.size() < 255);

        RCata cata;
        cata.Name = longer;
        cata.Note = longer + QStringLiteral("备注");
        QVERIFY(TCataSet::AddCata(cata));
        TCataSet catas;
        catas.LoadAll();
        RCata read = catas.ReadCata();
        QCOMPARE(read.Name, cata.Name);
        QCOMPARE(read.Note, cata.Note);
        QCOMPARE(catas.DataSet()->DisplayTextAt(0, catas.NameFld()->Index()), cata.Name);
        QVERIFY(TCataSet::UpdateCata(read));
        QCOMPARE(Column(QStringLiteral("select Name from catas")), QStringList{cata.Name});
        QCOMPARE(Column(QStringLiteral("select Note from catas")), QStringList{cata.Note});

        RArchive archive;
        archive.Code = QStringLiteral("WS-") + QString(40, QLatin1Char('7'));
        archive.Name = longer;
        archive.Layplace = longer;
        archive.Copys = 1;
        QVERIFY(TArchiveSet::SaveArchive(archive));
        TArchiveSet archives;
        archives.Where()->Reset();
        archives.Query();
        QCOMPARE(archives.CodeFld()->AsString(), archive.Code);
        QCOMPARE(archives.NameFld()->AsString(), longer);
        QCOMPARE(archives.LayplaceFld()->AsString(), longer);
        archives.MirrorRow(QStringLiteral("Id"), archive.Id, [&] { archives.SetAsData(archive); });
        QCOMPARE(archives.NameFld()->AsString(), longer);

        RLend lend;
        lend.ArcId = archive.Id;
        lend.Lendate = Day(2013, 3, 1);
        lend.Borrower = longText;
        lend.Notes = longText;
        QVERIFY(TLendSet::SaveLend(lend));
        TLendSet lends;
        lends.Where()->Reset();
        lends.Query();
        RLend fromList = lends.AsData();
        QCOMPARE(fromList.Notes, longText);
        QCOMPARE(fromList.ArcName, longer);
        fromList.Borrower = QStringLiteral("王五");
        QVERIFY(TLendSet::SaveLend(fromList));
        QCOMPARE(Column(QStringLiteral("select Notes from lends")), QStringList{longText});
        QVERIFY(prompts.Texts().isEmpty());
    }

    // A text the user never filled in is stored as empty text, as the company and operator
    // writers do, so that a distinct list offers the empty entry once.
    void unsetTextsAreStoredEmpty_data() { TestDb::AddEngineRows(); }
    void unsetTextsAreStoredEmpty()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("wr")))
            return;
        RArchive blank;
        QVERIFY(TArchiveSet::SaveArchive(blank));
        RArchive set;
        set.Security = QStringLiteral("");
        set.Layplace = QStringLiteral("");
        QVERIFY(TArchiveSet::SaveArchive(set));
        QVERIFY(TArchiveSet::SaveArchive(blank)); // the update path as well
        RLend lend;
        lend.ArcId = blank.Id;
        QVERIFY(TLendSet::SaveLend(lend));
        QVERIFY(TLendSet::SaveLend(lend));
        RCata cata;
        QVERIFY(TCataSet::AddCata(cata));
        cata.Code = QString();
        QVERIFY(TCataSet::UpdateCata(cata));
        QVERIFY(TCataSet::RenumberCatas({cata}));

        QStringList nulls =
            NullColumns(QStringLiteral("archives"),
                        {"Code", "Name", "Arcdept", "Arcman", "Security", "Layplace", "Filepath", "Notes"});
        nulls += NullColumns(QStringLiteral("lends"), {"Borrower", "Bordept", "Checkman", "Notes"});
        nulls += NullColumns(QStringLiteral("catas"), {"Code", "Name", "[Note]"});
        QCOMPARE(nulls, QStringList());

        // A database written before keeps its nulls; the pick list still shows one empty entry.
        Database->ExecSql(QStringLiteral("update archives set Security=null where Id=1"));
        RSecuritys securitys;
        QCOMPARE(TArchiveSet::GetSecuritys(securitys), 1);
        QCOMPARE(securitys, QStringList{QString()});
        RBorrowers borrowers;
        QCOMPARE(TLendSet::GetBorrowers(borrowers), 1);
    }

    // A document of 2 GiB or more, up to terabytes: saved, read back, and listed.
    void documentSizesPast32Bits_data() { TestDb::AddEngineRows(); }
    void documentSizesPast32Bits()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("wr")))
            return;
        ScriptedPrompter prompts;
        // A size the engine or the list refuses is an error here, not a crash of the run.
        try {
            const QList<qlonglong> sizes{qlonglong(2147483648), qlonglong(5497558138880), 1024};
            for (const qlonglong size : sizes) {
                RArchive archive;
                archive.Name = QStringLiteral("扫描件");
                archive.Filepath = QStringLiteral("/srv/scans/%1.tif").arg(size);
                archive.Filebyte = size;
                QVERIFY2(TArchiveSet::SaveArchive(archive),
                         qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
            }
            RArchive loaded;
            TArchiveSet::LoadArchive(2, loaded);
            QCOMPARE(loaded.Filebyte.toLongLong(), qlonglong(5497558138880));
            loaded.Filebyte = qlonglong(3) << 40;
            QVERIFY(TArchiveSet::SaveArchive(loaded));

            TArchiveSet list;
            list.Where()->Reset();
            list.Where()->CataCodeFld()->SetAsString(CataCodeAll);
            list.Query();
            QVERIFY2(prompts.Texts().isEmpty(), qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
            QStringList shown;
            TField *filebyte = list.DataSet()->FieldByName(QStringLiteral("Filebyte"));
            for (list.DataSet()->First(); !list.DataSet()->Eof(); list.DataSet()->Next())
                shown << filebyte->DisplayText();
            QCOMPARE(shown, (QStringList{"2147483648", "3298534883328", "1024"}));
            list.DataSet()->First();
            QCOMPARE(list.AsData().Filebyte.toLongLong(), qlonglong(2147483648));
        } catch (const Exception &e) {
            QFAIL(qPrintable(e.Message()));
        }
    }
};

PZ_TEST(TDomainWritesTest)
#include "tst_writes.moc"

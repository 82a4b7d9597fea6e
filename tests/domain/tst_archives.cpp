// Archives on real engines: the search statement and what it finds, the fresh read with the
// open-lending count, the writes, and condition values that carry quotes.

#include "Archive.h"
#include "DomainTestDb.h"
#include "TestMain.h"

#include <QMap>

using namespace DomainTest;

namespace {

const QString SelectHead =
    QStringLiteral("select a.*, t.Name as CataName  from (archives a left join catas t on a.CataId=t.Id)  ");
const QString SelectTail = QStringLiteral(" order by a.Id");

RArchive MakeArchive(const QVariant &cataId, const QString &code, const QString &name, const QString &dept,
                     const QString &man, const QVariant &date, const QString &security,
                     const QString &layplace, const QString &filepath)
{
    RArchive archive;
    archive.CataId = cataId;
    archive.Code = code;
    archive.Name = name;
    archive.Arcdept = dept;
    archive.Arcman = man;
    archive.Arcdate = date;
    archive.Security = security;
    archive.Copys = 1;
    archive.Layplace = layplace;
    archive.Filepath = filepath;
    return archive;
}

QString WithNul(const char *before, const char *after)
{
    return QString::fromUtf8(before) + QChar(0) + QString::fromUtf8(after);
}

// Categories A(B(C)), D and E, whose code 11. must not count as below 1.; archives with values
// that exercise every match kind, quotes among them.
void Populate()
{
    InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("A"));
    InsertCata(2, 2, 1, QStringLiteral("1.2."), QStringLiteral("B"));
    InsertCata(3, 3, 2, QStringLiteral("1.2.3."), QStringLiteral("C"));
    InsertCata(4, 4, 0, QStringLiteral("4."), QStringLiteral("D"));
    InsertCata(5, 5, 0, QStringLiteral("11."), QStringLiteral("E"));
    const QVariant none;
    RArchive rows[] = {
        MakeArchive(1, "A-001", "年度报告", "财务部", "张三", Day(2013, 3, 1), "机密", "一号柜",
                    "/docs/report.pdf"),
        MakeArchive(2, "B-002", "O'Brien 合同", "总财务", "O'Brien", Day(2013, 3, 1, 10, 30), "秘密",
                    "二号柜", "C:\\scans\\b.pdf"),
        MakeArchive(3, "C-003", "abc", "人事部", "张", Day(2013, 3, 2), "机密", "一号柜", ""),
        MakeArchive(4, "D-004", "x' or '1'='1", "人事部", "李四", Day(2012, 12, 31), "", "x' or '1'='1", ""),
        MakeArchive(5, "E-005", "a c", "财务", "王五", none, "公开", "三号柜", ""),
        MakeArchive(none, "N-006", "a_c", "档案室", "赵六", Day(2013, 2, 28), "'1'='1", "", ""),
        MakeArchive(99, "Z-007", "orphan", "档案室", "孙七", none, "公开", "", ""),
    };
    for (RArchive &archive : rows)
        QVERIFY(TArchiveSet::SaveArchive(archive));
}

// The search fixture is read only: one database per engine for the whole run.
bool OpenFixture(const QString &engine)
{
    static QMap<QString, QString> connections;
    if (!TestDb::RequireEngine(engine))
        return false;
    ScriptedPrompter prompts;
    if (connections.contains(engine))
        return Database->Open(connections[engine]);
    const QString connection = TestDb::FreshConnectionString(engine, QStringLiteral("dom_search_fixture"));
    if (!Database->Open(connection))
        return false;
    Populate();
    connections[engine] = connection;
    return true;
}

QList<int> ListedIds(TArchiveSet &set)
{
    QList<int> ids;
    for (set.DataSet()->First(); !set.DataSet()->Eof(); set.DataSet()->Next())
        ids << set.IdFld()->AsInteger();
    return ids;
}

} // namespace

class TArchivesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void statement_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariantMap>("conditions");
        QTest::addColumn<QString>("whereText");
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine;
            };
            row("nothing set") << QVariantMap() << QString();
            row("worked example")
                << Cond({{"CataCode", "1.2."}, {"Security", "机密"}, {"Arcdate1", Day(2013, 3, 1)}})
                << " where t.Code like '1.2.%' and a.Arcdate>='2013-03-01' and a.Security='机密'";
            row("sys-all with name") << Cond({{"CataCode", "sys-all"}, {"Name", "abc"}})
                                     << " where a.Name like '%abc%'";
            row("sys-nulled") << Cond({{"CataCode", "sys-nulled"}}) << " where a.CataId is null";
            row("keyword")
                << Cond({{"Keyword", "k"}})
                << " where (a.Code like '%k%' or a.Name like '%k%'  or a.Arcdept like '%k%' or "
                   "a.Arcman='k'  or a.Security='k' or a.Layplace like '%k%'  or a.Filepath like '%k%')";
            row("every condition, fixed order")
                << Cond({{"Keyword", "k"},
                         {"Layplace", "l"},
                         {"Filepath", "f"},
                         {"Security", "s"},
                         {"Arcdate2", Day(2013, 3, 31, 18)},
                         {"Arcdate1", Day(2013, 3, 1)},
                         {"Arcman", "m"},
                         {"Arcdept", "d"},
                         {"Name", "n"},
                         {"Code", "c"},
                         {"CataCode", "1."},
                         {"Id", 5}})
                << " where a.Id=5 and t.Code like '1.%' and a.Code like '%c%' and a.Name like '%n%' and "
                   "a.Arcdept "
                   "like 'd%' and a.Arcman='m' and a.Arcdate>='2013-03-01' and a.Arcdate<='2013-03-31' and "
                   "a.Security='s' and a.Layplace like '%l%' and a.Filepath like '%f%' and (a.Code like "
                   "'%k%' or "
                   "a.Name like '%k%'  or a.Arcdept like '%k%' or a.Arcman='k'  or a.Security='k' or "
                   "a.Layplace "
                   "like '%k%'  or a.Filepath like '%k%')";
            row("quote doubled") << Cond({{"Arcman", "O'Brien"}, {"Name", "x' or '1'='1"}})
                                 << " where a.Name like '%x'' or ''1''=''1%' and a.Arcman='O''Brien'";
            row("and inside a value") << Cond({{"Name", " and "}, {"Security", "s"}})
                                      << " where a.Name like '% and %' and a.Security='s'";
            row("placeholders inside a value")
                << Cond({{"Name", "%s%d%%"}}) << " where a.Name like '%%s%d%%%'";
            row("NUL dropped") << Cond({{"Name", WithNul("a", "b")}, {"Arcman", WithNul("c", "d")}})
                               << " where a.Name like '%ab%' and a.Arcman='cd'";
        }
    }
    void statement()
    {
        QFETCH(QString, engine);
        QFETCH(QVariantMap, conditions);
        QFETCH(QString, whereText);
        // Statement texts need no database: the dialect is given.
        SqlDialect dialect;
        dialect.engine = engine == QLatin1String("postgresql") ? SqlEngine::PostgreSQL : SqlEngine::SQLite;
        TArchiveWhere where;
        SetConditions(where, conditions);
        QCOMPARE(TArchiveSet::WhereText(where, dialect), whereText);
    }

    void search_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QVariantMap>("conditions");
        QTest::addColumn<QList<int>>("ids");
        for (const char *engine : AllEngines) {
            auto row = [engine](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", engine, name) << engine;
            };
            row("nothing set") << QVariantMap() << QList<int>{1, 2, 3, 4, 5, 6, 7};
            row("sys-all") << Cond({{"CataCode", "sys-all"}}) << QList<int>{1, 2, 3, 4, 5, 6, 7};
            row("sys-all with name") << Cond({{"CataCode", "sys-all"}, {"Name", "abc"}}) << QList<int>{3};
            row("sys-nulled, not the deleted category")
                << Cond({{"CataCode", "sys-nulled"}}) << QList<int>{6};
            row("subtree 1.2.") << Cond({{"CataCode", "1.2."}}) << QList<int>{2, 3};
            row("subtree 1. without 11.") << Cond({{"CataCode", "1."}}) << QList<int>{1, 2, 3};
            row("id") << Cond({{"Id", 3}}) << QList<int>{3};
            row("importer's empty list") << Cond({{"Id", -1}}) << QList<int>{};
            row("code contains, any case") << Cond({{"Code", "c-00"}}) << QList<int>{3};
            row("name contains") << Cond({{"Name", "报告"}}) << QList<int>{1};
            row("department begins with") << Cond({{"Arcdept", "财务"}}) << QList<int>{1, 5};
            row("person equals") << Cond({{"Arcman", "张"}}) << QList<int>{3};
            row("same day, no time of day")
                << Cond({{"Arcdate1", Day(2013, 3, 1)}, {"Arcdate2", Day(2013, 3, 1)}}) << QList<int>{1};
            row("date range") << Cond({{"Arcdate1", Day(2013, 2, 28)}, {"Arcdate2", Day(2013, 3, 2)}})
                              << QList<int>{1, 2, 3, 6};
            row("security equals") << Cond({{"Security", "机密"}}) << QList<int>{1, 3};
            row("storage place contains") << Cond({{"Layplace", "号柜"}}) << QList<int>{1, 2, 3, 5};
            row("path with backslashes") << Cond({{"Filepath", "\\scans\\"}}) << QList<int>{2};
            row("blank is searched literally") << Cond({{"Name", " "}}) << QList<int>{2, 4, 5};
            row("percent is a wildcard") << Cond({{"Name", "a%c"}}) << QList<int>{3, 5, 6};
            row("underscore is a wildcard") << Cond({{"Name", "a_c"}}) << QList<int>{3, 5, 6};
            row("keyword, storage place") << Cond({{"Keyword", "一号"}}) << QList<int>{1, 3};
            row("keyword, person equals") << Cond({{"Keyword", "张"}}) << QList<int>{3};
            row("keyword, security equals") << Cond({{"Keyword", "机密"}}) << QList<int>{1, 3};
            row("worked example") << Cond({{"CataCode", "1.2."},
                                           {"Security", "机密"},
                                           {"Arcdate1", Day(2013, 3, 1)}})
                                  << QList<int>{3};
            // Quotes typed by the user are text to find, never part of the statement.
            row("name O'Brien") << Cond({{"Name", "O'Brien"}}) << QList<int>{2};
            row("person O'Brien") << Cond({{"Arcman", "O'Brien"}}) << QList<int>{2};
            row("keyword O'Brien") << Cond({{"Keyword", "O'Brien"}}) << QList<int>{2};
            row("name x' or '1'='1") << Cond({{"Name", "x' or '1'='1"}}) << QList<int>{4};
            row("storage place x' or '1'='1") << Cond({{"Layplace", "x' or '1'='1"}}) << QList<int>{4};
            row("keyword x' or '1'='1") << Cond({{"Keyword", "x' or '1'='1"}}) << QList<int>{4};
            row("security '1'='1") << Cond({{"Security", "'1'='1"}}) << QList<int>{6};
            row("category 1.' or '1'='1") << Cond({{"CataCode", "1.' or '1'='1"}}) << QList<int>{};
            row("department ' or 'a'<>'") << Cond({{"Arcdept", "' or 'a'<>'"}}) << QList<int>{};
            row("lone quote") << Cond({{"Code", "'"}}) << QList<int>{};
            // A NUL pasted with the text is no part of what is searched for.
            row("name with NUL") << Cond({{"Name", WithNul("报", "告")}}) << QList<int>{1};
            row("person with NUL") << Cond({{"Arcman", WithNul("张", "三")}}) << QList<int>{1};
            row("keyword with NUL") << Cond({{"Keyword", WithNul("一", "号")}}) << QList<int>{1, 3};
        }
    }
    void search()
    {
        QFETCH(QString, engine);
        QFETCH(QVariantMap, conditions);
        QFETCH(QList<int>, ids);
        if (!OpenFixture(engine))
            return;
        ScriptedPrompter prompts;
        TArchiveSet set;
        SetConditions(*set.Where(), conditions);
        try {
            set.Query();
        } catch (const Exception &e) {
            QFAIL(qPrintable(e.Message() + QLatin1Char('\n') + prompts.Texts().join(QLatin1Char('\n'))));
        }
        QVERIFY2(prompts.Texts().isEmpty(), qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
        QCOMPARE(ListedIds(set), ids);
        // The list runs the search statement with the clauses of the connection's dialect.
        QCOMPARE(set.SqlText(),
                 SelectHead + TArchiveSet::WhereText(*set.Where(), Database->Dialect()) + SelectTail);
    }

    void listColumns_data() { TestDb::AddEngineRows(); }
    void listColumns()
    {
        QFETCH(QString, engine);
        if (!OpenFixture(engine))
            return;
        ScriptedPrompter prompts;
        TArchiveSet set;
        set.Where()->Reset();
        set.Query();
        QStringList shown;
        TDataSet &rows = *set.DataSet();
        for (int f = 0; f < rows.FieldCount(); ++f) {
            if (rows.Field(f)->Visible())
                shown << rows.Field(f)->DisplayLabel();
            QCOMPARE(rows.Field(f)->DisplayWidth(), 75);
        }
        QCOMPARE(shown, (QStringList{"分类", "档案编号", "档案名称", "归档部门", "归档人", "归档日期",
                                     "保密级别", "档案份数", "存放地点", "电子文档", "备注"}));
        // The category name through the join; empty without a category or with a deleted one.
        QStringList names;
        QStringList files;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            names << set.CataNameFld()->AsString();
            files << rows.FieldByName(QStringLiteral("Filename"))->AsString();
        }
        QCOMPARE(names, (QStringList{"A", "B", "C", "D", "E", "", ""}));
        QCOMPARE(files, (QStringList{"report.pdf", "b.pdf", "", "", "", "", ""}));
    }

    void filename_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows path") << "C:\\docs\\2013\\a.pdf"
                                      << "a.pdf";
        QTest::newRow("drive only") << "D:x.doc"
                                    << "x.doc";
        QTest::newRow("unix path") << "/home/u/b.txt"
                                   << "b.txt";
        QTest::newRow("bare name") << "plain.txt"
                                   << "plain.txt";
        QTest::newRow("directory") << "C:\\docs\\"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void filename()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ArchiveFilename(path), name);
    }

    void saveLoadDelete_data() { TestDb::AddEngineRows(); }
    void saveLoadDelete()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("类一"));

        RArchive archive =
            MakeArchive(1, "A-1", "名称", "部门", "人", Day(2013, 3, 1, 9, 15), "机密", "柜", "C:\\d\\a.pdf");
        archive.Copys = 3;
        archive.Filebyte = 123456;
        archive.Notes = QStringLiteral("长备注 O'Brien");
        QVERIFY(TArchiveSet::SaveArchive(archive));
        QCOMPARE(archive.Id, 1);

        // Three copies, two lendings of which one came back: one open lending.
        InsertLend(1, 1, Day(2013, 3, 2), QStringLiteral("甲"), QString(), QVariant());
        InsertLend(2, 1, Day(2013, 3, 3), QStringLiteral("乙"), QString(), Day(2013, 3, 9));
        InsertLend(3, 2, Day(2013, 3, 3), QStringLiteral("丙"), QString(), QVariant());
        RArchive loaded;
        TArchiveSet::LoadArchive(1, loaded);
        QCOMPARE(loaded.Id, 1);
        QCOMPARE(loaded.CataId.toInt(), 1);
        QCOMPARE(loaded.CataName, QStringLiteral("类一"));
        QCOMPARE(loaded.Code, archive.Code);
        QCOMPARE(loaded.Name, archive.Name);
        QCOMPARE(loaded.Arcdept, archive.Arcdept);
        QCOMPARE(loaded.Arcman, archive.Arcman);
        QCOMPARE(loaded.Arcdate.toDateTime(), Day(2013, 3, 1, 9, 15));
        QCOMPARE(loaded.Security, archive.Security);
        QCOMPARE(loaded.Copys, 3);
        QCOMPARE(loaded.Lends, 1);
        QCOMPARE(loaded.Layplace, archive.Layplace);
        QCOMPARE(loaded.Filepath, archive.Filepath);
        QCOMPARE(loaded.Filebyte.toInt(), 123456);
        QCOMPARE(loaded.Notes, archive.Notes);

        // Update, with the nullable values cleared.
        loaded.CataId = QVariant();
        loaded.Arcdate = QVariant();
        loaded.Filebyte = QVariant();
        loaded.Name = QStringLiteral("新名称");
        QVERIFY(TArchiveSet::SaveArchive(loaded));
        RArchive reread;
        TArchiveSet::LoadArchive(1, reread);
        QCOMPARE(reread.Id, 1);
        QVERIFY(reread.CataId.isNull());
        QVERIFY(reread.CataName.isEmpty());
        QVERIFY(reread.Arcdate.isNull());
        QVERIFY(reread.Filebyte.isNull());
        QCOMPARE(reread.Name, QStringLiteral("新名称"));

        // A second archive, then the highest one deleted: its Id is used again.
        RArchive second = MakeArchive(QVariant(), "A-2", "二", "", "", QVariant(), "", "", "");
        QVERIFY(TArchiveSet::SaveArchive(second));
        QCOMPARE(second.Id, 2);
        QVERIFY(TArchiveSet::DeleteArchive(2));
        QVERIFY(!TArchiveSet::DeleteArchive(2));
        RArchive third = MakeArchive(QVariant(), "A-3", "三", "", "", QVariant(), "", "", "");
        QVERIFY(TArchiveSet::SaveArchive(third));
        QCOMPARE(third.Id, 2);

        // Gone meanwhile: the update reports it and the record stays unfilled by a load.
        RArchive gone = third;
        gone.Id = 77;
        QVERIFY(!TArchiveSet::SaveArchive(gone));
        QCOMPARE(gone.Id, 77);
        RArchive missing;
        TArchiveSet::LoadArchive(77, missing);
        QCOMPARE(missing.Id, 0);
        QVERIFY(missing.Code.isEmpty());

        // The lendings of a deleted archive stay.
        QVERIFY(TArchiveSet::DeleteArchive(1));
        QCOMPARE(Column(QStringLiteral("select count(*) from lends where ArcId=1")), QStringList{"2"});
    }

    void asData_data() { TestDb::AddEngineRows(); }
    void asData()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        ScriptedPrompter prompts;
        TArchiveSet set;
        set.Where()->Reset();
        set.Query();
        QCOMPARE(set.AsData().Id, 0);

        RArchive archive = MakeArchive(QVariant(), "A-1", "一", "", "", QVariant(), "", "", "");
        archive.Copys = 2;
        QVERIFY(TArchiveSet::SaveArchive(archive));
        set.Query();
        // Read afresh: changes made after the list was read show, and so do open lendings.
        InsertLend(1, archive.Id, Day(2013, 3, 2), QStringLiteral("甲"), QString(), QVariant());
        Database->ExecSql(QStringLiteral("update archives set Name='改' where Id=1"));
        const RArchive current = set.AsData();
        QCOMPARE(current.Id, 1);
        QCOMPARE(current.Name, QStringLiteral("改"));
        QCOMPARE(current.Lends, 1);
        QCOMPARE(set.NameFld()->AsString(), QStringLiteral("一"));

        // Writing goes into the cached row only.
        RArchive added =
            MakeArchive(7, "N-9", "新", "部", "人", Day(2013, 5, 6), "秘密", "柜", "C:\\x\\doc.txt");
        added.Id = 9;
        added.CataName = QStringLiteral("类");
        added.Filebyte = 10;
        added.Notes = QStringLiteral("注");
        set.DataSet()->Append();
        set.SetAsData(added);
        set.DataSet()->Post();
        QCOMPARE(set.DataSet()->RecordCount(), 2);
        QCOMPARE(set.IdFld()->AsInteger(), 9);
        QCOMPARE(set.CataIdFld()->AsInteger(), 7);
        QCOMPARE(set.CataNameFld()->AsString(), QStringLiteral("类"));
        QCOMPARE(set.CodeFld()->AsString(), QStringLiteral("N-9"));
        QCOMPARE(set.ArcdateFld()->AsDateTime(), Day(2013, 5, 6));
        QCOMPARE(set.SecurityFld()->AsString(), QStringLiteral("秘密"));
        QCOMPARE(set.LayplaceFld()->AsString(), QStringLiteral("柜"));
        QCOMPARE(set.NotesFld()->AsString(), QStringLiteral("注"));
        QCOMPARE(set.DataSet()->FieldByName(QStringLiteral("Copys"))->AsInteger(), 1);
        QCOMPARE(set.DataSet()->FieldByName(QStringLiteral("Filebyte"))->AsInteger(), 10);
        QCOMPARE(set.DataSet()->FieldByName(QStringLiteral("Filename"))->AsString(),
                 QStringLiteral("doc.txt"));
        QCOMPARE(Column(QStringLiteral("select Id from archives")), QStringList{"1"});
        QVERIFY(prompts.Texts().isEmpty());
    }

    void distinctLists_data() { TestDb::AddEngineRows(); }
    void distinctLists()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, RowDbName("dom")))
            return;
        RSecuritys securitys{QStringLiteral("stale")};
        QCOMPARE(TArchiveSet::GetSecuritys(securitys), 0);
        QVERIFY(securitys.isEmpty());

        for (const char *security : {"机密", "秘密", "机密", ""}) {
            RArchive archive = MakeArchive(QVariant(), "", "", "", "", QVariant(), security, "柜", "");
            QVERIFY(TArchiveSet::SaveArchive(archive));
        }
        Database->ExecSql(QStringLiteral("update archives set Security=null, Layplace=null where Id=4"));
        QCOMPARE(TArchiveSet::GetSecuritys(securitys), 3);
        securitys.sort();
        QCOMPARE(securitys, (QStringList{"", "机密", "秘密"}));
        QVERIFY(!SharedRecordSet->DataSet()->Active());

        RLayplaces layplaces;
        QCOMPARE(TArchiveSet::GetLayplaces(layplaces), 2);
        layplaces.sort();
        QCOMPARE(layplaces, (QStringList{"", "柜"}));
    }
};

PZ_TEST(TArchivesTest)
#include "tst_archives.moc"

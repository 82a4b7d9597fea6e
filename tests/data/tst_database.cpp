// The one connection on real engines: opening, statements, parameters, transactions, the
// reopen on demand, and the dialect at work.

#include "Database.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QBuffer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString FailPrefix = QStringLiteral("\r\n连接时失败,提示如下:\r\n");

int CountRows(const QString &statement, const TDBParameters &params = {})
{
    SharedRecordSet->Open(statement, params);
    return SharedRecordSet->DataSet()->Field(0)->AsInteger();
}

// Runs a statement unprepared on the program's connection (PostgreSQL prepares no DDL).
void RunDirect(const QString &statement)
{
    QSqlQuery query(Database->Connection());
    if (!query.exec(statement))
        QFAIL(qPrintable(query.lastError().text() + QLatin1Char('\n') + statement));
}

QString FilebyteType()
{
    SharedRecordSet->Open(QStringLiteral("select data_type from information_schema.columns where "
                                         "table_name = 'archives' and column_name = 'filebyte'"));
    return SharedRecordSet->DataSet()->Field(0)->AsString();
}
} // namespace

class TDatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void openFailures_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::newRow("empty") << QString();
        QTest::newRow("malformed") << "Provider=SQLite;nonsense";
        QTest::newRow("unknown provider") << "Provider=MSDASQL;Data Source=x";
        QTest::newRow("missing file") << "Provider=SQLite;Data Source=/nonexistent/dir/pzarc.db;";
        QTest::newRow("not a database") << "NOTADB";
        QTest::newRow("server unreachable")
            << "Provider=PostgreSQL;Data Source=127.0.0.1;Port=1;Initial Catalog=x;User ID=u;Password=p";
    }
    void openFailures()
    {
        QFETCH(QString, connection);
        QTemporaryDir dir;
        if (connection == QLatin1String("NOTADB")) {
            QFile junk(dir.filePath(QStringLiteral("junk.db")));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(4096, 'x'));
            junk.close();
            connection = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(junk.fileName());
        }
        ScriptedPrompter prompts;
        QVERIFY(!Database->Open(connection));
        QVERIFY(!Database->Connected());
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY2(prompts.LastText().startsWith(FailPrefix), qPrintable(prompts.LastText()));
        QVERIFY(prompts.LastText().size() > FailPrefix.size() + 1);
        // The failed string is kept: the connect loop offers the form and tries again.
        QCOMPARE(Database->ConnectionString(), connection);
    }

    void connectionValues()
    {
        ScriptedPrompter prompts;
        const QString jet = QStringLiteral(
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a.mdb;Persist Security Info=True");
        Database->Open(jet);
        QCOMPARE(Database->Provider(), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        QCOMPARE(Database->DataSource(), QStringLiteral("C:\\a.mdb"));
        QVERIFY(Database->ConnectionValue(QStringLiteral("Persist Security Info")).isEmpty()); // last, no ";"
        QVERIFY(Database->ConnectionValue(QStringLiteral("provider")).isEmpty());              // exact case
        QVERIFY(Database->IsNotJet());
        const QDateTime march5(QDate(2013, 3, 5), QTime(14, 30));
        QCOMPARE(Database->DateLiteral(march5), QStringLiteral("#2013-03-05#"));

        Database->Open(QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=c;"));
        QCOMPARE(Database->DateLiteral(march5), QStringLiteral("'2013-03-05'"));
        QVERIFY(Database->IsNotJet());
        Database->Open(QStringLiteral("Provider=microsoft.jet.oledb.4.0;Data Source=x;"));
        QCOMPARE(Database->DateLiteral(QDate(2013, 7, 12)), QStringLiteral("'2013-07-12'"));
        Database->Open(QStringLiteral("Provider=SQLite;Data Source=/nonexistent.db;"));
        QVERIFY(!Database->IsNotJet());
        QCOMPARE(Database->DateLiteral(QDate(2013, 7, 12)), QStringLiteral("'2013-07-12'"));
    }

    void statements_data() { TestDb::AddEngineRows(); }
    void statements()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_db_statements")))
            return;
        const QString insert = QStringLiteral("insert into catas(Id,Code,Name,[Note],SlfId,PrtId) values "
                                              "(:Id,:Code,:Name,:Note,:SlfId,:PrtId)");
        QCOMPARE(Database->ExecSql(insert,
                                   {DBParam("Id", 1), DBParam("Code", "1."), DBParam("Name", "文书"),
                                    DBParam("Note", QVariant()), DBParam("SlfId", 1), DBParam("PrtId", 0)}),
                 1);
        // Parameters bind by name in any order.
        QCOMPARE(
            Database->ExecSql(insert, {DBParam("PrtId", 1), DBParam("SlfId", 2), DBParam("Note", "n"),
                                       DBParam("Name", "合同"), DBParam("Code", "1.1."), DBParam("Id", 2)}),
            1);
        QCOMPARE(Database->ExecSql(QStringLiteral("update catas set [Note]=:Note"), {DBParam("Note", "x")}),
                 2);
        QCOMPARE(Database->ExecSql(QStringLiteral("delete from catas where Id=:Id"), {DBParam("Id", 99)}), 0);

        // A failing statement: the engine's message, "\r\n", the statement as passed.
        const QString bad = QStringLiteral("update nosuchtable set a=1");
        try {
            Database->ExecSql(bad);
            QFAIL("no error");
        } catch (const EDatabaseError &e) {
            QVERIFY(e.Message().endsWith(QStringLiteral("\r\n") + bad));
            QVERIFY(e.Message().size() > bad.size() + 2);
        }
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 Database->Execute(QStringLiteral("delete from nosuchtable")));

        // A parameter the statement lacks fails before anything runs.
        try {
            Database->ExecSql(QStringLiteral("delete from catas where Id=:Id"),
                              {DBParam("Id", 1), DBParam("Other", 2)});
            QFAIL("no error");
        } catch (const EParamError &e) {
            QVERIFY(!e.Message().contains(QStringLiteral("delete from")));
        }
        QCOMPARE(CountRows(QStringLiteral("select count(*) from catas")), 2);

        // The dialect: top, brackets, #date#, case-insensitive LIKE and column names.
        Database->Execute(QStringLiteral("insert into lends(Id,ArcId,Lendate,Borrower,Returndate) "
                                         "values (:Id,1,:D,:B,null)"),
                          {DBParam("Id", 1), DBParam("D", QDateTime(QDate(2013, 7, 12), QTime(9, 5, 7))),
                           DBParam("B", "Zhang")});
        Database->Execute(QStringLiteral("insert into lends(Id,ArcId,Lendate,Borrower) values (2,1,:D,'li')"),
                          {DBParam("D", QDate(2013, 7, 13))});
        SharedRecordSet->Open(QStringLiteral("select top 1 Id from lends order by Id desc"));
        QCOMPARE(SharedRecordSet->DataSet()->RecordCount(), 1);
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsInteger(), 2);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from lends where Borrower like 'ZH%'")), 1);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from lends where Lendate>=#2013-07-12# and "
                                          "Lendate<#2013-07-13#")),
                 1);
        QCOMPARE(
            CountRows(QStringLiteral("select count(0) from lends where ArcId=1 and (ReturnDate is null)")),
            2);
        QCOMPARE(CountRows(QStringLiteral("select count(*) from catas where [Note]='x'")), 2);

        TQuerySet list;
        list.AddField(FieldKind::DateTime, QStringLiteral("Lendate"), -1, true, QStringLiteral("借阅日期"));
        QCOMPARE(list.Open(QStringLiteral("select Lendate from lends order by Id")), 2);
        QCOMPARE(list.DataSet()->Field(0)->AsDateTime(), QDateTime(QDate(2013, 7, 12), QTime(9, 5, 7)));
        list.DataSet()->Next();
        QCOMPARE(list.DataSet()->Field(0)->DisplayText(), QStringLiteral("2013-07-13"));
        if (engine == QLatin1String("sqlite")) {
            // Dates are ISO text without a time of day when there is none.
            SharedRecordSet->Open(QStringLiteral("select Lendate from lends order by Id"));
            QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), QStringLiteral("2013-07-12 09:05:07"));
            SharedRecordSet->DataSet()->Next();
            QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), QStringLiteral("2013-07-13"));
        }
    }

    void awkwardValues_data() { TestDb::AddEngineRows(); }
    void awkwardValues()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_db_values")))
            return;
        const QStringList texts = {QStringLiteral("O'Brien"), QStringLiteral("x' or '1'='1"),
                                   QStringLiteral("back\\slash\\'"), QStringLiteral("档案 \"引号\" %_"),
                                   QStringLiteral(":Id [Note] #2013-01-01#")};
        int id = 0;
        for (const QString &text : texts) {
            ++id;
            QCOMPARE(
                Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId,Vstr) values (:KeyId,:Vstr)"),
                                  {DBParam("KeyId", id), DBParam("Vstr", text)}),
                1);
            SharedRecordSet->Open(QStringLiteral("select Vstr from keyvalue where KeyId=:KeyId"),
                                  {DBParam("KeyId", id)});
            QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), text);
        }
        // A pasted NUL is dropped from text on every engine (PostgreSQL text cannot hold one),
        // in a statement's values as in its conditions.
        const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        try {
            QCOMPARE(Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId,Vstr) values (100,:V)"),
                                       {DBParam("V", withNul)}),
                     1);
            QCOMPARE(Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId,Vstr) values (101,:V)"),
                                       {DBParam("V", QString(QChar(0)))}),
                     1);
        } catch (const EDatabaseError &e) {
            QFAIL(qPrintable(e.Message()));
        }
        QCOMPARE(
            CountRows(QStringLiteral("select count(*) from keyvalue where Vstr=:V"), {DBParam("V", withNul)}),
            1);
        SharedRecordSet->Open(QStringLiteral("select Vstr from keyvalue where KeyId>=100 order by KeyId"));
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), QStringLiteral("ab"));
        SharedRecordSet->DataSet()->Next();
        QVERIFY(!SharedRecordSet->DataSet()->Field(0)->IsNull());
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), QString());

        // A whole stream as a binary value, NUL bytes included.
        QByteArray bytes("\0\x01\xff<xml>'\\", 10);
        bytes += QByteArray(70000, '\x7f');
        QBuffer buffer(&bytes);
        QCOMPARE(Database->ExecSql(QStringLiteral("insert into report (Fr3File,Id)values(:Fr3File,:Id)"),
                                   {DBParam("Id", 100)}, {TxDBParameter{QStringLiteral("Fr3File"), &buffer}}),
                 1);
        TRecordSet reports;
        reports.AddField(FieldKind::Blob, QStringLiteral("Fr3File"), -1, false, QString());
        QCOMPARE(reports.Open(QStringLiteral("select Fr3File from report where Id=100")), 1);
        QCOMPARE(reports.DataSet()->Field(0)->Value().toByteArray(), bytes);
    }

    void reopenAndTransactions_data() { TestDb::AddEngineRows(); }
    void reopenAndTransactions()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_db_tx")))
            return;
        Database->SetConnected(false);
        QVERIFY(!Database->Connected());
        QCOMPARE(Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (1)")), 1);
        QVERIFY(Database->Connected());

        QVERIFY(!Database->InTransaction());
        Database->BeginTrans();
        QVERIFY(Database->InTransaction());
        Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (2)"));
        Database->RollbackTrans();
        QVERIFY(!Database->InTransaction());
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 1);

        Database->BeginTrans();
        Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (2)"));
        Database->CommitTrans();
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 2);

        // The caller's pattern: an error escapes, the transaction is rolled back, nothing stays.
        try {
            Database->BeginTrans();
            Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (3)"));
            Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (3)")); // duplicate key
            Database->CommitTrans();
            QFAIL("duplicate key accepted");
        } catch (const EDatabaseError &) {
            if (Database->InTransaction())
                Database->RollbackTrans();
        }
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 2);

        // Closing drops an open transaction.
        Database->BeginTrans();
        Database->ExecSql(QStringLiteral("insert into keyvalue(KeyId) values (4)"));
        Database->SetConnected(false);
        QVERIFY(!Database->InTransaction());
        QCOMPARE(CountRows(QStringLiteral("select count(*) from keyvalue")), 2);
    }

    // Document sizes of 2 GiB and more: an SQLite file holds them as it is; a PostgreSQL
    // database laid down with a 32-bit column has it widened on the first connection, and only
    // then.
    void documentSizeColumn_data() { TestDb::AddEngineRows(); }
    void documentSizeColumn()
    {
        QFETCH(QString, engine);
        const QString connection = TestDb::FreshConnectionString(engine, QStringLiteral("pz_db_filebyte"));
        ScriptedPrompter prompts;
        QVERIFY(Database->Open(connection));
        const bool postgres = engine == QLatin1String("postgresql");
        if (postgres) {
            QCOMPARE(FilebyteType(), QStringLiteral("bigint"));
            RunDirect(QStringLiteral("alter table archives alter column Filebyte type integer"));
            Database->ExecSql(QStringLiteral("insert into archives(Id, Filebyte) values (1, 2147483647)"));
            QVERIFY(Database->Open(connection));
            QCOMPARE(FilebyteType(), QStringLiteral("bigint"));
            // Once wide, the next connections leave the column alone.
            const QString altered =
                QStringLiteral("select xmin::text from pg_attribute where attrelid = 'archives'::regclass "
                               "and attname = 'filebyte'");
            SharedRecordSet->Open(altered);
            const QString stamp = SharedRecordSet->DataSet()->Field(0)->AsString();
            QVERIFY(Database->Open(connection));
            SharedRecordSet->Open(altered);
            QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsString(), stamp);
        }
        const qlonglong terabytes = qlonglong(5) << 40;
        QCOMPARE(Database->ExecSql(QStringLiteral("insert into archives(Id, Filebyte) values (2, :Size)"),
                                   {DBParam("Size", terabytes)}),
                 1);
        SharedRecordSet->Open(QStringLiteral("select Filebyte from archives order by Id"));
        TDataSet &rows = *SharedRecordSet->DataSet();
        rows.Last();
        QCOMPARE(rows.Field(0)->Value().toLongLong(), terabytes);
        if (postgres) {
            rows.First();
            QCOMPARE(rows.Field(0)->Value().toLongLong(), qlonglong(2147483647));
        }
        QVERIFY(prompts.Texts().isEmpty());
    }

    // A reopen that fails reports the engine's error without a statement.
    void reopenFailure()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("gone.db"));
        QVERIFY(QFile::copy(TestDb::FreshConnectionString(QStringLiteral("sqlite"), QStringLiteral("gone"))
                                .section(QLatin1Char(';'), 1, 1)
                                .section(QLatin1Char('='), 1),
                            file));
        ScriptedPrompter prompts;
        QVERIFY(Database->Open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(file)));
        Database->SetConnected(false);
        QVERIFY(QFile::remove(file));
        const QString statement = QStringLiteral("delete from catas");
        try {
            Database->ExecSql(statement);
            QFAIL("no error");
        } catch (const EDatabaseError &e) {
            QVERIFY(!e.Message().contains(statement));
        }
        QVERIFY(prompts.Texts().isEmpty());
    }
};

PZ_TEST(TDatabaseTest)
#include "tst_database.moc"

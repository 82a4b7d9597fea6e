// Lists, record sets, in-memory condition records and the scratch set on real engines.

#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString ClosedError = QStringLiteral("数据集已关闭,不能执行此操作");

void AddCata(int id, const QString &name)
{
    Database->ExecSql(
        QStringLiteral("insert into catas(Id,Code,Name,[Note],SlfId,PrtId) "
                       "values (:Id,:Code,:Name,'',:Id,0)"),
        {DBParam("Id", id), DBParam("Code", QStringLiteral("%1.").arg(id)), DBParam("Name", name)});
}

// A condition record as the searches declare them.
class TSampleWhere : public TCustomWhere
{
public:
    TSampleWhere()
    {
        AddFieldDef(FieldKind::WideString, QStringLiteral("Code"), 50, true, QStringLiteral("编号"));
        AddFieldDef(FieldKind::DateTime, QStringLiteral("Date1"), 0, true, QString());
        AddFieldDef(FieldKind::Integer, QStringLiteral("Copys"), 0, true, QString());
        CreateRecord();
    }
};
} // namespace

class TDataSetsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void lists_data() { TestDb::AddEngineRows(); }
    void lists()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_sets_lists")))
            return;
        TQuerySet catas;
        TField *id = catas.AddField(FieldKind::Integer, QStringLiteral("Id"), -1, false, QString());
        TField *name =
            catas.AddField(FieldKind::WideString, QStringLiteral("Name"), 30, true, QStringLiteral("名称"));
        QCOMPARE(name->DisplayWidth(), 75);
        QCOMPARE(name->DisplayLabel(), QStringLiteral("名称"));
        QVERIFY(!id->Visible());

        // No rows: 0, and an open, empty list.
        QCOMPARE(catas.Open(QStringLiteral("select Id, Name from catas")), 0);
        QVERIFY(catas.DataSet()->Active());
        QVERIFY(catas.DataSet()->IsEmpty());

        AddCata(1, QStringLiteral("a"));
        AddCata(2, QStringLiteral("b"));
        AddCata(3, QStringLiteral("c"));
        // Extra result columns are not reachable; declared ones match without regard to case.
        QCOMPARE(catas.Open(QStringLiteral("select ID, NAME, Code from catas where Id>=:Id order by Id"),
                            {DBParam("Id", 1)}),
                 3);
        QVERIFY(!catas.DataSet()->FindField(QStringLiteral("Code")));

        // Reload keeps the current row by its key and picks up new rows.
        catas.DataSet()->SetRecNo(1);
        AddCata(4, QStringLiteral("d"));
        QSignalSpy resets(catas.DataSet(), &TDataSet::DataReset);
        catas.Reload(id);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(catas.DataSet()->RecordCount(), 4);
        QCOMPARE(name->AsString(), QStringLiteral("b"));

        // Deleting cached rows never touches the database.
        TRecordSet records;
        TField *recName =
            records.AddField(FieldKind::WideString, QStringLiteral("Name"), -1, true, QString());
        QCOMPARE(records.Open(QStringLiteral("select Name from catas where Id<4 order by Id")), 3);
        QCOMPARE(records.SqlText(), QStringLiteral("select Name from catas where Id<4 order by Id"));
        QCOMPARE(records.JoinValues(recName, QStringLiteral("\r\n")), QStringLiteral("a\r\nb\r\nc"));
        QVERIFY(records.DataSet()->Eof());
        records.DataSet()->First();
        records.DeleteRow();
        QCOMPARE(records.DataSet()->RecordCount(), 2);
        records.ClearRows();
        QCOMPARE(records.DataSet()->RecordCount(), 0);
        records.DeleteRow(); // nothing left: no error
        QCOMPARE(records.JoinValues(recName, QStringLiteral(",")), QString());
        SharedRecordSet->Open(QStringLiteral("select count(*) from catas"));
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsInteger(), 4);

        // The scratch set takes whatever columns each statement returns.
        SharedRecordSet->Open(QStringLiteral("select max(Id) from lends"));
        QVERIFY(SharedRecordSet->DataSet()->Field(0)->IsNull());
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsInteger(), 0);
        SharedRecordSet->Open(QStringLiteral("select Id, Name from catas where Id=2"));
        QCOMPARE(SharedRecordSet->DataSet()->FieldByName(QStringLiteral("name"))->AsString(),
                 QStringLiteral("b"));
    }

    // The size a list field is declared with is the width it was laid out for: texts longer
    // than that, in short-text and in undeclared sizes alike, are read, shown and kept whole.
    void listsKeepLongTextsWhole_data() { TestDb::AddEngineRows(); }
    void listsKeepLongTextsWhole()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_sets_long")))
            return;
        const QString name = QStringLiteral("关于档案室搬迁后各类案卷重新编号与上架的通知").repeated(3);
        QVERIFY(name.size() > 60);
        AddCata(1, name);

        TQuerySet list;
        TField *shown = list.AddField(FieldKind::WideString, QStringLiteral("Name"), 30, true, QString());
        TField *code = list.AddField(FieldKind::String, QStringLiteral("Code"), -1, true, QString());
        QCOMPARE(list.Open(QStringLiteral("select Name, Code from catas")), 1);
        QCOMPARE(shown->AsString(), name);
        QCOMPARE(list.DataSet()->DisplayTextAt(0, shown->Index()), name);
        // A value written into the cached row comes back whole as well.
        const QString longer = name + QStringLiteral("(补充)");
        list.DataSet()->Edit();
        shown->SetAsString(longer);
        code->SetAsString(longer);
        list.DataSet()->Post();
        QCOMPARE(shown->AsString(), longer);
        QCOMPARE(code->AsString(), longer);

        TRecordSet records;
        TField *recorded = records.AddField(FieldKind::String, QStringLiteral("Name"), 10, true, QString());
        QCOMPARE(records.Open(QStringLiteral("select Name from catas")), 1);
        QCOMPARE(recorded->AsString(), name);
    }

    // A reload is a close and a reopen: when the reopen fails the old rows are gone, and the
    // error reaches the caller.
    void failedReloadLeavesTheListClosed_data() { TestDb::AddEngineRows(); }
    void failedReloadLeavesTheListClosed()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_sets_reload")))
            return;
        AddCata(1, QStringLiteral("a"));
        TQuerySet list;
        TField *id = list.AddField(FieldKind::Integer, QStringLiteral("Id"), -1, false, QString());
        list.AddField(FieldKind::WideString, QStringLiteral("Name"), 30, true, QString());
        QCOMPARE(list.Open(QStringLiteral("select Id, Name from catas")), 1);
        // Statements of the program are prepared, which PostgreSQL refuses for a drop.
        QSqlQuery drop(Database->Connection());
        QVERIFY2(drop.exec(QStringLiteral("drop table catas")), qPrintable(drop.lastError().text()));

        ScriptedPrompter prompts;
        QSignalSpy resets(list.DataSet(), &TDataSet::DataReset);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, list.Reload(id));
        QVERIFY(!list.DataSet()->Active());
        QCOMPARE(resets.count(), 1);
        QVERIFY(prompts.Texts().isEmpty());
    }

    void sqlErrorBox_data() { TestDb::AddEngineRows(); }
    void sqlErrorBox()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, QStringLiteral("pz_sets_errors")))
            return;
        const QStringList statements = {QStringLiteral("select * from nosuchtable"),
                                        QStringLiteral("select Code from catas")}; // lacks the declared Name
        for (const QString &statement : statements) {
            ScriptedPrompter prompts;
            TQuerySet list;
            list.AddField(FieldKind::WideString, QStringLiteral("Name"), -1, true, QString());
            try {
                list.Open(statement);
                QFAIL("Open returned");
            } catch (const EDatabaseError &e) {
                QCOMPARE(e.Message(), ClosedError);
            }
            QCOMPARE(prompts.Texts().size(), 1);
            const QString head = QStringLiteral("\r\nSQL语句错误,原文如下:\r\n") + statement +
                                 QStringLiteral("\r\n\r\n错误提示:\r\n");
            QVERIFY2(prompts.LastText().startsWith(head), qPrintable(prompts.LastText()));
            QVERIFY(prompts.LastText().size() > head.size() + 1);
            QVERIFY(!list.DataSet()->Active());
        }
        // A parameter the statement does not name is the lookup error, not the SQL box.
        ScriptedPrompter prompts;
        QVERIFY_THROWS_EXCEPTION(
            EParamError, SharedRecordSet->Open(QStringLiteral("select * from catas"), {DBParam("Id", 1)}));
        QVERIFY(prompts.Texts().isEmpty());
    }

    void fieldDefSizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("expected");
        QTest::newRow("50") << 50 << 50;
        QTest::newRow("140") << 140 << 140;
        QTest::newRow("255") << 255 << 140;
        QTest::newRow("21") << 21 << 21;
        QTest::newRow("20") << 20 << DefaultStringSize;
        QTest::newRow("0") << 0 << DefaultStringSize;
    }
    void fieldDefSizes()
    {
        QFETCH(int, size);
        QFETCH(int, expected);
        TPzClientDataSet set;
        QCOMPARE(set.AddFieldDef(FieldKind::WideString, QStringLiteral("F"), size, true, QString())->Size(),
                 expected);
    }

    void conditionRecord()
    {
        TSampleWhere where;
        TDataSet *ds = where.DataSet();
        QCOMPARE(ds->State(), DataSetState::Insert);
        ds->FieldByName(QStringLiteral("Code"))->SetAsString(QStringLiteral("A-1"));
        ds->FieldByName(QStringLiteral("Date1"))->SetAsDateTime(QDateTime(QDate(2013, 1, 1), QTime()));
        ds->FieldByName(QStringLiteral("Copys"))->SetAsInteger(2);
        QSignalSpy flush(ds, &TDataSet::UpdateRecordRequested);
        where.FlushEdits();
        QCOMPARE(flush.count(), 1);
        QCOMPARE(ds->FieldByName(QStringLiteral("Code"))->AsString(), QStringLiteral("A-1"));

        where.Reset();
        QCOMPARE(ds->State(), DataSetState::Insert);
        for (int i = 0; i < ds->FieldCount(); ++i)
            QVERIFY2(ds->Field(i)->IsNull(), qPrintable(ds->Field(i)->FieldName()));
    }
};

PZ_TEST(TDataSetsTest)
#include "tst_querysets.moc"

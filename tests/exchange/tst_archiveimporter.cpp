// The archive importer on real databases, fed the way the import wizard feeds it: a real
// workbook is read, its columns mapped by title, its rows appended to the review list, and
// the review list saved in one transaction.

#include "ArchiveImporter.h"
#include "Database.h"
#include "ExchangeTest.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"
#include "WorkbookReader.h"
#include "WorkbookWriter.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace ExchangeTest;
using namespace Exchange;

namespace {

const char *const AllEngines[] = {"sqlite", "postgresql"};

const QStringList Captions{QStringLiteral("档案编号"), QStringLiteral("档案名称"), QStringLiteral("分类"),
                           QStringLiteral("归档日期"), QStringLiteral("保密级别"), QStringLiteral("存放地点"),
                           QStringLiteral("备注")};

// The rows of the sample workbook delivered beside the program.
const QList<QStringList> SampleRows{
    {QStringLiteral("WS-2013-001"), QStringLiteral("2012年度工作总结"), QStringLiteral("文书档案"),
     QStringLiteral("2013-01-15"), QStringLiteral("内部"), QStringLiteral("档案室一号柜"),
     QStringLiteral("示例数据,导入前请删除")},
    {QStringLiteral("WS-2013-002"), QStringLiteral("关于办公用房调整的通知"), QStringLiteral("文书档案"),
     QStringLiteral("2013-03-02"), QStringLiteral("公开"), QStringLiteral("档案室一号柜"), QString()},
    {QStringLiteral("KJ-2013-001"), QStringLiteral("2013年第一季度会计凭证"), QStringLiteral("会计档案"),
     QStringLiteral("2013-04-10"), QStringLiteral("机密"), QStringLiteral("档案室三号柜"),
     QStringLiteral("共三册")},
    {QStringLiteral("HT-2013-015"), QStringLiteral("办公设备采购合同"), QStringLiteral("合同档案"),
     QStringLiteral("2013-05-20"), QStringLiteral("秘密"), QStringLiteral("档案室二号柜"), QString()},
    {QStringLiteral("RS-2013-008"), QStringLiteral("新进人员录用审批表"), QStringLiteral("人事档案"),
     QStringLiteral("2013-06-18"), QStringLiteral("机密"), QStringLiteral("人事处保险柜"), QString()},
};

QString DbName(const char *prefix)
{
    QString name =
        QString::fromLatin1(prefix) + QLatin1Char('_') + QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('_') + QString::fromUtf8(QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]")), QStringLiteral("_"));
    return name;
}

void InsertCata(int id, int slfId, const QString &code, const QString &name)
{
    Database->ExecSql(QStringLiteral("insert into catas(Id, Code, Name, [Note], SlfId, PrtId) "
                                     "values (:Id, :Code, :Name, '', :SlfId, 0)"),
                      {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("Code"), code),
                       DBParam(QStringLiteral("Name"), name), DBParam(QStringLiteral("SlfId"), slfId)});
}

// Statements the program never runs itself; unprepared, as PostgreSQL prepares no DDL.
void RunDirect(const QString &statement)
{
    QSqlQuery query(Database->Connection());
    if (!query.exec(statement))
        QFAIL(qPrintable(query.lastError().text() + QLatin1Char('\n') + statement));
}

// Every stored archive as "Code|Name|CataId|Arcdate|Security|Layplace|Notes|Copys".
QStringList StoredArchives()
{
    QStringList rows;
    SharedRecordSet->Open(QStringLiteral(
        "select Code, Name, CataId, Arcdate, Security, Layplace, Notes, Copys from archives order by Id"));
    TDataSet &set = *SharedRecordSet->DataSet();
    for (set.First(); !set.Eof(); set.Next()) {
        QStringList cells;
        for (int i = 0; i < set.FieldCount(); ++i)
            cells << (set.Field(i)->IsNull() ? QStringLiteral("<null>") : set.Field(i)->DisplayText());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

int ArchiveCount()
{
    return StoredArchives().size();
}

// Writes the sheet with the writer of the exports and reads it back as the wizard does.
TSheet SheetOf(const QString &fileName, const QStringList &titles, const QList<QStringList> &rows)
{
    TWorkbookWriter writer(fileName);
    writer.WriteRow(titles);
    for (const QStringList &row : rows)
        writer.WriteRow(row);
    writer.Commit();
    return TWorkbookReader(fileName).ReadSheet(0);
}

// The wizard's mapping step and import pass, with the mapping preset from the titles.
int ImportInto(TArchiveImporter &importer, const TSheet &sheet, QList<TField *> extraTargets = {})
{
    QList<TField *> targets;
    const TImportHooks hooks = importer.Hooks();
    hooks.GetFields(targets);
    targets += extraTargets;
    return AppendSheetRows(sheet, PresetMapping(targets, sheet.Titles), *importer.ReviewList()->DataSet(),
                           hooks.SetValue);
}

QList<QStringList> HundredRows()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 100; ++i)
        rows.append({QStringLiteral("A-%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("档案%1").arg(i),
                     QString(), QStringLiteral("2013-02-%1").arg((i - 1) % 28 + 1), QString(), QString(),
                     QStringLiteral("1")});
    return rows;
}

} // namespace

class TArchiveImporterTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }

    void targetFields()
    {
        if (!TestDb::OpenFresh(QStringLiteral("sqlite"), DbName("imp")))
            return;
        TArchiveImporter importer;
        QList<TField *> fields{nullptr};
        QCOMPARE(importer.ListTargetFields(fields), 6);
        QStringList labels;
        for (TField *field : fields)
            labels << field->DisplayLabel();
        QCOMPARE(labels, Captions);
        QVERIFY(importer.ReviewList()->DataSet()->Active());
        QCOMPARE(importer.ReviewList()->DataSet()->RecordCount(), 0);
    }

    // Blank rows make no archive; a category matching a whole name files the archive under
    // the first such category; a name that matches none, or an empty cell, leaves it without
    // one; codes already stored or repeated in the sheet become further archives; dates in
    // the usual written forms are taken; a column with another title is ignored.
    void importsASheet_data()
    {
        QTest::addColumn<QString>("engine");
        for (const char *engine : AllEngines)
            QTest::newRow(engine) << QString::fromLatin1(engine);
    }
    void importsASheet()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, DbName("imp")))
            return;
        ScriptedPrompter prompts;
        InsertCata(1, 1, QStringLiteral("1."), QStringLiteral("财务类"));
        InsertCata(2, 2, QStringLiteral("2."), QStringLiteral("人事类"));
        InsertCata(3, 3, QStringLiteral("3."), QStringLiteral("财务类"));
        RArchive existing;
        existing.Code = QStringLiteral("A-001");
        existing.Name = QStringLiteral("已有档案");
        QVERIFY(TArchiveSet::SaveArchive(existing));

        const TSheet sheet = SheetOf(
            m_dir.filePath(DbName("sheet") + QStringLiteral(".xlsx")),
            Captions + QStringList{QStringLiteral("备用")},
            {
                {"A-001", "年度报告", "财务类", "2012-05-01", "机密", "一号柜", "编号与已有档案相同", "忽略"},
                {},
                {"A-001", "年度报告(副本)", "不存在的类", "2012/5/2", "", "", "", ""},
                {"   ", "", " ", "", "", "", "", ""},
                {"00123", "合同", "", "2013年7月12日", "秘密", "二号柜", "多行\n备注", ""},
                {"B-1", "人事档案", " 人事类 ", "", "公开", "", "", ""},
            });
        TArchiveImporter importer;
        QCOMPARE(ImportInto(importer, sheet), 4);
        TDataSet &review = *importer.ReviewList()->DataSet();
        QCOMPARE(review.RecordCount(), 4);
        QCOMPARE(review.DisplayTextAt(0, importer.ReviewList()->CataNameFld()->Index()),
                 QStringLiteral("财务类"));
        QCOMPARE(review.DisplayTextAt(1, importer.ReviewList()->CataNameFld()->Index()), QString());

        QVERIFY(importer.SaveRows());
        QCOMPARE(importer.FailedRow(), -1);
        QCOMPARE(StoredArchives(),
                 (QStringList{
                     QStringLiteral("A-001|已有档案|<null>|<null>||||0"),
                     QStringLiteral("A-001|年度报告|1|2012-05-01|机密|一号柜|编号与已有档案相同|0"),
                     QStringLiteral("A-001|年度报告(副本)|<null>|2012-05-02||||0"),
                     QStringLiteral("00123|合同|<null>|2013-07-12|秘密|二号柜|多行\n备注|0"),
                     QStringLiteral("B-1|人事档案|2|<null>|公开|||0"),
                 }));
    }

    // A value the field cannot take, in the record that the spreadsheet shows as row 57 of
    // 100, stops the import with a message naming that row, the field and the value; nothing
    // reaches the database, and after the list is reset a corrected sheet imports whole.
    void badValueStopsTheImport_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("badValue");
        QTest::addColumn<QString>("label");
        for (const char *engine : AllEngines) {
            QTest::addRow("%s: date", engine) << QString::fromLatin1(engine) << 3
                                              << QStringLiteral("2012-13-45") << QStringLiteral("归档日期");
            QTest::addRow("%s: copies", engine)
                << QString::fromLatin1(engine) << 6 << QStringLiteral("三份") << QStringLiteral("档案份数");
        }
    }
    void badValueStopsTheImport()
    {
        QFETCH(QString, engine);
        QFETCH(int, column);
        QFETCH(QString, badValue);
        QFETCH(QString, label);
        if (!TestDb::OpenFresh(engine, DbName("imp")))
            return;
        ScriptedPrompter prompts;
        const QStringList titles = Captions.mid(0, 6) + QStringList{QStringLiteral("档案份数")};
        QList<QStringList> rows = HundredRows();
        rows[55][column] = badValue; // record 56 sits in sheet row 57
        const TSheet bad = SheetOf(m_dir.filePath(DbName("bad") + QStringLiteral(".xlsx")), titles, rows);

        TArchiveImporter importer;
        TField *copys = importer.ReviewList()->DataSet()->FieldByName(QStringLiteral("Copys"));
        const QString error = ErrorOf<EConvertError>([&] { ImportInto(importer, bad, {copys}); });
        QVERIFY2(error.startsWith(QStringLiteral("第 57 行: ")), qPrintable(error));
        QVERIFY2(error.contains(label) && error.contains(badValue), qPrintable(error));
        QCOMPARE(importer.ReviewList()->DataSet()->RecordCount(), 55);
        QCOMPARE(ArchiveCount(), 0);

        importer.ResetRows();
        QCOMPARE(importer.ReviewList()->DataSet()->RecordCount(), 0);
        const TSheet good =
            SheetOf(m_dir.filePath(DbName("good") + QStringLiteral(".xlsx")), titles, HundredRows());
        QCOMPARE(ImportInto(importer, good, {copys}), 100);
        QVERIFY(importer.SaveRows());
        const QStringList stored = StoredArchives();
        QCOMPARE(stored.size(), 100);
        QCOMPARE(stored[56], QStringLiteral("A-057|档案57|<null>|2013-02-01||||1"));
    }

    // The database refusing the 57th of 100 archives undoes the whole import: no archive of
    // it exists, the message names the record, and a second try after the cause is gone
    // saves all of them.
    void refusedSaveUndoesEverything_data()
    {
        QTest::addColumn<QString>("engine");
        for (const char *engine : AllEngines)
            QTest::newRow(engine) << QString::fromLatin1(engine);
    }
    void refusedSaveUndoesEverything()
    {
        QFETCH(QString, engine);
        if (!TestDb::OpenFresh(engine, DbName("imp")))
            return;
        ScriptedPrompter prompts;
        const bool sqlite = engine == QLatin1String("sqlite");
        RunDirect(sqlite ? QStringLiteral("create trigger refuse_code before insert on archives "
                                          "when new.Code = 'A-057' begin select raise(abort, 'refused'); end")
                         : QStringLiteral(
                               "alter table archives add constraint refuse_code check (Code <> 'A-057')"));

        const TSheet sheet =
            SheetOf(m_dir.filePath(DbName("rows") + QStringLiteral(".xlsx")), Captions, HundredRows());
        TArchiveImporter importer;
        QCOMPARE(ImportInto(importer, sheet), 100);
        const QString error = ErrorOf<EDatabaseError>([&] { importer.SaveRows(); });
        QVERIFY2(error.startsWith(QStringLiteral("第 57 条档案(编号\"A-057\")保存失败")), qPrintable(error));
        QCOMPARE(importer.FailedRow(), 56);
        QCOMPARE(ArchiveCount(), 0);
        QVERIFY(!Database->InTransaction());

        RunDirect(sqlite ? QStringLiteral("drop trigger refuse_code")
                         : QStringLiteral("alter table archives drop constraint refuse_code"));
        QVERIFY(importer.SaveRows());
        QCOMPARE(ArchiveCount(), 100);
    }

    // The sample delivered beside the program has the seven captions as its titles, so the
    // wizard maps every field by itself, and its rows import as they stand.
    void sampleWorkbook()
    {
        // Regenerates the delivered file: PZARC_WRITE_SAMPLE=share/archives.xlsx
        if (const QString target = qEnvironmentVariable("PZARC_WRITE_SAMPLE"); !target.isEmpty()) {
            TWorkbookWriter::Options options;
            options.SheetName = QStringLiteral("档案");
            options.ConstantMemory = false;
            TWorkbookWriter writer(target, options);
            writer.WriteRow(Captions);
            for (const QStringList &row : SampleRows)
                writer.WriteRow(row);
            writer.Commit();
        }
        const QString sample = TArchiveImporter::TemplatePath();
        QVERIFY2(QFile::exists(sample), qPrintable(sample));
        QVERIFY(sample.endsWith(QLatin1String("/archives.xlsx")));
        const TSheet sheet = TWorkbookReader(sample).ReadSheet(0);
        QCOMPARE(sheet.Titles, Captions);
        QCOMPARE(sheet.RowCount(), int(SampleRows.size()));
        for (int r = 0; r < SampleRows.size(); ++r)
            for (int c = 0; c < Captions.size(); ++c)
                QCOMPARE(CellText(sheet.Cell(r, c)), SampleRows[r][c]);

        if (!TestDb::OpenFresh(QStringLiteral("sqlite"), DbName("imp")))
            return;
        ScriptedPrompter prompts;
        InsertCata(1, 1, QStringLiteral("1."), QStringLiteral("文书档案"));
        TArchiveImporter importer;
        QList<TField *> targets;
        importer.Hooks().GetFields(targets);
        for (const TFieldMapping &row : PresetMapping(targets, sheet.Titles))
            QCOMPARE(row.Source, row.Target->DisplayLabel());
        QCOMPARE(ImportInto(importer, sheet), int(SampleRows.size()));
        QVERIFY(importer.Hooks().Save({}));
        const QStringList stored = StoredArchives();
        QCOMPARE(stored.size(), int(SampleRows.size()));
        QCOMPARE(stored[0],
                 QStringLiteral("WS-2013-001|2012年度工作总结|1|2013-01-15|内部|档案室一号柜|示例数据,"
                                "导入前请删除|0"));
    }
};

PZ_TEST(TArchiveImporterTest)
#include "tst_archiveimporter.moc"

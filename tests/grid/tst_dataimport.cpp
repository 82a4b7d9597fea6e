// The import wizard driven step by step over real files (.xlsx written by the exchange
// library and by libxlsxwriter, .csv bytes, damaged and empty files), with a host of the
// test's own and, at the end, with the archive importer on a real SQLite database.

#include "ArchiveImporter.h"
#include "DataGrids.h"
#include "DataImport.h"
#include "DataSet.h"
#include "Database.h"
#include "Exceptions.h"
#include "LayoutCheck.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"
#include "WorkbookWriter.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <xlsxwriter.h>

namespace {

// A host keeping its records in memory: four target fields, a refusal for one value, and a
// save whose answer the test sets.
struct Host
{
    TDataSet target;
    bool saveAnswer = true;
    int saves = 0;
    Host()
    {
        Declare(FieldKind::String, "Code", "档案编号");
        Declare(FieldKind::WideString, "Name", "档案名称");
        Declare(FieldKind::WideString, "Arcdate", "归档日期");
        Declare(FieldKind::Memo, "Notes", "备注");
        target.CreateDataSet();
    }
    void Declare(FieldKind kind, const char *name, const char *label)
    {
        target.AddField(kind, QString::fromUtf8(name), 0)->SetDisplayLabel(QString::fromUtf8(label));
    }
    Exchange::TImportHooks Hooks()
    {
        Exchange::TImportHooks hooks;
        hooks.GetFields = [this](QList<TField *> &fields) {
            fields.clear();
            for (int i = 0; i < target.FieldCount(); ++i)
                fields << target.Field(i);
        };
        hooks.SetValue = [](TField *field, const QVariant &value) {
            if (CellText(value) == QStringLiteral("坏日期"))
                throw EConvertError(QStringLiteral("不是日期"));
            field->SetAsString(CellText(value));
        };
        hooks.Save = [this](const Exchange::ProgressProc &) {
            ++saves;
            return saveAnswer;
        };
        return hooks;
    }
    QStringList Column(const char *name)
    {
        QStringList values;
        const int field = target.FieldByName(QString::fromUtf8(name))->Index();
        for (int row = 0; row < target.RecordCount(); ++row)
            values << target.DisplayTextAt(row, field);
        return values;
    }
};

const QStringList Titles{QStringLiteral("档案编号"), QStringLiteral("名称"), QStringLiteral("归档日期"),
                         QStringLiteral("备注")};

// Titles, then five records with blank rows between them (one only blanks).
QString WriteSample(const QTemporaryDir &dir, const QString &name = QStringLiteral("in.xlsx"))
{
    const QString fileName = dir.filePath(name);
    TWorkbookWriter writer(fileName);
    writer.WriteRow(Titles);
    writer.WriteRow({"001", "合同甲", "2012-05-01", "一"});
    writer.WriteRow({});
    writer.WriteRow({"002", "合同乙", "2012-05-02", ""});
    writer.WriteRow({"  ", "", " ", ""});
    writer.WriteRow({"003", "合同丙", "", "三"});
    writer.WriteRow({"004", "合同丁", "", ""});
    writer.WriteRow({"005", "合同戊", "", "五"});
    writer.Commit();
    return fileName;
}

bool WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Step one done: the wizard stands on the sheet step of `fileName`.
void OpenFile(TDataImportFrm &w, const QString &fileName)
{
    w.edtFile1->setText(fileName);
    w.btnNext1->click();
}

QComboBox *SourceBox(TDataImportFrm &w, int row)
{
    return qobject_cast<QComboBox *>(w.MappingEditor->cellWidget(row, 1));
}

QStringList Sources(TDataImportFrm &w)
{
    QStringList sources;
    for (int row = 0; row < w.MappingEditor->rowCount(); ++row)
        sources << SourceBox(w, row)->currentText();
    return sources;
}

QStringList ReviewCaptions(const TpzDBGrid &grid)
{
    QStringList captions;
    for (const TGridColumn &column : grid.Columns())
        captions << column.Caption;
    return captions;
}

} // namespace

class TDataImportTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }

    void opensOnStepOneWithEveryText()
    {
        TDataImportFrm w;
        QCOMPARE(w.windowTitle(), QStringLiteral("导入"));
        QVERIFY(w.width() >= 700 && w.height() >= 500);
        QCOMPARE(w.Step(), 0);
        QVERIFY(w.edtTemplate1->text().isEmpty() && w.edtTemplate1->isReadOnly());
        QVERIFY(w.edtFile1->text().isEmpty());
        QStringList labels;
        for (const QLabel *label : w.findChildren<QLabel *>())
            labels << label->text();
        for (const char *text :
             {"欢迎使用数据导入向导。", "您可以参照此 Excel 模版来制作源文件", "请选择将要导入的 Excel 文件",
              "请选择一个表名：", "提示：以上是将要导入的数据，请检查是否有误。", "指定对应关系", "目标字段",
              "是指本系统中该资料的项目名称(中文)", "源字段", "是指源文件中各列的标题名称",
              "请从源字段列表中选择相应的项目来匹配目标字段", "若没有对应的源字段,则将该源字段设为空白即可",
              "但是有些目标字段是必须的", "确认导入以下数据:"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(w.MappingEditor->horizontalHeaderItem(0)->text(), QStringLiteral("目标字段"));
        QCOMPARE(w.MappingEditor->horizontalHeaderItem(1)->text(), QStringLiteral("源字段"));
        QCOMPARE(w.grdRows1->PopupMenuPz()->ItemByCaption(QStringLiteral("删除")) != nullptr, true);
        QVERIFY(w.grdRows1->PopupMenuPz()->ItemByCaption(QStringLiteral("批量修改选中行的该栏值")));
        QVERIFY(!w.grdRows1->PopupMenuPz()->ItemByCaption(QStringLiteral("排序")));
    }

    void stepOneButtons()
    {
        ScriptedPrompter prompts;
        TDataImportFrm w;
        w.SetTemplatePath(QStringLiteral("/opt/pzarc/share/archives.xlsx"));
        w.btnOpenTemplate1->click();
        QCOMPARE(prompts.History().last().kind, QStringLiteral("url"));
        QCOMPARE(prompts.History().last().text, QStringLiteral("file:///opt/pzarc/share/archives.xlsx"));

        prompts.Answer(QStringLiteral("/data/in.csv"));
        w.btnBrowse1->click();
        const QString filter = prompts.History().last().text;
        for (const char *pattern : {"*.xls", "*.xlsx", "*.csv"})
            QVERIFY2(filter.split(QLatin1Char('|'))
                         .join(QLatin1Char(';'))
                         .split(QLatin1Char(';'))
                         .contains(QString::fromLatin1(pattern)),
                     qPrintable(filter));
        QCOMPARE(w.edtFile1->text(), QStringLiteral("/data/in.csv"));
    }

    void missingFileStaysOnStepOne()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        TDataImportFrm w;
        const QString fileName = dir.filePath(QStringLiteral("none.xls"));
        OpenFile(w, fileName);
        QCOMPARE(w.Step(), 0);
        QCOMPARE(prompts.History().last().icon, MsgIcon::Warning);
        QCOMPARE(prompts.LastText(), QStringLiteral("\r\n源文件%1不存在,请检查.").arg(fileName));
    }

    void unreadableFileStaysOnStepOne_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("damaged xlsx") << "bad.xlsx" << QByteArray("PK\x03\x04 not really a zip", 21);
        QTest::newRow("damaged xls") << "bad.xls"
                                     << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 broken", 15);
        QTest::newRow("empty xls") << "empty.xls" << QByteArray();
        QTest::newRow("empty csv") << "empty.csv" << QByteArray();
    }
    void unreadableFileStaysOnStepOne()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString fileName = dir.filePath(name);
        QVERIFY(WriteBytes(fileName, bytes));
        ScriptedPrompter prompts;
        TDataImportFrm w;
        OpenFile(w, fileName);
        QCOMPARE(w.Step(), 0);
        QCOMPARE(prompts.History().size(), 1);
        QCOMPARE(prompts.History().last().icon, MsgIcon::Error);
        QVERIFY2(prompts.LastText().contains(fileName), qPrintable(prompts.LastText()));
    }

    // Titles equal to labels are mapped at once; blank rows give no record; a field left
    // unmapped gets nothing; the save closes the wizard with OK.
    void importsNonBlankRowsAndSaves()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        w.show();
        OpenFile(w, WriteSample(dir));
        QCOMPARE(w.Step(), 1);
        QCOMPARE(w.cbSheets1->count(), 1);
        // The preview shows the blank rows too; only the import leaves them out.
        QVERIFY(w.Sheet().RowCount() > 5);
        QCOMPARE(w.grdSource1->DataSet()->RecordCount(), w.Sheet().RowCount());
        QCOMPARE(ReviewCaptions(*w.grdSource1), Titles);

        w.btnNext2->click();
        QCOMPARE(w.Step(), 2);
        QCOMPARE(Sources(w), QStringList({"档案编号", "", "归档日期", "备注"}));
        QCOMPARE(SourceBox(w, 1)->count(), 5); // the empty item and the four titles
        SourceBox(w, 3)->setCurrentIndex(0);   // notes left out

        w.btnNext3->click();
        QCOMPARE(w.Step(), 3);
        QVERIFY(!w.pbSave1->isVisible());
        QCOMPARE(w.pbImport1->value(), w.pbImport1->maximum());
        QCOMPARE(host.Column("Code"), QStringList({"001", "002", "003", "004", "005"}));
        QCOMPARE(host.Column("Name"), QStringList(5, QString()));
        QCOMPARE(host.Column("Arcdate")[1], QStringLiteral("2012-05-02"));
        QCOMPARE(host.Column("Notes"), QStringList(5, QString()));

        w.btnOk4->click();
        QCOMPARE(host.saves, 1);
        QCOMPARE(prompts.LastText(), QStringLiteral("\r\n恭喜,数据导入成功.\t\t"));
        QCOMPARE(prompts.History().last().icon, MsgIcon::Information);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
    }

    void backAndForthNeverDoubles()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        OpenFile(w, WriteSample(dir));
        for (int pass = 0; pass < 3; ++pass) {
            w.btnNext2->click();
            w.btnPrior3->click();
            QCOMPARE(w.Step(), 1);
        }
        w.btnNext2->click();
        QCOMPARE(w.MappingEditor->rowCount(), 4);
        QCOMPARE(ReviewCaptions(*w.grdRows1), QStringList({"档案编号", "档案名称", "归档日期", "备注"}));
        w.btnNext3->click();
        w.btnPrior4->click();
        QCOMPARE(w.Step(), 2);
        QCOMPARE(host.target.RecordCount(), 0);
        QCOMPARE(w.pbImport1->value(), 0);
        w.btnNext3->click();
        QCOMPARE(host.target.RecordCount(), 5);
        QCOMPARE(ReviewCaptions(*w.grdRows1).size(), 4);
    }

    void deleteRemovesTheSelectedRows_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("three, last among them") << QList<int>{4, 0, 2} << "确定" << QStringList{"002", "004"};
        QTest::newRow("neighbours") << QList<int>{1, 2} << "确定" << QStringList{"001", "004", "005"};
        QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4} << "确定" << QStringList{};
        QTest::newRow("cancelled") << QList<int>{0, 1} << "取消"
                                   << QStringList{"001", "002", "003", "004", "005"};
    }
    void deleteRemovesTheSelectedRows()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, answer);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        OpenFile(w, WriteSample(dir));
        w.btnNext2->click();
        w.btnNext3->click();
        for (int row : selected)
            w.grdRows1->selectionModel()->select(w.grdRows1->model()->index(row, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        prompts.Answer(answer);
        w.grdRows1->PopupMenuPz()->ItemByCaption(QStringLiteral("删除"))->trigger();
        QCOMPARE(prompts.LastText(), QStringLiteral("确定要删除所选中的行吗?"));
        QCOMPARE(prompts.History().last().icon, MsgIcon::Warning);
        QCOMPARE(host.Column("Code"), left);
        QVERIFY(!host.target.ControlsDisabled());
    }

    void failedSaveStaysOnReview()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        Host host;
        host.saveAnswer = false;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        w.show();
        OpenFile(w, WriteSample(dir));
        w.btnNext2->click();
        w.btnNext3->click();
        w.btnOk4->click();
        QCOMPARE(w.Step(), 3);
        QVERIFY(w.isVisible());
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(!w.pbSave1->isVisible());
        host.saveAnswer = true;
        w.btnOk4->click();
        QCOMPARE(host.saves, 2);
        QVERIFY(!w.isVisible());
    }

    void refusedValueStaysOnMapping()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("in.xlsx"));
        TWorkbookWriter writer(fileName);
        writer.WriteRow(Titles);
        writer.WriteRow({"001", "", "2012-05-01", ""});
        writer.WriteRow({"002", "", "坏日期", ""});
        writer.WriteRow({"003", "", "2012-05-03", ""});
        writer.Commit();
        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        OpenFile(w, fileName);
        w.btnNext2->click();
        w.btnNext3->click();
        QCOMPARE(w.Step(), 2);
        QCOMPARE(prompts.History().last().icon, MsgIcon::Error);
        QVERIFY2(prompts.LastText().contains(QStringLiteral("不是日期")), qPrintable(prompts.LastText()));
        QCOMPARE(host.Column("Code"), QStringList{"001"});
        QVERIFY(!host.target.ControlsDisabled());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void choosingAnotherSheet()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("two.xlsx"));
        lxw_workbook *book = workbook_new(fileName.toLocal8Bit().constData());
        lxw_worksheet *first = workbook_add_worksheet(book, "甲");
        lxw_worksheet *second = workbook_add_worksheet(book, "乙");
        worksheet_write_string(first, 0, 0, "档案编号", nullptr);
        worksheet_write_string(first, 1, 0, "A1", nullptr);
        worksheet_write_string(second, 0, 0, "名称", nullptr);
        worksheet_write_string(second, 0, 1, "备注", nullptr);
        worksheet_write_string(second, 1, 0, "乙一", nullptr);
        worksheet_write_string(second, 1, 1, "注一", nullptr);
        worksheet_write_string(second, 2, 0, "乙二", nullptr);
        QCOMPARE(workbook_close(book), LXW_NO_ERROR);

        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        OpenFile(w, fileName);
        QCOMPARE(w.cbSheets1->count(), 2);
        QCOMPARE(w.cbSheets1->itemText(1), QStringLiteral("乙"));
        QCOMPARE(w.grdSource1->DataSet()->RecordCount(), 1);
        w.cbSheets1->setCurrentIndex(1);
        QCOMPARE(w.Sheet().Name, QStringLiteral("乙"));
        QCOMPARE(ReviewCaptions(*w.grdSource1), QStringList({"名称", "备注"}));
        QCOMPARE(w.grdSource1->DataSet()->RecordCount(), 2);
        w.btnNext2->click();
        QCOMPARE(Sources(w), QStringList({"", "", "", "备注"}));
        SourceBox(w, 1)->setCurrentText(QStringLiteral("名称"));
        w.btnNext3->click();
        QCOMPARE(host.Column("Name"), QStringList({"乙一", "乙二"}));
        QCOMPARE(host.Column("Notes"), QStringList({"注一", ""}));
    }

    void readsCommaSeparatedText()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("in.csv"));
        QStringEncoder gbk("GB18030");
        QVERIFY(WriteBytes(fileName, gbk(QStringLiteral("档案编号,名称\r\n\"C,1\",甲\r\n,\r\nC2,乙\r\n"))));
        ScriptedPrompter prompts;
        Host host;
        TDataImportFrm w;
        w.SetHooks(host.Hooks());
        w.SetTargetDataSet(&host.target);
        OpenFile(w, fileName);
        QCOMPARE(w.Step(), 1);
        w.btnNext2->click();
        w.btnNext3->click();
        QCOMPARE(host.Column("Code"), QStringList({"C,1", "C2"}));
    }

    // The archive importer as host, on a real database: what the main window's command runs.
    void archivesSavedThroughTheImporter()
    {
        ScriptedPrompter prompts;
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("dataimport")));
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("archives.xlsx"));
        TWorkbookWriter writer(fileName);
        writer.WriteRow({"档案编号", "档案名称", "归档日期", "存放地点"});
        writer.WriteRow({"WS-1", "工作总结", "2013-01-15", "一号柜"});
        writer.WriteRow({});
        writer.WriteRow({"WS-2", "通知", "2013/03/02", "二号柜"});
        writer.Commit();

        TArchiveImporter importer;
        QString templatePath;
        QList<int> saveBar; // the save bar's maximum, then each value it showed
        prompts.OnDialog([&](QDialog &dialog) {
            auto &w = static_cast<TDataImportFrm &>(dialog);
            templatePath = w.edtTemplate1->text();
            OpenFile(w, fileName);
            w.btnNext2->click();
            w.btnNext3->click();
            QObject::connect(w.pbSave1, &QProgressBar::valueChanged, &w, [&](int value) {
                if (saveBar.isEmpty())
                    saveBar << w.pbSave1->maximum();
                saveBar << value;
            });
            w.btnOk4->click();
            return w.result();
        });
        QVERIFY(RunArchiveImport(importer));
        QCOMPARE(templatePath, TArchiveImporter::TemplatePath());
        // The save bar counts the records up to all of them.
        QVERIFY(saveBar.size() >= 2);
        QCOMPARE(saveBar.first(), 2);
        QCOMPARE(saveBar.last(), 2);
        QCOMPARE(prompts.LastText(), QStringLiteral("\r\n恭喜,数据导入成功.\t\t"));
        SharedRecordSet->Open(QStringLiteral("select Code, Name, Layplace from archives order by Id"));
        QStringList stored;
        TDataSet &set = *SharedRecordSet->DataSet();
        for (set.First(); !set.Eof(); set.Next())
            stored << set.Field(0)->AsString() + QLatin1Char('|') + set.Field(1)->AsString() +
                          QLatin1Char('|') + set.Field(2)->AsString();
        QCOMPARE(stored, QStringList({"WS-1|工作总结|一号柜", "WS-2|通知|二号柜"}));
    }

    void nothingClipped()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompts;
        Host host;
        const QString fileName = WriteSample(dir);
        for (int step = 0; step < 4; ++step) {
            TDataImportFrm w;
            w.SetHooks(host.Hooks());
            w.SetTargetDataSet(&host.target);
            if (step > 0)
                OpenFile(w, fileName);
            if (step > 1)
                w.btnNext2->click();
            if (step > 2)
                w.btnNext3->click();
            QCOMPARE(w.Step(), step);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QStringList clipped = LayoutCheck::Clipped(&w);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
            LayoutCheck::EnlargeFont(w);
            QCoreApplication::processEvents();
            clipped = LayoutCheck::Clipped(&w);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        }
    }
};

PZ_TEST(TDataImportTest)
#include "tst_dataimport.moc"

// The export wizard driven as a user would: arranging the fields, the pages, the checks that
// keep it open, and real files in every format read back with the exchange library.

#include "DataExporter.h"
#include "DataSet.h"
#include "LayoutCheck.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"
#include "WorkbookReader.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A list with a hidden key, texts that need care in each format, a date and a memo.
struct Sample
{
    TDataSet ds;
    explicit Sample(int extraRows = 0)
    {
        ds.AddField(FieldKind::Integer, QStringLiteral("Id"))->SetVisible(false);
        Declare(FieldKind::String, "Code", "档案编号");
        Declare(FieldKind::WideString, "Name", "档案名称");
        Declare(FieldKind::DateTime, "Arcdate", "归档日期");
        Declare(FieldKind::Memo, "Notes", "备注");
        ds.BeginLoad();
        Row(1, "00123", "合同,甲", QDate(2012, 5, 1), "普通");
        Row(2, "A-2", "说\"明\"", QDate(), "两行\n说明");
        Row(3, "B&3", "<b>会议</b>", QDate(2013, 1, 10), "");
        for (int i = 0; i < extraRows; ++i)
            Row(4 + i, "X", "批量", QDate(2013, 1, 10), "");
        ds.EndLoad();
    }
    void Declare(FieldKind kind, const char *name, const char *label)
    {
        ds.AddField(kind, QString::fromUtf8(name), 0)->SetDisplayLabel(QString::fromUtf8(label));
    }
    void Row(int id, const char *code, const char *name, QDate date, const char *notes)
    {
        const QVariant values[] = {id, QString::fromUtf8(code), QString::fromUtf8(name),
                                   date.isValid() ? QVariant(QDateTime(date, QTime())) : QVariant(),
                                   QString::fromUtf8(notes)};
        ds.LoadRow(values);
    }
};

QStringList Items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QByteArray ReadBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString FromGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder(bytes);
}

// Fills the wizard as far as its OK: the fields, then page two with format and file.
void Fill(TDataExporterFrm &w, const QString &fields, int format, const QString &fileName)
{
    w.SetSelectedFields(fields);
    w.btnNext1->click();
    if (format >= 0)
        w.rgFormat1->button(format)->click();
    w.edtFile1->setText(fileName);
}

const QString ThreeFields = QStringLiteral("档案编号\r\n档案名称\r\n归档日期\r\n");

} // namespace

class TDataExporterTest : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTheFieldPage()
    {
        Sample s;
        TDataExporterFrm w(s.ds);
        QCOMPARE(w.windowTitle(), QStringLiteral("导出..."));
        QVERIFY(w.width() >= 578 && w.height() >= 431);
        QCOMPARE(Items(w.lstAvailable1), QStringList({"Id", "档案编号", "档案名称", "归档日期", "备注"}));
        QVERIFY(w.lstChosen1->count() == 0);
        QVERIFY(w.PageControl1->isTabVisible(0));
        QVERIFY(!w.PageControl1->isTabVisible(1));
        QCOMPARE(w.PageControl1->tabText(0), QStringLiteral("选择数据列"));
        for (QPushButton *b : {w.btnAdd1, w.btnRemove1, w.btnUp1, w.btnDown1, w.btnPrior1})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QCOMPARE(w.btnNext1->text(), QStringLiteral("下一步(&N)"));
        QCOMPARE(w.FormatIndex(), -1);
        QStringList formats;
        for (QAbstractButton *b : w.rgFormat1->buttons())
            formats << b->text();
        QCOMPARE(formats, QStringList({"文本文件 (*.txt)", "Microsoft Excel电子表格 (*.xls)", "网页 (*.html)",
                                       "CSV文件 (*.csv)", "Microsoft Excel工作簿 (*.xlsx)"}));
    }

    void addAndRemoveKeepTheirPlaces()
    {
        Sample s;
        TDataExporterFrm w(s.ds);
        w.show();
        w.lstAvailable1->setCurrentRow(4);
        QVERIFY(w.btnAdd1->isEnabled());
        w.btnAdd1->click(); // the last: the one before it takes the selection
        QCOMPARE(w.lstAvailable1->currentRow(), 3);
        w.lstAvailable1->setCurrentRow(1);
        w.btnAdd1->click(); // the neighbour at the same place takes it
        QCOMPARE(w.lstAvailable1->currentItem()->text(), QStringLiteral("档案名称"));
        QCOMPARE(Items(w.lstChosen1), QStringList({"备注", "档案编号"}));

        // A removed item goes to the end, not back to its old place.
        w.lstChosen1->setCurrentRow(1);
        QVERIFY(w.btnRemove1->isEnabled() && w.btnUp1->isEnabled() && w.btnDown1->isEnabled());
        w.btnRemove1->click();
        QCOMPARE(Items(w.lstAvailable1), QStringList({"Id", "档案名称", "归档日期", "档案编号"}));
        QCOMPARE(w.lstChosen1->currentRow(), 0);

        // A double-click moves the item under it.
        const QRect rect = w.lstAvailable1->visualItemRect(w.lstAvailable1->item(0));
        QTest::mouseClick(w.lstAvailable1->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(w.lstAvailable1->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(Items(w.lstChosen1), QStringList({"备注", "Id"}));

        // Emptying the list leaves the add button disabled.
        while (w.lstAvailable1->count() > 0) {
            w.lstAvailable1->setCurrentRow(0);
            w.btnAdd1->click();
        }
        QVERIFY(!w.btnAdd1->isEnabled());
    }

    void moveUpAndDown()
    {
        Sample s;
        TDataExporterFrm w(s.ds);
        w.SetSelectedFields(ThreeFields);
        w.lstChosen1->setCurrentRow(0);
        w.btnUp1->click(); // the first stays first
        QCOMPARE(w.SelectedFields(), ThreeFields);
        w.btnDown1->click();
        w.btnDown1->click();
        QCOMPARE(w.lstChosen1->currentRow(), 2);
        w.btnDown1->click(); // the last stays last
        QCOMPARE(w.SelectedFields(), QStringLiteral("档案名称\r\n归档日期\r\n档案编号\r\n"));
        w.btnUp1->click();
        QCOMPARE(w.SelectedFields(), QStringLiteral("档案名称\r\n档案编号\r\n归档日期\r\n"));
        QCOMPARE(w.ChosenFieldIndexes(), QList<int>({2, 1, 3}));
    }

    void selectedFieldsSkipsUnknownLines()
    {
        Sample s;
        TDataExporterFrm w(s.ds);
        w.SetSelectedFields(QString());
        QCOMPARE(w.lstChosen1->count(), 0);
        w.SetSelectedFields(QStringLiteral("备注\r\n没有这一列\r\n档案编号"));
        QCOMPARE(w.SelectedFields(), QStringLiteral("备注\r\n档案编号\r\n"));
        QCOMPARE(Items(w.lstAvailable1), QStringList({"Id", "档案名称", "归档日期"}));
    }

    void pagesStepForwardAndBack()
    {
        Sample s;
        TDataExporterFrm w(s.ds);
        w.btnNext1->click();
        QCOMPARE(w.PageControl1->currentIndex(), 1);
        QVERIFY(!w.PageControl1->isTabVisible(0) && w.PageControl1->isTabVisible(1));
        QCOMPARE(w.PageControl1->tabText(1), QStringLiteral("输出"));
        QCOMPARE(w.btnNext1->text(), QStringLiteral("确定(&N)"));
        QVERIFY(w.btnPrior1->isEnabled());
        w.btnPrior1->click();
        QCOMPARE(w.PageControl1->currentIndex(), 0);
        QCOMPARE(w.btnNext1->text(), QStringLiteral("下一步(&N)"));
        QVERIFY(!w.btnPrior1->isEnabled());
    }

    void formatSetsFilterAndExtension_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("ext");
        QTest::newRow("txt") << 0 << "文本文件(*.txt)|*.txt"
                             << "txt";
        QTest::newRow("xls") << 1 << "Microsoft Excel 电子表格 (*.xls)|*.xls"
                             << "xls";
        QTest::newRow("html") << 2 << "网页文件(*.htm;*.html)|*.htm;*.html"
                              << "html";
        QTest::newRow("csv") << 3 << "CSV文件(*.csv)|*.csv"
                             << "csv";
        QTest::newRow("xlsx") << 4 << "Microsoft Excel 工作簿 (*.xlsx)|*.xlsx"
                              << "xlsx";
    }
    void formatSetsFilterAndExtension()
    {
        QFETCH(int, format);
        QFETCH(QString, filter);
        QFETCH(QString, ext);
        Sample s;
        TDataExporterFrm w(s.ds);
        ScriptedPrompter prompts;
        w.btnNext1->click();
        w.rgFormat1->button(format)->click(); // the empty box stays empty
        QCOMPARE(w.edtFile1->text(), QString());
        w.edtFile1->setText(QStringLiteral("/tmp/a.b/report.txt"));
        w.rgFormat1->button(format)->click();
        QCOMPARE(w.edtFile1->text(), QStringLiteral("/tmp/a.b/report.") + ext);
        QCOMPARE(w.cbEncoding1->isEnabled(), format != TDataExporterFrm::Workbook);

        prompts.Answer(QStringLiteral("/tmp/chosen.") + ext);
        w.btnBrowse1->click();
        QCOMPARE(prompts.History().last().kind, QStringLiteral("save"));
        QCOMPARE(prompts.History().last().text, filter);
        QCOMPARE(w.edtFile1->text(), QStringLiteral("/tmp/chosen.") + ext);
        prompts.Answer(QVariant()); // a cancelled dialog keeps the name
        w.btnBrowse1->click();
        QCOMPARE(w.edtFile1->text(), QStringLiteral("/tmp/chosen.") + ext);
    }

    void checksKeepTheWizardOpen_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("no field") << QString() << 0 << "out.txt"
                                  << "没有选择任何要导出的列,请返回上一步并选择.";
        QTest::newRow("no format") << ThreeFields << -1 << "out.txt"
                                   << "必须指定要导出的格式.";
        QTest::newRow("blank file") << ThreeFields << 0 << "   "
                                    << "必须指定要导出的文件位置.";
    }
    void checksKeepTheWizardOpen()
    {
        QFETCH(QString, fields);
        QFETCH(int, format);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        TDataExporterFrm w(s.ds);
        w.show();
        Fill(w, fields, format, file.trimmed().isEmpty() ? file : dir.filePath(file));
        w.btnNext1->click();
        QVERIFY(w.isVisible());
        QCOMPARE(prompts.Texts(), QStringList{message});
        QCOMPARE(prompts.History().last().icon, MsgIcon::None);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void writesEachFormat_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("encoding");
        QTest::newRow("tab gbk") << 0 << 0;
        QTest::newRow("tab utf-8") << 0 << 1;
        QTest::newRow("csv gbk") << 3 << 0;
        QTest::newRow("csv utf-8") << 3 << 1;
        QTest::newRow("xlsx") << 4 << 0;
    }
    // Read back by the import's own reader where it can: what goes out comes back.
    void writesEachFormat()
    {
        QFETCH(int, format);
        QFETCH(int, encoding);
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        TDataExporterFrm w(s.ds);
        w.show();
        const QString suffix = QStringList{"txt", "xls", "html", "csv", "xlsx"}[format];
        const QString fileName = dir.filePath(QStringLiteral("out.") + suffix);
        Fill(w, QStringLiteral("档案编号\r\n档案名称\r\n归档日期\r\n备注\r\n"), format, fileName);
        w.cbEncoding1->setCurrentIndex(encoding);
        prompts.Answer(1); // not now
        w.btnNext1->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(prompts.LastText(), QStringLiteral("\r\n数据导出成功,共 3条记录,是否现在就打开?    "));

        const QByteArray bytes = ReadBytes(fileName);
        if (format == TDataExporterFrm::TabText) {
            const QString text = encoding == 0 ? FromGbk(bytes) : QString::fromUtf8(bytes);
            QVERIFY(text.startsWith(
                QStringLiteral("档案编号\t档案名称\t归档日期\t备注\t\r\n00123\t合同,甲\t2012-05-01\t")));
            QCOMPARE(text.count(QStringLiteral("\r\n")), 4); // the line break inside a note is not a record
            return;
        }
        TWorkbookReader reader(fileName);
        const TSheet sheet = reader.ReadSheet(0);
        QCOMPARE(sheet.Titles, QStringList({"档案编号", "档案名称", "归档日期", "备注"}));
        QCOMPARE(sheet.RowCount(), 3);
        QCOMPARE(CellText(sheet.Cell(0, 0)), QStringLiteral("00123"));
        QCOMPARE(CellText(sheet.Cell(0, 1)), QStringLiteral("合同,甲"));
        QCOMPARE(CellText(sheet.Cell(0, 2)), QStringLiteral("2012-05-01"));
        QCOMPARE(CellText(sheet.Cell(1, 1)), QStringLiteral("说\"明\""));
        QCOMPARE(CellText(sheet.Cell(1, 2)), QString());
        QCOMPARE(CellText(sheet.Cell(1, 3)), QStringLiteral("两行\n说明"));
        QCOMPARE(CellText(sheet.Cell(2, 1)), QStringLiteral("<b>会议</b>"));
    }

    void spreadsheetItemWritesTheTabText()
    {
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        QByteArray written[2];
        for (int format : {0, 1}) {
            TDataExporterFrm w(s.ds);
            w.show();
            const QString fileName =
                dir.filePath(format == 0 ? QStringLiteral("a.txt") : QStringLiteral("a.xls"));
            Fill(w, ThreeFields, format, fileName);
            prompts.Answer(1);
            w.btnNext1->click();
            written[format] = ReadBytes(fileName);
        }
        QVERIFY(!written[0].isEmpty());
        QCOMPARE(written[1], written[0]);
    }

    void htmlPageHoldsEveryRecord()
    {
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        TDataExporterFrm w(s.ds);
        w.show();
        const QString fileName = dir.filePath(QStringLiteral("page.html"));
        Fill(w, QStringLiteral("档案编号\r\n档案名称\r\n"), TDataExporterFrm::Html, fileName);
        prompts.Answer(1);
        w.btnNext1->click();
        const QString page = FromGbk(ReadBytes(fileName));
        QVERIFY(page.contains(
            QStringLiteral("<td nowrap>档案编号&nbsp;</td>\r\n<td nowrap>档案名称&nbsp;</td>")));
        QVERIFY(page.contains(QStringLiteral("<td nowrap>&lt;b&gt;会议&lt;/b&gt;&nbsp;</td>")));
        QVERIFY(page.contains(QStringLiteral("<td nowrap>B&amp;3&nbsp;</td>")));
        QCOMPARE(page.count(QStringLiteral("<tr>")), 4);
    }

    void overwriteAndOpenQuestions()
    {
        QTemporaryDir dir;
        Sample s;
        s.ds.SetRecNo(1);
        ScriptedPrompter prompts;
        const QString fileName = dir.filePath(QStringLiteral("old.csv"));
        QFile old(fileName);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();

        TDataExporterFrm w(s.ds);
        w.show();
        Fill(w, ThreeFields, TDataExporterFrm::Csv, fileName);
        prompts.Answer(QStringLiteral("否"));
        w.btnNext1->click();
        QVERIFY(w.isVisible());
        QCOMPARE(prompts.History().last().icon, MsgIcon::Warning);
        QCOMPARE(prompts.LastText(), QStringLiteral("\r\n该文件已经存在,是否继续执行并覆盖文件?"));
        QCOMPARE(ReadBytes(fileName), QByteArray("old"));

        prompts.Clear();
        prompts.Answer(QStringLiteral("是"));
        prompts.Answer(QStringLiteral("确定"));
        w.btnNext1->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(prompts.History().size(), 3);
        QCOMPARE(prompts.History()[1].icon, MsgIcon::Question);
        QCOMPARE(prompts.History()[2].kind, QStringLiteral("url"));
        QCOMPARE(prompts.History()[2].text, QUrl::fromLocalFile(fileName).toString());
        QVERIFY(FromGbk(ReadBytes(fileName)).startsWith(QStringLiteral("档案编号,档案名称,归档日期\r\n")));
        QCOMPARE(s.ds.RecNo(), 1);
    }

    void failedWriteKeepsTheWizardOpen()
    {
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        TDataExporterFrm w(s.ds);
        w.show();
        Fill(w, ThreeFields, TDataExporterFrm::TabText, dir.filePath(QStringLiteral("missing/out.txt")));
        w.btnNext1->click();
        QVERIFY(w.isVisible());
        QCOMPARE(prompts.History().size(), 1);
        QCOMPARE(prompts.History().last().icon, MsgIcon::Error);
        QVERIFY(!w.pbExport1->isVisible());
        QVERIFY(w.btnNext1->isEnabled());
    }

    void cancelStopsALongExport()
    {
        QTemporaryDir dir;
        Sample s(5000);
        ScriptedPrompter prompts;
        const QString fileName = dir.filePath(QStringLiteral("big.xlsx"));
        TDataExporterFrm w(s.ds);
        w.show();
        Fill(w, ThreeFields, TDataExporterFrm::Workbook, fileName);
        bool barShown = false;
        QTimer::singleShot(0, &w, [&] {
            barShown = w.pbExport1->isVisible();
            w.btnCancel1->click();
        });
        w.btnNext1->click();
        QVERIFY(barShown);
        QVERIFY(w.isVisible());
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(!QFile::exists(fileName));
        QVERIFY(QDir(dir.path()).isEmpty());

        // Afterwards the same button closes the wizard as before.
        w.btnCancel1->click();
        QVERIFY(!w.isVisible());
    }

    void cancelClosesWithoutWriting()
    {
        QTemporaryDir dir;
        Sample s;
        ScriptedPrompter prompts;
        const QString fileName = dir.filePath(QStringLiteral("out.txt"));
        prompts.OnDialog([&](QDialog &dialog) {
            auto &w = static_cast<TDataExporterFrm &>(dialog);
            Fill(w, ThreeFields, 0, fileName);
            w.btnCancel1->click();
            return w.result();
        });
        ShowDataExporter(s.ds, nullptr);
        QCOMPARE(prompts.Dialogs(), QStringList{"TDataExporterFrm"});
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(!QFile::exists(fileName));
    }

    void nothingClipped()
    {
        Sample s;
        for (int page : {0, 1}) {
            TDataExporterFrm w(s.ds);
            if (page == 1)
                w.btnNext1->click();
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

PZ_TEST(TDataExporterTest)
#include "tst_dataexporter.moc"

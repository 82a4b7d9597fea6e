// The workbook writer: text-formatted cells that keep what was given, the sheet layout of
// the grid export, and that a failure or a cancel never leaves a partial file.

#include "ExchangeTest.h"
#include "TestMain.h"
#include "WorkbookReader.h"
#include "WorkbookWriter.h"

#include <QTemporaryDir>

using namespace ExchangeTest;

namespace {

// The number format of each cell style, in style order.
QStringList StyleFormats(const QString &fileName)
{
    const QString styles = PackagePart(fileName, QStringLiteral("xl/styles.xml"));
    const qsizetype begin = styles.indexOf(QLatin1String("<cellXfs"));
    const qsizetype end = styles.indexOf(QLatin1String("</cellXfs>"));
    return Captures(styles.mid(begin, end - begin), QStringLiteral("<xf numFmtId=\"(\\d+)\""));
}

} // namespace

class TWorkbookWriterTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    // Every cell is formatted as text (the built-in text format 49), also the cells left
    // empty, and reads back exactly as it was given, whether the texts are kept in the
    // cells (streamed) or in the shared-string table.
    void textsStayAsTyped_data()
    {
        QTest::addColumn<bool>("constantMemory");
        QTest::newRow("streamed rows") << true;
        QTest::newRow("shared strings") << false;
    }
    void textsStayAsTyped()
    {
        QFETCH(bool, constantMemory);
        const QString file = Path(QStringLiteral("texts-%1.xlsx").arg(constantMemory));
        const QStringList header{QStringLiteral("档案编号"), QStringLiteral("档案名称"),
                                 QStringLiteral("归档日期"), QStringLiteral("份数")};
        const QList<QStringList> rows{
            {QStringLiteral("00123"), QStringLiteral("年度报告"), QStringLiteral("2012-05-01"),
             QStringLiteral("007")},
            {QStringLiteral("12345678901234567890"), QStringLiteral("=SUM(A1:A2)"),
             QStringLiteral("2013-7-12 08:30"), QStringLiteral("1e5")},
            {QString(), QStringLiteral("  前后空格  "), QString(), QStringLiteral("TRUE")},
            {QStringLiteral("多行\n文字"), QStringLiteral("A&B <c> \"d\""), QStringLiteral("3.10"),
             QString()},
        };
        TWorkbookWriter::Options options;
        options.ConstantMemory = constantMemory;
        {
            TWorkbookWriter writer(file, options);
            writer.WriteRow(header);
            for (const QStringList &row : rows)
                writer.WriteRow(row);
            writer.Commit();
        }

        const QStringList formats = StyleFormats(file);
        const QString sheetXml = PackagePart(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        const QStringList cellStyles = Captures(sheetXml, QStringLiteral("<c r=\"[A-Z]+\\d+\" s=\"(\\d+)\""));
        QCOMPARE(cellStyles.size(), Captures(sheetXml, QStringLiteral("<c (r)=")).size());
        QCOMPARE(cellStyles.size(), 4 + 4 + 4 + 2 + 3); // the non-empty texts
        for (const QString &style : cellStyles)
            QCOMPARE(formats.value(style.toInt()), QStringLiteral("49"));
        const QStringList columnStyles =
            Captures(sheetXml, QStringLiteral("<col min=\"1\" max=\"16384\"[^>]* style=\"(\\d+)\""));
        QCOMPARE(columnStyles.size(), 1);
        QCOMPARE(formats.value(columnStyles[0].toInt()), QStringLiteral("49"));

        TWorkbookReader reader(file);
        const TSheet sheet = reader.ReadSheet(0);
        QCOMPARE(sheet.Name, QStringLiteral("Sheet1"));
        QCOMPARE(sheet.Titles, header);
        QCOMPARE(sheet.RowCount(), int(rows.size()));
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < header.size(); ++c) {
                const QVariant cell = sheet.Cell(r, c);
                if (rows[r][c].isEmpty()) {
                    QVERIFY2(cell.isNull(), qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
                } else {
                    QCOMPARE(cell.typeId(), int(QMetaType::QString));
                    QCOMPARE(cell.toString(), rows[r][c]);
                }
            }
        }
    }

    // Header in row 1, records from row 2, the exported columns numbered from 1 without gaps:
    // an empty text leaves its cell empty but moves no other cell.
    void sheetLayout()
    {
        const QString file = Path(QStringLiteral("layout.xlsx"));
        const qint64 written =
            ExportWorkbook(file, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")},
                           Exchange::RowsOf({{QStringLiteral("1"), QString(), QStringLiteral("3")},
                                             {QStringLiteral("4"), QStringLiteral("5"), QString()}}));
        QCOMPARE(written, qint64(2));
        const QString sheetXml = PackagePart(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        QCOMPARE(Captures(sheetXml, QStringLiteral("<c r=\"([A-Z]+\\d+)\"")),
                 (QStringList{"A1", "B1", "C1", "A2", "C2", "A3", "B3"}));
    }

    // A cancel, a text the sheet cannot hold, and a writer dropped without Commit leave the
    // existing target exactly as it was and no temporary file in the folder.
    void failuresLeaveTheTargetAsItWas_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << "cancel" << QString();
        QTest::newRow("text too long")
            << "long" << QStringLiteral("第 6 行第 2 列的内容超过了单元格的上限 32767 个字符");
        QTest::newRow("never committed") << "drop" << QString();
    }
    void failuresLeaveTheTargetAsItWas()
    {
        QFETCH(QString, cause);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("报表.xlsx"));
        QVERIFY(WriteBytes(file, "old contents"));

        int n = 0;
        const auto rows = [&cause, &n](QStringList &row) {
            ++n;
            row = QStringList{QString::number(n), (cause == QLatin1String("long") && n == 5)
                                                      ? QString(40000, u'字')
                                                      : QStringLiteral("x")};
            return n < 1000;
        };
        if (cause == QLatin1String("cancel")) {
            const QString error = ErrorOf<EAbort>([&] {
                ExportWorkbook(file, {QStringLiteral("a"), QStringLiteral("b")}, rows,
                               [](qint64 done) { return done < 300; });
            });
            QCOMPARE(error, EAbort().Message());
        } else if (cause == QLatin1String("long")) {
            const QString error = ErrorOf<EFileError>([&] {
                ExportWorkbook(file, {QStringLiteral("a"), QStringLiteral("b")}, Exchange::RowSource(rows));
            });
            QVERIFY2(error.contains(message), qPrintable(error));
            QVERIFY(error.contains(file));
        } else {
            TWorkbookWriter writer(file);
            writer.WriteRow({QStringLiteral("a")});
        }
        QCOMPARE(ReadBytes(file), QByteArray("old contents"));
        QCOMPARE(FolderEntries(folder.path()), QStringList{QStringLiteral("报表.xlsx")});
    }

    void missingFolderIsReported()
    {
        const QString file = Path(QStringLiteral("没有/这个/文件夹/a.xlsx"));
        const QString error = ErrorOf<EFileError>([&] { TWorkbookWriter writer(file); });
        QVERIFY2(error.contains(QStringLiteral("不存在")) && error.contains(file), qPrintable(error));
        QVERIFY(!QFile::exists(file));
    }

    // 100,000 records stream through without being collected first; the progress report
    // sees the count grow to the end, and an existing file is replaced.
    void manyRowsStream()
    {
        const QString file = Path(QStringLiteral("many.xlsx"));
        QVERIFY(WriteBytes(file, "to be replaced"));
        qint64 next = 0;
        const Exchange::RowSource rows = [&next](QStringList &row) {
            if (next == 100000)
                return false;
            ++next;
            row = {QStringLiteral("A-%1").arg(next, 6, 10, QLatin1Char('0')),
                   QStringLiteral("档案%1").arg(next), QStringLiteral("2013-07-12")};
            return true;
        };
        QList<qint64> reports;
        const qint64 written =
            ExportWorkbook(file, {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("日期")},
                           rows, [&reports](qint64 done) {
                               reports << done;
                               return true;
                           });
        QCOMPARE(written, qint64(100000));
        QVERIFY(reports.size() > 100);
        QCOMPARE(reports.last(), qint64(100000));
        QVERIFY(std::is_sorted(reports.begin(), reports.end()));

        const TSheet sheet = TWorkbookReader(file).ReadSheet(0);
        QCOMPARE(sheet.RowCount(), 100000);
        QCOMPARE(sheet.Cell(0, 0).toString(), QStringLiteral("A-000001"));
        QCOMPARE(sheet.Cell(99999, 1).toString(), QStringLiteral("档案100000"));
        QCOMPARE(sheet.SheetRow(99999), 100001);
    }
};

PZ_TEST(TWorkbookWriterTest)
#include "tst_workbookwriter.moc"

// The workbook reader on real files: .xlsx workbooks written by libxlsxwriter with numbers,
// dates in several number formats, empty cells, sparse columns and several sheets; .csv in
// each encoding; and files that cannot be read, which must give a message and never crash.

#include "ExchangeTest.h"
#include "Gbk.h"
#include "TestMain.h"
#include "WorkbookReader.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <xlsxwriter.h>

using namespace ExchangeTest;

namespace {

lxw_datetime Stamp(int year, int month, int day, int hour = 0, int minute = 0, double second = 0)
{
    return lxw_datetime{year, month, day, hour, minute, second};
}

lxw_format *NumberFormat(lxw_workbook *book, const char *code)
{
    lxw_format *format = workbook_add_format(book);
    format_set_num_format(format, code);
    return format;
}

// Three sheets, listed in the workbook in the order 档案, Zeta, Alpha (not sorted by name).
bool WriteSample(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    lxw_workbook *book = workbook_new(path.constData());
    lxw_worksheet *main = workbook_add_worksheet(book, "档案");
    workbook_add_worksheet(book, "Zeta"); // left empty
    lxw_worksheet *offset = workbook_add_worksheet(book, "Alpha");
    lxw_format *date = NumberFormat(book, "yyyy-mm-dd");
    lxw_format *dateTime = NumberFormat(book, "yyyy-mm-dd hh:mm:ss");
    lxw_format *time = NumberFormat(book, "hh:mm");
    lxw_format *chineseDate = NumberFormat(book, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format *builtinDate = workbook_add_format(book);
    format_set_num_format_index(builtinDate, 14);

    // Titles, B1 left empty.
    const char *titles[] = {"编号", nullptr, "日期", "数量", "时间", "标志"};
    for (lxw_col_t c = 0; c < 6; ++c)
        if (titles[c])
            worksheet_write_string(main, 0, c, titles[c], nullptr);
    // Row 2.
    worksheet_write_string(main, 1, 0, "00123", nullptr);
    lxw_datetime d1 = Stamp(2012, 5, 1);
    worksheet_write_datetime(main, 1, 2, &d1, date);
    worksheet_write_number(main, 1, 3, 3, nullptr);
    lxw_datetime d2 = Stamp(2013, 7, 12, 8, 30, 15);
    worksheet_write_datetime(main, 1, 4, &d2, dateTime);
    worksheet_write_boolean(main, 1, 5, 1, nullptr);
    // Row 3 stays empty. Row 4.
    worksheet_write_number(main, 3, 0, 12.5, nullptr);
    lxw_datetime d3 = Stamp(2013, 1, 31);
    worksheet_write_datetime(main, 3, 2, &d3, builtinDate);
    worksheet_write_number(main, 3, 3, 0.5, time);
    lxw_datetime d4 = Stamp(2000, 2, 29);
    worksheet_write_datetime(main, 3, 4, &d4, chineseDate);
    worksheet_write_string(main, 3, 5, "末", nullptr);
    // Row 5: a time of day hidden by a date-only format; midnight under a date-time format.
    lxw_datetime d5 = Stamp(2012, 5, 1, 10, 0);
    worksheet_write_datetime(main, 4, 0, &d5, date);
    lxw_datetime d6 = Stamp(2012, 5, 1);
    worksheet_write_datetime(main, 4, 4, &d6, dateTime);
    // Row 11: one number far down, in column D only.
    worksheet_write_number(main, 10, 3, 42, nullptr);

    // The used area of Alpha starts at C3.
    worksheet_write_string(offset, 2, 2, "甲", nullptr);
    worksheet_write_string(offset, 2, 3, "乙", nullptr);
    worksheet_write_string(offset, 3, 2, "1", nullptr);
    worksheet_write_string(offset, 4, 3, "x", nullptr);
    return workbook_close(book) == LXW_NO_ERROR;
}

QByteArray CompoundFileHead()
{
    QByteArray head("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    head.append(QByteArray(1016, '\0'));
    return head;
}

QVariant Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

class TWorkbookReaderTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void xlsxSheetsInWorkbookOrder()
    {
        const QString file = Path(QStringLiteral("sample.xlsx"));
        QVERIFY(WriteSample(file));
        TWorkbookReader reader(file);
        QCOMPARE(reader.SheetNames(), (QStringList{QStringLiteral("档案"), "Zeta", "Alpha"}));
        QCOMPARE(reader.ReadSheet(QStringLiteral("Alpha")).Name, QStringLiteral("Alpha"));
        const QString error = ErrorOf<EFileError>([&] { reader.ReadSheet(QStringLiteral("Beta")); });
        QVERIFY2(error.contains(QStringLiteral("Beta")), qPrintable(error));
    }

    // Texts from the shared-string table, numbers as numbers, date formats (custom, built-in,
    // Chinese, with and without time, time alone) as date texts, logical values, empty cells
    // and rows, and a sparse row far below: every cell where the sheet has it.
    void xlsxCellValues()
    {
        const QString file = Path(QStringLiteral("values.xlsx"));
        QVERIFY(WriteSample(file));
        const TSheet sheet = TWorkbookReader(file).ReadSheet(0);
        QCOMPARE(sheet.Titles,
                 (QStringList{QStringLiteral("编号"), "F2", QStringLiteral("日期"), QStringLiteral("数量"),
                              QStringLiteral("时间"), QStringLiteral("标志")}));
        QCOMPARE(sheet.FirstRow, 1);
        QCOMPARE(sheet.RowCount(), 10);
        const QVariant none;
        const QList<QVariantList> expected{
            {Text("00123"), none, Text("2012-05-01"), 3.0, Text("2013-07-12 08:30:15"), true},
            {none, none, none, none, none, none},
            {12.5, none, Text("2013-01-31"), Text("12:00:00"), Text("2000-02-29"), Text("末")},
            {Text("2012-05-01"), none, none, none, Text("2012-05-01"), none},
        };
        for (int r = 0; r < expected.size(); ++r) {
            for (int c = 0; c < 6; ++c) {
                const QVariant cell = sheet.Cell(r, c);
                const QString where =
                    QStringLiteral("row %1 column %2: %3").arg(r).arg(c).arg(cell.toString());
                QVERIFY2(cell.typeId() == expected[r][c].typeId(), qPrintable(where));
                QVERIFY2(cell == expected[r][c], qPrintable(where));
            }
        }
        for (int r = 4; r < 9; ++r)
            QVERIFY(sheet.Rows[r].isEmpty());
        QCOMPARE(sheet.Cell(9, 3), QVariant(42.0));
        QCOMPARE(sheet.SheetRow(9), 11);
        QCOMPARE(CellText(sheet.Cell(0, 3)), QStringLiteral("3"));
        QCOMPARE(CellText(sheet.Cell(2, 0)), QStringLiteral("12.5"));
    }

    // The table starts where the sheet's used area starts; an empty sheet has no table.
    void xlsxUsedArea()
    {
        const QString file = Path(QStringLiteral("area.xlsx"));
        QVERIFY(WriteSample(file));
        TWorkbookReader reader(file);
        const TSheet alpha = reader.ReadSheet(2);
        QCOMPARE(alpha.FirstRow, 3);
        QCOMPARE(alpha.Titles, (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
        QCOMPARE(alpha.RowCount(), 2);
        QCOMPARE(alpha.Cell(0, 0), Text("1"));
        QCOMPARE(alpha.Cell(1, 1), Text("x"));
        QCOMPARE(alpha.SheetRow(1), 5);
        const TSheet zeta = reader.ReadSheet(1);
        QCOMPARE(zeta.ColumnCount(), 0);
        QCOMPARE(zeta.RowCount(), 0);
    }

    // A package as other programs write it: entries stored uncompressed, the workbook found
    // through the package relationships, a sheet named by an absolute path, no style or
    // shared-string part, texts inside the cells, cells without references, formula texts,
    // error cells and escaped control characters.
    void xlsxFromOtherWriters()
    {
        const QString file = Path(QStringLiteral("other.xlsx"));
        const QByteArray rels =
            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
            "relationships\"><Relationship Id=\"R1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/officeDocument\" Target=\"book/main.xml\"/></Relationships>";
        const QByteArray workbook =
            "<?xml version=\"1.0\"?><x:workbook "
            "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
            "main\" "
            "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><x:sheets>"
            "<x:sheet name=\"第一页\" sheetId=\"7\" rel:id=\"s1\"/></x:sheets></x:workbook>";
        const QByteArray workbookRels =
            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
            "relationships\"><Relationship Id=\"s1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
            "2006/relationships/worksheet\" Target=\"/sheets/one.xml\"/></Relationships>";
        const QByteArray sheetXml =
            "<?xml version=\"1.0\"?><x:worksheet "
            "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
            "main\"><x:sheetData>"
            "<x:row><x:c t=\"inlineStr\"><x:is><x:t>名称</x:t></x:is></x:c><x:c "
            "t=\"inlineStr\"><x:is><x:r><x:t>"
            "合</x:t></x:r><x:r><x:t>计</x:t></x:r><x:rPh><x:t>HEJI</x:t></x:rPh></x:is></x:c></x:row>"
            "<x:row><x:c t=\"inlineStr\"><x:is><x:t xml:space=\"preserve\"> 甲_x000D_乙 </x:t></x:is></x:c>"
            "<x:c t=\"str\"><x:f>A2&amp;A2</x:f><x:v>结果</x:v></x:c></x:row>"
            "<x:row r=\"5\"><x:c r=\"B5\" t=\"e\"><x:v>#N/A</x:v></x:c><x:c r=\"A5\"><x:v>1.5E3</x:v></x:c>"
            "</x:row></x:sheetData></x:worksheet>";
        QVERIFY(WriteZip(file, {{QStringLiteral("_rels/.rels"), rels},
                                {QStringLiteral("book/main.xml"), workbook},
                                {QStringLiteral("book/_rels/main.xml.rels"), workbookRels},
                                {QStringLiteral("sheets/one.xml"), sheetXml}}));
        TWorkbookReader reader(file);
        QCOMPARE(reader.SheetNames(), QStringList{QStringLiteral("第一页")});
        const TSheet sheet = reader.ReadSheet(0);
        QCOMPARE(sheet.Titles, (QStringList{QStringLiteral("名称"), QStringLiteral("合计")}));
        QCOMPARE(sheet.RowCount(), 4);
        QCOMPARE(sheet.Cell(0, 0), Text(" 甲\r乙 "));
        QCOMPARE(sheet.Cell(0, 1), Text("结果"));
        QVERIFY(sheet.Rows[1].isEmpty() && sheet.Rows[2].isEmpty());
        QCOMPARE(sheet.Cell(3, 0), QVariant(1500.0));
        QCOMPARE(sheet.Cell(3, 1), Text("#N/A"));
    }

    // The same comma-separated content in every encoding the reader recognises reads the same.
    void csvEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text =
            QStringLiteral("编号,名称,备注\r\n001,\"甲,乙\",\"说\"\"好\"\"\r\n第二行\"\r\n\r\n002,丙\n");
        QStringEncoder utf16(QStringEncoder::Utf16LE);
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        QTest::newRow("utf-8") << text.toUtf8();
        QTest::newRow("gbk") << Gbk::Encode(text);
        QTest::newRow("utf-16 with bom") << QByteArray("\xFF\xFE") + QByteArray(utf16.encode(text));
    }
    void csvEncodings()
    {
        QFETCH(QByteArray, bytes);
        const QString file = Path(QStringLiteral("档案清单-%1.csv").arg(QTest::currentDataTag()));
        QVERIFY(WriteBytes(file, bytes));
        TWorkbookReader reader(file);
        QCOMPARE(reader.SheetNames(),
                 QStringList{QStringLiteral("档案清单-%1").arg(QTest::currentDataTag())});
        const TSheet sheet = reader.ReadSheet(0);
        QCOMPARE(sheet.Titles,
                 (QStringList{QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("备注")}));
        QCOMPARE(sheet.RowCount(), 3);
        QCOMPARE(sheet.Rows[0], (QVariantList{Text("001"), Text("甲,乙"), Text("说\"好\"\r\n第二行")}));
        QVERIFY(sheet.Rows[1].isEmpty());
        QCOMPARE(sheet.Rows[2], (QVariantList{Text("002"), Text("丙")}));
    }

    // A workbook damaged anywhere (directory, headers, compressed data) is either still read
    // or refused with the damaged-file message; it never crashes or hangs the reader.
    void damagedAnywhere()
    {
        const QString whole = Path(QStringLiteral("intact.xlsx"));
        QVERIFY(WriteSample(whole));
        const QByteArray intact = ReadBytes(whole);
        QRandomGenerator random(20130712);
        const QString file = Path(QStringLiteral("damaged.xlsx"));
        int refused = 0;
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = intact;
            const int changes = 1 + random.bounded(4);
            for (int i = 0; i < changes; ++i) {
                // Half the rounds hit the directory at the end, where sizes and offsets live.
                const qsizetype at =
                    round % 2 ? bytes.size() - 1 - random.bounded(qMin<qsizetype>(600, bytes.size()))
                              : random.bounded(bytes.size());
                bytes[at] = char(random.bounded(256));
            }
            QVERIFY(WriteBytes(file, bytes));
            try {
                TWorkbookReader reader(file);
                for (int i = 0; i < reader.SheetNames().size(); ++i)
                    reader.ReadSheet(i);
            } catch (const EFileError &error) {
                // A change to the very first bytes makes it no zip package at all.
                QVERIFY2(error.Message().contains(QStringLiteral("已损坏")) ||
                             error.Message().contains(QStringLiteral("不是 Excel 工作簿")),
                         qPrintable(error.Message()));
                ++refused;
            }
        }
        QVERIFY(refused > 100);
    }

    // Files that cannot be read give a message naming the file and the cause; none crashes.
    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("empty file") << "empty.xlsx"
                                    << "empty" << QStringLiteral("是空的");
        QTest::newRow("truncated workbook") << "cut.xlsx"
                                            << "truncated" << QStringLiteral("已损坏");
        QTest::newRow("package without workbook") << "nobook.xlsx"
                                                  << "nobook" << QStringLiteral("已损坏");
        QTest::newRow("broken workbook part") << "badxml.xlsx"
                                              << "badxml" << QStringLiteral("已损坏");
        QTest::newRow("sheet part missing") << "nosheet.xlsx"
                                            << "nosheet" << QStringLiteral("已损坏");
        QTest::newRow("text under a workbook name") << "text.xlsx"
                                                    << "text" << QStringLiteral("不是 Excel 工作簿");
        QTest::newRow("broken compound file") << "bad.xls"
                                              << "compound" << QStringLiteral("已损坏");
        QTest::newRow("encrypted workbook") << "secret.xlsx"
                                            << "encrypted" << QStringLiteral("密码");
        QTest::newRow("unclosed quote") << "quote.csv"
                                        << "quote" << QStringLiteral("第 2 行的引号没有结束");
        QTest::newRow("only a byte-order mark") << "bom.csv"
                                                << "bom" << QStringLiteral("是空的");
        QTest::newRow("missing file") << "missing.xlsx"
                                      << "missing" << QStringLiteral("不存在");
    }
    void unreadableFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        const QString file = Path(name);
        const QByteArray workbookXml =
            "<?xml version=\"1.0\"?><workbook "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
        const QByteArray workbookRels =
            "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
            "Target=\"worksheets/sheet1.xml\"/></Relationships>";
        if (kind == QLatin1String("empty")) {
            QVERIFY(WriteBytes(file, QByteArray()));
        } else if (kind == QLatin1String("truncated")) {
            const QString whole = Path(QStringLiteral("whole.xlsx"));
            QVERIFY(WriteSample(whole));
            const QByteArray bytes = ReadBytes(whole);
            QVERIFY(WriteBytes(file, bytes.left(bytes.size() * 3 / 5)));
        } else if (kind == QLatin1String("nobook")) {
            QVERIFY(WriteZip(file, {{QStringLiteral("readme.txt"), "not a workbook"}}));
        } else if (kind == QLatin1String("badxml")) {
            QVERIFY(WriteZip(file, {{QStringLiteral("xl/workbook.xml"), "<workbook><sheets><sheet name="}}));
        } else if (kind == QLatin1String("nosheet")) {
            QVERIFY(WriteZip(file, {{QStringLiteral("xl/workbook.xml"), workbookXml},
                                    {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels}}));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(WriteBytes(file, "编号,名称\n1,2\n"));
        } else if (kind == QLatin1String("compound")) {
            QVERIFY(WriteBytes(file, CompoundFileHead() + QByteArray(4096, '\x5A')));
        } else if (kind == QLatin1String("encrypted")) {
            const QString marker = QStringLiteral("EncryptedPackage");
            QVERIFY(WriteBytes(
                file, CompoundFileHead() +
                          QByteArray(reinterpret_cast<const char *>(marker.utf16()), marker.size() * 2) +
                          QByteArray(2048, '\0')));
        } else if (kind == QLatin1String("quote")) {
            QVERIFY(WriteBytes(file, "a,b\r\n1,\"open\r\n2,3\r\n"));
        } else if (kind == QLatin1String("bom")) {
            QVERIFY(WriteBytes(file, "\xEF\xBB\xBF\r\n"));
        }
        const QString error = ErrorOf<EFileError>([&] {
            TWorkbookReader reader(file);
            for (int i = 0; i < reader.SheetNames().size(); ++i)
                reader.ReadSheet(i);
        });
        QVERIFY2(error.contains(cause), qPrintable(error));
        QVERIFY2(error.contains(file), qPrintable(error));
    }
};

PZ_TEST(TWorkbookReaderTest)
#include "tst_workbookreader.moc"

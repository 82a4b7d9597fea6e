// The text exports: the exact bytes of each layout in each encoding, values that carry the
// layout's own separators, and what a cancel or an unwritable target leaves behind.

#include "ExchangeTest.h"
#include "Gbk.h"
#include "TestMain.h"
#include "TextExport.h"
#include "WorkbookReader.h"

#include <QTemporaryDir>

using namespace ExchangeTest;
using namespace Exchange;

Q_DECLARE_METATYPE(Exchange::TextFormat)
Q_DECLARE_METATYPE(Exchange::TextEncoding)

namespace {

const QStringList Header{QStringLiteral("档案编号"), QStringLiteral("档案名称")};

// Values that carry every character a layout treats specially.
const QList<QStringList> Rows{
    {QStringLiteral("A-001"), QStringLiteral("年度报告, 第一册")},
    {QStringLiteral("B\t002"), QStringLiteral("说 \"甲\" 与 <乙> & 丙")},
    {QString(), QStringLiteral("第一行\r\n第二行\n第三行")},
};

QByteArray Encoded(const QString &text, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? text.toUtf8() : Gbk::Encode(text);
}

} // namespace

class TextExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The whole file, byte for byte, for every layout and encoding.
    void exactBytes_data()
    {
        QTest::addColumn<TextFormat>("format");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QString>("text");

        const QString tab = QStringLiteral("档案编号\t档案名称\t\r\n"
                                           "A-001\t年度报告, 第一册\t\r\n"
                                           "B 002\t说 \"甲\" 与 <乙> & 丙\t\r\n"
                                           "\t第一行 第二行 第三行\t\r\n");
        const QString csv = QStringLiteral("档案编号,档案名称\r\n"
                                           "A-001,\"年度报告, 第一册\"\r\n"
                                           "B\t002,\"说 \"\"甲\"\" 与 <乙> & 丙\"\r\n"
                                           ",\"第一行\r\n第二行\n第三行\"\r\n");
        const QString htmlBody = QStringLiteral(
            "<title></title>\r\n</head>\r\n<body>\r\n<table>\r\n"
            "<tr>\r\n<td nowrap>档案编号&nbsp;</td>\r\n<td nowrap>档案名称&nbsp;</td>\r\n</tr>\r\n"
            "<tr>\r\n<td nowrap>A-001&nbsp;</td>\r\n<td nowrap>年度报告, 第一册&nbsp;</td>\r\n</tr>\r\n"
            "<tr>\r\n<td nowrap>B\t002&nbsp;</td>\r\n"
            "<td nowrap>说 &quot;甲&quot; 与 &lt;乙&gt; &amp; 丙&nbsp;</td>\r\n</tr>\r\n"
            "<tr>\r\n<td nowrap>&nbsp;</td>\r\n<td nowrap>第一行<br>第二行<br>第三行&nbsp;</td>\r\n</tr>\r\n"
            "</table>\r\n</body>\r\n</html>\r\n");
        const QString htmlHead = QStringLiteral("<html>\r\n<head>\r\n");

        QTest::newRow("tab, gbk") << TextFormat::Tab << TextEncoding::Gbk << QByteArray() << tab;
        QTest::newRow("tab, utf-8") << TextFormat::Tab << TextEncoding::Utf8 << QByteArray() << tab;
        QTest::newRow("csv, gbk") << TextFormat::Csv << TextEncoding::Gbk << QByteArray() << csv;
        QTest::newRow("csv, utf-8 with bom")
            << TextFormat::Csv << TextEncoding::Utf8 << QByteArray("\xEF\xBB\xBF") << csv;
        QTest::newRow("html, gbk") << TextFormat::Html << TextEncoding::Gbk << QByteArray()
                                   << htmlHead + QStringLiteral("<meta charset=\"gbk\">\r\n") + htmlBody;
        QTest::newRow("html, utf-8") << TextFormat::Html << TextEncoding::Utf8 << QByteArray()
                                     << htmlHead + QStringLiteral("<meta charset=\"utf-8\">\r\n") + htmlBody;
    }
    void exactBytes()
    {
        QFETCH(TextFormat, format);
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, prefix);
        QFETCH(QString, text);
        const QString file = m_dir.filePath(QStringLiteral("export.") + DefaultSuffix(format));
        QCOMPARE(ExportText(file, format, encoding, Header, RowsOf(Rows)), qint64(3));
        const QByteArray bytes = ReadBytes(file);
        QCOMPARE(bytes, prefix + Encoded(text, encoding));
        if (encoding == TextEncoding::Gbk)
            QVERIFY(!bytes.contains("\xE6\xA1\xA3")); // 档 in UTF-8: the file really is GBK
    }

    // An empty list still has its header; an empty header gives a header line of nothing.
    void noRecords()
    {
        const QString file = m_dir.filePath(QStringLiteral("empty.html"));
        QCOMPARE(ExportText(file, TextFormat::Html, TextEncoding::Utf8, Header, RowsOf({})), qint64(0));
        const QString page = QString::fromUtf8(ReadBytes(file));
        QCOMPARE(page.count(QStringLiteral("<tr>")), 1);
        QCOMPARE(page.count(QStringLiteral("<td nowrap>")), 2);
    }

    // What the comma-separated export writes, the reader gives back unchanged, in both
    // encodings: quotes, commas, line breaks and Chinese included.
    void csvRoundTrip_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("gbk") << TextEncoding::Gbk;
        QTest::newRow("utf-8") << TextEncoding::Utf8;
    }
    void csvRoundTrip()
    {
        QFETCH(TextEncoding, encoding);
        const QString file = m_dir.filePath(QStringLiteral("round-%1.csv").arg(int(encoding)));
        ExportText(file, TextFormat::Csv, encoding, Header, RowsOf(Rows));
        const TSheet sheet = TWorkbookReader(file).ReadSheet(0);
        QCOMPARE(sheet.Titles, Header);
        QCOMPARE(sheet.RowCount(), int(Rows.size()));
        for (int r = 0; r < Rows.size(); ++r)
            for (int c = 0; c < Header.size(); ++c)
                QCOMPARE(CellText(sheet.Cell(r, c)), Rows[r][c]);
    }

    // 100,000 records stream through; a cancel part way leaves the existing file as it was
    // and no temporary file beside it.
    void streamAndCancel()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("list.txt"));
        int next = 0;
        const RowSource rows = [&next](QStringList &row) {
            if (next == 100000)
                return false;
            ++next;
            row = {QString::number(next), QStringLiteral("名称")};
            return true;
        };
        QCOMPARE(ExportText(file, TextFormat::Tab, TextEncoding::Gbk, Header, rows), qint64(100000));
        const QByteArray full = ReadBytes(file);
        QCOMPARE(full.count("\r\n"), 100001);
        QVERIFY(full.endsWith("100000\t" + Gbk::Encode(QStringLiteral("名称")) + "\t\r\n"));

        next = 0;
        const QString error = ErrorOf<EAbort>([&] {
            ExportText(file, TextFormat::Csv, TextEncoding::Utf8, Header, rows,
                       [](qint64 done) { return done < 50000; });
        });
        QCOMPARE(error, EAbort().Message());
        QCOMPARE(ReadBytes(file), full);
        QCOMPARE(FolderEntries(folder.path()), QStringList{QStringLiteral("list.txt")});
    }

    void unwritableTargetIsReported()
    {
        const QString file = m_dir.filePath(QStringLiteral("没有这个文件夹/导出.csv"));
        const QString error = ErrorOf<EFileError>(
            [&] { ExportText(file, TextFormat::Csv, TextEncoding::Gbk, Header, RowsOf(Rows)); });
        QVERIFY2(error.startsWith(QStringLiteral("无法写入文件")) && error.contains(file), qPrintable(error));
        QVERIFY(!QFile::exists(file));
    }
};

PZ_TEST(TextExportTest)
#include "tst_textexport.moc"

// The report engine end to end: templates are laid out over in-memory data sets, exported to
// real PDF files and read back with pdftotext, so every check sees what a printer would get.

#include "DataSet.h"
#include "Preview.h"
#include "ReportEngine.h"
#include "ReportModel.h"
#include "ReportWindows.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QXmlStreamReader>

using namespace Report;

namespace {

const QString SampleDir = QStringLiteral(PZ_REPORT_SAMPLES);

QByteArray Sample()
{
    QFile file(SampleDir + QStringLiteral("/archive-list.pzr"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int CopysOf(int row)
{
    return row % 7 + 1;
}

// Rows numbered from 1: Code "A-0001", Name "Archive 1", Copys row % 7 + 1, a lending date at
// midnight and a time stamp with a time of day.
std::unique_ptr<TDataSet> Archives(int rows, const std::function<QString(int)> &name = {},
                                   const std::function<QString(int)> &category = {})
{
    auto ds = std::make_unique<TDataSet>();
    ds->AddField(FieldKind::String, QStringLiteral("Code"), 20);
    ds->AddField(FieldKind::WideString, QStringLiteral("Name"), 400);
    ds->AddField(FieldKind::Integer, QStringLiteral("Copys"));
    ds->AddField(FieldKind::String, QStringLiteral("Category"), 20);
    ds->AddField(FieldKind::DateTime, QStringLiteral("Lendate1"));
    ds->AddField(FieldKind::DateTime, QStringLiteral("Stamp"));
    ds->BeginLoad();
    for (int i = 1; i <= rows; ++i) {
        const QVariant values[] = {
            QStringLiteral("A-%1").arg(i, 4, 10, QLatin1Char('0')),
            name ? name(i) : QStringLiteral("Archive %1").arg(i),
            CopysOf(i),
            category ? category(i) : QString(),
            QDateTime(QDate(2024, 3, 5), QTime(0, 0)),
            QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
        };
        ds->LoadRow(values);
    }
    ds->EndLoad();
    return ds;
}

QString RunPdftotext(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>")
            .arg(QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page of a PDF file.
QStringList PdfPages(const QString &pdf)
{
    QStringList pages = RunPdftotext({pdf, QStringLiteral("-")}).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

struct Word
{
    int page;
    QString text;
    QRectF box;
};

// Every word of a PDF with its page and box, as pdftotext finds them.
std::vector<Word> PdfWords(const QString &pdf)
{
    std::vector<Word> words;
    QXmlStreamReader xml(RunPdftotext({QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    int page = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const QPointF topLeft(a.value(QStringLiteral("xMin")).toDouble(),
                                  a.value(QStringLiteral("yMin")).toDouble());
            const QPointF bottomRight(a.value(QStringLiteral("xMax")).toDouble(),
                                      a.value(QStringLiteral("yMax")).toDouble());
            words.push_back({page, xml.readElementText(), QRectF(topLeft, bottomRight)});
        }
    }
    return words;
}

Object *AddText(Band &band, const QString &name, const QString &text, qreal y = 0, qreal width = 180)
{
    Object *object = band.AddObject(ObjectKind::Text, name);
    object->text = text;
    object->rect = QRectF(0, y, width, 6);
    return object;
}

// The names the report asks the program for, answered like the runner does for its variables.
struct Variables
{
    QMap<QString, QString> values;
    QStringList asked;
    void Install(TReportEngine &engine)
    {
        engine.OnGetValue = [this](const QString &name, bool &handled) {
            asked << name;
            for (auto it = values.cbegin(); it != values.cend(); ++it) {
                if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                    handled = true;
                    return QVariant(it.value());
                }
            }
            return QVariant();
        };
    }
};

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString PathFor(const QString &name) const { return m_dir.filePath(name); }

    QStringList Export(TReportEngine &engine, const QString &name)
    {
        const QString pdf = PathFor(name);
        QString error;
        if (!engine.ExportPdf(pdf, &error))
            return {QStringLiteral("<export failed: %1>").arg(error)};
        return PdfPages(pdf);
    }

private slots:
    void initTestCase()
    {
        InstallReportWindows();
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed to read the reports back");
        QVERIFY(!Sample().isEmpty());
    }

    // The delivered list template over 0, 1, a page's worth and 1,000 rows. Page 1 holds 39
    // rows below the title and headers, later pages 42; the summary needs 10 mm more.
    void listPaginates_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("no rows") << 0 << 1;
        QTest::newRow("one row") << 1 << 1;
        QTest::newRow("summary just fits") << 38 << 1;
        QTest::newRow("summary moves on") << 39 << 2;
        QTest::newRow("1000 rows") << 1000 << 24;
    }
    void listPaginates()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        auto ds = Archives(rows);
        TReportEngine engine;
        Variables variables;
        variables.values[QStringLiteral("u_Company")] = QStringLiteral("青岫 Archive Co");
        variables.Install(engine);
        QString error;
        QVERIFY2(engine.LoadFromBytes(Sample(), &error), qPrintable(error));
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageCount(), pages);

        const QStringList texts = Export(engine, QStringLiteral("list-%1.pdf").arg(rows));
        QCOMPARE(texts.size(), pages);
        QStringList codes;
        for (int p = 0; p < pages; ++p) {
            const QString &text = texts[p];
            QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages)),
                     qPrintable(text.left(300)));
            QVERIFY(text.contains(QStringLiteral("%1/%2").arg(p + 1).arg(pages)));
            QVERIFY(text.contains(QStringLiteral("Code")) && text.contains(QStringLiteral("Lent on")));
            QCOMPARE(text.contains(QStringLiteral("档案目录")), p == 0);
            QCOMPARE(text.contains(QStringLiteral("青岫 Archive Co")), p == 0);
            QCOMPARE(text.contains(QStringLiteral("Total copies")), p == pages - 1);
            auto it = QRegularExpression(QStringLiteral("A-\\d{4}")).globalMatch(text);
            int onPage = 0;
            for (; it.hasNext(); ++onPage)
                codes << it.next().captured();
            if (p == 0)
                QCOMPARE(onPage, std::min(rows, 39));
            else if (p < pages - 1)
                QCOMPARE(onPage, 42);
        }
        QStringList expected;
        int total = 0;
        for (int i = 1; i <= rows; ++i) {
            expected << QStringLiteral("A-%1").arg(i, 4, 10, QLatin1Char('0'));
            total += CopysOf(i);
        }
        QCOMPARE(codes, expected);
        QVERIFY(texts.last().contains(QStringLiteral("Total copies: %1").arg(total)));
        QVERIFY(texts.last().contains(QStringLiteral("Rows: %1").arg(rows)));
        if (rows > 0)
            QVERIFY(texts.first().contains(QStringLiteral("2024-03-05")));
    }

    // Variables come from OnGetValue, the user data set from its callback; a name nobody
    // knows and a field the data set lacks print empty.
    void namesResolve()
    {
        auto ds = Archives(1);
        TReportEngine engine;
        Variables variables;
        variables.values[QStringLiteral("u_Company")] = QStringLiteral("青岫公司");
        variables.values[QStringLiteral("u_Tel")] = QStringLiteral(" ");
        variables.Install(engine);
        QStringList userAsked;
        engine.SetUserDataSet(QStringLiteral("u"), {QStringLiteral("Name")}, [&](const QString &field) {
            userAsked << field;
            return field.compare(QStringLiteral("Name"), Qt::CaseInsensitive) == 0
                       ? QVariant(QStringLiteral("Zhang"))
                       : QVariant(field);
        });
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Band *band = engine.Document().pages[0]->AddBand(BandKind::ReportTitle, QStringLiteral("Title1"));
        band->height = 80;
        const QStringList lines{
            QStringLiteral("Company=[u_Company]"),
            QStringLiteral("Tel=<[U_TEL]>"),
            QStringLiteral("Unknown=<[NoSuchVariable]>"),
            QStringLiteral("User=[u.Name]"),
            QStringLiteral("UserOther=[u.Other]"),
            QStringLiteral("Field=<[d0.NoSuchField]>"),
            QStringLiteral("Mixed=[u_Company + '/' + u.Name + '/' + D0.code]"),
        };
        for (int i = 0; i < lines.size(); ++i)
            AddText(*band, QStringLiteral("Line%1").arg(i), lines[i], i * 8);
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageTexts(0), (QStringList{
                                          QStringLiteral("Company=青岫公司"),
                                          QStringLiteral("Tel=< >"),
                                          QStringLiteral("Unknown=<>"),
                                          QStringLiteral("User=Zhang"),
                                          QStringLiteral("UserOther=Other"),
                                          QStringLiteral("Field=<>"),
                                          QStringLiteral("Mixed=青岫公司/Zhang/A-0001"),
                                      }));
        QVERIFY(variables.asked.contains(QStringLiteral("NoSuchVariable")));
        QVERIFY(!variables.asked.contains(QStringLiteral("d0")));
        QVERIFY(userAsked.contains(QStringLiteral("Other")));
        const QStringList pdf = Export(engine, QStringLiteral("names.pdf"));
        QCOMPARE(pdf.size(), 1);
        QVERIFY2(pdf[0].contains(QStringLiteral("Mixed=青岫公司/Zhang/A-0001")), qPrintable(pdf[0]));
    }

    void registeredFunctionAnswers()
    {
        auto ds = Archives(1);
        TReportEngine engine;
        QList<QVariantList> calls;
        engine.RegisterFunction(QStringLiteral("Show1"),
                                QStringLiteral("function Show1(AFieldName: string; l1: Integer): Integer;"),
                                [&](const QVariantList &arguments) {
                                    calls << arguments;
                                    return QVariant(1);
                                });
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Band *band = engine.Document().pages[0]->AddBand(BandKind::MasterData, QStringLiteral("Data1"));
        band->dataSet = QStringLiteral("d0");
        AddText(*band, QStringLiteral("Plain"), QStringLiteral("[Show1('Code', 3)]"), 0, 50);
        AddText(*band, QStringLiteral("Lower"), QStringLiteral("[show1(d0.Code, 2) + 1]"), 0, 50)
            ->rect.moveLeft(60);
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageTexts(0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].value(0).toString(), QStringLiteral("Code"));
        QCOMPARE(calls[0].value(1).toInt(), 3);
        QCOMPARE(calls[1].value(0).toString(), QStringLiteral("A-0001"));
        QCOMPARE(calls[1].value(1).toInt(), 2);
    }

    // Group headers start each group, footers close it with the group's own totals, and the
    // row number starts again in each group.
    void groupsHeadAndFoot()
    {
        const QStringList categories{"A", "A", "A", "B", "B", "C"};
        auto ds = Archives(int(categories.size()), {}, [&](int i) { return categories[i - 1]; });
        TReportEngine engine;
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Page &page = *engine.Document().pages[0];
        Band *header = page.AddBand(BandKind::GroupHeader, QStringLiteral("GroupHeader1"));
        header->condition = QStringLiteral("d0.Category");
        header->height = 7;
        AddText(*header, QStringLiteral("GroupName"), QStringLiteral("Group [d0.Category]"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        data->height = 7;
        AddText(*data, QStringLiteral("Row"), QStringLiteral("[d0.Code] #[Line]"));
        Band *footer = page.AddBand(BandKind::GroupFooter, QStringLiteral("GroupFooter1"));
        footer->height = 7;
        AddText(*footer, QStringLiteral("GroupTotal"),
                QStringLiteral("End [d0.Category] sum=[SUM(d0.Copys)] n=[COUNT()] max=[MAX(d0.Copys)]"));
        Band *summary = page.AddBand(BandKind::ReportSummary, QStringLiteral("Summary1"));
        AddText(*summary, QStringLiteral("GrandTotal"),
                QStringLiteral("All sum=[SUM(d0.Copys)] avg=[AVG(d0.Copys)]"));
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        const QStringList pdf = Export(engine, QStringLiteral("groups.pdf"));
        QCOMPARE(pdf.size(), 1);
        QStringList lines = pdf[0].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.trimmed();
        lines.removeAll(QString());
        // Copys by row: 2 3 4 5 6 7.
        QCOMPARE(lines, (QStringList{
                            "Group A",
                            "A-0001 #1",
                            "A-0002 #2",
                            "A-0003 #3",
                            "End A sum=9 n=3 max=4",
                            "Group B",
                            "A-0004 #1",
                            "A-0005 #2",
                            "End B sum=11 n=2 max=6",
                            "Group C",
                            "A-0006 #1",
                            "End C sum=7 n=1 max=7",
                            "All sum=27 avg=4.5",
                        }));
    }

    // Word-wrapped text in a band that can grow pushes the next row down and a grown row moves
    // whole to the next page; without growth the rows run into each other.
    void canGrowKeepsRowsApart()
    {
        const int rows = 40;
        auto words = [](int i) {
            QStringList list;
            for (int w = 1; w <= 3 + (i * 7) % 15; ++w)
                list << QStringLiteral("r%1w%2").arg(i).arg(w);
            return list;
        };
        auto ds = Archives(rows, [&](int i) { return words(i).join(QLatin1Char(' ')); });
        TReportEngine engine;
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Page &page = *engine.Document().pages[0];
        Band *header = page.AddBand(BandKind::PageHeader, QStringLiteral("PageHeader1"));
        AddText(*header, QStringLiteral("Heading"), QStringLiteral("Names page [Page]"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        data->height = 6;
        data->canGrow = true;
        Object *name = AddText(*data, QStringLiteral("RowName"), QStringLiteral("[d0.Name]"), 0, 40);
        name->wordWrap = true;
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        const QString pdf = PathFor(QStringLiteral("grow.pdf"));
        QVERIFY2(engine.ExportPdf(pdf, &error), qPrintable(error));

        std::map<int, std::pair<int, QRectF>> rowsSeen; // row -> page, area of its words
        const QRegularExpression wordPattern(QStringLiteral("^r(\\d+)w(\\d+)$"));
        int wordsSeen = 0;
        bool splitAcrossPages = false;
        for (const Word &word : PdfWords(pdf)) {
            const auto match = wordPattern.match(word.text);
            if (!match.hasMatch())
                continue;
            ++wordsSeen;
            const int row = match.captured(1).toInt();
            auto found = rowsSeen.find(row);
            if (found == rowsSeen.end()) {
                rowsSeen[row] = {word.page, word.box};
            } else {
                splitAcrossPages = splitAcrossPages || found->second.first != word.page;
                found->second.second |= word.box;
            }
        }
        int expectedWords = 0;
        for (int i = 1; i <= rows; ++i)
            expectedWords += int(words(i).size());
        QCOMPARE(int(rowsSeen.size()), rows);
        QCOMPARE(wordsSeen, expectedWords);
        QVERIFY(!splitAcrossPages);
        QVERIFY(engine.PageCount() > 1);
        bool multiLine = false;
        for (int i = 1; i < rows; ++i) {
            const auto &[page1, area1] = rowsSeen[i];
            const auto &[page2, area2] = rowsSeen[i + 1];
            multiLine = multiLine || area1.height() > 20;
            if (page1 == page2)
                QVERIFY2(area2.top() >= area1.bottom() - 0.5,
                         qPrintable(QStringLiteral("row %1 runs into row %2").arg(i).arg(i + 1)));
        }
        QVERIFY(multiLine);
    }

    // Without growth, text taller than its band runs into the next row: the check above can tell.
    void fixedRowsCollide()
    {
        auto ds = Archives(
            3, [](int) { return QStringLiteral("one two three four five six seven eight nine ten eleven"); });
        TReportEngine engine;
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Band *data = engine.Document().pages[0]->AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        data->height = 6;
        Object *name = AddText(*data, QStringLiteral("RowName"), QStringLiteral("[d0.Name]"), 0, 30);
        name->wordWrap = true;
        name->rect.setHeight(30); // taller than the band: the text spills into the next row
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        const QString pdf = PathFor(QStringLiteral("collide.pdf"));
        QVERIFY2(engine.ExportPdf(pdf, &error), qPrintable(error));
        qreal firstEleven = -1, secondOne = -1;
        int ones = 0;
        for (const Word &word : PdfWords(pdf)) {
            if (word.text == QLatin1String("one") && ++ones == 2)
                secondOne = word.box.top();
            if (word.text == QLatin1String("eleven") && firstEleven < 0)
                firstEleven = word.box.bottom();
        }
        QVERIFY(secondOne > 0 && firstEleven > 0);
        QVERIFY(secondOne < firstEleven);
    }

    // Bytes that are no template leave an empty report and a message, whatever was loaded before.
    void badBytesLeaveEmptyReport_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray sample = Sample();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << sample.left(sample.size() * 2 / 5);
        QTest::newRow("cut in a tag") << sample.left(sample.indexOf("<band kind=\"MasterData\"") + 10);
        QTest::newRow("plain text") << QByteArray("this is not a report");
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe<\x00p\x00", 8);
        QTest::newRow("other XML") << QByteArray("<html><body/></html>");
        QTest::newRow("unknown band")
            << QByteArray("<pzreport><page><band kind=\"Sidebar\"/></page></pzreport>");
        QTest::newRow("bad number") << QByteArray(
            "<pzreport><page><band kind=\"MasterData\" height=\"tall\"/></page></pzreport>");
        QTest::newRow("unknown element")
            << QByteArray("<pzreport><page><band kind=\"MasterData\"><circle/></band></page></pzreport>");
        QTest::newRow("bad base64") << QByteArray(
            "<pzreport><page><band kind=\"ReportTitle\"><picture>@@@</picture></band></page></pzreport>");
        QTest::newRow("newer format") << QByteArray("<pzreport version=\"9\"/>");
    }
    void badBytesLeaveEmptyReport()
    {
        QFETCH(QByteArray, bytes);
        TReportEngine engine;
        QString error;
        QVERIFY(engine.LoadFromBytes(Sample(), &error));
        QVERIFY(!engine.LoadFromBytes(bytes, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The report template cannot be read: ")), qPrintable(error));
        QVERIFY(error.size() > 40);
        QCOMPARE(int(engine.Document().pages.size()), 1);
        QVERIFY(engine.Document().pages[0]->bands.empty());
        QCOMPARE(engine.Document().pages[0]->PrintedSize(), QSizeF(210, 297));
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageCount(), 1);
        QVERIFY(engine.PageTexts(0).isEmpty());
    }

    void missingFileIsAMessage()
    {
        TReportEngine engine;
        QString error;
        QVERIFY(!engine.LoadFromFile(PathFor(QStringLiteral("nowhere/none.pzr")), &error));
        QVERIFY(error.contains(QStringLiteral("none.pzr")));
        QVERIFY(!engine.SaveToFile(PathFor(QStringLiteral("nowhere/none.pzr")), &error));
        QVERIFY(error.contains(QStringLiteral("none.pzr")));
    }

    // A broken expression stops the report with a message naming the object and the expression.
    void badExpressionNamesObject_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("syntax") << "Code [d0.Code +]"
                                << ""
                                << "Broken"
                                << "d0.Code +";
        QTest::newRow("open bracket") << "Code [d0.Code"
                                      << ""
                                      << "Broken"
                                      << "[d0.Code";
        QTest::newRow("open aggregate") << "[SUM(d0.Copys]"
                                        << ""
                                        << "Broken"
                                        << "SUM(d0.Copys";
        QTest::newRow("nested aggregate") << "[SUM(MAX(d0.Copys))]"
                                          << ""
                                          << "Broken"
                                          << "SUM(MAX(d0.Copys))";
        QTest::newRow("unknown band") << "[SUM(d0.Copys, Nowhere)]"
                                      << ""
                                      << "Broken"
                                      << "Nowhere";
        QTest::newRow("fails running") << "[d0.Code.no.such]"
                                       << ""
                                       << "Broken"
                                       << "d0.Code.no.such";
        QTest::newRow("group condition") << "[d0.Code]"
                                         << "d0.Category =="
                                         << "GroupHeader1"
                                         << "d0.Category ==";
    }
    void badExpressionNamesObject()
    {
        QFETCH(QString, text);
        QFETCH(QString, condition);
        QFETCH(QString, named);
        QFETCH(QString, quoted);
        auto ds = Archives(2);
        TReportEngine engine;
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Page &page = *engine.Document().pages[0];
        if (!condition.isEmpty())
            page.AddBand(BandKind::GroupHeader, QStringLiteral("GroupHeader1"))->condition = condition;
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        AddText(*data, QStringLiteral("Fine"), QStringLiteral("[d0.Code]"));
        AddText(*data, QStringLiteral("Broken"), text);
        QString error;
        QVERIFY(!engine.Prepare(&error));
        QVERIFY2(error.startsWith(named + QLatin1Char(':')), qPrintable(error));
        QVERIFY2(error.contains(quoted), qPrintable(error));
        QCOMPARE(engine.PageCount(), 0);
    }

    // What the designer saves reads back as the same objects.
    void modelRoundTrips()
    {
        Document document;
        document.name = QStringLiteral("借阅清单");
        document.script = QStringLiteral("function Twice(x) { return x * 2; }");
        Page &page = *document.pages[0];
        page.paperSize = *PaperSizeByName(QStringLiteral("A5"));
        page.orientation = Orientation::Landscape;
        page.margins = QMarginsF(12.5, 8, 7.25, 9);
        Page &second = *document.AddPage(QStringLiteral("Custom"));
        second.paperSize = QSizeF(100.5, 150);
        Band *header = page.AddBand(BandKind::GroupHeader, QStringLiteral("GroupHeader1"));
        header->condition = QStringLiteral("d0.Category");
        header->startNewPage = true;
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d1");
        data->canGrow = true;
        data->height = 12.75;
        Band *footer = page.AddBand(BandKind::PageFooter, QStringLiteral("PageFooter1"));
        footer->printOnFirstPage = false;
        Object *text = data->AddObject(ObjectKind::Text, QStringLiteral("Text1"));
        text->text = QStringLiteral("  名称: [d1.\"Name\"] <&> \"quoted\"\nsecond line  ");
        text->font = {QStringLiteral("WenQuanYi Zen Hei"), 10.5, true, true, true};
        text->alignment = Qt::AlignRight | Qt::AlignBottom;
        text->wordWrap = true;
        text->format = QStringLiteral("#,##0.00");
        text->frame = FrameLeft | FrameBottom;
        text->lineWidth = 0.35;
        text->color = QColor(10, 20, 30);
        text->fill = QColor(200, 210, 220, 128);
        text->rect = QRectF(1.5, 2.25, 33.3, 7);
        Object *line = data->AddObject(ObjectKind::Line, QStringLiteral("Line1"));
        line->rect = QRectF(0, 5, 100, 0);
        line->lineWidth = 1;
        Object *rect = footer->AddObject(ObjectKind::Rect, QStringLiteral("Rect1"));
        rect->fill = Qt::yellow;
        Object *picture = footer->AddObject(ObjectKind::Picture, QStringLiteral("Picture1"));
        QImage image(8, 4, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        picture->image = png.data();
        picture->keepAspect = false;
        Object *barcode = footer->AddObject(ObjectKind::Barcode, QStringLiteral("Barcode1"));
        barcode->text = QStringLiteral("[d1.Code]");
        barcode->showText = false;
        barcode->alignment = Qt::AlignHCenter | Qt::AlignVCenter;

        const QByteArray saved = document.SaveToXml();
        Document read;
        QString error;
        QVERIFY2(read.LoadFromXml(saved, &error), qPrintable(error));
        QCOMPARE(read.SaveToXml(), saved);
        QCOMPARE(read.name, document.name);
        QCOMPARE(read.script, document.script);
        QCOMPARE(read.pages.size(), document.pages.size());
        for (size_t p = 0; p < document.pages.size(); ++p) {
            const Page &a = *document.pages[p], &b = *read.pages[p];
            QCOMPARE(b.name, a.name);
            QCOMPARE(b.paperSize, a.paperSize);
            QCOMPARE(b.orientation, a.orientation);
            QCOMPARE(b.margins, a.margins);
            QCOMPARE(b.bands.size(), a.bands.size());
            for (size_t i = 0; i < a.bands.size(); ++i) {
                const Band &x = *a.bands[i], &y = *b.bands[i];
                QCOMPARE(y.kind, x.kind);
                QCOMPARE(y.name, x.name);
                QCOMPARE(y.height, x.height);
                QCOMPARE(y.canGrow, x.canGrow);
                QCOMPARE(y.dataSet, x.dataSet);
                QCOMPARE(y.condition, x.condition);
                QCOMPARE(y.startNewPage, x.startNewPage);
                QCOMPARE(y.printOnFirstPage, x.printOnFirstPage);
                QCOMPARE(y.objects.size(), x.objects.size());
                for (size_t j = 0; j < x.objects.size(); ++j)
                    QVERIFY2(*y.objects[j] == *x.objects[j], qPrintable(x.objects[j]->name));
            }
        }

        // The same through the engine and a file; the clone is as good as the original.
        TReportEngine engine;
        engine.Document().pages = std::move(document.Clone()->pages);
        const QString path = PathFor(QStringLiteral("roundtrip.pzr"));
        QVERIFY2(engine.SaveToFile(path, &error), qPrintable(error));
        TReportEngine again;
        QVERIFY2(again.LoadFromFile(path, &error), qPrintable(error));
        QCOMPARE(again.Document().FindObject(QStringLiteral("Text1"))->text, text->text);
        QCOMPARE(again.Document().FindObject(QStringLiteral("Picture1"))->image, picture->image);

        // The delivered template is stable under load and save.
        Document sample;
        QVERIFY(sample.LoadFromXml(Sample(), &error));
        Document sampleAgain;
        QVERIFY(sampleAgain.LoadFromXml(sample.SaveToXml(), &error));
        QCOMPARE(sampleAgain.SaveToXml(), sample.SaveToXml());
    }

    // Values are shown through the text object's format; dates default to yyyy-mm-dd.
    void formats_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("date at midnight") << "[d0.Lendate1]"
                                          << ""
                                          << "2024-03-05";
        QTest::newRow("date pattern") << "[d0.Lendate1]"
                                      << "yyyy年m月d日"
                                      << "2024年3月5日";
        QTest::newRow("date with time") << "[d0.Stamp]"
                                        << ""
                                        << "2024-03-05 14:07:09";
        QTest::newRow("minutes after hours") << "[d0.Stamp]"
                                             << "hh:mm"
                                             << "14:07";
        QTest::newRow("quoted pattern text") << "[d0.Stamp]"
                                             << "'day' d, nn 'min'"
                                             << "day 5, 07 min";
        QTest::newRow("grouped decimals") << "[d0.Copys * 1234.5]"
                                          << "#,##0.00"
                                          << "2,469.00";
        QTest::newRow("optional decimals") << "[d0.Copys / 3]"
                                           << "0.##"
                                           << "0.67";
        QTest::newRow("integral padding") << "[d0.Copys]"
                                          << "No. 000"
                                          << "No. 002";
        QTest::newRow("negative") << "[-d0.Copys]"
                                  << "0.00"
                                  << "-2.00";
        QTest::newRow("printf fixed") << "[d0.Copys / 3]"
                                      << "%.3f"
                                      << "0.667";
        QTest::newRow("printf grouped") << "[d0.Copys * 1000000]"
                                        << "%.0n 元"
                                        << "2,000,000 元";
        QTest::newRow("plain fraction") << "[d0.Copys / 4]"
                                        << ""
                                        << "0.5";
        QTest::newRow("plain integer") << "[d0.Copys * 1.0]"
                                       << ""
                                       << "2";
        QTest::newRow("literal brackets") << "[[[d0.Code]]]"
                                          << ""
                                          << "[A-0001]";
        QTest::newRow("quoted field") << "[d0.\"Code\"]-[d0[\"Code\"]]"
                                      << ""
                                      << "A-0001-A-0001";
        QTest::newRow("script function") << "[Twice(d0.Copys)]"
                                         << ""
                                         << "4";
        QTest::newRow("today") << "[Date]"
                               << "" << QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    }
    void formats()
    {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        auto ds = Archives(1);
        TReportEngine engine;
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        engine.Document().script = QStringLiteral("function Twice(x) { return x * 2; }");
        Band *data = engine.Document().pages[0]->AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        AddText(*data, QStringLiteral("Value"), text)->format = format;
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageTexts(0), QStringList{shown});
    }

    // Laying out reads rows by position: the caller's current row stays and its views hear nothing.
    void cursorStays()
    {
        auto ds = Archives(50);
        ds->SetRecNo(17);
        QSignalSpy moves(ds.get(), &TDataSet::CurrentChanged);
        QSignalSpy resets(ds.get(), &TDataSet::DataReset);
        TReportEngine engine;
        QString error;
        QVERIFY(engine.LoadFromBytes(Sample(), &error));
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        Band *title = engine.Document().FindBand(QStringLiteral("ReportTitle1"));
        AddText(*title, QStringLiteral("Current"), QStringLiteral("Current [d0.Code]"), 15, 60);
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(ds->RecNo(), 17);
        QCOMPARE(moves.count(), 0);
        QCOMPARE(resets.count(), 0);
        QVERIFY(engine.PageTexts(0).contains(QStringLiteral("Current A-0018")));
    }

    // The bars of a Code 128 symbol, measured on a rendered page: start B, the stop pattern and
    // eleven modules per character.
    void barcodeDrawsCode128()
    {
        TReportEngine engine;
        Band *title = engine.Document().pages[0]->AddBand(BandKind::ReportTitle, QStringLiteral("Title1"));
        title->height = 30;
        Object *barcode = title->AddObject(ObjectKind::Barcode, QStringLiteral("Barcode1"));
        barcode->text = QStringLiteral("PZ-[1+1]");
        barcode->showText = true;
        // Start, four characters and the check character of 11 modules, the stop of 13: one
        // millimetre per module.
        barcode->rect = QRectF(0, 0, 79, 20);
        QString error;
        QVERIFY2(engine.Prepare(&error), qPrintable(error));
        QCOMPARE(engine.PageTexts(0), QStringList{QStringLiteral("PZ-2")});
        const int dpi = 254; // ten pixels per module
        const QSizeF mm = engine.PageSizeMM(0);
        QImage image(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            engine.PaintPage(0, painter, dpi);
        }
        const int y = qRound(15.0 / 25.4 * dpi); // 10 mm margin + 5 mm into the bars
        std::vector<int> runs;
        bool dark = false;
        int run = 0, start = -1;
        for (int x = 0; x < image.width(); ++x) {
            const bool pixelDark = qGray(image.pixel(x, y)) < 128;
            if (start < 0 && !pixelDark)
                continue;
            if (start < 0) {
                start = x;
                dark = true;
            }
            if (pixelDark == dark) {
                ++run;
            } else {
                runs.push_back(run);
                dark = pixelDark;
                run = 1;
            }
        }
        // The last run is the white space after the symbol.
        std::vector<int> modules;
        for (int width : runs)
            modules.push_back(qRound(width / 10.0));
        QCOMPARE(int(modules.size()), 6 + 6 * 4 + 6 + 7); // start, 4 characters, check, stop
        QCOMPARE(std::vector<int>(modules.begin(), modules.begin() + 6),
                 (std::vector<int>{2, 1, 1, 2, 1, 4}));
        QCOMPARE(std::vector<int>(modules.end() - 7, modules.end()), (std::vector<int>{2, 3, 3, 1, 1, 1, 2}));
        QCOMPARE(std::accumulate(modules.begin(), modules.end(), 0), 11 * 6 + 13);
        QCOMPARE(start, qRound(10.0 / 25.4 * dpi));
    }

    // The preview pages through the report and exports it, driven like a user would.
    void previewNavigatesAndExports()
    {
        auto ds = Archives(1000);
        TReportEngine engine;
        QString error;
        QVERIFY(engine.LoadFromBytes(Sample(), &error));
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        ScriptedPrompter prompter;
        const QString pdf = PathFor(QStringLiteral("preview.pdf"));
        QList<int> pagesSeen;
        QString spinText;
        bool foundButtons = false;
        prompter.OnDialog([&](QDialog &dialog) {
            auto *preview = qobject_cast<TReportPreview *>(&dialog);
            auto *next = dialog.findChild<QToolButton *>(QStringLiteral("btnNext"));
            auto *last = dialog.findChild<QToolButton *>(QStringLiteral("btnLast"));
            auto *exportPdf = dialog.findChild<QToolButton *>(QStringLiteral("btnExportPdf"));
            foundButtons = preview && next && last && exportPdf;
            if (!foundButtons)
                return int(QDialog::Rejected);
            pagesSeen << preview->CurrentPage();
            QTest::mouseClick(next, Qt::LeftButton);
            pagesSeen << preview->CurrentPage();
            spinText = dialog.findChild<QSpinBox *>(QStringLiteral("spnPage"))->text();
            QTest::mouseClick(last, Qt::LeftButton);
            pagesSeen << preview->CurrentPage();
            pagesSeen << int(next->isEnabled());
            prompter.Answer(pdf);
            QTest::mouseClick(exportPdf, Qt::LeftButton);
            return int(QDialog::Accepted);
        });
        engine.ShowPreview();
        QVERIFY(foundButtons);
        QCOMPARE(prompter.Dialogs(), QStringList{QStringLiteral("TReportPreview")});
        QCOMPARE(pagesSeen, (QList<int>{0, 1, 23, 0}));
        QCOMPARE(spinText, QStringLiteral("2"));
        QCOMPARE(prompter.History().size(), 1);
        QCOMPARE(prompter.History()[0].kind, QStringLiteral("save"));
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 24);
        QVERIFY(pages[1].contains(QStringLiteral("Page 2 of 24")));
    }

    // Printing from the preview goes through the print dialog; the chosen page range is printed.
    void previewPrintsChosenPages()
    {
        auto ds = Archives(100);
        TReportEngine engine;
        QString error;
        QVERIFY(engine.LoadFromBytes(Sample(), &error));
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        ScriptedPrompter prompter;
        const QString pdf = PathFor(QStringLiteral("printed.pdf"));
        prompter.OnDialog([&](QDialog &dialog) {
            if (auto *print = dialog.findChild<QToolButton *>(QStringLiteral("btnPrint")))
                QTest::mouseClick(print, Qt::LeftButton);
            return int(QDialog::Accepted);
        });
        prompter.OnDialog([&](QDialog &dialog) {
            auto *printDialog = qobject_cast<QPrintDialog *>(&dialog);
            if (!printDialog)
                return int(QDialog::Rejected);
            // Stands in for a printer: the same pages, written where the test can read them.
            QPrinter &printer = *printDialog->printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return int(QDialog::Accepted);
        });
        engine.ShowPreview();
        QCOMPARE(prompter.Dialogs(),
                 (QStringList{QStringLiteral("TReportPreview"), QStringLiteral("QPrintDialog")}));
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0].contains(QStringLiteral("Page 2 of 3")));
        QVERIFY(pages[1].contains(QStringLiteral("Page 3 of 3")));
        QVERIFY(pages[1].contains(QStringLiteral("Total copies")));
    }

    // A template that cannot be prepared shows its message instead of a preview.
    void previewOfBrokenTemplateShowsMessage()
    {
        TReportEngine engine;
        Band *title = engine.Document().pages[0]->AddBand(BandKind::ReportTitle, QStringLiteral("Title1"));
        AddText(*title, QStringLiteral("Oops"), QStringLiteral("[1 +* 2]"));
        ScriptedPrompter prompter;
        engine.ShowPreview();
        QVERIFY(prompter.Dialogs().isEmpty());
        QCOMPARE(prompter.Texts().size(), 1);
        QVERIFY(prompter.LastText().startsWith(QStringLiteral("Oops:")));
    }

    void exportsPngPerPage()
    {
        auto ds = Archives(100);
        TReportEngine engine;
        QString error;
        QVERIFY(engine.LoadFromBytes(Sample(), &error));
        engine.AddDataSet(QStringLiteral("d0"), ds.get());
        QVERIFY(engine.Prepare(&error));
        QCOMPARE(engine.PageCount(), 3);
        QVERIFY2(engine.ExportPng(PathFor(QStringLiteral("page-%1.png")), 50, &error), qPrintable(error));
        for (int page = 1; page <= 3; ++page) {
            QImage image(PathFor(QStringLiteral("page-%1.png").arg(page)));
            QCOMPARE(image.size(), QSize(qRound(210 / 25.4 * 50), qRound(297 / 25.4 * 50)));
        }
        QVERIFY(!QFile::exists(PathFor(QStringLiteral("page-4.png"))));
    }
};

PZ_TEST(TestReportEngine)
#include "tst_engine.moc"

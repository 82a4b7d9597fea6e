// The grids' exports into real files: the workbook read back with the program's own reader,
// the page read back as bytes; hidden columns, sort order, texts kept as typed, the question
// that offers to open the file, and the grid's current record left where it was.

#include "DataGrids.h"
#include "Exceptions.h"
#include "Gbk.h"
#include "GridExport.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"
#include "WorkbookReader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

struct Rows
{
    TDataSet ds;
    Rows()
    {
        Declare(FieldKind::String, "Code", "档案编号");
        Declare(FieldKind::WideString, "Name", "档案名称");
        Declare(FieldKind::Integer, "Copys", "份数");
        Declare(FieldKind::WideString, "Notes", "备注");
        ds.BeginLoad();
        Row("00123", "合同<甲> & 乙", 2, "");
        Row("A-2", "会议纪要", 1, "\"引号\"");
        Row("12345678901234567890", "", 3, "x");
        ds.EndLoad();
    }
    void Declare(FieldKind kind, const char *name, const char *label)
    {
        TField *field = ds.AddField(kind, QString::fromUtf8(name));
        field->SetDisplayLabel(QString::fromUtf8(label));
    }
    void Row(const char *code, const char *name, int copys, const char *notes)
    {
        const QVariant values[] = {QString::fromUtf8(code), QString::fromUtf8(name), copys,
                                   QString::fromUtf8(notes)};
        ds.LoadRow(values);
    }
};

std::unique_ptr<TpzGridBase> MakeGrid(const QString &kind, TDataSet &ds)
{
    std::unique_ptr<TpzGridBase> grid;
    if (kind == QLatin1String("cx"))
        grid = std::make_unique<TpzGridcx>();
    else
        grid = std::make_unique<TpzDBGrid>();
    grid->SetDataSet(&ds);
    // The name column is hidden: it must not leave a gap.
    TGridColumns columns = grid->Columns();
    columns[1].Visible = false;
    grid->SetColumns(columns);
    return grid;
}

} // namespace

class TGridExportTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InstallGridExporters(); }
    void cleanupTestCase()
    {
        TpzGridBase::SetExcelExporter({});
        TpzGridBase::SetHtmlExporter({});
    }

    void exports_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("question");
        const QString cx = QStringLiteral("\r\n导出成功, 共 3 条记录,是否现在就打开?    ");
        const QString db = QStringLiteral("\r\n导出成功,是否现在就打开?    ");
        QTest::newRow("list grid, workbook") << "cx"
                                             << "xlsx" << cx;
        QTest::newRow("plain grid, workbook") << "db"
                                              << "xlsx" << db;
        QTest::newRow("list grid, page") << "cx"
                                         << "html" << cx;
        QTest::newRow("plain grid, page") << "db"
                                          << "html" << db;
    }
    void exports()
    {
        QFETCH(QString, grid);
        QFETCH(QString, format);
        QFETCH(QString, question);
        Rows rows;
        rows.ds.SetSort(QStringLiteral("Copys DESC"));
        auto view = MakeGrid(grid, rows.ds);
        rows.ds.SetRecNo(1);
        const QString current = rows.ds.FieldByName(QStringLiteral("Code"))->AsString();

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("导出.") + format);
        ScriptedPrompter prompts;
        prompts.Answer(file);
        prompts.Answer(1); // do not open it now
        if (format == QLatin1String("xlsx"))
            view->ExportToExcel();
        else
            view->ExportToHtml();

        QCOMPARE(prompts.Texts(), QStringList{question});
        QVERIFY(prompts.History().size() == 2 && prompts.History().last().kind == QLatin1String("message"));
        QCOMPARE(rows.ds.FieldByName(QStringLiteral("Code"))->AsString(), current);

        const QList<QStringList> expected = {{"档案编号", "份数", "备注"},
                                             {"12345678901234567890", "3", "x"},
                                             {"00123", "2", ""},
                                             {"A-2", "1", "\"引号\""}};
        if (format == QLatin1String("xlsx")) {
            TWorkbookReader reader(file);
            const TSheet sheet = reader.ReadSheet(0);
            QCOMPARE(sheet.FirstRow, 1);
            QCOMPARE(sheet.Titles, expected[0]);
            QCOMPARE(sheet.Rows.size(), 3);
            for (int r = 0; r < 3; ++r) {
                QStringList texts;
                for (const QVariant &cell : sheet.Rows[r])
                    texts << CellText(cell);
                while (texts.size() < 3)
                    texts << QString();
                QCOMPARE(texts, expected[r + 1]);
                // Every cell is text, as typed: the code keeps its leading zeros.
                QCOMPARE(sheet.Rows[r].value(0).typeId(), QMetaType::QString);
            }
            // A second reader, where the machine has one: Python's zip and XML modules see the
            // same four rows and the code with its leading zeros.
            const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
            if (!python.isEmpty()) {
                QProcess check;
                check.start(python, {QStringLiteral("-c"), QStringLiteral(R"(
import sys, zipfile, xml.etree.ElementTree as ET
m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
z = zipfile.ZipFile(sys.argv[1])
shared = []
if 'xl/sharedStrings.xml' in z.namelist():
    shared = [''.join(t.text or '' for t in si.iter(m + 't'))
              for si in ET.fromstring(z.read('xl/sharedStrings.xml')).iter(m + 'si')]
def text(c):
    if c.get('t') == 'inlineStr':
        return ''.join(t.text or '' for t in c.iter(m + 't'))
    v = c.find(m + 'v')
    return shared[int(v.text)] if c.get('t') == 's' else (v.text if v is not None else '')
rows = list(ET.fromstring(z.read('xl/worksheets/sheet1.xml')).iter(m + 'row'))
print(len(rows), text(rows[2].find(m + 'c')))
)"),
                                     file});
                QVERIFY(check.waitForFinished(30000));
                QCOMPARE(QString::fromUtf8(check.readAllStandardOutput()).trimmed(),
                         QStringLiteral("4 00123"));
            }
        } else {
            QFile page(file);
            QVERIFY(page.open(QIODevice::ReadOnly));
            const QString text = Gbk::Decode(page.readAll());
            QVERIFY(text.startsWith(QStringLiteral("<html>\r\n<head>\r\n")));
            QVERIFY(text.endsWith(QStringLiteral("</table>\r\n</body>\r\n</html>\r\n")));
            QVERIFY(text.contains(
                QStringLiteral("<tr>\r\n<td nowrap>档案编号&nbsp;</td>\r\n<td nowrap>份数&nbsp;</td>\r\n"
                               "<td nowrap>备注&nbsp;</td>\r\n</tr>\r\n")));
            QVERIFY(text.contains(QStringLiteral("<td nowrap>00123&nbsp;</td>\r\n<td nowrap>2&nbsp;</td>\r\n"
                                                 "<td nowrap>&nbsp;</td>\r\n")));
            QVERIFY(text.contains(QStringLiteral("<td nowrap>&quot;引号&quot;&nbsp;</td>")));
            QVERIFY(!text.contains(QStringLiteral("合同")));
            QCOMPARE(text.count(QStringLiteral("<tr>")), 4);
        }
    }

    // A long export can be cancelled from its progress window; nothing is left behind.
    void cancelledExportLeavesNoFile()
    {
        TDataSet ds;
        ds.AddField(FieldKind::String, QStringLiteral("Code"))->SetDisplayLabel(QStringLiteral("档案编号"));
        ds.BeginLoad();
        for (int r = 0; r < 20000; ++r) {
            const QVariant values[] = {QStringLiteral("A-%1").arg(r)};
            ds.LoadRow(values);
        }
        ds.EndLoad();
        TpzGridcx view;
        view.SetDataSet(&ds);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("big.xlsx"));
        ScriptedPrompter prompts;
        prompts.Answer(file);
        bool sawProgress = false;
        // The progress window lets events through while it counts; the operator cancels there.
        QTimer::singleShot(0, [&] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *progress = qobject_cast<QProgressDialog *>(window)) {
                    sawProgress = true;
                    progress->cancel();
                }
        });
        bool aborted = false;
        try {
            view.ExportToExcel();
        } catch (const EAbort &) {
            aborted = true;
        }
        QVERIFY(sawProgress);
        QVERIFY(aborted);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(prompts.Texts().isEmpty());
    }

    // A cancelled save dialog writes nothing and asks nothing; OK on the question opens the file.
    void cancelAndOpen()
    {
        Rows rows;
        auto view = MakeGrid(QStringLiteral("cx"), rows.ds);
        ScriptedPrompter prompts;
        view->ExportToHtml();
        QVERIFY(prompts.Texts().isEmpty());

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.html"));
        prompts.Answer(file);
        prompts.Answer(0);
        view->ExportToHtml();
        QCOMPARE(prompts.History().last().kind, QStringLiteral("url"));
        QVERIFY(prompts.History().last().text.endsWith(QStringLiteral("/a.html")));
    }
};

PZ_TEST(TGridExportTest)
#include "tst_gridexport.moc"

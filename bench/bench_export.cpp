// Times the export of an archive list to a workbook: through the grid's export (data set,
// shown columns, the program's workbook writer) against writing the same texts with
// libxlsxwriter directly, and reading the result back through the import reader.
//
// Usage: bench_export [rows]

#include "DataGrids.h"
#include "GridExport.h"
#include "ScriptedPrompter.h"
#include "WorkbookReader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cstdio>

namespace {

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

const char *const Labels[] = {"档案编号", "档案名称", "归档部门", "归档人",   "归档日期",
                              "保密级别", "档案份数", "存放地点", "电子文档", "备注"};

void Fill(TDataSet &ds, int rows)
{
    const FieldKind kinds[] = {FieldKind::String,     FieldKind::WideString, FieldKind::WideString,
                               FieldKind::WideString, FieldKind::DateTime,   FieldKind::WideString,
                               FieldKind::Integer,    FieldKind::WideString, FieldKind::WideString,
                               FieldKind::Memo};
    for (int i = 0; i < 10; ++i)
        ds.AddField(kinds[i], QStringLiteral("F%1").arg(i))->SetDisplayLabel(QString::fromUtf8(Labels[i]));
    ds.BeginLoad();
    for (int r = 0; r < rows; ++r) {
        const QVariant values[] = {QStringLiteral("WS-%1").arg(r, 7, 10, QLatin1Char('0')),
                                   QStringLiteral("关于档案管理的第%1号文件").arg(r),
                                   QStringLiteral("办公室"),
                                   QStringLiteral("张三"),
                                   QDateTime(QDate(2013, 1, 1).addDays(r % 3000), QTime()),
                                   QStringLiteral("秘密"),
                                   r % 5 + 1,
                                   QStringLiteral("一号柜第%1层").arg(r % 9),
                                   QStringLiteral("/srv/docs/%1.pdf").arg(r),
                                   QString()};
        ds.LoadRow(values);
    }
    ds.EndLoad();
}

// The baseline: the same cells straight into libxlsxwriter, text-formatted as the export does.
void WriteDirect(const QString &file, const TDataSet &ds)
{
    lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format *text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    for (int c = 0; c < 10; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), Labels[c], text);
    for (int r = 0; r < ds.RecordCount(); ++r)
        for (int c = 0; c < 10; ++c)
            worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c),
                                   ds.DisplayTextAt(r, c).toUtf8().constData(), text);
    workbook_close(workbook);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    TDataSet ds;
    Fill(ds, rows);
    TpzGridcx grid;
    grid.SetDataSet(&ds);
    InstallGridExporters();
    QTemporaryDir dir;

    QElapsedTimer timer;
    timer.start();
    WriteDirect(dir.filePath(QStringLiteral("direct.xlsx")), ds);
    const double direct = Seconds(timer);

    ScriptedPrompter prompts;
    const QString exported = dir.filePath(QStringLiteral("grid.xlsx"));
    prompts.Answer(exported);
    prompts.Answer(1);
    timer.restart();
    grid.ExportToExcel();
    const double throughGrid = Seconds(timer);

    timer.restart();
    const TSheet sheet = TWorkbookReader(exported).ReadSheet(0);
    const double read = Seconds(timer);

    std::printf("rows: %d (read back: %d)\n", rows, int(sheet.Rows.size()));
    std::printf("libxlsxwriter directly: %.3f s\n", direct);
    std::printf("grid export:            %.3f s  ratio %.2f (goal <= 1.3)\n", throughGrid,
                throughGrid / direct);
    std::printf("import reader:          %.3f s  ratio to the direct write %.2f\n", read, read / direct);
    return sheet.Rows.size() == rows ? 0 : 1;
}

#include "GridExport.h"

#include "DataGrids.h"
#include "Prompter.h"
#include "TextExport.h"
#include "WorkbookWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>

namespace {

struct ShownColumns
{
    QStringList header;
    QList<int> fields;
};

// Hidden columns are skipped, so the exported ones are numbered without gaps.
ShownColumns Shown(const TpzGridBase &grid)
{
    ShownColumns shown;
    const TGridColumns columns = grid.Columns();
    for (int position = 0; position < columns.size(); ++position) {
        TField *field = grid.ColumnField(position);
        if (!columns[position].Visible || !field)
            continue;
        shown.header << columns[position].Caption;
        shown.fields << field->Index();
    }
    return shown;
}

// A closed data set exports its header alone.
Exchange::RowSource Records(const TpzGridBase &grid, const ShownColumns &shown)
{
    TDataSet *dataSet = grid.DataSet();
    if (!dataSet || !dataSet->Active())
        return [](QStringList &) { return false; };
    return Exchange::DataSetRows(*dataSet, shown.fields);
}

// A long list shows how far the export has come and can be cancelled; a cancelled export
// leaves no file behind (the writers write aside and rename at the end).
class ExportProgress
{
public:
    explicit ExportProgress(TpzGridBase &grid)
        : m_dialog(QStringLiteral("正在导出..."), QStringLiteral("取消"), 0,
                   grid.DataSet() && grid.DataSet()->Active() ? grid.DataSet()->RecordCount() : 0, &grid)
    {
        m_dialog.setWindowTitle(ProgramCaption());
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
    }
    Exchange::ProgressProc Proc()
    {
        return [this](qint64 done) {
            m_dialog.setValue(int(done));
            // Until the window shows, timers and repaints still run, but no click reaches
            // the program in the middle of an export.
            if (!m_dialog.isVisible())
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return !m_dialog.wasCanceled();
        };
    }

private:
    QProgressDialog m_dialog;
};

// The list grid names the number of records it exported; the plain grid does not.
void OfferToOpen(const TpzGridBase &grid, const QString &fileName, qint64 records)
{
    const QString question =
        dynamic_cast<const TpzGridcx *>(&grid)
            ? QStringLiteral("\r\n导出成功, 共 %1 条记录,是否现在就打开?    ").arg(records)
            : QStringLiteral("\r\n导出成功,是否现在就打开?    ");
    if (Prompter().MessageBox(MsgIcon::Question, QStringLiteral("信息"), question,
                              {QStringLiteral("确定"), QStringLiteral("取消")}) == 0)
        Prompter().OpenUrl(QUrl::fromLocalFile(fileName));
}

} // namespace

void InstallGridExporters()
{
    TpzGridBase::SetExcelExporter(ExportGridToExcel);
    TpzGridBase::SetHtmlExporter(ExportGridToHtml);
}

void ExportGridToExcel(TpzGridBase &grid)
{
    const QString fileName =
        Prompter().SaveFileName(QStringLiteral("导出到Excel文档"),
                                QStringLiteral("Excel工作簿(*.xlsx)|*.xlsx"), QStringLiteral("xlsx"));
    if (fileName.isEmpty())
        return;
    const ShownColumns shown = Shown(grid);
    qint64 records = 0;
    {
        ExportProgress progress(grid);
        records = ExportWorkbook(fileName, shown.header, Records(grid, shown), progress.Proc());
    }
    OfferToOpen(grid, fileName, records);
}

void ExportGridToHtml(TpzGridBase &grid)
{
    const QString fileName = Prompter().SaveFileName(QStringLiteral("导出到Html网页文件"),
                                                     QStringLiteral("网页文件(*.htm;*.html)|*.htm;*.html"),
                                                     QStringLiteral("html"));
    if (fileName.isEmpty())
        return;
    const ShownColumns shown = Shown(grid);
    const qint64 records =
        Exchange::ExportText(fileName, Exchange::TextFormat::Html, Exchange::TextEncoding::Gbk, shown.header,
                             Records(grid, shown));
    OfferToOpen(grid, fileName, records);
}

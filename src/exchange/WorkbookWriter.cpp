#include "WorkbookWriter.h"

#include "Exceptions.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The largest text a spreadsheet cell holds, in UTF-16 units.
constexpr qsizetype MaxCellText = 32767;

QString ErrorText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

TWorkbookWriter::TWorkbookWriter(const QString &fileName) : TWorkbookWriter(fileName, Options()) {}

TWorkbookWriter::TWorkbookWriter(const QString &fileName, const Options &options) : m_fileName(fileName)
{
    const QFileInfo target(fileName);
    if (fileName.trimmed().isEmpty())
        throw EFileError(QStringLiteral("没有指定要写入的文件."));
    if (target.isDir())
        throw EFileError(QStringLiteral("无法写入文件\"%1\": 这是一个文件夹.").arg(fileName));
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw EFileError(QStringLiteral("无法写入文件\"%1\": 文件夹\"%2\"不存在.")
                             .arg(fileName, QDir::toNativeSeparators(folder.absolutePath())));

    // Hidden and unique beside the target, so that the final rename stays on one file system.
    m_partName = folder.absoluteFilePath(
        QStringLiteral(".%1.%2.part").arg(target.fileName(), QUuid::createUuid().toString(QUuid::Id128)));
    m_partPath = QFile::encodeName(m_partName);

    lxw_workbook_options lxwOptions{};
    lxwOptions.constant_memory = options.ConstantMemory ? LXW_TRUE : LXW_FALSE;
    m_workbook = workbook_new_opt(m_partPath.constData(), &lxwOptions);
    if (!m_workbook)
        Fail(QStringLiteral("无法创建临时文件"));

    const QByteArray sheetName = options.SheetName.toUtf8();
    if (const lxw_error error = workbook_validate_sheet_name(m_workbook, sheetName.constData());
        error != LXW_NO_ERROR)
        Fail(QStringLiteral("工作表名称\"%1\"无效(%2)").arg(options.SheetName, ErrorText(error)));
    m_sheet = workbook_add_worksheet(m_workbook, sheetName.constData());
    m_text = workbook_add_format(m_workbook);
    if (!m_sheet || !m_text)
        Fail(QStringLiteral("内存不足"));
    // The built-in text format "@" (number 49), as the spreadsheet program itself stores it.
    format_set_num_format_index(m_text, 49);
    // The whole sheet is text, also the cells left empty, as if every cell had been
    // formatted before anything was typed.
    worksheet_set_column(m_sheet, 0, LXW_COL_MAX - 1, LXW_DEF_COL_WIDTH, m_text);
}

TWorkbookWriter::~TWorkbookWriter()
{
    Discard();
}

void TWorkbookWriter::Fail(const QString &reason)
{
    Discard();
    throw EFileError(QStringLiteral("无法写入文件\"%1\": %2.").arg(m_fileName, reason));
}

void TWorkbookWriter::WriteRow(const QStringList &texts)
{
    if (!m_workbook)
        throw EFileError(QStringLiteral("工作簿\"%1\"已经关闭.").arg(m_fileName));
    if (m_rows >= LXW_ROW_MAX)
        Fail(QStringLiteral("行数超过了工作表的上限 %1 行").arg(LXW_ROW_MAX));
    if (texts.size() > LXW_COL_MAX)
        Fail(QStringLiteral("列数超过了工作表的上限 %1 列").arg(LXW_COL_MAX));
    const lxw_row_t row = lxw_row_t(m_rows);
    for (qsizetype column = 0; column < texts.size(); ++column) {
        const QString &text = texts[column];
        if (text.isEmpty())
            continue;
        if (text.size() > MaxCellText)
            Fail(QStringLiteral("第 %1 行第 %2 列的内容超过了单元格的上限 %3 个字符")
                     .arg(m_rows + 1)
                     .arg(column + 1)
                     .arg(MaxCellText));
        const QByteArray utf8 = text.toUtf8();
        const lxw_error error =
            worksheet_write_string(m_sheet, row, lxw_col_t(column), utf8.constData(), m_text);
        if (error != LXW_NO_ERROR)
            Fail(ErrorText(error));
    }
    ++m_rows;
}

void TWorkbookWriter::Commit()
{
    if (!m_workbook)
        throw EFileError(QStringLiteral("工作簿\"%1\"已经关闭.").arg(m_fileName));
    lxw_workbook *workbook = m_workbook;
    m_workbook = nullptr; // closing frees it, whatever the outcome
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        const QString reason = Paths::FailureReason(QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(m_partName);
        throw EFileError(
            QStringLiteral("无法写入文件\"%1\": %2 (%3).").arg(m_fileName, ErrorText(error), reason));
    }
    if (std::rename(m_partPath.constData(), QFile::encodeName(m_fileName).constData()) != 0) {
        const QString reason = Paths::FailureReason(QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(m_partName);
        throw EFileError(QStringLiteral("无法写入文件\"%1\": %2.").arg(m_fileName, reason));
    }
}

void TWorkbookWriter::Discard()
{
    if (m_workbook) {
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
    }
    QFile::remove(m_partName);
}

qint64 ExportWorkbook(const QString &fileName, const QStringList &header, const Exchange::RowSource &rows,
                      const Exchange::ProgressProc &progress)
{
    TWorkbookWriter writer(fileName);
    writer.WriteRow(header);
    Exchange::ProgressTicker ticker(progress);
    QStringList row;
    while (rows && rows(row)) {
        writer.WriteRow(row);
        ticker.Tick();
    }
    ticker.Finish();
    writer.Commit();
    return ticker.Done();
}

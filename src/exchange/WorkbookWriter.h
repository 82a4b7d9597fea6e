#pragma once
// Writes a spreadsheet workbook (.xlsx) of one sheet of text cells. Every cell of the sheet is
// formatted as text, so a value such as 00123 or a long number stays exactly as given. Rows
// are written in order, top to bottom, each from column 1 without gaps.
//
// The workbook is built in a temporary file in the target folder and renamed over the target
// only by Commit: a failure, a cancel or a writer destroyed without Commit leaves the target
// as it was and no partial file behind. Errors raise EFileError with a message for the user.

#include "ExchangeTypes.h"

#include <QString>
#include <QStringList>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class TWorkbookWriter
{
public:
    struct Options
    {
        QString SheetName = QStringLiteral("Sheet1");
        // Keeps one row in memory at a time (texts stored in the cells themselves); off, the
        // texts go to the workbook's shared-string table and all rows are held until Commit.
        bool ConstantMemory = true;
    };

    explicit TWorkbookWriter(const QString &fileName);
    TWorkbookWriter(const QString &fileName, const Options &options);
    ~TWorkbookWriter();
    TWorkbookWriter(const TWorkbookWriter &) = delete;
    TWorkbookWriter &operator=(const TWorkbookWriter &) = delete;

    const QString &FileName() const { return m_fileName; }
    // Writes the next row (row 1 first); empty texts leave their cells empty.
    void WriteRow(const QStringList &texts);
    int RowsWritten() const { return m_rows; }
    // Finishes the workbook and puts it in place of the target file.
    void Commit();
    // Drops everything written; the target stays as it was.
    void Discard();

private:
    [[noreturn]] void Fail(const QString &reason);

    QString m_fileName;
    QString m_partName;
    QByteArray m_partPath;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_text = nullptr;
    int m_rows = 0;
};

// The sheet layout of the grid export: the header in row 1, one row per record from row 2.
// Answers the number of records written. A cancel through the progress report ends with
// EAbort and leaves the target as it was.
qint64 ExportWorkbook(const QString &fileName, const QStringList &header, const Exchange::RowSource &rows,
                      const Exchange::ProgressProc &progress = {});

#pragma once
// Reads the sheets of a spreadsheet file for the import: .xlsx workbooks, .xls workbooks and
// comma-separated text (.csv, in GBK or UTF-8). The kind is taken from the file's content,
// so a workbook saved under another extension is still read; a file that is not a
// workbook is read as comma-separated text only when its name ends in .csv.
//
// A sheet is a table: the first row of the used area gives the column titles, the rows below
// it are the records. Cell values come as the file holds them:
// - null for an empty cell (also an empty text);
// - text (QString) for texts, and for dates: a number formatted as a date becomes
//   "yyyy-mm-dd", or "yyyy-mm-dd hh:nn:ss" when the format or the value has a time of day
//   ("hh:nn:ss" for a time without a day);
// - a double for other numbers, a bool for logical cells; an error cell gives its text (#N/A).
// A damaged, encrypted or empty file raises EFileError with a message for the user.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

struct TSheet
{
    QString Name;
    // One title per column, from the first row of the used area; an empty title cell gives
    // "F" followed by the column's number within the table (F1, F2, ...).
    QStringList Titles;
    // The records below the title row, blank ones included, in sheet order. A row may hold
    // fewer values than there are titles: the missing cells are empty.
    QList<QVariantList> Rows;
    // The sheet's own number (from 1) of the title row.
    int FirstRow = 1;

    int ColumnCount() const { return int(Titles.size()); }
    int RowCount() const { return int(Rows.size()); }
    QVariant Cell(int row, int column) const;
    // The number the spreadsheet program shows for the record `row` (from 0).
    int SheetRow(int row) const { return FirstRow + 1 + row; }
};

namespace ReaderParts {
class BookSource;
}

class TWorkbookReader
{
public:
    // Opens the file and reads its list of sheets.
    explicit TWorkbookReader(const QString &fileName);
    ~TWorkbookReader();
    TWorkbookReader(const TWorkbookReader &) = delete;
    TWorkbookReader &operator=(const TWorkbookReader &) = delete;

    const QString &FileName() const { return m_fileName; }
    // The sheets in the workbook's order (a .csv file has one, named after the file).
    QStringList SheetNames() const;
    TSheet ReadSheet(int index) const;
    // By name; an unknown name raises EFileError.
    TSheet ReadSheet(const QString &name) const;

private:
    QString m_fileName;
    std::unique_ptr<ReaderParts::BookSource> m_source;
};

// The text of a cell value for places that need text: numbers without exponent when they
// are whole, logical values as "True"/"False", null as empty text.
QString CellText(const QVariant &value);

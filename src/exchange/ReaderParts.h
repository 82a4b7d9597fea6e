#pragma once
// The pieces behind TWorkbookReader: one source per file kind, the assembly of a sheet from
// scattered cells, and the conversion of spreadsheet date numbers. Not part of the module's
// interface.

#include "WorkbookReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace ReaderParts {

class BookSource
{
public:
    virtual ~BookSource() = default;
    virtual QStringList SheetNames() const = 0;
    virtual TSheet ReadSheet(int index) const = 0;
};

std::unique_ptr<BookSource> OpenXlsx(const QString &fileName);
std::unique_ptr<BookSource> OpenXls(const QString &fileName);
std::unique_ptr<BookSource> OpenCsv(const QString &fileName, const QByteArray &content);

// Collects the cells of a sheet in any order (rows and columns from 0) and makes the table:
// the used area starts at the first row and the first column that hold a value.
class SheetBuilder
{
public:
    void SetCell(int row, int column, const QVariant &value);
    TSheet Finish(const QString &name);

private:
    QList<QVariantList> m_rows;
    int m_firstRow = -1;
    int m_firstColumn = -1;
    int m_lastColumn = -1;
};

// How a number format shows a number.
enum class NumberShape { Number, Date, Time, DateTime };

// The shape of a format code as the workbook writes it ("yyyy-mm-dd", "0.00", "h:mm" ...).
NumberShape ShapeOfFormatCode(const QString &formatCode);
// The shape of the workbook formats that have a fixed number.
NumberShape ShapeOfBuiltinFormat(int formatId);
// A day number of the workbook (days since 1899-12-30, or since 1904-01-01 for workbooks in
// the 1904 system) as text in the given shape; null for a number that is no date.
QVariant SerialDateText(double serial, NumberShape shape, bool date1904);

// The message texts shared by the sources.
QString DamagedMessage(const QString &fileName);
QString EncryptedMessage(const QString &fileName);

} // namespace ReaderParts

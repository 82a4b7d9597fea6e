// .xls workbooks (the binary format of the older spreadsheet versions), read through FreeXL,
// which already turns texts into UTF-8 and numbers formatted as dates into date texts.

#include "Exceptions.h"
#include "ReaderParts.h"

#include <QFile>

#include <freexl.h>

namespace ReaderParts {

namespace {

// An encrypted .xlsx package is a compound file too; its contents sit in a stream of this
// name, in UTF-16 in the file's directory.
bool IsEncryptedPackage(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString marker = QStringLiteral("EncryptedPackage");
    const QByteArray utf16(reinterpret_cast<const char *>(marker.utf16()), marker.size() * 2);
    return file.readAll().contains(utf16);
}

class XlsBook : public BookSource
{
public:
    explicit XlsBook(const QString &fileName) : m_fileName(fileName)
    {
        const QByteArray path = QFile::encodeName(fileName);
        const int opened = freexl_open(path.constData(), &m_handle);
        if (opened != FREEXL_OK) {
            Close();
            throw EFileError(IsEncryptedPackage(fileName) ? EncryptedMessage(fileName)
                                                          : DamagedMessage(fileName));
        }
        unsigned int info = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
            info == FREEXL_BIFF_OBFUSCATED) {
            Close();
            throw EFileError(EncryptedMessage(fileName));
        }
        unsigned int count = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
            Close();
            throw EFileError(DamagedMessage(fileName));
        }
        for (unsigned int i = 0; i < count; ++i) {
            const char *name = nullptr;
            if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) != FREEXL_OK) {
                Close();
                throw EFileError(DamagedMessage(fileName));
            }
            m_names << QString::fromUtf8(name ? name : "");
        }
    }
    ~XlsBook() override { Close(); }
    XlsBook(const XlsBook &) = delete;
    XlsBook &operator=(const XlsBook &) = delete;

    QStringList SheetNames() const override { return m_names; }

    TSheet ReadSheet(int index) const override
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK ||
            freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            throw EFileError(DamagedMessage(m_fileName));
        SheetBuilder builder;
        for (unsigned int row = 0; row < rows; ++row) {
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(m_handle, row, column, &cell) != FREEXL_OK)
                    throw EFileError(DamagedMessage(m_fileName));
                builder.SetCell(int(row), int(column), Value(cell));
            }
        }
        return builder.Finish(m_names[index]);
    }

private:
    static QVariant Value(const FreeXL_CellValue &cell)
    {
        switch (cell.type) {
        case FREEXL_CELL_INT:
            return double(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return cell.value.double_value;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_TIME: {
            const QString text = QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "");
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        case FREEXL_CELL_DATETIME: {
            QString text = QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "");
            // A date and time at midnight reads as the date alone, as everywhere else.
            if (text.endsWith(QLatin1String(" 00:00:00")))
                text.chop(9);
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        default:
            return {};
        }
    }

    void Close()
    {
        if (m_handle)
            freexl_close(m_handle);
        m_handle = nullptr;
    }

    QString m_fileName;
    const void *m_handle = nullptr;
    QStringList m_names;
};

} // namespace

std::unique_ptr<BookSource> OpenXls(const QString &fileName)
{
    return std::make_unique<XlsBook>(fileName);
}

} // namespace ReaderParts

#pragma once
// Exports of a header and rows of texts to a text file: tab-separated text, comma-separated
// text and the HTML table page. The file is written to a temporary file and put in place of
// the target only when complete, so a failure or a cancel leaves the target as it was.
//
// Every line ends with CR LF. The layouts:
// - Tab: per line, each text followed by a TAB (the line ends with a TAB, as the delimited
//   exports always did); a TAB, CR or LF inside a text becomes one blank, so a record is always
//   one line with one field per column.
// - Csv: the fields of a line joined by commas; a field holding a comma, a double quote, CR
//   or LF is put in double quotes with each double quote doubled.
// - Html: the table page of the grid export, one line per cell, with a <meta charset> line
//   naming the encoding; &, <, > and " in the texts are written as entities and a line break
//   inside a text as <br>, so that a cell stays on its line.

#include "ExchangeTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Exchange {

enum class TextFormat { Tab, Csv, Html };

enum class TextEncoding {
    Gbk,  // the Chinese code page (written as GB18030, which keeps GBK's bytes)
    Utf8, // comma-separated text gets a byte-order mark so that spreadsheet programs see UTF-8
};

// The texts of the layouts, for tests and previews: one record as it is written (without the
// line end for Tab and Csv, the whole table row for Html).
QString TabLine(const QStringList &texts);
QString CsvLine(const QStringList &texts);
QString HtmlEscaped(const QString &text);

// The extension the save dialogs offer for each format ("txt", "csv", "html").
QString DefaultSuffix(TextFormat format);

// Writes the file and answers the number of records written. File errors raise EFileError;
// a cancel through the progress report raises EAbort.
qint64 ExportText(const QString &fileName, TextFormat format, TextEncoding encoding,
                  const QStringList &header, const RowSource &rows, const ProgressProc &progress = {});

} // namespace Exchange

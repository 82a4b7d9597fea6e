#pragma once
// The logic of the import wizard, without its window: which sheet column feeds which target
// field, and the pass that turns the non-blank rows of a sheet into records of the host's
// target data set. The host (the archive importer) says which fields can be filled, how one
// value is stored, and how the reviewed records are saved.

#include "ExchangeTypes.h"
#include "WorkbookReader.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class TDataSet;
class TField;

namespace Exchange {

// What a host gives the wizard.
struct TImportHooks
{
    // Fills the list with the target fields in the order in which they are mapped.
    std::function<void(QList<TField *> &fields)> GetFields;
    // Stores one value into a field of the record just appended to the target data set.
    std::function<void(TField *field, const QVariant &value)> SetValue;
    // Saves every record of the target data set, telling the progress report how many are done;
    // true when all were saved.
    std::function<bool(const ProgressProc &progress)> Save;
    // Drops the records appended by an import, so that the next import starts empty.
    std::function<void()> Reset;
};

// One row of the mapping: a target field and the title of the sheet column that feeds it
// (empty: the field gets nothing from the sheet).
struct TFieldMapping
{
    TField *Target = nullptr;
    QString Source;
};

// One row per target field, in order; the source is preset to the first sheet title equal to
// the field's display label, letter case ignored, and left empty when there is none.
QList<TFieldMapping> PresetMapping(const QList<TField *> &targets, const QStringList &titles);

// The column of the sheet a source title names (first match, letter case ignored); -1 when
// the title is empty or not among the sheet's titles.
int SourceColumn(const QStringList &titles, const QString &source);

// A row is blank when every cell is empty or holds a text that is empty after trimming.
bool IsBlankRow(const QVariantList &cells);

// Appends one target record per non-blank sheet row, in sheet order: for each mapping row
// whose source names a sheet column, the cell's value goes with the target field to
// `setValue`; then the record is posted. Answers the number of records appended.
//
// The target's bound views do not repaint meanwhile; afterwards they are told once and the
// target stands on its first record, also after a failure. A value that `setValue` refuses
// ends the pass with EConvertError whose message names the sheet row; the record being built
// is dropped, the records appended before it stay. The progress report counts sheet rows.
int AppendSheetRows(const TSheet &sheet, const QList<TFieldMapping> &mapping, TDataSet &target,
                    const std::function<void(TField *, const QVariant &)> &setValue,
                    const ProgressProc &progress = {});

} // namespace Exchange

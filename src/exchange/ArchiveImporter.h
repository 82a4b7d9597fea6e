#pragma once
// The archive side of the spreadsheet import. The importer says which archive fields a sheet
// can fill (code, name, category, filing date, security level, storage place, notes), stores
// one sheet value into the archive being built, holding the built archives in a review list,
// and saves the reviewed archives as new archives, all of them or none.
//
// A category is given by its whole name and looked up among the categories as they were at
// the first lookup; a name that matches none leaves the archive without category. No
// category is ever created, and archive codes are not checked for duplicates.
//
// Use by the import wizard: Hooks() gives the wizard's callbacks; ReviewList() is the target
// data set that the wizard appends to and shows for review; TemplatePath() the sample
// workbook beside the program.

#include "Archive.h"
#include "ExchangeTypes.h"
#include "SheetImport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QVariant>

class TArchiveImporter : public QObject
{
    Q_OBJECT
public:
    // Opens the review list at once: empty, with every archive column.
    explicit TArchiveImporter(QObject *owner = nullptr);
    ~TArchiveImporter() override;

    TArchiveSet *ReviewList() const { return m_review; }

    // Clears the list and fills it with the seven target fields in mapping order; answers
    // the index of the last one.
    int ListTargetFields(QList<TField *> &fields) const;
    // Stores the value into the field of the review row being appended. Dates take
    // "yyyy-mm-dd" with "-", "/" or "." between the parts, or the form with 年, 月 and 日,
    // optionally with a time of day; numbers must be whole. A value the field cannot take
    // raises EConvertError naming the field and the value. An empty value leaves the field
    // empty.
    void SetTargetValue(TField *field, const QVariant &value);
    // Saves every review row as a new archive in one transaction. False (and nothing saved)
    // when a row could not be saved; FailedRow() then names it. An error rolls everything
    // back and goes on to the caller, its message naming the row.
    bool SaveRows(const Exchange::ProgressProc &progress = {});
    // The review row (from 0) that stopped the last SaveRows, or -1.
    int FailedRow() const { return m_failedRow; }
    // Drops the review rows: the list is read again and is empty.
    void ResetRows();

    // The callbacks for the import wizard, bound to this importer.
    Exchange::TImportHooks Hooks();

    // The sample workbook that shows the expected columns.
    static QString TemplatePath();

private:
    void LoadCategories();

    TArchiveSet *m_review;
    TCataSet *m_catas = nullptr;
    QHash<QString, QPair<int, QString>> m_catasByName;
    int m_failedRow = -1;
};

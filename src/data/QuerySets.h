#pragma once
// The bases of every list and every search-condition record. Rows read into a list are a
// client-side copy: editing or deleting them never writes to the database.

#include "DataSet.h"
#include "Database.h"

#include <QObject>

#include <functional>

// What every list and condition record shares: its own data set, with declared fields.
class DataSetOwner : public QObject
{
    Q_OBJECT
public:
    TDataSet *DataSet() const { return m_dataSet; }

protected:
    explicit DataSetOwner(QObject *owner);
    ~DataSetOwner() override;
    // A field of the name, kind, caption and visibility; its size is the kind's default.
    TField *DeclareField(FieldKind kind, const QString &name, bool visible, const QString &caption);
    // The same for a list read from the database: texts are never cut (size 0).
    TField *DeclareListField(FieldKind kind, const QString &name, bool visible, const QString &caption);

    TDataSet *m_dataSet;
};

// A list read by a parameterised SELECT on the one connection.
class TQuerySet : public DataSetOwner
{
    Q_OBJECT
public:
    explicit TQuerySet(QObject *owner = nullptr);
    ~TQuerySet() override;

    // Runs the statement and answers the number of rows. A failing SELECT shows the SQL error
    // box, and then the closed-data-set error ends the caller.
    int Open(const QString &statement, const TDBParameters &params = {});
    // Declares a field with display width 75. The size is the width in characters the column
    // was laid out for; it never limits a value: texts are read, shown and handed back whole.
    TField *AddField(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);
    // Reopens with the same statement and parameters without flicker, then moves to the row
    // whose field of the key field's name holds the value the key field held before. A reopen
    // that fails leaves the set closed and raises the error to the caller.
    void Reload(TField *keyField = nullptr);
    QString SqlText() const { return m_statement; }
    // Keeps the cached rows in step with a record just saved: the row whose key field holds
    // `key` is changed, or a row is appended, and `fill` writes the record into it. A list
    // that was never opened has no rows to keep in step; its next query reads the record.
    void MirrorRow(const QString &keyName, const QVariant &key, const std::function<void()> &fill);

protected:
    QString m_statement;
    TDBParameters m_params;
};

// A list over a statement text; also the scratch set for one-off reads. Without declared
// fields every result column becomes a field of its name.
class TRecordSet : public DataSetOwner
{
    Q_OBJECT
public:
    explicit TRecordSet(QObject *owner = nullptr);
    ~TRecordSet() override;

    QString SqlText() const { return m_statement; }
    int Open(const QString &statement, const TDBParameters &params = {});
    // As TQuerySet::AddField (texts kept whole), without a display width.
    TField *AddField(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);
    // Deletes the current cached row (when there is one).
    virtual void DeleteRow();
    // Deletes every cached row.
    virtual void ClearRows();
    // The field's text of every row joined by the separator; the cursor ends past the last row.
    QString JoinValues(TField *field, const QString &separator);

protected:
    QString m_statement;
    bool m_declared = false;
};

// An in-memory data set defined field by field.
class TPzClientDataSet : public DataSetOwner
{
    Q_OBJECT
public:
    explicit TPzClientDataSet(QObject *owner = nullptr);
    ~TPzClientDataSet() override;

    TField *AddField(FieldKind kind, const QString &name, bool visible, const QString &caption);
    // A field definition: sizes above 20 give min(size, 140); 20 or less the kind's default.
    TField *AddFieldDef(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);
};

// A one-record form of search conditions that input controls bind to. Subclasses declare
// their conditions with AddFieldDef and then call CreateRecord; the record stays in the
// appending state for the object's whole life.
class TCustomWhere : public TPzClientDataSet
{
    Q_OBJECT
public:
    explicit TCustomWhere(QObject *owner = nullptr);
    // Drops every condition value: afterwards each condition field is null.
    virtual void Reset();
    // Asks the bound controls to write the values still being typed into the record.
    void FlushEdits();

protected:
    void CreateRecord();
};

// The process-wide scratch set for one-off reads (see InitDataModule).
extern TRecordSet *SharedRecordSet;

// The SQL error box text of a failed list.
QString SqlErrorText(const QString &statement, const QString &message);

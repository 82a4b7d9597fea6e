#pragma once
// The bases of every list and every search-condition record. Rows read into a list are a
// client-side copy: editing or deleting them never writes to the database.

#include "DataSet.h"
#include "Database.h"

#include <QObject>

// A list read by a parameterised SELECT on the one connection.
class TQuerySet : public QObject
{
    Q_OBJECT
public:
    explicit TQuerySet(QObject *owner = nullptr);
    ~TQuerySet() override;

    TDataSet *DataSet() const { return m_dataSet; }
    // Runs the statement and answers the number of rows. A failing SELECT shows the SQL error
    // box, and then the closed-data-set error ends the caller.
    int Open(const QString &statement, const TDBParameters &params = {});
    // Declares a field (display width 75; a negative size keeps the kind's default).
    TField *AddField(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);
    // Reopens with the same statement and parameters without flicker, then moves to the row
    // whose field of the key field's name holds the value the key field held before.
    void Reload(TField *keyField = nullptr);
    QString SqlText() const { return m_statement; }

protected:
    TDataSet *m_dataSet;
    QString m_statement;
    TDBParameters m_params;
};

// A list over a statement text; also the scratch set for one-off reads. Without declared
// fields every result column becomes a field of its name.
class TRecordSet : public QObject
{
    Q_OBJECT
public:
    explicit TRecordSet(QObject *owner = nullptr);
    ~TRecordSet() override;

    TDataSet *DataSet() const { return m_dataSet; }
    QString SqlText() const { return m_statement; }
    int Open(const QString &statement, const TDBParameters &params = {});
    TField *AddField(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);
    // Deletes the current cached row (when there is one).
    virtual void DeleteRow();
    // Deletes every cached row.
    virtual void ClearRows();
    // The field's text of every row joined by the separator; the cursor ends past the last row.
    QString JoinValues(TField *field, const QString &separator);

protected:
    TDataSet *m_dataSet;
    QString m_statement;
    bool m_declared = false;
};

// An in-memory data set defined field by field.
class TPzClientDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TPzClientDataSet(QObject *owner = nullptr);
    ~TPzClientDataSet() override;

    TDataSet *DataSet() const { return m_dataSet; }
    TField *AddField(FieldKind kind, const QString &name, bool visible, const QString &caption);
    // A field definition: sizes above 20 give min(size, 140); 20 or less the kind's default.
    TField *AddFieldDef(FieldKind kind, const QString &name, int size, bool visible, const QString &caption);

protected:
    TDataSet *m_dataSet;
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

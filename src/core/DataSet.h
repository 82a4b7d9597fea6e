#pragma once
// The client-side data set: declared fields, cached rows, a cursor, editing of the cache,
// client-side sort and filter texts, and suspend/resume of bound views.
//
// Rows are stored column by column (numbers in plain vectors, texts in one UTF-16 arena per
// column) so that a million rows of fifteen columns stay compact and fast to sort and filter.
// The cursor moves over the visible rows: those that pass the filter, in sort order.
// Row numbers below are positions among the visible rows (0-based) unless called physical.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class TDataSet;

enum class FieldKind {
    Integer,  // 32-bit signed
    LargeInt, // 64-bit signed (sizes in bytes, which pass 2 GiB)
    Float,    // double
    Boolean,
    DateTime,   // date with time of day
    String,     // short text (GBK bytes where it crosses a file boundary)
    WideString, // short text
    Memo,       // long text, never cut
    Blob,       // bytes
    Variant,    // any value, as read (fields made from result columns of undeclared sets)
};

enum class DataSetState { Inactive, Browse, Edit, Insert };

// Default size of a short-text field whose size was never set.
constexpr int DefaultStringSize = 20;

class TField
{
public:
    const QString &FieldName() const { return m_name; }
    FieldKind Kind() const { return m_kind; }
    bool IsText() const; // String, WideString or Memo
    int Index() const { return m_index; }
    TDataSet *DataSet() const { return m_dataSet; }

    QString DisplayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void SetDisplayLabel(const QString &label) { m_label = label; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int width) { m_displayWidth = width; }
    // Short-text fields: the number of characters kept; longer values are cut when read or set.
    // 0 keeps every text whole (what lists read from the database use).
    int Size() const { return m_size; }
    void SetSize(int size) { m_size = size; }
    bool Calculated() const { return bool(m_calc); }

    // The value in the current record (the edit buffer while editing or inserting).
    QVariant Value() const;
    void SetValue(const QVariant &value);
    bool IsNull() const;
    void Clear() { SetValue(QVariant()); }

    QString AsString() const;
    void SetAsString(const QString &text);
    int AsInteger() const; // null reads 0; a text that is not a number raises EConvertError
    void SetAsInteger(int value) { SetValue(value); }
    qint64 AsLargeInt() const; // as AsInteger, over the whole 64-bit range
    void SetAsLargeInt(qint64 value) { SetValue(value); }
    double AsFloat() const;
    void SetAsFloat(double value) { SetValue(value); }
    bool AsBoolean() const; // null reads false
    void SetAsBoolean(bool value) { SetValue(value); }
    QDateTime AsDateTime() const; // null reads an invalid date-time
    void SetAsDateTime(const QDateTime &value) { SetValue(value); }
    // The text a grid shows: dates as "yyyy-mm-dd", with " hh:nn:ss" when there is a time of day.
    QString DisplayText() const;

private:
    friend class TDataSet;
    TField(TDataSet *dataSet, FieldKind kind, const QString &name, int index);

    TDataSet *m_dataSet;
    FieldKind m_kind;
    QString m_name;
    QString m_label;
    int m_index;
    int m_size;
    int m_displayWidth = 0;
    bool m_visible = true;
    std::function<QVariant(const TDataSet &, int physicalRow)> m_calc;
};

// Converts a value to what a field of the kind holds (text cut to `size` when size > 0).
// Null stays null; a value that does not convert raises EDatabaseError naming the field.
QVariant CoerceToKind(const QVariant &value, FieldKind kind, int size, const QString &fieldName);
// Display text of a value of the kind (see TField::DisplayText).
QString DisplayTextOf(const QVariant &value, FieldKind kind);

class TDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TDataSet(QObject *parent = nullptr);
    ~TDataSet() override;

    // ---- structure (fields may be added or cleared only while the set is closed) ----
    TField *AddField(FieldKind kind, const QString &name, int size = -1);
    // A calculated field: its value is computed from the physical row on every read.
    TField *AddCalcField(FieldKind kind, const QString &name,
                         std::function<QVariant(const TDataSet &, int physicalRow)> calc);
    void ClearFields();
    int FieldCount() const { return int(m_fields.size()); }
    TField *Field(int index) const { return m_fields[size_t(index)].get(); }
    // Letter case does not matter. FindField answers nullptr, FieldByName raises
    // EDatabaseError naming the field when there is no such field.
    TField *FindField(const QString &name) const;
    TField *FieldByName(const QString &name) const;

    // ---- life ----
    bool Active() const { return m_state != DataSetState::Inactive; }
    // Opens the set empty with its declared fields (in-memory sets).
    void CreateDataSet();
    // Closes the set: rows, sort text and filter text are dropped, fields stay.
    void Close();
    // Filling from a result: BeginLoad opens the set empty; LoadRow appends one row whose
    // values are given per field index (calculated fields ignored; values are coerced to the
    // field kinds); EndLoad puts the cursor on the first row and tells the bound views.
    void BeginLoad();
    void LoadRow(const QVariant *values);
    void EndLoad();

    // ---- cursor over the visible rows ----
    // RecordCount and the moves raise EDatabaseError (the closed-data-set message) when the set
    // is closed.
    int RecordCount() const;
    bool IsEmpty() const;
    int RecNo() const;      // -1 when there is no current row
    void SetRecNo(int row); // a row out of range is ignored
    void First();
    void Last();
    void Next();
    void Prior();
    void MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    // Moves to the first visible row whose field equals the value (exact match).
    bool Locate(const QString &fieldName, const QVariant &value);
    // The physical row of the current record (-1 when none) and back.
    int Bookmark() const;
    bool GotoBookmark(int physicalRow);
    int PhysicalRow(int row) const; // physical row of a visible row

    // ---- editing the cache (nothing is ever written to a database) ----
    DataSetState State() const { return m_state; }
    void Append(); // a new record at the end, in the edit buffer until Post
    void Insert(); // a new record before the current one
    void Edit();   // raises EDatabaseError on an empty set
    void Post();   // the cursor goes to a posted new record; moving the cursor posts first
    void Cancel(); // drops the edit buffer
    // Removes the current row; the cursor stays at the same position (the new last row when the
    // last was removed). Deleting a record being inserted cancels it.
    void Delete();
    // Removes every visible row at once (what a row-by-row Delete would do, without its cost).
    void DeleteAll();
    // Asks the bound controls to write their pending values into the edit buffer.
    void UpdateRecord();

    // ---- values by visible row, for views and exporters ----
    QVariant ValueAt(int row, int fieldIndex) const;
    QString DisplayTextAt(int row, int fieldIndex) const;
    QVariant PhysicalValue(int physicalRow, int fieldIndex) const;
    // Writes a value into a stored row (not the edit buffer); used by batch changes.
    void SetValueAt(int row, int fieldIndex, const QVariant &value);

    // ---- client-side order and filter ----
    // Sort text: field names, each optionally followed by ASC or DESC, separated by commas
    // ("Code, Name DESC"); empty restores the natural order. An unknown field raises EDatabaseError.
    QString Sort() const { return m_sortText; }
    void SetSort(const QString &sortText);
    // Filter text: comparisons "Field op value" (op =, <>, <, >, <=, >=, like) joined by and/or
    // with parentheses; values 'text' (a quote doubled inside), numbers, #date#, null; like
    // patterns take % and * for any text and _ for one character, without regard to letter
    // case. A text that does not parse raises EDatabaseError and leaves the filter unchanged.
    QString Filter() const { return m_filterText; }
    void SetFilter(const QString &filterText);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);

    // ---- bound views ----
    void DisableControls();
    void EnableControls(); // the last one tells the views to reread everything
    bool ControlsDisabled() const { return m_disableCount > 0; }

signals:
    void DataReset();         // everything may have changed
    void RowChanged(int row); // values of a visible row changed
    void RowInserted(int row);
    void RowRemoved(int row);
    void CurrentChanged(int row);
    void StateChanged();
    void UpdateRecordRequested();
    void FieldChanged(int fieldIndex); // a value of the edit buffer was set

public:
    // The row storage, defined in DataSetStorage.h for the data set's own sources only.
    struct Column;
    class Storage;

private:
    friend class TField;
    friend class TDataSetFilter;

    QVariant CurrentValue(int fieldIndex) const;
    void SetCurrentValue(int fieldIndex, const QVariant &value);
    void RequireActive() const;
    void RebuildView();
    void NotifyReset();
    void SetCurrent(int row);
    void OpenEmpty();
    void CheckBrowseMode();
    void StartInsert(int position);
    void SetState(DataSetState state);
    void ApplyOrder();
    void SortView();
    bool Quiet();

    std::vector<std::unique_ptr<TField>> m_fields;
    std::unique_ptr<Storage> m_storage;
    std::vector<quint32> m_view;    // visible rows, in order: physical row numbers
    std::vector<QVariant> m_buffer; // edit buffer
    DataSetState m_state = DataSetState::Inactive;
    int m_current = -1;
    int m_insertAt = -1; // visible position of a record being inserted
    QString m_sortText;
    QString m_filterText;
    bool m_filtered = false;
    int m_disableCount = 0;
    bool m_pendingReset = false;
    bool m_eof = true;
    bool m_bof = true;
    std::vector<bool> m_bufferChanged;            // fields set since Edit, written back by Post
    std::vector<std::pair<int, bool>> m_sortKeys; // field index, descending
};

#pragma once
// What the exporters and importers share: rows handed over one at a time, so that a large
// list is written without first being copied, and a progress report that may cancel.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TDataSet;

namespace Exchange {

// Fills `row` with the texts of the next record and answers true, or answers false when there
// are no more records. Called until it answers false.
using RowSource = std::function<bool(QStringList &row)>;

// Told how many records are done so far; answering false cancels the operation, which then
// leaves nothing behind and ends with the silent abort (EAbort).
using ProgressProc = std::function<bool(qint64 done)>;

// How often the progress report is called while rows are written or read.
constexpr qint64 ProgressStep = 256;

// A row source over fixed rows.
RowSource RowsOf(const QList<QStringList> &rows);

// A row source over the visible records of a data set, in its current order and filter,
// with the given fields (by index) in the given order. Each text is the field's plain text:
// dates as "yyyy-mm-dd" (with the time of day when there is one), null as empty text. The
// data set's cursor is not moved.
RowSource DataSetRows(const TDataSet &dataSet, const QList<int> &fieldIndexes);

// The display labels of the fields, in the given order: the header that goes with DataSetRows.
QStringList DataSetHeader(const TDataSet &dataSet, const QList<int> &fieldIndexes);

// Calls the progress report every ProgressStep records (and when asked to at the end); a
// cancel raises EAbort.
class ProgressTicker
{
public:
    explicit ProgressTicker(ProgressProc progress) : m_progress(std::move(progress)) {}
    void Tick();   // one more record done
    void Finish(); // the final count, when it was not just reported
    qint64 Done() const { return m_done; }

private:
    void Report();
    ProgressProc m_progress;
    qint64 m_done = 0;
    qint64 m_reported = -1;
};

} // namespace Exchange

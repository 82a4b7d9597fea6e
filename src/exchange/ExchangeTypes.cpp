#include "ExchangeTypes.h"

#include "DataSet.h"
#include "Exceptions.h"

#include <memory>

namespace Exchange {

RowSource RowsOf(const QList<QStringList> &rows)
{
    auto next = std::make_shared<qsizetype>(0);
    return [rows, next](QStringList &row) {
        if (*next >= rows.size())
            return false;
        row = rows[(*next)++];
        return true;
    };
}

RowSource DataSetRows(const TDataSet &dataSet, const QList<int> &fieldIndexes)
{
    auto next = std::make_shared<int>(0);
    const TDataSet *set = &dataSet;
    return [set, fieldIndexes, next](QStringList &row) {
        if (!set->Active() || *next >= set->RecordCount())
            return false;
        row.clear();
        row.reserve(fieldIndexes.size());
        for (const int index : fieldIndexes)
            row << set->DisplayTextAt(*next, index);
        ++*next;
        return true;
    };
}

QStringList DataSetHeader(const TDataSet &dataSet, const QList<int> &fieldIndexes)
{
    QStringList header;
    for (const int index : fieldIndexes)
        header << dataSet.Field(index)->DisplayLabel();
    return header;
}

void ProgressTicker::Tick()
{
    ++m_done;
    if (m_done % ProgressStep == 0)
        Report();
}

void ProgressTicker::Finish()
{
    if (m_reported != m_done)
        Report();
}

void ProgressTicker::Report()
{
    m_reported = m_done;
    if (m_progress && !m_progress(m_done))
        Abort();
}

} // namespace Exchange

#include "SheetImport.h"

#include "DataSet.h"
#include "Exceptions.h"

namespace Exchange {

namespace {

// Keeps the target's views quiet during the pass and puts them back in every case.
class QuietTarget
{
public:
    explicit QuietTarget(TDataSet &target) : m_target(target) { m_target.DisableControls(); }
    ~QuietTarget()
    {
        try {
            if (m_target.State() == DataSetState::Insert || m_target.State() == DataSetState::Edit)
                m_target.Cancel();
            if (m_target.Active())
                m_target.First();
        } catch (...) {
            // Restoring the views matters more than the cursor's position.
        }
        m_target.EnableControls();
    }
    QuietTarget(const QuietTarget &) = delete;
    QuietTarget &operator=(const QuietTarget &) = delete;

private:
    TDataSet &m_target;
};

} // namespace

int SourceColumn(const QStringList &titles, const QString &source)
{
    if (source.isEmpty())
        return -1;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (titles[i].compare(source, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QList<TFieldMapping> PresetMapping(const QList<TField *> &targets, const QStringList &titles)
{
    QList<TFieldMapping> mapping;
    for (TField *field : targets) {
        const int column = SourceColumn(titles, field->DisplayLabel());
        mapping.append({field, column < 0 ? QString() : titles[column]});
    }
    return mapping;
}

bool IsBlankRow(const QVariantList &cells)
{
    for (const QVariant &cell : cells) {
        if (cell.isNull())
            continue;
        if (cell.typeId() == QMetaType::QString && cell.toString().trimmed().isEmpty())
            continue;
        return false;
    }
    return true;
}

int AppendSheetRows(const TSheet &sheet, const QList<TFieldMapping> &mapping, TDataSet &target,
                    const std::function<void(TField *, const QVariant &)> &setValue,
                    const ProgressProc &progress)
{
    QList<QPair<TField *, int>> feeds;
    for (const TFieldMapping &row : mapping) {
        const int column = SourceColumn(sheet.Titles, row.Source);
        if (row.Target && column >= 0)
            feeds.append({row.Target, column});
    }

    QuietTarget quiet(target);
    ProgressTicker ticker(progress);
    int appended = 0;
    for (int row = 0; row < sheet.RowCount(); ++row) {
        ticker.Tick();
        if (IsBlankRow(sheet.Rows[row]))
            continue;
        target.Append();
        try {
            for (const auto &[field, column] : feeds)
                setValue(field, sheet.Cell(row, column));
            target.Post();
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &error) {
            target.Cancel();
            throw EConvertError(QStringLiteral("第 %1 行: %2").arg(sheet.SheetRow(row)).arg(error.Message()));
        }
        ++appended;
    }
    ticker.Finish();
    return appended;
}

} // namespace Exchange

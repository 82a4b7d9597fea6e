#pragma once
// The archive list behind the main window's archive grid: it opens the archive form for a new
// or the current archive, deletes the current one after confirmation, and keeps its cached rows
// in step with what the form saved.

#include "Archive.h"

#include <functional>

class QWidget;

class TArchiveList : public TArchiveSet
{
    Q_OBJECT
public:
    // Called by the form's lending button with the archive as the form was opened with it.
    using TLendCallback = std::function<void(const RArchive &archive)>;

    explicit TArchiveList(QObject *owner = nullptr);

    // Opens the archive form on a new archive (today, one copy, no category); true when it
    // closed with OK.
    bool NewArchive();
    // Opens the archive form on the current row's archive, read afresh with its open lendings;
    // an empty list opens a new archive.
    bool OpenArchive(TLendCallback lend = {});
    // Deletes the current row's archive once the operator confirms; the cached row goes only
    // when the database row did. The archive's lendings stay.
    bool DeleteCurrent();
    // Reopens the list with its last statement; the current row is not kept.
    void Refresh();
    // Imports archives from a workbook through the import wizard; after an import the list is
    // reopened. Answers whether archives were imported.
    bool ImportArchives();
    // The form's save callback: writes the archive, then mirrors it in the cached row of its
    // Id, appended when the list has none. Answers whether the database took it.
    bool SaveToList(RArchive &archive);

    // The window the archive forms are opened over; the main window when none is set.
    QWidget *FormOwner() const;
    void SetFormOwner(QWidget *owner) { m_formOwner = owner; }

private:
    QWidget *m_formOwner = nullptr;
};

#pragma once
// The lending list behind the main window's lending tab and each lending query window: it
// starts new lendings under the availability rule and keeps its cached rows in step with
// what the lending form saved or the operator deleted.

#include "Archive.h"

class QWidget;

class TLendList : public TLendSet
{
    Q_OBJECT
public:
    explicit TLendList(QObject *owner = nullptr);

    // Opens the lending form for a new lending of the archive when one of its copies is free
    // by the record's own counts; otherwise warns that no copy is left and opens nothing.
    void NewLend(const RArchive &archive);
    // Opens the lending form on the current row; nothing without one.
    void EditCurrent();
    // Deletes the current row's lending once the operator confirms; the cached row goes only
    // when the database row did.
    void DeleteCurrent();
    // The lending form's save callback: writes the lending, then mirrors it in the cached row
    // of its Id (appended when the list has none). Answers whether the database took it.
    bool SaveToList(RLend &lend);

    // The window the lending forms are opened over; the main window when none is set.
    QWidget *FormOwner() const;
    void SetFormOwner(QWidget *owner);

private:
    QWidget *m_formOwner = nullptr;
};

#pragma once
// The lending query window: lendings across all archives by lending date range, department
// and borrower, printed through the report group of the lending query. It is not modal and
// frees itself when closed, so any number of them can be open side by side, each with its
// own list and conditions.

#include "ArchiveControls.h"
#include "LendList.h"
#include "ToolWindow.h"

class QAction;
class QPushButton;
class QToolBar;
class TpzDBGrid;

// The grid layout of the query window and the report group it prints with.
constexpr int LendQueryLayoutKey = 1005;
constexpr int LendQueryReportGroup = 1001;

class TLendQryFrm : public TWinFrm
{
    Q_OBJECT
public:
    // Opens with cleared conditions and an empty grid: nothing is read until "查找".
    explicit TLendQryFrm(QWidget *owner = nullptr);

    TLendList *LendList() const { return m_list; }

    QToolBar *ToolBar1;
    QAction *tbPrint1;
    QAction *tbExit1;
    QWidget *ConditionsPanel;
    Uis::TDateTimePicker *edtLendate1;
    Uis::TDateTimePicker *edtLendate2;
    Uis::TComboBox *edtLendept1;
    Uis::TComboBox *edtBorrower1;
    QPushButton *FindButton;
    QPushButton *btnReset1;
    TpzDBGrid *DBGrid1;

    // "查找": the conditions as the controls hold them, then the query.
    void FindButtonClick();
    // "重置": both dates unchecked at today, both texts empty; the list stays as it is.
    void btnReset1Click();
    // "打印": the lendings found and the conditions that found them, in that order.
    void tbPrint1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    TLendList *m_list;
    bool m_shown = false;
};

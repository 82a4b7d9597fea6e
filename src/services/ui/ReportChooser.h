#pragma once
// The report chooser: the templates of one report group, with preview and, for operators
// allowed to design, adding, renaming, deleting and designing templates.

#include "BaseWindow.h"

#include <QList>

class QAction;
class QListWidget;
class QPushButton;
class QToolBar;
class TDataSet;
class TRep;

// The one entry for printing: tests right 10002 (a refusal shows its message and ends the
// command silently), then shows the chooser for the group with a fresh runner bound to the
// data sets ("d0", "d1", ... in the order given; not owned). Design commands need 10003.
void ShowReporter(const QList<TDataSet *> &dataSets, int groupId);

// Top-left corner of the chooser around the cursor: a little above it when it fits on the
// screen, otherwise in the middle of the screen; never off the screen.
QPoint ReporterPlacement(const QPoint &cursor, const QSize &window, const QSize &screen);

class TReporterFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TReporterFrm(QWidget *owner = nullptr);

    // The runner the commands work with; not owned.
    TRep *Reper() const { return m_reper; }
    void SetReper(TRep *reper) { m_reper = reper; }
    int GroupId() const { return m_groupId; }
    // Fills the list with the group's templates in title order and selects the first.
    void SetGroupId(int groupId);
    // Enables or disables the four template-editing buttons together.
    void SetCanDesign(bool canDesign);

    // The id of the selected template, or -1 when none is selected.
    int SelectedId() const;

    QToolBar *ToolBar1;
    QAction *tbNew1;
    QAction *tbDelete1;
    QAction *tbRename1;
    QAction *tbDesign1;
    QListWidget *TemplateList; // the group's templates by title; each item carries its id
    QPushButton *PreviewButton;

    void tbNew1Click();
    void tbDelete1Click();
    void tbRename1Click();
    void tbDesign1Click();
    void PreviewButtonClick();
    void TemplateListDblClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // False after telling the operator to select a template first.
    bool RequireSelection();
    void Reload();

    TRep *m_reper = nullptr;
    int m_groupId = 0;
};

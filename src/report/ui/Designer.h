#pragma once
// The report designer: a modal window that edits the engine's template in place. Its open and
// save commands are answered by the engine's caller (OnDesignerOpen, OnDesignerSave); its new
// command follows DesignerNewEnabled.

#include "DesignerEdit.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QGraphicsItem;
class QLabel;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;
class TReportEngine;

namespace Report {
class BandItem;
class DesignScene;
class DesignView;
class ObjectItem;
class PageItem;
class PropertyPanel;
} // namespace Report

// Shows the designer over `parent` until the user closes it.
void RunDesigner(TReportEngine &engine, QWidget *parent);

class TDesignerFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TDesignerFrm(TReportEngine &engine, QWidget *parent = nullptr);
    ~TDesignerFrm() override;

    Report::Document &Doc();
    int CurrentPage() const { return m_page; }
    QUndoStack *UndoStack() const { return m_undo; }
    Report::DesignView *View() const { return m_view; }
    QTreeWidget *DataTree() const { return m_tree; }
    Report::PropertyPanel *Panel() const { return m_panel; }

    std::vector<Report::Object *> SelectedObjects() const;
    std::vector<Report::Band *> SelectedBands() const;
    void Select(const Report::Selection &selection);
    // The canvas items that show a model object or band (nullptr when not on the shown page).
    Report::ObjectItem *ItemOf(const Report::Object *object) const;
    Report::BandItem *ItemOf(const Report::Band *band) const;

    // A text object showing `expression` in a band: at `at` (band millimetres) when given,
    // otherwise right of the band's objects. Without a band: the selected band, the first data
    // band, the first band.
    void InsertField(const QString &expression, Report::Band *band = nullptr,
                     std::optional<QPointF> at = std::nullopt);
    void DeleteSelection();
    void AddBand(Report::BandKind kind);

private:
    void BuildActions();
    void BuildDataTree();
    void Rebuild(const Report::Selection &selection);
    void RebuildKeepingSelection();
    void SelectionChanged();
    void UpdateActions();
    void Push(const QString &text, Report::DocumentChange change);
    // Any typed but not yet committed value in the property panel goes into the model first.
    void CommitPendingEdit();
    void AfterDocumentReplaced();

    void StartPlacing(Report::ObjectKind kind);
    bool PlaceAt(const QPointF &scenePos);
    bool HandleKey(QKeyEvent *event);
    bool HandleField(const QString &expression, const QPointF &scenePos, bool drop);
    void ObjectsDragged();
    void LoadPicture();
    std::optional<QByteArray> AskPicture(QSize *size);
    Report::Band *TargetBand() const;
    Report::Band *SelectedDataBand() const;
    void EditObjects(const QString &what, const std::function<void(Report::Object &)> &edit);
    void EditBand(const QString &what, const std::function<void(Report::BandSetup &)> &edit);
    void EditPage(const QString &what, const std::function<void(Report::PageSetup &)> &edit);
    bool NameIsFree(const QString &name, const void *owner) const;

    void OpenReport();
    void SaveReport(bool saveAs);
    void NewReport();
    void Preview();

    TReportEngine &m_engine;
    int m_page = 0;
    QUndoStack *m_undo;
    Report::DesignScene *m_scene;
    Report::DesignView *m_view;
    QTabBar *m_pageTabs;
    QTreeWidget *m_tree;
    Report::PropertyPanel *m_panel;
    QLabel *m_status;

    QAction *m_actNew = nullptr;
    QAction *m_actOpen = nullptr;
    QAction *m_actSave = nullptr;
    QAction *m_actSaveAs = nullptr;
    QAction *m_actDelete = nullptr;
    QAction *m_actPreview = nullptr;
    std::vector<std::pair<Report::ObjectKind, QAction *>> m_toolActions;
    std::vector<std::pair<Report::BandKind, QAction *>> m_bandActions;

    // The object the next click on a band places, while a tool is chosen.
    std::optional<Report::Object> m_placing;

    Report::PageItem *m_pageItem = nullptr;
    std::vector<Report::BandItem *> m_bandItems;
    std::vector<Report::ObjectItem *> m_objectItems;
    // Items taken off the canvas wait here until control is back in the event loop: a rebuild
    // may be triggered from inside one of their own mouse handlers.
    std::vector<std::unique_ptr<QGraphicsItem>> m_retired;
    bool m_rebuilding = false;
};

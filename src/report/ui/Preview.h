#pragma once
// The preview window: the prepared pages of a report, page by page, with zoom, printing and
// export to PDF and PNG. It has no edit command: templates are edited from the chooser.

#include <QDialog>

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;
class TPageView;
class TReportEngine;

class TReportPreview : public QDialog
{
    Q_OBJECT
public:
    // The engine's pages must be prepared; the window only shows them.
    explicit TReportPreview(TReportEngine &engine, QWidget *parent = nullptr);

    int CurrentPage() const { return m_page; } // 0-based
    void SetCurrentPage(int page);
    // 1.0 shows the page at its printed size on the screen.
    qreal Zoom() const { return m_zoom; }
    void SetZoom(qreal zoom);

    void Print();
    void ExportPdf();
    void ExportPng();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Fit { None, Width, Page };
    void ApplyZoomChoice(int index);
    void Refit();
    void UpdatePage();

    TReportEngine &m_engine;
    int m_page = 0;
    qreal m_zoom = 1.0;
    Fit m_fit = Fit::Width;

    QToolButton *btnFirst = nullptr;
    QToolButton *btnPrior = nullptr;
    QToolButton *btnNext = nullptr;
    QToolButton *btnLast = nullptr;
    QSpinBox *spnPage = nullptr;
    QLabel *lblPages = nullptr;
    QComboBox *cmbZoom = nullptr;
    QScrollArea *m_scroll = nullptr;
    TPageView *m_view = nullptr;
};

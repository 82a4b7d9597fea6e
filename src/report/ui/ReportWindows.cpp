#include "ReportWindows.h"

#include "Designer.h"
#include "Preview.h"
#include "Prompter.h"
#include "Render.h"
#include "ReportEngine.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>

#include <QPointer>

#include <algorithm>

namespace {
// Stay-on-top windows (the lending query) would cover the modal designer; they give up
// that state while it is shown and take it back afterwards, also when it fails.
class TopMostSuspension
{
public:
    TopMostSuspension()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                continue;
            m_windows.append({window, window->geometry()});
            SetTopMost(window, false, window->geometry());
        }
    }
    ~TopMostSuspension()
    {
        for (const Suspended &suspended : std::as_const(m_windows))
            if (suspended.window)
                SetTopMost(suspended.window, true, suspended.geometry);
    }
    TopMostSuspension(const TopMostSuspension &) = delete;
    TopMostSuspension &operator=(const TopMostSuspension &) = delete;

private:
    struct Suspended
    {
        QPointer<QWidget> window;
        QRect geometry;
    };

    // Changing a window's flags hides it; showing it again would place it at the cursor,
    // so it goes back where it was.
    static void SetTopMost(QWidget *window, bool topMost, const QRect &geometry)
    {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
        window->show();
        window->setGeometry(geometry);
    }

    QList<Suspended> m_windows;
};
} // namespace

void InstallReportWindows()
{
    TReportEngine::Windows windows;
    windows.preview = [](TReportEngine &engine, QWidget *parent) {
        TReportPreview preview(engine, parent ? parent : QApplication::activeWindow());
        Prompter().ExecDialog(preview);
    };
    windows.designer = [](TReportEngine &engine, QWidget *parent) {
        TopMostSuspension suspension;
        RunDesigner(engine, parent ? parent : QApplication::activeWindow());
    };
    TReportEngine::SetWindows(std::move(windows));
}

void PrintReport(TReportEngine &engine, QPrinter &printer)
{
    if (engine.PageCount() == 0 && !engine.Prepare())
        return;
    int first = 0, last = engine.PageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(0, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() - 1);
    }
    if (first > last)
        return;
    printer.setFullPage(true);
    printer.setPageLayout(Report::PageLayoutFor(engine.PageSizeMM(first)));
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    for (int i = first; i <= last; ++i) {
        if (i > first) {
            printer.setPageLayout(Report::PageLayoutFor(engine.PageSizeMM(i)));
            printer.newPage();
        }
        engine.PaintPage(i, painter, printer.resolution());
    }
    painter.end();
}

#include "Preview.h"

#include "Prompter.h"
#include "ReportEngine.h"
#include "ReportWindows.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

// One page drawn at the window's zoom, on a grey desk with a little room around the paper.
class TPageView : public QWidget
{
public:
    TPageView(TReportEngine &engine, QWidget *parent) : QWidget(parent), m_engine(engine) {}

    void Show(int page, qreal zoom)
    {
        m_page = page;
        m_zoom = zoom;
        const QSizeF mm = m_engine.PageSizeMM(page);
        setFixedSize(QSize(qRound(mm.width() / 25.4 * Dpi()), qRound(mm.height() / 25.4 * Dpi())) +
                     QSize(2 * Border, 2 * Border));
        update();
    }

    static constexpr int Border = 12;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
        if (m_page < 0 || m_page >= m_engine.PageCount())
            return;
        const QRect paper = rect().adjusted(Border, Border, -Border, -Border);
        painter.fillRect(paper.translated(3, 3), QColor(80, 80, 80));
        painter.fillRect(paper, Qt::white);
        painter.translate(paper.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), paper.size()));
        m_engine.PaintPage(m_page, painter, Dpi());
    }

private:
    qreal Dpi() const { return logicalDpiX() * m_zoom; }

    TReportEngine &m_engine;
    int m_page = -1;
    qreal m_zoom = 1;
};

namespace {

struct ZoomChoice
{
    const char *text;
    qreal zoom; // 0: fit
};
const ZoomChoice ZoomChoices[] = {
    {"页宽", 0}, {"整页", -1}, {"50%", 0.5}, {"75%", 0.75}, {"100%", 1.0}, {"150%", 1.5}, {"200%", 2.0},
};

QToolButton *Button(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

} // namespace

TReportPreview::TReportPreview(TReportEngine &engine, QWidget *parent) : QDialog(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("预览"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(900, 700);

    auto *bar = new QWidget(this);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    auto *btnPrint = Button(bar, "btnPrint", QStringLiteral("打印"));
    auto *btnExportPdf = Button(bar, "btnExportPdf", QStringLiteral("导出 PDF"));
    auto *btnExportPng = Button(bar, "btnExportPng", QStringLiteral("导出图片"));
    btnFirst = Button(bar, "btnFirst", QStringLiteral("首页"));
    btnPrior = Button(bar, "btnPrior", QStringLiteral("上一页"));
    btnNext = Button(bar, "btnNext", QStringLiteral("下一页"));
    btnLast = Button(bar, "btnLast", QStringLiteral("末页"));
    spnPage = new QSpinBox(bar);
    spnPage->setObjectName(QStringLiteral("spnPage"));
    spnPage->setRange(1, std::max(1, engine.PageCount()));
    lblPages = new QLabel(QStringLiteral("/ %1").arg(engine.PageCount()), bar);
    lblPages->setObjectName(QStringLiteral("lblPages"));
    cmbZoom = new QComboBox(bar);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    for (const auto &choice : ZoomChoices)
        cmbZoom->addItem(QString::fromUtf8(choice.text));
    auto *btnClose = Button(bar, "btnClose", QStringLiteral("关闭"));

    for (QWidget *w : std::initializer_list<QWidget *>{btnPrint, btnExportPdf, btnExportPng})
        barLayout->addWidget(w);
    barLayout->addSpacing(12);
    for (QWidget *w :
         std::initializer_list<QWidget *>{btnFirst, btnPrior, spnPage, lblPages, btnNext, btnLast})
        barLayout->addWidget(w);
    barLayout->addSpacing(12);
    barLayout->addWidget(cmbZoom);
    barLayout->addStretch(1);
    barLayout->addWidget(btnClose);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPage"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new TPageView(engine, m_scroll);
    m_scroll->setWidget(m_view);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);

    connect(btnFirst, &QToolButton::clicked, this, [this] { SetCurrentPage(0); });
    connect(btnPrior, &QToolButton::clicked, this, [this] { SetCurrentPage(m_page - 1); });
    connect(btnNext, &QToolButton::clicked, this, [this] { SetCurrentPage(m_page + 1); });
    connect(btnLast, &QToolButton::clicked, this, [this] { SetCurrentPage(m_engine.PageCount() - 1); });
    connect(spnPage, &QSpinBox::valueChanged, this, [this](int value) { SetCurrentPage(value - 1); });
    connect(cmbZoom, &QComboBox::activated, this, [this](int index) { ApplyZoomChoice(index); });
    connect(btnPrint, &QToolButton::clicked, this, Guarded([this](bool) { Print(); }));
    connect(btnExportPdf, &QToolButton::clicked, this, Guarded([this](bool) { ExportPdf(); }));
    connect(btnExportPng, &QToolButton::clicked, this, Guarded([this](bool) { ExportPng(); }));
    connect(btnClose, &QToolButton::clicked, this, &QDialog::accept);

    cmbZoom->setCurrentIndex(0);
    UpdatePage();
}

void TReportPreview::SetCurrentPage(int page)
{
    page = std::clamp(page, 0, std::max(0, m_engine.PageCount() - 1));
    if (page == m_page)
        return;
    m_page = page;
    UpdatePage();
    m_scroll->verticalScrollBar()->setValue(0);
}

void TReportPreview::SetZoom(qreal zoom)
{
    m_fit = Fit::None;
    m_zoom = std::clamp<qreal>(zoom, 0.1, 8.0);
    UpdatePage();
}

void TReportPreview::ApplyZoomChoice(int index)
{
    if (index < 0 || index >= int(std::size(ZoomChoices)))
        return;
    const qreal zoom = ZoomChoices[index].zoom;
    if (zoom == 0) {
        m_fit = Fit::Width;
        Refit();
    } else if (zoom < 0) {
        m_fit = Fit::Page;
        Refit();
    } else {
        SetZoom(zoom);
    }
}

// The fitting zooms follow the window's size.
void TReportPreview::Refit()
{
    if (m_fit == Fit::None || m_engine.PageCount() == 0)
        return;
    const QSizeF mm = m_engine.PageSizeMM(m_page);
    const qreal dpi = m_view->logicalDpiX();
    const QSize room =
        m_scroll->viewport()->size() - QSize(2 * TPageView::Border + 4, 2 * TPageView::Border + 4);
    const qreal byWidth = room.width() / (mm.width() / 25.4 * dpi);
    const qreal byHeight = room.height() / (mm.height() / 25.4 * dpi);
    m_zoom = std::clamp<qreal>(m_fit == Fit::Width ? byWidth : std::min(byWidth, byHeight), 0.1, 8.0);
    UpdatePage();
}

void TReportPreview::UpdatePage()
{
    const int count = m_engine.PageCount();
    const QSignalBlocker block(spnPage);
    spnPage->setValue(m_page + 1);
    btnFirst->setEnabled(m_page > 0);
    btnPrior->setEnabled(m_page > 0);
    btnNext->setEnabled(m_page < count - 1);
    btnLast->setEnabled(m_page < count - 1);
    m_view->Show(m_page, m_zoom);
}

void TReportPreview::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        SetCurrentPage(m_page + 1);
        return;
    case Qt::Key_PageUp:
        SetCurrentPage(m_page - 1);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            SetCurrentPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            SetCurrentPage(m_engine.PageCount() - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void TReportPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Refit();
}

void TReportPreview::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setFromTo(1, m_engine.PageCount());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, std::max(1, m_engine.PageCount()));
    if (Prompter().ExecDialog(dialog) != QDialog::Accepted)
        return;
    PrintReport(m_engine, printer);
}

void TReportPreview::ExportPdf()
{
    const QString path = Prompter().SaveFileName(QStringLiteral("导出 PDF"), QStringLiteral("PDF 文件|*.pdf"),
                                                 QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_engine.ExportPdf(path, &error))
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), error, {QStringLiteral("确定")});
}

void TReportPreview::ExportPng()
{
    const QString path = Prompter().SaveFileName(QStringLiteral("导出图片"), QStringLiteral("PNG 图片|*.png"),
                                                 QStringLiteral("png"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_engine.ExportPng(path, 150, &error))
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), error, {QStringLiteral("确定")});
}

#include "a.h"

#include "HelpWindow.h"
#include "Prompter.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace {
QPointer<QWidget> g_mainWindow;

QScreen *ScreenAtCursor()
{
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

// The toolkit's centring: the window's frame in the middle of the target rectangle.
QPoint CentredIn(const QRect &target, const QSize &window)
{
    return {target.left() + (target.width() - window.width()) / 2,
            target.top() + (target.height() - window.height()) / 2};
}

Qt::CursorShape ResizeCursor(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge))
        return Qt::SizeBDiagCursor;
    if (edges & (Qt::LeftEdge | Qt::RightEdge))
        return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}
} // namespace

QPoint CursorPlacement(const QPoint &cursor, const QSize &window, const QSize &screen)
{
    // C++ division truncates toward zero, as the placement rule wants.
    int left = cursor.x() - window.width() / 2;
    if (left < 0)
        left = 20;
    else if (left > screen.width() - window.width() - 20)
        left = screen.width() - window.width() - 20;

    int top = cursor.y() - window.height() / 2;
    if (top < 0)
        top = 20;
    else if (top + window.height() > screen.height() - 50)
        top = screen.height() - window.height() - 50;
    return {left, top};
}

Qt::Edges EdgeHitTest(const QPoint &point, const QSize &window)
{
    const int x = point.x();
    const int y = point.y();
    const int w = window.width();
    const int h = window.height();
    if (x <= 9 && y <= 9)
        return Qt::TopEdge | Qt::LeftEdge;
    if (x > w - 10 && y < 10)
        return Qt::TopEdge | Qt::RightEdge;
    if (x > w - 10 && y > h - 10)
        return Qt::BottomEdge | Qt::RightEdge;
    if (x < 10 && y > h - 10)
        return Qt::BottomEdge | Qt::LeftEdge;
    if (x <= 4)
        return Qt::LeftEdge;
    if (y <= 4)
        return Qt::TopEdge;
    if (x > w - 5)
        return Qt::RightEdge;
    if (y > h - 5)
        return Qt::BottomEdge;
    return {};
}

QString HelpTopicOf(const QString &windowName)
{
    return windowName.size() > 3 ? windowName.chopped(3) : QString();
}

TaFrm::TaFrm(QWidget *owner) : QDialog(owner)
{
    QFont font(QStringLiteral("宋体"));
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    setFont(font);
    // Keys reach the window before the focused control: the application's filter is the
    // only place that sees a key before the control it is meant for.
    qApp->installEventFilter(this);
}

TaFrm::~TaFrm() = default;

QString TaFrm::WindowName() const
{
    if (!objectName().isEmpty())
        return objectName();
    QString name = QString::fromLatin1(metaObject()->className());
    if (name.startsWith(QLatin1Char('T')))
        name.remove(0, 1);
    return name;
}

void TaFrm::ShowHelp(const QString &topic)
{
    THelpWindow::ShowTopic(this, topic.isEmpty() ? HelpTopic() : topic);
}

void TaFrm::PlaceNearCursor()
{
    if (!isWindow())
        return;
    const QRect screen = ScreenAtCursor()->geometry();
    const QPoint local =
        CursorPlacement(QCursor::pos() - screen.topLeft(), frameGeometry().size(), screen.size());
    move(local + screen.topLeft());
}

int TaFrm::ShowModal()
{
    return Prompter().ExecDialog(*this);
}

void TaFrm::Anchor(QWidget *control, Qt::Edges edges)
{
    const QRect r = control->geometry();
    const QMargins gaps(r.left(), r.top(), width() - r.right() - 1, height() - r.bottom() - 1);
    for (AnchoredControl &anchored : m_anchored) {
        if (anchored.Control == control) {
            anchored.Edges = edges;
            anchored.Gaps = gaps;
            return;
        }
    }
    m_anchored.append({control, edges, gaps});
}

void TaFrm::SetMainWindow(QWidget *window)
{
    g_mainWindow = window;
}

QWidget *TaFrm::MainWindow()
{
    return g_mainWindow;
}

void TaFrm::done(int result)
{
    bool allowed = false;
    Guard([&] { allowed = CanClose(result); });
    if (allowed)
        QDialog::done(result);
}

bool TaFrm::CanClose(int)
{
    return true;
}

bool TaFrm::KeyPreview(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        Guard([this] { ShowHelp(); });
        return true;
    }
    return false;
}

bool TaFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress) {
        m_previewed = nullptr;
        return QDialog::eventFilter(watched, event);
    }
    // A key the focused control ignores travels on to its parents with the same event
    // object; the window has seen it already.
    if (event == m_previewed)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this || !isVisible())
        return false;
    m_previewed = event;
    return KeyPreview(static_cast<QKeyEvent *>(event));
}

void TaFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || !isWindow())
        return;
    PlaceNearCursor();
    if (!m_shownBefore)
        CentreOnFirstShowing();
    m_shownBefore = true;
    setMouseTracking(Borderless());
}

void TaFrm::CentreOnFirstShowing()
{
    const QSize size = frameGeometry().size();
    QWidget *target = nullptr;
    switch (m_centring) {
    case Centring::None:
        return;
    case Centring::Screen:
        break;
    case Centring::Owner:
        target = parentWidget() ? parentWidget()->window() : nullptr;
        break;
    case Centring::MainWindow:
        target = MainWindow();
        break;
    }
    if (target && target != this && target->isVisible())
        move(CentredIn(target->frameGeometry(), size));
    else
        move(CentredIn(ScreenAtCursor()->geometry(), size));
}

void TaFrm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    for (const AnchoredControl &anchored : std::as_const(m_anchored)) {
        if (!anchored.Control)
            continue;
        QRect r = anchored.Control->geometry();
        const QMargins &gap = anchored.Gaps;
        if ((anchored.Edges & Qt::LeftEdge) && (anchored.Edges & Qt::RightEdge))
            r.setWidth(width() - gap.left() - gap.right());
        else if (anchored.Edges & Qt::RightEdge)
            r.moveLeft(width() - gap.right() - r.width());
        if ((anchored.Edges & Qt::TopEdge) && (anchored.Edges & Qt::BottomEdge))
            r.setHeight(height() - gap.top() - gap.bottom());
        else if (anchored.Edges & Qt::BottomEdge)
            r.moveTop(height() - gap.bottom() - r.height());
        anchored.Control->setGeometry(r);
    }
}

bool TaFrm::Borderless() const
{
    return windowFlags().testFlag(Qt::FramelessWindowHint);
}

void TaFrm::mouseMoveEvent(QMouseEvent *event)
{
    if (Borderless() && event->buttons() == Qt::NoButton) {
        const Qt::Edges edges = EdgeHitTest(event->position().toPoint(), size());
        if (edges)
            setCursor(ResizeCursor(edges));
        else
            unsetCursor();
    }
    QDialog::mouseMoveEvent(event);
}

void TaFrm::mousePressEvent(QMouseEvent *event)
{
    if (Borderless() && event->button() == Qt::LeftButton) {
        const Qt::Edges edges = EdgeHitTest(event->position().toPoint(), size());
        // Where the window system refuses (Wayland without the protocol, offscreen), the
        // press is simply a press.
        if (edges && windowHandle() && windowHandle()->startSystemResize(edges)) {
            event->accept();
            return;
        }
    }
    QDialog::mousePressEvent(event);
}

#include "BaseWindow.h"

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

// The window's frame in the middle of the target rectangle.
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

// ---- WindowBehaviour ----

// Watches the application for keys meant for the window (the only place that sees a key
// before the control it is meant for) and for the window's showing and mouse moves.
class WindowBehaviour::Filter : public QObject
{
public:
    explicit Filter(WindowBehaviour &owner) : m_owner(owner) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QWidget *window = m_owner.m_window;
        switch (event->type()) {
        case QEvent::KeyPress:
            return PreviewKey(watched, static_cast<QKeyEvent *>(event));
        case QEvent::Show:
            if (watched == window && !event->spontaneous() && window->isWindow())
                m_owner.Shown();
            break;
        case QEvent::MouseMove:
            if (watched == window && m_owner.Borderless()) {
                auto *mouse = static_cast<QMouseEvent *>(event);
                if (mouse->buttons() == Qt::NoButton) {
                    const Qt::Edges edges = EdgeHitTest(mouse->position().toPoint(), window->size());
                    if (edges)
                        window->setCursor(ResizeCursor(edges));
                    else
                        window->unsetCursor();
                }
            }
            break;
        case QEvent::MouseButtonPress:
            if (watched == window && m_owner.Borderless()) {
                auto *mouse = static_cast<QMouseEvent *>(event);
                const Qt::Edges edges = EdgeHitTest(mouse->position().toPoint(), window->size());
                // Where the window system refuses (Wayland without the protocol, offscreen),
                // the press is simply a press.
                if (mouse->button() == Qt::LeftButton && edges && window->windowHandle() &&
                    window->windowHandle()->startSystemResize(edges))
                    return true;
            }
            break;
        default:
            break;
        }
        if (event->type() != QEvent::KeyPress)
            m_previewed = nullptr;
        return false;
    }

private:
    bool PreviewKey(QObject *watched, QKeyEvent *event)
    {
        // A key the focused control ignores travels on to its parents with the same event
        // object; the window has seen it already.
        if (event == m_previewed)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *window = m_owner.m_window;
        if (!widget || widget->window() != window || !window->isVisible())
            return false;
        m_previewed = event;
        return m_owner.KeyPreview(event);
    }

    WindowBehaviour &m_owner;
    const QEvent *m_previewed = nullptr;
};

WindowBehaviour::WindowBehaviour(QWidget *window)
    : m_window(window), m_filter(std::make_unique<Filter>(*this))
{
    QFont font(QStringLiteral("宋体"));
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    window->setFont(font);
    // The application's filter sees the window's own events too.
    qApp->installEventFilter(m_filter.get());
}

WindowBehaviour::~WindowBehaviour() = default;

QString WindowBehaviour::WindowName() const
{
    if (!m_window->objectName().isEmpty())
        return m_window->objectName();
    QString name = QString::fromLatin1(m_window->metaObject()->className());
    if (name.startsWith(QLatin1Char('T')))
        name.remove(0, 1);
    return name;
}

void WindowBehaviour::ShowHelp(const QString &topic)
{
    THelpWindow::ShowTopic(m_window, topic.isEmpty() ? HelpTopic() : topic);
}

void WindowBehaviour::PlaceNearCursor()
{
    if (!m_window->isWindow())
        return;
    const QRect screen = ScreenAtCursor()->geometry();
    const QPoint local =
        CursorPlacement(QCursor::pos() - screen.topLeft(), m_window->frameGeometry().size(), screen.size());
    m_window->move(local + screen.topLeft());
}

void WindowBehaviour::SetMainWindow(QWidget *window)
{
    g_mainWindow = window;
}

QWidget *WindowBehaviour::MainWindow()
{
    return g_mainWindow;
}

bool WindowBehaviour::CanClose(int)
{
    return true;
}

bool WindowBehaviour::CloseAllowed(int modalResult)
{
    bool allowed = false;
    Guard([&] { allowed = CanClose(modalResult); });
    return allowed;
}

bool WindowBehaviour::KeyPreview(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        Guard([this] { ShowHelp(); });
        return true;
    }
    return false;
}

void WindowBehaviour::Shown()
{
    // A window that fills the screen stays where the window system put it.
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    PlaceNearCursor();
    if (!m_shownBefore)
        CentreOnFirstShowing();
    m_shownBefore = true;
    m_window->setMouseTracking(Borderless());
}

void WindowBehaviour::CentreOnFirstShowing()
{
    const QSize size = m_window->frameGeometry().size();
    QWidget *target = nullptr;
    switch (m_centring) {
    case Centring::None:
        return;
    case Centring::Screen:
        break;
    case Centring::Owner:
        target = m_window->parentWidget() ? m_window->parentWidget()->window() : nullptr;
        break;
    case Centring::MainWindow:
        target = MainWindow();
        break;
    }
    if (target && target != m_window && target->isVisible())
        m_window->move(CentredIn(target->frameGeometry(), size));
    else
        m_window->move(CentredIn(ScreenAtCursor()->geometry(), size));
}

bool WindowBehaviour::Borderless() const
{
    return m_window->windowFlags().testFlag(Qt::FramelessWindowHint);
}

// ---- TaFrm ----

TaFrm::TaFrm(QWidget *owner) : QDialog(owner), WindowBehaviour(this) {}

TaFrm::~TaFrm() = default;

int TaFrm::ShowModal()
{
    return Prompter().ExecDialog(*this);
}

void TaFrm::done(int result)
{
    if (CloseAllowed(result))
        QDialog::done(result);
}

#pragma once
// The behaviours every window of the system shares, whatever its Qt type: its help topic
// (F1 anywhere in the window), the placement around the mouse cursor each time it becomes
// visible (centred on the first showing where the window says so), edge resizing when it has
// no border, and a close query that can keep it open. `WindowBehaviour` gives them to a
// dialog (`TaFrm`), a tool window (`TWinFrm`) or the main window alike.

#include <QDialog>
#include <QPointer>

#include <memory>

class QKeyEvent;

// Top-left corner of a window of `window` size placed around the cursor on a screen of
// `screen` size (all in the screen's own coordinates). The window keeps 20 pixels from the
// left and right edges and 50 from the bottom, where the task bar usually is.
QPoint CursorPlacement(const QPoint &cursor, const QSize &window, const QSize &screen);

// The edges a borderless window of `window` size is resized by when pressed at `point`
// (window coordinates): 10-pixel corners, 5-pixel edges. Empty inside the window.
Qt::Edges EdgeHitTest(const QPoint &point, const QSize &window);

// A window's help topic: its window name without the last three characters, so
// "LoginFrm" reads "Login" and "FrmBackup" reads "FrmBac".
QString HelpTopicOf(const QString &windowName);

// Mixed into a window class next to its Qt base: `WindowBehaviour(this)` in the constructor.
class WindowBehaviour
{
public:
    // Where a window is centred on its first showing; later showings stay at the cursor.
    enum class Centring { None, Screen, Owner, MainWindow };

    explicit WindowBehaviour(QWidget *window);
    virtual ~WindowBehaviour();
    WindowBehaviour(const WindowBehaviour &) = delete;
    WindowBehaviour &operator=(const WindowBehaviour &) = delete;

    // Opens the help window on the topic; an empty topic means the window's own.
    virtual void ShowHelp(const QString &topic = {});
    // Moves the window around the mouse cursor on the screen the cursor is on.
    void PlaceNearCursor();

    // The object name when one was given, otherwise the class name without its "T".
    QString WindowName() const;
    QString HelpTopic() const { return HelpTopicOf(WindowName()); }

    Centring WindowCentring() const { return m_centring; }
    void SetCentring(Centring centring) { m_centring = centring; }

    // The application's main window, on which TAInfoDlgFrm windows are centred.
    static void SetMainWindow(QWidget *window);
    static QWidget *MainWindow();

protected:
    // The close query: answers whether the window may close with `modalResult` (a closing
    // window without a result asks with QDialog::Rejected). Errors it raises are shown and
    // keep the window open.
    virtual bool CanClose(int modalResult);
    // Sees every key pressed in the window before the control with the focus does; answers
    // true when it handled the key, which then goes no further.
    virtual bool KeyPreview(QKeyEvent *event);
    // The close query run through the guard: what a window's done() or closeEvent() asks.
    bool CloseAllowed(int modalResult);

private:
    class Filter;
    friend class Filter;

    void Shown();
    void CentreOnFirstShowing();
    bool Borderless() const;

    QWidget *m_window;
    std::unique_ptr<Filter> m_filter;
    Centring m_centring = Centring::None;
    bool m_shownBefore = false;
};

// A modal window of the system. Dialogs build their controls on layouts (FormBuilder.h).
class TaFrm : public QDialog, public WindowBehaviour
{
    Q_OBJECT
public:
    explicit TaFrm(QWidget *owner = nullptr);
    ~TaFrm() override;

    // Shows the window modally through the prompter and answers how it was closed
    // (QDialog::Accepted for OK, QDialog::Rejected for Cancel and the close box).
    int ShowModal();

    // Every way of closing passes here; a refusing close query keeps the window open.
    void done(int result) override;
};

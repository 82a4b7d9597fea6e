#pragma once
// TaFrm: the base of every window of the system except the splash and the connection form.
// It gives each window its help topic (F1 anywhere in the window), the placement around the
// mouse cursor each time it becomes visible, edge resizing when it has no border, a close
// query that can keep it open, and anchoring of controls to its edges.

#include <QDialog>
#include <QList>
#include <QPointer>

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

class TaFrm : public QDialog
{
    Q_OBJECT
public:
    // Where a window is centred on its first showing; later showings stay at the cursor.
    enum class Centring { None, Screen, Owner, MainWindow };

    explicit TaFrm(QWidget *owner = nullptr);
    ~TaFrm() override;

    // Opens the help window on the topic; an empty topic means the window's own.
    virtual void ShowHelp(const QString &topic = {});
    // Moves the window around the mouse cursor on the screen the cursor is on.
    void PlaceNearCursor();
    // Shows the window modally through the prompter and answers how it was closed
    // (QDialog::Accepted for OK, QDialog::Rejected for Cancel and the close box).
    int ShowModal();

    // The object name when one was given, otherwise the class name without its "T".
    QString WindowName() const;
    QString HelpTopic() const { return HelpTopicOf(WindowName()); }

    Centring WindowCentring() const { return m_centring; }
    void SetCentring(Centring centring) { m_centring = centring; }

    // Keeps the control (a direct child) at its present distances from the given edges of
    // the window when the window is resized; left and right together stretch it, likewise
    // top and bottom. Calling it again after moving the control records the new distances.
    void Anchor(QWidget *control, Qt::Edges edges);

    // The application's main window, on which TAInfoDlgFrm windows are centred.
    static void SetMainWindow(QWidget *window);
    static QWidget *MainWindow();

    // Every way of closing passes here; a refusing close query keeps the window open.
    void done(int result) override;

protected:
    // The close query: answers whether the window may close with `modalResult`. Errors it
    // raises are shown and keep the window open.
    virtual bool CanClose(int modalResult);
    // Sees every key pressed in the window before the control with the focus does; answers
    // true when it handled the key, which then goes no further.
    virtual bool KeyPreview(QKeyEvent *event);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct AnchoredControl
    {
        QPointer<QWidget> Control;
        Qt::Edges Edges;
        QMargins Gaps;
    };

    bool Borderless() const;
    void CentreOnFirstShowing();

    Centring m_centring = Centring::None;
    bool m_shownBefore = false;
    const QEvent *m_previewed = nullptr;
    QList<AnchoredControl> m_anchored;
};

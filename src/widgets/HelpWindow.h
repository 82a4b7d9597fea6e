#pragma once
// The program's help viewer: one page per help topic, share/help/<topic>.htm, shown in a
// window of the program with back, forward and the contents page.
//
// A help window belongs to the window that asked for it, so that it answers the mouse while
// that window is modal, and goes when that window goes.

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

class THelpWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows the topic's page in the help window of `owner`'s window, made on first use. A
    // topic without a page shows a message and answers nullptr; an empty topic shows the
    // contents page.
    static THelpWindow *ShowTopic(QWidget *owner, const QString &topic);
    // The help window of `owner`'s window, when it has one.
    static THelpWindow *Of(QWidget *owner);
    // The file of a topic's page.
    static QString PageFile(const QString &topic);
    // The topic of the contents page.
    static QString IndexTopic() { return QStringLiteral("index"); }

    QString Topic() const { return m_topic; }
    QTextBrowser *Browser() const { return m_browser; }

private:
    explicit THelpWindow(QWidget *owner);
    void Load(const QUrl &url);
    void FollowLink(const QUrl &url);
    void UpdateTitle();

    QTextBrowser *m_browser;
    QToolButton *m_back;
    QToolButton *m_forward;
    QString m_topic;
};

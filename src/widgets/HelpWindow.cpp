#include "HelpWindow.h"

#include "Paths.h"
#include "Prompter.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    m_back = new QToolButton(this);
    m_back->setText(QStringLiteral("后退"));
    m_forward = new QToolButton(this);
    m_forward->setText(QStringLiteral("前进"));
    auto *contents = new QToolButton(this);
    contents->setText(QStringLiteral("目录"));
    m_browser = new QTextBrowser(this);
    // Links are followed here: pages of the help stay in this window, anything else goes
    // to the desktop's handler.
    m_browser->setOpenLinks(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(contents);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_browser);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(contents, &QToolButton::clicked, this,
            [this] { Load(QUrl::fromLocalFile(PageFile(IndexTopic()))); });
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) { FollowLink(url); });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { UpdateTitle(); });
}

QString THelpWindow::PageFile(const QString &topic)
{
    return Paths::ShareDir() + QStringLiteral("/help/") + topic + QStringLiteral(".htm");
}

THelpWindow *THelpWindow::Of(QWidget *owner)
{
    QWidget *window = owner ? owner->window() : nullptr;
    if (!window)
        return nullptr;
    return window->findChild<THelpWindow *>(QString(), Qt::FindDirectChildrenOnly);
}

THelpWindow *THelpWindow::ShowTopic(QWidget *owner, const QString &topic)
{
    const QString name = topic.isEmpty() ? IndexTopic() : topic;
    const QString file = PageFile(name);
    if (!QFileInfo(file).isFile()) {
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("帮助"),
                              QStringLiteral("没有找到帮助主题“%1”的页面:\n%2").arg(name, file),
                              {QStringLiteral("确定")});
        return nullptr;
    }
    THelpWindow *help = Of(owner);
    if (!help)
        help = new THelpWindow(owner ? owner->window() : nullptr);
    help->m_topic = name;
    help->Load(QUrl::fromLocalFile(file));
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

void THelpWindow::Load(const QUrl &url)
{
    m_browser->setSource(url, QTextDocument::HtmlResource);
}

void THelpWindow::FollowLink(const QUrl &link)
{
    const QUrl url = m_browser->source().resolved(link);
    if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".htm"))) {
        m_topic = QFileInfo(url.toLocalFile()).completeBaseName();
        Load(url);
    } else {
        Prompter().OpenUrl(url);
    }
}

void THelpWindow::UpdateTitle()
{
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("帮助") : title + QStringLiteral(" - 帮助"));
}

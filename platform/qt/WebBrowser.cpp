#include "platform/qt/WebBrowser.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <unistd.h>

void PrepareWebEngine()
{
    // Chromium refuses to start as root with its sandbox on.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool WatchingPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    emit navigationRequested(url, isMainFrame);
    // The game never blocks a page: it only reports where the player went.
    return true;
}

WebBrowser::WebBrowser(QWidget *parentWidget)
{
    // A profile of its own that keeps nothing on disk: no cookies or cache outlive the game.
    m_profile = new QWebEngineProfile(this);
    m_view = new QWebEngineView(parentWidget);
    m_page = new WatchingPage(m_profile, m_view);
    m_view->setPage(m_page);

    connect(m_page, &WatchingPage::navigationRequested, this, [this](const QUrl &url, bool isMainFrame) {
        // A navigation of the page itself (a redirect, a click, a step back) is now the load
        // whose end makes the browser idle.
        if (isMainFrame && !m_target.isEmpty())
            m_target = url;
        emit BeforeNavigate2(url.toString());
    });
    connect(m_page, &QWebEnginePage::titleChanged, this,
            [this](const QString &title) { emit TitleChange(title); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { m_busy = true; });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool) {
        // Chromium may report the end of a load that a newer navigation replaced after that
        // navigation began, and inside a nested event loop it may never report the start of a
        // load at all. So the end that makes the browser idle is the one of the load asked for.
        if (m_page &&
            (m_target.isEmpty() || m_page->requestedUrl() == m_target || m_page->url() == m_target)) {
            m_busy = false;
            m_target.clear();
        }
        emit DocumentComplete(m_page ? m_page->url().toString() : QString());
    });
}

WebBrowser::~WebBrowser()
{
    // The page must go before its profile; the view takes the page with it.
    if (m_page)
        m_page->disconnect(this);
    delete m_view;
    delete m_page;
}

void WebBrowser::Navigate(const QString &url)
{
    if (!m_page)
        return;
    const QUrl target(url);
    const QUrl current = m_page->url();
    // A jump to another place in the page shown loads nothing: Chromium raises no load events.
    const bool samePage = target.hasFragment() && !current.isEmpty() &&
                          target.adjusted(QUrl::RemoveFragment) == current.adjusted(QUrl::RemoveFragment);
    if (!samePage) {
        // Busy from the call on, as a caller polling right after Navigate expects.
        m_busy = true;
        m_target = target;
        const int generation = ++m_generation;
        QTimer::singleShot(LoadLimitMs, this, [this, generation] {
            if (generation == m_generation && m_busy) {
                m_busy = false;
                m_target.clear();
            }
        });
    }
    m_page->load(target);
}

void WebBrowser::ForgetHistory()
{
    // The mouse's back button, Alt+Left and the context menu all walk this history.
    if (m_page)
        m_page->history()->clear();
}

void WebBrowser::GoBack()
{
    // Busy follows Chromium here: it may skip entries or find nothing to go back to.
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Back);
}

QWidget *WebBrowser::Widget() const
{
    return m_view;
}

void WebBrowser::RunJavaScript(const QString &script)
{
    if (m_page)
        m_page->runJavaScript(script);
}

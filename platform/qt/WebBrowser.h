#pragma once

#include "platform/Browser.h"

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

// Sets up what Chromium needs before the QApplication exists: as root its sandbox must be off,
// and the web views share OpenGL contexts.
void PrepareWebEngine();

// Reports every navigation of the page and of its frames, and lets each one go ahead.
class WatchingPage : public QWebEnginePage
{
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

signals:
    void navigationRequested(const QUrl &url, bool isMainFrame);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
};

// The client's browser over Chromium (QtWebEngine), shown in the game window.
class WebBrowser : public Browser
{
    Q_OBJECT
public:
    // The view becomes a child of the given widget (the window that shows it).
    explicit WebBrowser(QWidget *parentWidget = nullptr);
    ~WebBrowser() override;

    void Navigate(const QString &url) override;
    void GoBack() override;
    void ForgetHistory() override;
    bool Busy() const override { return m_busy; }

    // The view, for the window to place and size.
    QWidget *Widget() const;
    QWebEnginePage *Page() const { return m_page; }
    // Runs script in the page (tests click links with it).
    void RunJavaScript(const QString &script);

    // A navigation whose end Chromium never reports (it found nothing to load) stops counting
    // as busy after this long.
    static constexpr int LoadLimitMs = 30000;

private:
    QWebEngineProfile *m_profile = nullptr;
    QPointer<QWebEngineView> m_view;
    QPointer<WatchingPage> m_page;
    bool m_busy = false;
    // The address of the load whose end makes the browser idle: what Navigate asked for, or the
    // page's own later navigation (a redirect, a click); empty when Navigate was not used.
    QUrl m_target;
    int m_generation = 0;
};

#pragma once

#include "platform/Browser.h"

#include <QMap>
#include <QStringList>
#include <functional>

// A browser whose pages are a script: each address maps to a title (or to another address it
// redirects to). Loads finish from the event loop, or at once with AutoLoad off and FinishLoad().
class ScriptedBrowser : public Browser
{
    Q_OBJECT
public:
    struct Page {
        QString title;      // empty: the load fails, no title change
        QString redirectTo; // non-empty: a navigation to that address follows
    };

    // The page for an address; unknown addresses use the resolver, or fail.
    void SetPage(const QString &url, const QString &title) { m_pages.insert(url, Page{title, {}}); }
    void SetRedirect(const QString &url, const QString &target) { m_pages.insert(url, Page{{}, target}); }
    void SetResolver(std::function<Page(const QString &url)> resolver) { m_resolver = std::move(resolver); }
    // With AutoLoad off a navigation stays busy until FinishLoad() (or forever).
    void SetAutoLoad(bool on) { m_autoLoad = on; }

    void Navigate(const QString &url) override;
    void GoBack() override;
    void ForgetHistory() override
    {
        if (m_history.size() > 1)
            m_history = {m_history.last()};
    }
    bool Busy() const override { return m_busy; }

    // Finishes the pending load now: title change (if any), then document complete.
    void FinishLoad();

    QStringList Navigations() const { return m_navigations; }
    QStringList History() const { return m_history; }
    QString CurrentUrl() const { return m_history.isEmpty() ? QString() : m_history.last(); }
    int BackCount() const { return m_backs; }

private:
    Page pageFor(const QString &url) const;
    void startLoad(const QString &url, bool addToHistory);

    QMap<QString, Page> m_pages;
    std::function<Page(const QString &)> m_resolver;
    bool m_autoLoad = true;
    bool m_busy = false;
    QString m_pending;
    int m_generation = 0;
    QStringList m_navigations;
    QStringList m_history;
    int m_backs = 0;
};

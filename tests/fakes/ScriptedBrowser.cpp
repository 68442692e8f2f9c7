#include "fakes/ScriptedBrowser.h"

#include <QTimer>

ScriptedBrowser::Page ScriptedBrowser::pageFor(const QString &url) const
{
    if (m_pages.contains(url))
        return m_pages.value(url);
    if (m_resolver)
        return m_resolver(url);
    return Page{};
}

void ScriptedBrowser::Navigate(const QString &url)
{
    startLoad(url, true);
}

void ScriptedBrowser::startLoad(const QString &url, bool addToHistory)
{
    m_navigations << url;
    emit BeforeNavigate2(url);
    if (addToHistory)
        m_history << url;
    m_pending = url;
    m_busy = true;
    const int generation = ++m_generation;
    if (m_autoLoad) {
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation && m_busy)
                FinishLoad();
        });
    }
}

void ScriptedBrowser::GoBack()
{
    ++m_backs;
    if (m_history.size() < 2)
        return;
    m_history.removeLast();
    startLoad(m_history.last(), false);
}

void ScriptedBrowser::FinishLoad()
{
    if (!m_busy)
        return;
    const QString url = m_pending;
    const Page page = pageFor(url);
    if (!page.redirectTo.isEmpty()) {
        if (!m_history.isEmpty())
            m_history.last() = page.redirectTo;
        m_navigations << page.redirectTo;
        emit BeforeNavigate2(page.redirectTo);
        m_pending = page.redirectTo;
        FinishLoad();
        return;
    }
    if (!page.title.isEmpty())
        emit TitleChange(page.title);
    m_busy = false;
    emit DocumentComplete(url);
}

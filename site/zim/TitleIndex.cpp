#include "site/zim/TitleIndex.h"

#include "site/corpus/Corpus.h"

#include <QHash>
#include <QStringList>

#include <zim/item.h>

#include <algorithm>

namespace
{

quint64 FoldedKey(const QString &title)
{
    return quint64(qHash(Corpus::NormalizeTitle(title).toCaseFolded(), 0));
}

bool IsHtml(const std::string &mimetype)
{
    return mimetype.rfind("text/html", 0) == 0;
}

// Spellings a typed word may have in another case, tried while the index is not ready.
QStringList CaseVariants(const QString &word)
{
    QStringList out;
    auto add = [&out](const QString &s) {
        if (!s.isEmpty() && !out.contains(s))
            out.append(s);
    };
    const QString lower = word.toLower();
    auto capitalised = [](QString s) {
        if (!s.isEmpty())
            s[0] = s[0].toUpper();
        return s;
    };
    add(capitalised(word));
    add(capitalised(lower));
    QString words = lower;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i == 0 || words[i - 1] == QLatin1Char(' ') || words[i - 1] == QLatin1Char('('))
            words[i] = words[i].toUpper();
    }
    add(words);
    add(lower);
    add(word.toUpper());
    return out;
}

} // namespace

void TitleIndex::Build(const std::atomic<bool> &stop)
{
    using Keys = std::vector<std::pair<quint64, zim::entry_index_type>>;
    bool stopped = false;
    // A damaged directory leaves the index empty: look-ups keep using the spellings.
    Keys keys = Guarded(
        [&] {
            const zim::entry_index_type n = m_archive.EntryCount();
            const zim::Archive &archive = m_archive.Library();
            Keys found;
            found.reserve(n);
            for (zim::entry_index_type i = 0; i < n && !stop.load(std::memory_order_relaxed); ++i) {
                // Every entry in path order: the title order of this library version lists front
                // articles only, and redirects are named too. Pictures and stylesheets are left out.
                const zim::Entry e = archive.getEntryByPath(i);
                if (e.isRedirect() || IsHtml(e.getItem().getMimetype()))
                    found.emplace_back(FoldedKey(FromUtf8(e.getTitle())), e.getIndex());
                if (i % 4096 == 0)
                    m_progress.store(int(qint64(i) * 99 / qMax<qint64>(1, n)), std::memory_order_relaxed);
            }
            if (stop) {
                stopped = true;
                return Keys();
            }
            // Stable: of several titles that differ only in case, the first in path order wins.
            std::stable_sort(found.begin(), found.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            found.shrink_to_fit();
            return found;
        },
        Keys());
    if (stopped)
        return;
    m_folded = std::move(keys);
    std::lock_guard lock(m_mutex);
    m_progress = 100;
    m_ready = true;
    m_readyChanged.notify_all();
}

std::vector<zim::Entry> TitleIndex::Matches(const QString &name) const
{
    std::vector<zim::Entry> out;
    const QString want = Corpus::NormalizeTitle(name).toCaseFolded();
    if (want.isEmpty())
        return out;
    if (m_ready.load(std::memory_order_acquire)) {
        const quint64 key = FoldedKey(name);
        auto it =
            std::lower_bound(m_folded.begin(), m_folded.end(), std::make_pair(key, zim::entry_index_type(0)),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
        for (; it != m_folded.end() && it->first == key; ++it) {
            const auto e = m_archive.At(it->second);
            if (e && Corpus::NormalizeTitle(m_archive.TitleOf(*e)).toCaseFolded() == want)
                out.push_back(*e);
        }
        return out;
    }
    for (const QString &variant : CaseVariants(Corpus::NormalizeTitle(name))) {
        if (auto e = m_archive.Lookup(variant))
            out.push_back(*e);
    }
    return out;
}

qint64 TitleIndex::Size() const
{
    return m_ready.load(std::memory_order_acquire) ? qint64(m_folded.size()) : 0;
}

void TitleIndex::WaitUntilReady() const
{
    std::unique_lock lock(m_mutex);
    m_readyChanged.wait(lock, [this] { return m_ready.load(); });
}

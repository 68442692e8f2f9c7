#pragma once

#include <QtGlobal>

#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

// Values kept for the next look-ups on any thread, bounded by count and by bytes; the least
// recently used go first. A value larger than the whole bound is never kept.
template <typename Key, typename Value> class LruCache
{
public:
    LruCache(int maxCount, qint64 maxBytes)
        : m_maxCount(qMax(1, maxCount)), m_maxBytes(qMax<qint64>(0, maxBytes))
    {
    }

    std::optional<Value> Find(const Key &key) const
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_at.find(key);
        if (it == m_at.end())
            return std::nullopt;
        m_order.splice(m_order.begin(), m_order, it->second);
        return it->second->value;
    }

    // Keeps `value`, which costs `bytes`; a value another thread kept meanwhile under that key wins
    // and is returned.
    Value Keep(const Key &key, Value value, qint64 bytes)
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_at.find(key); it != m_at.end())
            return it->second->value;
        if (bytes > m_maxBytes)
            return value;
        m_order.push_front({key, value, bytes});
        m_at[key] = m_order.begin();
        m_held += bytes;
        while (m_order.size() > 1 && (int(m_order.size()) > m_maxCount || m_held > m_maxBytes)) {
            m_held -= m_order.back().bytes;
            m_at.erase(m_order.back().key);
            m_order.pop_back();
        }
        return value;
    }

    // Keeps `value` in place of what is kept under that key when `better(kept)` says so; returns what
    // is kept in the end.
    template <typename Better> Value Put(const Key &key, Value value, qint64 bytes, Better better)
    {
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_at.find(key);
            if (it != m_at.end()) {
                if (!better(it->second->value))
                    return it->second->value;
                m_held -= it->second->bytes;
                m_order.erase(it->second);
                m_at.erase(it);
            }
        }
        return Keep(key, std::move(value), bytes);
    }

    qint64 HeldBytes() const
    {
        std::lock_guard lock(m_mutex);
        return m_held;
    }

private:
    struct Kept {
        Key key;
        Value value;
        qint64 bytes;
    };

    const int m_maxCount;
    const qint64 m_maxBytes;
    mutable std::mutex m_mutex;
    mutable std::list<Kept> m_order; // most recently used first
    std::unordered_map<Key, typename std::list<Kept>::iterator> m_at;
    qint64 m_held = 0;
};

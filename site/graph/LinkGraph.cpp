#include "site/graph/LinkGraph.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{

constexpr char kMagic[8] = {'Q', 'L', 'L', 'I', 'N', 'K', 'S', '\n'};
// Raised whenever the file layout or the meaning of a mark changes, so an older file is rebuilt.
constexpr quint32 kFormatVersion = 1;
// A key longer than this is no key this program wrote.
constexpr quint32 kMaxKeyBytes = 256;

quint64 Checksum(const char *data, qsizetype size)
{
    quint64 h = 0x243f6a8885a308d3ull ^ quint64(size);
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0x9e3779b97f4a7c15ull;
        h ^= h >> 29;
    }
    for (; i < size; ++i) {
        h = (h ^ quint8(data[i])) * 0x100000001b3ull;
        h ^= h >> 29;
    }
    return h;
}

template <typename T> void Append(QByteArray &out, const T &value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T> void AppendArray(QByteArray &out, const std::vector<T> &values)
{
    out.append(reinterpret_cast<const char *>(values.data()), qsizetype(values.size() * sizeof(T)));
}

// Reads the file's parts in order; every read checks that the bytes are there.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_bytes(bytes) {}

    template <typename T> bool Read(T *value)
    {
        if (m_bytes.size() - m_at < qsizetype(sizeof(T)))
            return false;
        std::memcpy(value, m_bytes.constData() + m_at, sizeof(T));
        m_at += sizeof(T);
        return true;
    }

    template <typename T> bool ReadArray(std::vector<T> *values, quint64 count)
    {
        if (count > quint64(m_bytes.size() - m_at) / sizeof(T))
            return false;
        values->resize(count);
        std::memcpy(values->data(), m_bytes.constData() + m_at, count * sizeof(T));
        m_at += qsizetype(count * sizeof(T));
        return true;
    }

    bool Skip(QByteArrayView expected)
    {
        if (m_bytes.size() - m_at < expected.size() ||
            QByteArrayView(m_bytes).sliced(m_at, expected.size()) != expected)
            return false;
        m_at += expected.size();
        return true;
    }

    qsizetype At() const { return m_at; }

private:
    const QByteArray &m_bytes;
    qsizetype m_at = 0;
};

} // namespace

struct LinkGraph::Search {
    // One side of the search: the articles it reached, when (`stamp` equals the search's number) and
    // from where, and its current frontier.
    struct Side {
        std::vector<quint32> stamp, depth;
        std::vector<Node> parent;
        std::vector<Node> frontier, next;
    };
    Side forward, backward;
    quint32 number = 0;
};

LinkGraph::LinkGraph(std::vector<quint8> marks, std::vector<std::pair<Node, Node>> links)
    : m_marks(std::move(marks))
{
    Pack([&links](const auto &add) {
        for (const auto &[from, to] : links)
            add(from, to);
    });
    links = {};
    BuildIncoming();
    FindWinnable();
}

LinkGraph::LinkGraph(std::vector<quint8> marks, Rows rows)
    : LinkGraph(std::move(marks), [&rows] {
          std::vector<Rows> one;
          one.push_back(std::move(rows));
          return one;
      }())
{
}

LinkGraph::LinkGraph(std::vector<quint8> marks, std::vector<Rows> parts) : m_marks(std::move(marks))
{
    Pack([&parts](const auto &add) {
        for (const Rows &rows : parts) {
            for (size_t r = 0; r < rows.m_rows.size(); ++r) {
                const auto [from, begin] = rows.m_rows[r];
                const size_t end =
                    r + 1 < rows.m_rows.size() ? rows.m_rows[r + 1].second : rows.m_targets.size();
                for (size_t k = begin; k < end; ++k)
                    add(from, rows.m_targets[k]);
            }
        }
    });
    parts = {};
    BuildIncoming();
    FindWinnable();
}

template <typename ForEachLink> void LinkGraph::Pack(const ForEachLink &forEachLink)
{
    const Node n = NodeCount();
    m_outStart.assign(size_t(n) + 1, 0);
    forEachLink([&](Node from, Node to) {
        if (from < n && to < n && from != to)
            ++m_outStart[from + 1];
    });
    for (Node i = 0; i < n; ++i)
        m_outStart[i + 1] += m_outStart[i];
    m_out.resize(m_outStart[n]);
    std::vector<quint32> fill(m_outStart.begin(), m_outStart.end() - 1);
    forEachLink([&](Node from, Node to) {
        if (from < n && to < n && from != to)
            m_out[fill[from]++] = to;
    });
    // Each article's links in number order without repeats, packed down in place.
    quint32 kept = 0;
    quint32 begin = 0;
    for (Node i = 0; i < n; ++i) {
        const quint32 end = m_outStart[i + 1];
        std::sort(m_out.begin() + begin, m_out.begin() + end);
        const quint32 rowStart = kept;
        for (quint32 k = begin; k < end; ++k) {
            if (k == begin || m_out[k] != m_out[k - 1])
                m_out[kept++] = m_out[k];
        }
        m_outStart[i] = rowStart;
        begin = end;
    }
    m_outStart[n] = kept;
    m_out.resize(kept);
    m_out.shrink_to_fit();
}

void LinkGraph::BuildIncoming()
{
    const Node n = NodeCount();
    m_inStart.assign(size_t(n) + 1, 0);
    for (Node to : m_out)
        ++m_inStart[to + 1];
    for (Node i = 0; i < n; ++i)
        m_inStart[i + 1] += m_inStart[i];
    m_in.resize(m_out.size());
    std::vector<quint32> fill(m_inStart.begin(), m_inStart.end() - 1);
    for (Node from = 0; from < n; ++from) {
        for (quint32 k = m_outStart[from]; k < m_outStart[from + 1]; ++k)
            m_in[fill[m_out[k]]++] = from;
    }
}

void LinkGraph::FindWinnable()
{
    // Two depth-first passes (forward links, then backward links in reverse finishing order) over
    // the passable articles; each tree of the second pass is one set of articles that all reach
    // each other. Explicit stacks: a route through a million articles must not exhaust the stack.
    const Node n = NodeCount();
    std::vector<Node> order;
    order.reserve(n);
    std::vector<quint8> seen(n, 0);
    std::vector<std::pair<Node, quint32>> stack;
    for (Node root = 0; root < n; ++root) {
        if (seen[root] || !IsPassable(root))
            continue;
        seen[root] = 1;
        stack.emplace_back(root, m_outStart[root]);
        while (!stack.empty()) {
            auto &[node, next] = stack.back();
            if (next < m_outStart[node + 1]) {
                const Node to = m_out[next++];
                if (!seen[to] && IsPassable(to)) {
                    seen[to] = 1;
                    stack.emplace_back(to, m_outStart[to]);
                }
            } else {
                order.push_back(node);
                stack.pop_back();
            }
        }
    }
    constexpr Node kNoComponent = kNoNode;
    std::vector<Node> component(n, kNoComponent);
    std::vector<Node> todo;
    Node best = kNoComponent;
    quint32 bestSize = 0;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (component[*it] != kNoComponent)
            continue;
        const Node id = *it;
        quint32 size = 0;
        component[id] = id;
        todo.push_back(id);
        while (!todo.empty()) {
            const Node node = todo.back();
            todo.pop_back();
            ++size;
            for (quint32 k = m_inStart[node]; k < m_inStart[node + 1]; ++k) {
                const Node from = m_in[k];
                if (component[from] == kNoComponent && IsPassable(from)) {
                    component[from] = id;
                    todo.push_back(from);
                }
            }
        }
        if (size > bestSize) {
            bestSize = size;
            best = id;
        }
    }
    m_winnable.clear();
    for (Node i = 0; i < n; ++i) {
        if (best != kNoComponent && component[i] == best && (m_marks[i] & Drawable))
            m_winnable.push_back(i);
    }
    m_winnable.shrink_to_fit();
}

quint64 LinkGraph::BytesUsed() const
{
    return m_marks.capacity() + 4 * (m_outStart.capacity() + m_out.capacity() + m_inStart.capacity() +
                                     m_in.capacity() + m_winnable.capacity());
}

LinkGraph::Node LinkGraph::RandomWinnable() const
{
    if (m_winnable.size() < 2)
        return kNoNode;
    return m_winnable[QRandomGenerator::global()->bounded(quint32(m_winnable.size()))];
}

std::vector<LinkGraph::Node> LinkGraph::ShortestRoute(Node from, Node to) const
{
    const Node n = NodeCount();
    if (from >= n || to >= n || !IsPassable(to))
        return {};
    if (from == to)
        return {from};

    std::lock_guard lock(*m_searchMutex);
    if (!m_search)
        m_search = std::make_shared<Search>();
    Search &s = *m_search;
    if (s.forward.stamp.size() != n || s.number == std::numeric_limits<quint32>::max()) {
        for (Search::Side *side : {&s.forward, &s.backward}) {
            side->stamp.assign(n, 0);
            side->depth.resize(n);
            side->parent.resize(n);
        }
        s.number = 0;
    }
    const quint32 number = ++s.number;
    auto start = [number](Search::Side &side, Node at) {
        side.stamp[at] = number;
        side.depth[at] = 0;
        side.parent[at] = kNoNode;
        side.frontier.assign(1, at);
    };
    start(s.forward, from);
    start(s.backward, to);

    // Breadth first from both ends, a whole level at a time, always on the side with the smaller
    // frontier. The first level on which the two sides meet holds a shortest route; of its meetings
    // the one with the fewest steps on the far side wins.
    Node meet = kNoNode;
    quint32 best = std::numeric_limits<quint32>::max();
    while (meet == kNoNode && !s.forward.frontier.empty() && !s.backward.frontier.empty()) {
        const bool forward = s.forward.frontier.size() <= s.backward.frontier.size();
        Search::Side &near = forward ? s.forward : s.backward;
        const Search::Side &far = forward ? s.backward : s.forward;
        const std::vector<quint32> &starts = forward ? m_outStart : m_inStart;
        const std::vector<Node> &targets = forward ? m_out : m_in;
        near.next.clear();
        for (Node u : near.frontier) {
            const quint32 depth = near.depth[u] + 1;
            for (quint32 k = starts[u]; k < starts[u + 1]; ++k) {
                const Node v = targets[k];
                if (near.stamp[v] == number || !(IsPassable(v) || v == from))
                    continue;
                near.stamp[v] = number;
                near.depth[v] = depth;
                near.parent[v] = u;
                if (far.stamp[v] == number) {
                    if (depth + far.depth[v] < best) {
                        best = depth + far.depth[v];
                        meet = v;
                    }
                } else {
                    near.next.push_back(v);
                }
            }
        }
        std::swap(near.frontier, near.next);
    }
    if (meet == kNoNode)
        return {};
    std::vector<Node> route;
    for (Node at = meet; at != kNoNode; at = s.forward.parent[at])
        route.push_back(at);
    std::reverse(route.begin(), route.end());
    for (Node at = s.backward.parent[meet]; at != kNoNode; at = s.backward.parent[at])
        route.push_back(at);
    return route;
}

std::span<const LinkGraph::Node> LinkGraph::OutLinks(Node from) const
{
    if (from >= NodeCount())
        return {};
    return {m_out.data() + m_outStart[from], m_out.data() + m_outStart[from + 1]};
}

std::vector<quint32> LinkGraph::DistancesTo(Node to) const
{
    std::vector<quint32> distance(NodeCount(), kNoDistance);
    if (!IsPassable(to))
        return distance;
    // Backwards along the incoming links. A route may start on any article but only passes through
    // passable ones, so an article that is not passable gets its distance and is not searched on.
    distance[to] = 0;
    std::vector<Node> frontier{to}, next;
    for (quint32 depth = 1; !frontier.empty(); ++depth) {
        next.clear();
        for (Node u : frontier) {
            for (quint32 k = m_inStart[u]; k < m_inStart[u + 1]; ++k) {
                const Node v = m_in[k];
                if (distance[v] != kNoDistance)
                    continue;
                distance[v] = depth;
                if (IsPassable(v))
                    next.push_back(v);
            }
        }
        std::swap(frontier, next);
    }
    return distance;
}

QByteArray LinkGraph::Serialize(const QByteArray &key) const
{
    QByteArray out;
    out.reserve(qsizetype(64 + key.size() + m_marks.size() + 4 * (m_outStart.size() + m_out.size())));
    out.append(kMagic, sizeof kMagic);
    Append(out, kFormatVersion);
    Append(out, quint32(key.size()));
    out.append(key);
    Append(out, NodeCount());
    Append(out, quint64(m_out.size()));
    AppendArray(out, m_marks);
    AppendArray(out, m_outStart);
    AppendArray(out, m_out);
    Append(out, Checksum(out.constData(), out.size()));
    return out;
}

std::optional<LinkGraph> LinkGraph::Deserialize(const QByteArray &bytes, const QByteArray &key,
                                                Node nodeCount)
{
    Reader in(bytes);
    quint32 version = 0, keySize = 0;
    if (!in.Skip(QByteArrayView(kMagic, sizeof kMagic)) || !in.Read(&version) || version != kFormatVersion ||
        !in.Read(&keySize) || keySize > kMaxKeyBytes || keySize != quint32(key.size()) || !in.Skip(key))
        return std::nullopt;
    Node nodes = 0;
    quint64 links = 0;
    LinkGraph g;
    if (!in.Read(&nodes) || nodes != nodeCount || nodes == kNoNode || !in.Read(&links) ||
        links > std::numeric_limits<quint32>::max() || !in.ReadArray(&g.m_marks, nodes) ||
        !in.ReadArray(&g.m_outStart, quint64(nodes) + 1) || !in.ReadArray(&g.m_out, links))
        return std::nullopt;
    const qsizetype checked = in.At();
    quint64 sum = 0;
    if (!in.Read(&sum) || in.At() != bytes.size() || sum != Checksum(bytes.constData(), checked))
        return std::nullopt;
    // Even with a matching checksum, nothing in the file may point outside the graph.
    if (g.m_outStart.front() != 0 || g.m_outStart.back() != links)
        return std::nullopt;
    for (Node i = 0; i < nodes; ++i) {
        if (g.m_outStart[i] > g.m_outStart[i + 1])
            return std::nullopt;
    }
    for (Node to : g.m_out) {
        if (to >= nodes)
            return std::nullopt;
    }
    g.BuildIncoming();
    g.FindWinnable();
    return g;
}

bool LinkGraph::Save(const QString &file, const QByteArray &key) const
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Serialize(key);
    return out.write(bytes) == bytes.size() && out.commit();
}

std::optional<LinkGraph> LinkGraph::Load(const QString &file, const QByteArray &key, Node nodeCount)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The largest file a graph of this many articles could need, so a huge stray file is not read.
    const quint64 most =
        64 + kMaxKeyBytes + quint64(nodeCount) * 5 + 4 + 4ull * std::numeric_limits<quint32>::max();
    if (quint64(in.size()) > most)
        return std::nullopt;
    return Deserialize(in.readAll(), key, nodeCount);
}

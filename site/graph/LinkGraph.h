#pragma once

#include "protocol/PageKinds.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// The links between the articles of one encyclopedia, held compactly in both directions: for each
// article the targets of its links (and the articles linking to it) as one run of 32-bit article
// numbers. Articles are numbered 0..NodeCount()-1 by the encyclopedia that builds the graph. Each
// article carries two marks: whether a route may pass through it (the page kinds that take a
// player out of the round may not), and whether a random draw may land on it.
class LinkGraph
{
public:
    using Node = quint32;
    static constexpr Node kNoNode = 0xffffffffu;

    enum Mark : quint8 {
        Passable = 1, // a player may be on it during a round
        Drawable = 2, // Special:Random may give it
    };
    // The marks a page of this kind may carry: passable unless it takes a player out, drawable only
    // when a round can end on it.
    static quint8 MarksOf(PageKind kind)
    {
        return quint8((TakesPlayerOut(kind) ? 0 : Passable) | (MayEndRound(kind) ? Drawable : 0));
    }

    // Links gathered article by article, the articles in any order (an archive is read in the order
    // it stores them): 4 bytes a link while gathering, half of what (from, to) pairs take.
    class Rows
    {
    public:
        // The links that follow are from this article.
        void Begin(Node from) { m_rows.emplace_back(from, quint32(m_targets.size())); }
        void Add(Node to) { m_targets.push_back(to); }
        // Links added so far.
        size_t Size() const { return m_targets.size(); }

    private:
        friend class LinkGraph;
        std::vector<std::pair<Node, quint32>> m_rows; // article, where its links start in m_targets
        std::vector<Node> m_targets;
    };

    // Links are (from, to) pairs in any order; repeats and links to oneself are dropped.
    // `marks` has one entry per article.
    LinkGraph(std::vector<quint8> marks, std::vector<std::pair<Node, Node>> links);
    LinkGraph(std::vector<quint8> marks, Rows rows);
    // Links gathered on several threads, each its own rows; the graph is the same in any order.
    LinkGraph(std::vector<quint8> marks, std::vector<Rows> rows);

    Node NodeCount() const { return Node(m_marks.size()); }
    quint64 LinkCount() const { return m_out.size(); }
    bool IsPassable(Node n) const { return n < NodeCount() && (m_marks[n] & Passable); }
    // Bytes this graph holds, all arrays included.
    quint64 BytesUsed() const;

    // One shortest route of links from `from` to `to`, both included, through passable articles
    // only (`from` itself may be any article; `to` must be passable). Empty when there is none.
    std::vector<Node> ShortestRoute(Node from, Node to) const;
    // The articles `from` links to, in number order; none for a number out of range.
    std::span<const Node> OutLinks(Node from) const;
    // For every article, the clicks of a shortest route from it to `to` through passable articles
    // (as ShortestRoute counts them), kNoDistance where none leads there. One search answers for
    // every article, so whoever asks about many articles with one destination asks once.
    static constexpr quint32 kNoDistance = 0xffffffffu;
    std::vector<quint32> DistancesTo(Node to) const;

    // The drawable articles of the largest set of passable articles that all reach each other, in
    // number order: any two of them are linked both ways by a route.
    const std::vector<Node> &Winnable() const { return m_winnable; }
    // A uniformly drawn article of Winnable(); kNoNode when it holds fewer than two (no round can be
    // won between them, so the encyclopedia's own draw is as good).
    Node RandomWinnable() const;

    // The graph as a file: a header naming the encyclopedia (`key`, e.g. an archive's UUID), then
    // the marks and the outgoing links, with a checksum over all of it.
    QByteArray Serialize(const QByteArray &key) const;
    // The graph back from Serialize's bytes; nothing when they are not exactly that for this key and
    // article count (another format version, another encyclopedia, cut short or damaged).
    static std::optional<LinkGraph> Deserialize(const QByteArray &bytes, const QByteArray &key,
                                                Node nodeCount);
    // The same from and to a file; Save writes a whole new file in place of the old one or nothing.
    bool Save(const QString &file, const QByteArray &key) const;
    static std::optional<LinkGraph> Load(const QString &file, const QByteArray &key, Node nodeCount);

private:
    LinkGraph() = default;
    // Lays out the links that `forEachLink(add)` hands to add(from, to), twice over: once counted,
    // once placed.
    template <typename ForEachLink> void Pack(const ForEachLink &forEachLink);
    void BuildIncoming();
    void FindWinnable();

    std::vector<quint8> m_marks;
    std::vector<quint32> m_outStart; // NodeCount()+1 offsets into m_out
    std::vector<Node> m_out;
    std::vector<quint32> m_inStart;
    std::vector<Node> m_in;
    std::vector<Node> m_winnable;

    // Working space of the route search, kept between searches; one search at a time.
    struct Search;
    mutable std::shared_ptr<Search> m_search;
    mutable std::shared_ptr<std::mutex> m_searchMutex = std::make_shared<std::mutex>();
};

// A graph that is built in the background: nothing until it is ready.
class PendingGraph
{
public:
    std::shared_ptr<const LinkGraph> Get() const { return std::atomic_load(&m_graph); }
    void Set(std::shared_ptr<const LinkGraph> graph) { std::atomic_store(&m_graph, std::move(graph)); }

private:
    std::shared_ptr<const LinkGraph> m_graph;
};

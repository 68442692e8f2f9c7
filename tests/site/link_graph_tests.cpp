// The link graph: shortest routes from both ends against a plain one-sided search, the articles
// that random draws may give, and the graph's file.
#include "site/graph/LinkGraph.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>

namespace
{

using Node = LinkGraph::Node;
using Links = std::vector<std::pair<Node, Node>>;

struct RandomGraph {
    std::vector<quint8> marks;
    Links links;
};

// `n` articles, about `degree` links each; about one in five may not be passed through.
RandomGraph MakeRandomGraph(QRandomGenerator &random, Node n, int degree)
{
    RandomGraph g;
    for (Node i = 0; i < n; ++i)
        g.marks.push_back(LinkGraph::Drawable | (random.bounded(5) == 0 ? 0 : LinkGraph::Passable));
    for (Node i = 0; i < n * Node(degree); ++i)
        g.links.emplace_back(random.bounded(n), random.bounded(n));
    return g;
}

bool HasLink(const Links &links, Node from, Node to)
{
    return std::find(links.begin(), links.end(), std::make_pair(from, to)) != links.end();
}

// Clicks of a shortest route by a plain breadth-first search from the start; -1 when none.
int ReferenceClicks(const RandomGraph &g, Node from, Node to)
{
    const Node n = Node(g.marks.size());
    if (!(g.marks[to] & LinkGraph::Passable))
        return -1;
    std::vector<int> depth(n, -1);
    depth[from] = 0;
    std::deque<Node> next{from};
    while (!next.empty()) {
        const Node u = next.front();
        next.pop_front();
        if (u == to)
            return depth[u];
        for (const auto &[a, b] : g.links) {
            if (a == u && depth[b] < 0 && (g.marks[b] & LinkGraph::Passable)) {
                depth[b] = depth[u] + 1;
                next.push_back(b);
            }
        }
    }
    return -1;
}

TEST(LinkGraph, ShortestRoutesMatchAOneSidedSearch)
{
    QRandomGenerator random(17);
    int routes = 0, none = 0;
    for (int round = 0; round < 60; ++round) {
        const Node n = 5 + random.bounded(40);
        const RandomGraph g = MakeRandomGraph(random, n, 1 + random.bounded(3));
        const LinkGraph graph(g.marks, g.links);
        for (Node from = 0; from < n; ++from) {
            for (Node to = 0; to < n; ++to) {
                const std::vector<Node> route = graph.ShortestRoute(from, to);
                const int expected = ReferenceClicks(g, from, to);
                ASSERT_EQ(int(route.size()) - 1, expected)
                    << "graph " << round << ": " << from << " -> " << to;
                if (route.empty()) {
                    ++none;
                    continue;
                }
                ++routes;
                ASSERT_EQ(route.front(), from);
                ASSERT_EQ(route.back(), to);
                for (size_t i = 1; i < route.size(); ++i) {
                    ASSERT_TRUE(from == to || HasLink(g.links, route[i - 1], route[i]));
                    ASSERT_TRUE(graph.IsPassable(route[i])) << "a route passes only where a player may be";
                }
            }
        }
    }
    EXPECT_GT(routes, 1000);
    EXPECT_GT(none, 1000) << "the table must hold pairs without a route too";
}

TEST(LinkGraph, DistancesToOneArticleMatchTheRoutes)
{
    QRandomGenerator random(29);
    int reached = 0, unreached = 0;
    for (int round = 0; round < 40; ++round) {
        const Node n = 5 + random.bounded(40);
        const RandomGraph g = MakeRandomGraph(random, n, 1 + random.bounded(3));
        const LinkGraph graph(g.marks, g.links);
        for (Node to = 0; to < n; ++to) {
            const std::vector<quint32> distance = graph.DistancesTo(to);
            ASSERT_EQ(distance.size(), size_t(n));
            for (Node from = 0; from < n; ++from) {
                const int expected = ReferenceClicks(g, from, to);
                ASSERT_EQ(distance[from] == LinkGraph::kNoDistance ? -1 : int(distance[from]), expected)
                    << "graph " << round << ": " << from << " -> " << to;
                ++(expected < 0 ? unreached : reached);
            }
        }
        for (Node from = 0; from < n; ++from) {
            for (Node to : graph.OutLinks(from))
                ASSERT_TRUE(HasLink(g.links, from, to)) << from << " -> " << to;
        }
    }
    EXPECT_GT(reached, 1000);
    EXPECT_GT(unreached, 1000);
}

TEST(LinkGraph, EdgeCasesOfRoutes)
{
    // 0 -> 1 -> 2, 0 -> 3 -> 2 where 3 may not be passed; 4 is not passable; 2 -> 4; 4 -> 0.
    const std::vector<quint8> marks = {3, 3, 3, 2, 2};
    const LinkGraph g(marks, {{0, 1}, {1, 2}, {0, 3}, {3, 2}, {2, 4}, {4, 0}, {1, 1}, {0, 1}, {9, 0}});
    struct Row {
        Node from, to;
        std::vector<Node> route;
    } rows[] = {
        {0, 2, {0, 1, 2}}, // around the article that may not be passed
        {0, 0, {0}},       // already there
        {4, 1, {4, 0, 1}}, // a start a player may not be on still starts a route
        {2, 4, {}},        // nor may a route end there
        {0, 9, {}},        // no such article
        {LinkGraph::kNoNode, 0, {}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(g.ShortestRoute(r.from, r.to), r.route) << r.from << " -> " << r.to;
    EXPECT_EQ(g.LinkCount(), 6u) << "a repeated link, a link to itself and one out of range are dropped";
    EXPECT_EQ(std::vector<Node>(g.OutLinks(0).begin(), g.OutLinks(0).end()), std::vector<Node>({1, 3}));
    EXPECT_TRUE(g.OutLinks(9).empty());
    const quint32 none = LinkGraph::kNoDistance;
    EXPECT_EQ(g.DistancesTo(2), std::vector<quint32>({2, 1, 0, 1, 3})) << "3 and 4 may start a route";
    EXPECT_EQ(g.DistancesTo(4), std::vector<quint32>(5, none)) << "no route ends where a player may not be";
}

TEST(LinkGraph, WinnableArticlesAllReachEachOther)
{
    QRandomGenerator random(5);
    for (int round = 0; round < 40; ++round) {
        const Node n = 2 + random.bounded(40);
        const RandomGraph g = MakeRandomGraph(random, n, 1 + random.bounded(2));
        const LinkGraph graph(g.marks, g.links);
        // The largest set of mutually reachable passable articles, by brute force.
        size_t largest = 0;
        for (Node a = 0; a < n; ++a) {
            if (!(g.marks[a] & LinkGraph::Passable))
                continue;
            size_t size = 0;
            for (Node b = 0; b < n; ++b)
                size += ReferenceClicks(g, a, b) >= 0 && ReferenceClicks(g, b, a) >= 0;
            largest = std::max(largest, size);
        }
        const std::vector<Node> &w = graph.Winnable();
        ASSERT_EQ(w.size(), largest) << "graph " << round;
        for (Node a : w) {
            for (Node b : w)
                ASSERT_FALSE(graph.ShortestRoute(a, b).empty())
                    << "graph " << round << ": " << a << " -> " << b;
        }
    }
    // Only drawable articles are drawn, though a route may pass through the others.
    const LinkGraph ring({LinkGraph::Passable, 3, 3}, {{0, 1}, {1, 2}, {2, 0}});
    EXPECT_EQ(ring.Winnable(), (std::vector<Node>{1, 2}));
    for (int i = 0; i < 50; ++i)
        EXPECT_NE(ring.RandomWinnable(), 0u);
    EXPECT_EQ(LinkGraph({}, LinkGraph::Rows()).RandomWinnable(), LinkGraph::kNoNode);
    EXPECT_EQ(LinkGraph({3, 3}, {{0, 1}}).RandomWinnable(), LinkGraph::kNoNode) << "one article is no round";
}

TEST(LinkGraph, FileIsTrustedOnlyWhenWhole)
{
    QRandomGenerator random(3);
    const RandomGraph g = MakeRandomGraph(random, 300, 4);
    const LinkGraph graph(g.marks, g.links);
    const QByteArray key = "archive-one";
    const QByteArray bytes = graph.Serialize(key);
    const auto back = LinkGraph::Deserialize(bytes, key, 300);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Serialize(key), bytes);
    EXPECT_EQ(back->Winnable(), graph.Winnable());
    EXPECT_EQ(back->ShortestRoute(1, 2), graph.ShortestRoute(1, 2));

    auto flipped = [&](qsizetype at) {
        QByteArray b = bytes;
        b[at] = char(b[at] ^ 0x10);
        return b;
    };
    struct Row {
        const char *what;
        QByteArray bytes, key;
        Node nodes;
    } rows[] = {
        {"another archive", bytes, "archive-two", 300},
        {"another article count", bytes, key, 301},
        {"another format version", flipped(8), key, 300},
        {"a changed mark", flipped(40), key, 300},
        {"a changed link", flipped(bytes.size() - 20), key, 300},
        {"a changed checksum", flipped(bytes.size() - 1), key, 300},
        {"cut short", bytes.chopped(9), key, 300},
        {"a byte more", bytes + "x", key, 300},
        {"empty", QByteArray(), key, 300},
        {"text", QByteArray("QLLINKS\nhello"), key, 300},
    };
    for (const Row &r : rows)
        EXPECT_FALSE(LinkGraph::Deserialize(r.bytes, r.key, r.nodes)) << r.what;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("graph.links"));
    ASSERT_TRUE(graph.Save(file, key));
    EXPECT_TRUE(LinkGraph::Load(file, key, 300));
    EXPECT_FALSE(LinkGraph::Load(dir.filePath(QStringLiteral("missing.links")), key, 300));
}

} // namespace

namespace
{

TEST(LinkGraph, RowsGatheredInAnyOrderMakeTheSameGraph)
{
    QRandomGenerator random(11);
    for (int round = 0; round < 20; ++round) {
        const Node n = 1 + random.bounded(60);
        const RandomGraph g = MakeRandomGraph(random, n, 3);
        // The same links as rows, the articles in a shuffled order; the first one comes twice, with
        // its links to even numbers first and the others last.
        std::vector<Node> order;
        for (Node i = 0; i < n; ++i)
            order.push_back(i);
        std::shuffle(order.begin(), order.end(), random);
        order.push_back(order.front());
        LinkGraph::Rows rows;
        for (size_t k = 0; k < order.size(); ++k) {
            rows.Begin(order[k]);
            for (const auto &[from, to] : g.links) {
                const bool part = order[k] != order.front() || (k == 0) == (to % 2 == 0);
                if (from == order[k] && part)
                    rows.Add(to);
            }
        }
        EXPECT_EQ(LinkGraph(g.marks, std::move(rows)).Serialize("k"),
                  LinkGraph(g.marks, g.links).Serialize("k"))
            << "graph " << round;
    }
}

} // namespace

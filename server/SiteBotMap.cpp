#include "server/SiteBotMap.h"

namespace
{
constexpr size_t kRecentDestinations = 4;
}

std::shared_ptr<const SiteBotMap> SiteBotMap::Of(std::shared_ptr<const EncyclopediaSite> site)
{
    std::shared_ptr<const LinkGraph> graph = site ? site->Graph() : nullptr;
    if (!graph)
        return nullptr;
    return std::make_shared<SiteBotMap>(std::move(site), std::move(graph));
}

SiteBotMap::SiteBotMap(std::shared_ptr<const EncyclopediaSite> site, std::shared_ptr<const LinkGraph> graph)
    : m_site(std::move(site)), m_graph(std::move(graph))
{
}

QStringList SiteBotMap::Links(const QString &title) const
{
    QStringList links;
    for (LinkGraph::Node to : m_graph->OutLinks(nodeOf(title))) {
        if (m_graph->IsPassable(to))
            links << titleOf(to);
    }
    return links;
}

LinkGraph::Node SiteBotMap::nodeOf(const QString &title) const
{
    if (const auto it = m_nodes.constFind(title); it != m_nodes.constEnd())
        return *it;
    if (m_nodes.size() >= kMaxRemembered)
        m_nodes.clear();
    return m_nodes[title] = m_site->GraphNode(title);
}

QString SiteBotMap::titleOf(LinkGraph::Node node) const
{
    if (const auto it = m_titles.constFind(node); it != m_titles.constEnd())
        return *it;
    if (m_titles.size() >= kMaxRemembered)
        m_titles.clear();
    const QString title = m_site->GraphTitle(node);
    m_titles[node] = title;
    // The links a bot weighs are asked for by these titles next.
    if (m_nodes.size() >= kMaxRemembered)
        m_nodes.clear();
    m_nodes[title] = node;
    return title;
}

qint32 SiteBotMap::Distance(const QString &from, const QString &to) const
{
    const LinkGraph::Node start = nodeOf(from), goal = nodeOf(to);
    if (start == LinkGraph::kNoNode || goal == LinkGraph::kNoNode)
        return -1;
    const quint32 clicks = distancesTo(goal)[start];
    return clicks == LinkGraph::kNoDistance ? -1 : qint32(clicks);
}

const std::vector<quint32> &SiteBotMap::distancesTo(LinkGraph::Node to) const
{
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
        if (it->to != to)
            continue;
        if (it != m_recent.begin()) {
            Distances found = std::move(*it);
            m_recent.erase(it);
            m_recent.push_front(std::move(found));
        }
        return m_recent.front().clicks;
    }
    m_recent.push_front({to, m_graph->DistancesTo(to)});
    if (m_recent.size() > kRecentDestinations)
        m_recent.pop_back();
    return m_recent.front().clicks;
}

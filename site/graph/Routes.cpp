#include "site/graph/Routes.h"

std::optional<QStringList> ShortestRoute(const EncyclopediaSite &site, const QString &from, const QString &to)
{
    const std::shared_ptr<const LinkGraph> graph = site.Graph();
    if (!graph)
        return std::nullopt;
    const LinkGraph::Node start = site.GraphNode(from);
    const LinkGraph::Node goal = site.GraphNode(to);
    if (start == LinkGraph::kNoNode || goal == LinkGraph::kNoNode)
        return QStringList();
    QStringList route;
    for (LinkGraph::Node node : graph->ShortestRoute(start, goal))
        route.append(site.GraphTitle(node));
    return route;
}

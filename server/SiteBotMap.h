#pragma once

#include "server/Bots.h"
#include "site/EncyclopediaSite.h"

#include <QHash>

#include <deque>
#include <memory>
#include <vector>

// The bots' map of an encyclopedia whose link graph is ready: links and distances from its graph.
class SiteBotMap : public BotMap
{
public:
    // nullptr while the site has no link graph.
    static std::shared_ptr<const SiteBotMap> Of(std::shared_ptr<const EncyclopediaSite> site);

    SiteBotMap(std::shared_ptr<const EncyclopediaSite> site, std::shared_ptr<const LinkGraph> graph);
    QStringList Links(const QString &title) const override;
    qint32 Distance(const QString &from, const QString &to) const override;
    const std::shared_ptr<const EncyclopediaSite> &Site() const { return m_site; }

private:
    // Each look-up of a title reads the archive's directory, and a room of bots asks about the same
    // few thousand articles many times a second: what was found is remembered, up to a bound.
    LinkGraph::Node nodeOf(const QString &title) const;
    QString titleOf(LinkGraph::Node node) const;
    static constexpr qsizetype kMaxRemembered = 1 << 16;

    // Every bot of a round heads for one destination: one search answers all their questions.
    const std::vector<quint32> &distancesTo(LinkGraph::Node to) const;

    std::shared_ptr<const EncyclopediaSite> m_site;
    std::shared_ptr<const LinkGraph> m_graph;
    struct Distances {
        LinkGraph::Node to;
        std::vector<quint32> clicks;
    };
    // The latest destinations first; a few, as a large graph's table is large.
    mutable std::deque<Distances> m_recent;
    mutable QHash<QString, LinkGraph::Node> m_nodes;
    mutable QHash<LinkGraph::Node, QString> m_titles;
};

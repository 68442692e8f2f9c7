#pragma once

#include "server/Bots.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Work the encyclopedia does in the background after it opens (an index, the link graph).
struct SiteProgress {
    QString task; // "Building the link graph"
    int percent = 100;

    bool Running() const { return percent < 100; }
    // "Building the link graph: 40%", "" when nothing runs.
    QString Text() const { return Running() ? task + QStringLiteral(": %1%").arg(percent) : QString(); }
};

// The encyclopedia site that serves alongside the game: started with the game, stopped with it.
class SiteControl
{
public:
    virtual ~SiteControl() = default;
    // Serves the encyclopedia `setting` names (see site::EncyclopediaSetting). *description names the
    // encyclopedia served; *error says why it is not served (or why the configured one was replaced
    // by the built-in one). False when nothing is served.
    virtual bool Start(const QString &setting, QString *description, QString *error) = 0;
    virtual void Stop() = 0;
    // Work the encyclopedia still does in the background, for the operator.
    virtual SiteProgress Progress() const { return {}; }
    // One shortest route between two articles of the encyclopedia served (see ShortestRoute);
    // nothing when it cannot be told.
    virtual std::optional<QStringList> Route(const QString &, const QString &) const { return std::nullopt; }
    // The bots' map of the encyclopedia served; nullptr while it has no link graph.
    virtual std::shared_ptr<const BotMap> Map() const { return nullptr; }
};

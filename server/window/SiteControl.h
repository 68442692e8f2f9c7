#pragma once

#include <QStringList>
#include <optional>

#include <QString>

// The encyclopedia site that serves alongside the game: started with the game, stopped with it.
class SiteControl
{
public:
    virtual ~SiteControl() = default;
    // *description names the encyclopedia served; *error says why it is not served (or why the
    // configured one was replaced by the built-in one). False when nothing is served.
    virtual bool Start(QString *description, QString *error) = 0;
    virtual void Stop() = 0;
    // Work the encyclopedia still does in the background, for the window; "" when there is none.
    virtual QString Progress() const { return {}; }
    // One shortest route between two articles of the encyclopedia served (see ShortestRoute);
    // nothing when it cannot be told.
    virtual std::optional<QStringList> Route(const QString &, const QString &) const { return std::nullopt; }
};

#pragma once

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
};

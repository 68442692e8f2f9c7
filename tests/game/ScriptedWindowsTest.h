#pragma once

#include "GameTestSupport.h"
#include "WindowTestSupport.h"
#include "fakes/ScriptedBrowser.h"

// The game windows with a scripted browser whose look-ups find the article named, opened for a list of
// players (the first is this player) as the start window opens them.
class ScriptedWindowsTest : public WindowFixture<ScriptedBrowser>
{
protected:
    std::unique_ptr<ScriptedBrowser> MakeBrowser(QWidget *) override
    {
        auto b = std::make_unique<ScriptedBrowser>();
        b->SetResolver(ArticleOfTheLookUp);
        return b;
    }
    void Open(const QStringList &players, bool host = false)
    {
        for (const QString &p : players)
            modData.AddPlayer(p);
        modData.IsHost = host;
        session->Open();
        QCoreApplication::processEvents();
    }
};

#pragma once

#include <QString>

// Where the encyclopedia lives. Setting "Site" holds "host" or "host:port"; when it is empty the
// server draws from its own site on 127.0.0.1:7200 and a client browses its game server's site.
namespace site
{

constexpr quint16 kSitePort = 7200;
// The text every page title of the encyclopedia ends with, after " - "; the game's title rules
// look for it.
inline constexpr char kTitleMarker[] = "Wikipedia, the free encyclopedia";

// The "Site" setting as stored (trimmed).
QString SiteSetting();
// Host (with port) the server's hidden browser uses.
QString ServerSiteHost();
// Host (with port) a client browses, given the game server's address.
QString ClientSiteHost(const QString &gameServerAddress);
// The domain used to tell on-site pages from off-site ones: the last two labels of the host in lower
// case when it has three or more ("en.wikipedia.org" gives "wikipedia.org"); an IP address or a one-
// or two-label host stays whole. The ":port" stays.
QString SiteDomain(const QString &host);
// The "Encyclopedia" setting: a ZIM file, a corpus folder, or "" for the built-in encyclopedia.
QString EncyclopediaSetting();
void SaveEncyclopediaSetting(const QString &value);
// How a window names the setting's choice.
QString EncyclopediaChoiceText(const QString &setting);

} // namespace site

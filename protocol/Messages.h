#pragma once

#include "protocol/Decoders.h"

#include <QString>
#include <QStringList>

// Builders for every message of the game, byte for byte.
// Values are inserted as they are: nothing is escaped or quoted.
namespace msg
{

// Client to server
QString Connect(const QString &version, const QString &name, const QString &port, const QString &password);
QString GetPlayerList(const QString &port);
QString Status(const QString &server, const QString &port);
QString PingMe(const QString &port);
QString Pong(const QString &name, const QString &tick);
QString GetScore(const QString &port, const QString &name);
QString GetPing(const QString &port, const QString &name);
QString TimeRequest(const QString &port);
QString Chat(const QString &name, const QString &text); // no closing ";": the text runs to the end
QString Disconnect(const QString &name);
QString GetWords(const QString &name);
QString Navigate(const QString &name, const QString &page);
QString SendMyPath(const QString &name, const QString &route);
QString GetRandom(int source); // 1 = start word, 2 = destination word
QString SetWords(const QString &startTitle, const QString &destinationTitle);
QString NewGameRequest();
// A player leaves the round it cannot finish.
QString GiveUp(const QString &name);

// Server to client
QString ConnectRejectVersion(const QString &version);
QString NeedPwd();
QString ConnectRejectError(qint32 code);
QString ConnectAccept(bool playing);
QString Message(const QString &welcomeText);
QString IsHost(const QString &name);
QString Join(const QString &name);
QString PlayerList(const QStringList &names);
QString StatusReply(const QString &version, qint32 count, const QString &server);
QString Ping(qint32 tick);
QString PingIs(const QString &name, qint32 milliseconds);
QString ScoreIs(const QString &name, qint32 wins, qint32 clicks, qint32 roundClicks, const QString &inGame);
QString TimeReply(const QString &longTime, const QString &longDate);
QString Leave(const QString &name);
QString Drop(const QString &name);
QString DisconnectNotice();
// "COUNT" is the highest index: two words travel as COUNT=1 with WORD0 and WORD1.
QString StartGame(const QStringList &words);
QString SetRandom(const QString &source, const QString &title);
QString Disqualify(const QString &page);
QString NewGame(const QString &name);
QString Winner(const QString &name);
QString PathIs(const QString &name, const QString &route);

// Server to client, newer messages a peer that does not know them ignores.
// "PAR CLICKS=n;": how many clicks a shortest route of the round takes.
QString Par(qint32 clicks);
// "TURN NAME=x;": who chooses the next words.
QString Turn(const QString &name);
// "RESULT ROUND=r;NAME=x;OUTCOME=w;REASON=k;MS=t;CLICKS=n;ROUTE=p1\rp2\rp3" and
// "SHORTEST ROUND=r;CLICKS=n;ROUTE=p1\rp2": the route comes last and runs to the end of the
// datagram, so its pages may hold ";" and "="; a carriage return inside a page travels as a blank,
// so that the pages stay as many as they were. A route that would not fit one datagram is shortened
// around kLeftOut.
QString Result(const PlayerResult &result);
QString Shortest(const ShortestRoute &shortest);
// "BYE REASON=w;" right before the DISCONNECT that ends a player's game: why it ends.
QString Bye(ByeReason reason);

} // namespace msg

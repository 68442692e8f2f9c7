// The game window's handler of every datagram the server sends after joining.
// A datagram whose handling fails (a player nobody lists, a field that is not a number) stops
// there silently; what was done before stays done.

#include "client/GameCore.h"
#include "client/ModData.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"

#include <QTimer>
#include <limits>

namespace
{
const QString kGame = QStringLiteral("GAME");
} // namespace

QString Clicks(qint32 count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" click") : QStringLiteral(" clicks"));
}

bool GameCore::FromServer(const QString &senderAddress, quint16 senderPort) const
{
    if (modData.ServerIP.isEmpty())
        return true;
    return senderAddress == modData.ServerIP && senderPort == m_serverPort;
}

void GameCore::HandleDatagram(const QString &d)
{
    if (Closed)
        return;
    const QString verb = GetVerb(d);
    auto field = [&d](const char *key) { return GetValue(d, QLatin1String(key)); };

    if (verb == QLatin1String("PING")) {
        // The server can only use a tick it sent, a number; anything else is not echoed back (a
        // long text would not even fit the answer).
        const QString tick = field("TIME");
        if (ParseNumber(tick))
            SendData(msg::Pong(modData.PlayerName, tick));
    } else if (verb == QLatin1String("DISCONNECT")) {
        // A server that bans and then stops says it twice; one notice is enough, and a window that
        // went while the box was open must not be touched again.
        if (m_disconnectShown)
            return;
        m_disconnectShown = true;
        m_dialogs.ShowMessage(QStringLiteral("You have been disconnected from the game."),
                              MessageIcon::Information, QStringLiteral("Quillory"), this, [this] {
                                  // The window may have closed by itself while the box was open.
                                  if (Closed)
                                      return;
                                  Disconnected = true;
                                  m_view.CloseGame();
                              });
    } else if (verb == QLatin1String("SCOREIS")) {
        // The fields count in order up to the first that is no number.
        const auto score = msg::DecodeScoreIs(d);
        const qint32 i = score ? modData.FindPlayer(score->name) : 0;
        if (i == 0)
            return;
        modData.Players[i].Wins = score->wins;
        if (!score->clicks)
            return;
        modData.Players[i].Clicks = *score->clicks;
        if (!score->roundClicks)
            return;
        modData.Players[i].RoundClicks = *score->roundClicks;
        modData.Players[i].InGame = *score->inGame;
        m_view.UpdateScores(ScoreFlags::ScoresOnly());
    } else if (verb == QLatin1String("PINGIS")) {
        const qint32 i = modData.FindPlayer(field("NAME"));
        const auto ping = GetNumber(d, QStringLiteral("PING"));
        if (i == 0 || !ping)
            return;
        modData.Players[i].Ping = *ping;
        m_view.UpdateScores(ScoreFlags::PingsOnly());
    } else if (verb == QLatin1String("MESSAGE")) {
        if (d.size() < 8)
            return;
        m_view.AddChat(kGame, d.mid(8));
    } else if (verb == QLatin1String("JOIN") || verb == QLatin1String("LEAVE") ||
               verb == QLatin1String("DROP")) {
        const QString name = field("NAME");
        QString line;
        if (verb == QLatin1String("JOIN")) {
            modData.AddPlayer(name);
            line = name + QStringLiteral(" has joined the game.");
        } else {
            modData.RemovePlayer(name);
            line = name + (verb == QLatin1String("LEAVE") ? QStringLiteral(" has left the game.")
                                                          : QStringLiteral(" was dropped from the game."));
        }
        m_view.AddChat(kGame, line);
        m_view.UpdateChatList();
        m_view.UpdateScores(ScoreFlags::All());
    } else if (verb == QLatin1String("CHAT")) {
        // The text runs to the end of the datagram, ";" and "=" included.
        const qsizetype at = d.indexOf(QLatin1String("TEXT="));
        const QString text = at < 0 ? QString() : d.mid(at + 5);
        m_view.AddChat(field("NAME"), text);
    } else if (verb == QLatin1String("TIME")) {
        m_view.AddChat(QStringLiteral("Current Time"),
                       field("TIME") + QStringLiteral(" on ") + field("DATE"));
    } else if (verb == QLatin1String("WINNER")) {
        const QString name = field("NAME");
        const qint32 i = modData.FindPlayer(name);
        // A round still waiting for its start article is over before it began.
        m_pendingStart.reset();
        modData.InRound = false;
        if (i == 0)
            return;
        m_view.AddChat(kGame, name + QStringLiteral(" has won the round in ") +
                                  Clicks(modData.Players[i].RoundClicks) + QLatin1Char('!'));
        if (modData.Players[i].Wins < std::numeric_limits<qint32>::max())
            ++modData.Players[i].Wins;
        m_view.UpdateScores(ScoreFlags::ScoresOnly());
        if (name == modData.PlayerName) {
            QString path = modData.Route;
            path.chop(1); // the closing carriage return
            SendData(msg::SendMyPath(modData.Players[i].Name, path));
            m_view.ShowChooser();
        }
    } else if (verb == QLatin1String("PATHIS")) {
        QString path = field("PATH");
        path.replace(QLatin1Char('\r'), QStringLiteral(" --> "));
        m_view.AddChat(kGame, QStringLiteral("The winning route was: \r\n") + path);
        m_view.AddChat(kGame, field("NAME") + QStringLiteral(" now chooses the next words."));
    } else if (verb == QLatin1String("NEWGAME")) {
        const bool wasInRound = modData.InRound || m_pendingStart.has_value();
        m_pendingStart.reset();
        modData.ResetRound();
        modData.Chooser = field("NAME");
        modData.InRound = false;
        // Everybody hears that the round is over and who chooses next; the chooser that it is their turn.
        if (wasInRound)
            m_view.AddChat(kGame, QStringLiteral("The round is over: nobody is left in it."));
        m_view.AddChat(kGame, modData.Chooser + QStringLiteral(" chooses the next words."));
        if (modData.Chooser == modData.PlayerName) {
            m_view.AddChat(kGame, QStringLiteral("It is your turn to choose the next words."));
            m_view.ShowChooser();
        }
    } else if (verb == QLatin1String("DISQUALIFY")) {
        const qint32 i = modData.FindPlayer(modData.PlayerName);
        if (i == 0)
            return;
        modData.Players[i].InGame = QStringLiteral("no");
        m_browser.Navigate(MainPageUrl());
        SendData(
            msg::Chat(kGame, modData.PlayerName +
                                 QStringLiteral(" has been disqualified for visiting an illegal page: \"") +
                                 modData.CurrentPage + QLatin1Char('"')));
    } else if (verb == QLatin1String("NAVIGATE")) {
        m_browser.Navigate(LookupUrl(field("URL")));
    } else if (verb == QLatin1String("SETRANDOM")) {
        const QString url = field("URL");
        const QString source = field("SRC");
        m_browser.Navigate(LookupUrl(url));
        LastReportedPage = url;
        if (source == QLatin1String("1"))
            m_view.AddChat(kGame, QStringLiteral("Initial page randomized: \"") + url + QLatin1Char('"'));
        else if (source == QLatin1String("2"))
            m_view.AddChat(kGame, QStringLiteral("Destination page randomized: \"") + url + QLatin1Char('"'));
        if (m_view.ChooserShown() && (source == QLatin1String("1") || source == QLatin1String("2")))
            m_view.SetChooserWord(source, url);
    } else if (verb == QLatin1String("STARTGAME")) {
        const QString start = field("WORD0");
        modData.CurrentPage = start;
        modData.Route = start + QLatin1Char('\r');
        // The round starts once the start article has loaded: title events until then find
        // InRound still false, so the start page is not reported. A newer STARTGAME replaces this
        // one; a WINNER or NEWGAME meanwhile ends it before it began.
        m_pendingStart = PendingStart{++m_startSerial, d};
        m_browser.Navigate(LookupUrl(start));
        // An unreachable site must not hold the round back for ever.
        m_startLimit.start(LoadLimitMs);
        // A browser that has nothing to load is idle at once; the round starts after the events
        // already waiting, as it would after any load.
        const quint64 serial = m_startSerial;
        QTimer::singleShot(0, this, [this, serial] { continueStart(serial, false); });
    }
}

void GameCore::continueStart(quint64 serial, bool limitReached)
{
    if (!m_pendingStart || m_pendingStart->serial != serial || Closed)
        return;
    if (!limitReached && m_browser.Busy())
        return;
    const QString d = m_pendingStart->datagram;
    m_pendingStart.reset();
    m_startLimit.stop();
    for (qint32 k = 1; k <= modData.PlayerCount; ++k) {
        modData.Players[k].RoundClicks = 0;
        modData.Players[k].InGame = QStringLiteral("yes");
    }
    // Each round reports its first page afresh, even the page the last round ended on.
    LastReportedPage.clear();
    modData.InRound = true;
    m_view.AddChat(kGame, QStringLiteral("The game has begun!"));
    // A round announced with words that cannot be read starts all the same and keeps the old words.
    const auto words = msg::DecodeWords(d);
    if (!words)
        return;
    modData.Words = *words;
    modData.TargetIndex = 1;
    m_view.UpdateScores(ScoreFlags::WordsOnly());
}

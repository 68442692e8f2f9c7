#pragma once

#include "client/PageRules.h"
#include "protocol/Decoders.h"
#include "protocol/Protocol.h"

#include "client/RoundResults.h"
#include "client/RoundStatus.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class Browser;
class DatagramSocket;
class Dialogs;
class ModData;

// Which parts of the scoreboard a change touches.
struct ScoreFlags {
    bool Player = false;
    bool Score = false;
    bool Ping = false;
    bool Words = false;
    bool Sorted = false;

    static ScoreFlags All() { return {true, true, true, true, false}; }
    static ScoreFlags ScoresOnly() { return {false, true, false, false, false}; }
    static ScoreFlags PingsOnly() { return {false, false, true, false, false}; }
    static ScoreFlags WordsOnly() { return {false, false, false, true, false}; }
};

// What the game window's logic asks of the windows around it (chat, scoreboard, chooser, itself).
class GameView
{
public:
    virtual ~GameView() = default;
    virtual void AddChat(const QString &name, const QString &text) = 0;
    virtual void UpdateChatList() = 0;
    virtual void UpdateScores(const ScoreFlags &flags) = 0;
    virtual bool ChooserShown() const = 0;
    // Shows the word chooser without blocking.
    virtual void ShowChooser() = 0;
    // Fills a box of the shown chooser: source "1" the initial word, "2" the destination.
    virtual void SetChooserWord(const QString &source, const QString &title) = 0;
    virtual void SetCaption(const QString &caption) = 0;
    // Closes the game window, which ends the program.
    virtual void CloseGame() = 0;
};

// What the start window says after the server disconnected the player, for the reason it gave
// (none from a server that gives none).
QString DisconnectText(std::optional<msg::ByeReason> reason);

// "1 click", "2 clicks": a count of clicks as a sentence shows it.
QString Clicks(qint32 count);

// The game window without its widgets: sending, the start of the game, the page rules, score
// polling, keep-alive, closing, and every incoming datagram.
class GameCore : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kServerPort = kGamePort;
    static constexpr int kScorePollMs = 100;
    static constexpr int kPingMs = 10000;
    // Longest wait for the start article before the round starts anyway.
    static constexpr int kLoadLimitMs = 15000;

    GameCore(ModData &modData, DatagramSocket &socket, Browser &browser, Dialogs &dialogs, GameView &view,
             const QString &siteHost, quint16 serverPort = kServerPort);
    ~GameCore() override;

    // Binds the socket to OwnPort, opens the main page, asks for the words when joining mid-round.
    // False when the port could not be bound.
    bool InitGame();
    // Sends one datagram to the game server.
    void SendData(const QString &text);

    // One tick of score polling; false once every listed player was asked (the timer then stops).
    bool ScorePollTick();
    void PingTick();
    // The closing steps after the other windows went: the farewell DISCONNECT, unless the server
    // disconnected us, then the socket closes.
    void Closing();

    void HandleTitleChange(const QString &title);
    void HandleBeforeNavigate(const QString &url);
    // Every datagram from the server.
    void HandleDatagram(const QString &datagram);
    // Whether a datagram from this address and source port is the game server's: its recorded
    // address (ServerIP) and its game port. Before an address is known every sender counts.
    bool FromServer(const QString &senderAddress, quint16 senderPort) const;

    QString SiteHost() const { return m_siteHost; }
    QString SiteDomain() const { return m_siteDomain; }
    QString MainPageUrl() const;
    // The site's article look-up for a word, the word inserted unchanged.
    QString LookupUrl(const QString &word) const;
    static QString LookupUrl(const QString &siteHost, const QString &word);

    Browser &WebBrowser() { return m_browser; }
    Dialogs &Dialog() { return m_dialogs; }
    GameView &View() { return m_view; }

    QString LastReportedPage;
    bool Disconnected = false;
    // Why the server said it would disconnect this player, once it did.
    std::optional<msg::ByeReason> ByeReason() const { return m_byeReason; }
    qint32 ScorePollIndex = 1;
    // True once the window has closed.
    bool Closed = false;
    // A STARTGAME is waiting for its start article.
    bool StartPending() const { return m_pendingStart.has_value(); }
    // What the round bar shows now.
    RoundFacts Facts() const;
    // The last round's results, from its end until the next round starts.
    const RoundResults &Results() const { return m_results; }

signals:
    // A round's results began to arrive: the view opens by itself.
    void ResultsArrived();
    // More of them came, or they were cleared at a round's start.
    void ResultsChanged();

public:
    int LoadLimitMs = kLoadLimitMs;

private:
    void onReceived(const QString &text, const QString &senderAddress, quint16 senderPort);
    // The messages of the server, decoded.
    void onDisconnect();
    void onScore(const msg::Score &score);
    void onPingIs(const msg::PingReport &ping);
    void onPlayerCameOrWent(const msg::PlayerNamed &player);
    void onWinner(const QString &name);
    void onNewGame(const QString &chooser);
    void onDisqualified(const QString &page);
    void onRandomWord(const msg::RandomWord &random);
    void onStartGame(const msg::RoundStart &start);
    void applyOutcome(const PageOutcome &outcome);
    // The next step of a waiting STARTGAME: the round starts when the browser is idle, or when
    // the limit is reached, if that STARTGAME is still the one waiting.
    void continueStart(quint64 serial, bool limitReached);
    PageState pageState() const;
    void storePageState(const PageState &state);

    ModData &modData;
    DatagramSocket &m_socket;
    Browser &m_browser;
    Dialogs &m_dialogs;
    GameView &m_view;
    QString m_siteHost;
    QString m_siteDomain;
    quint16 m_serverPort;
    // A STARTGAME waiting for its start article to load.
    struct PendingStart {
        quint64 serial = 0;
        std::optional<QStringList> words;
    };
    std::optional<PendingStart> m_pendingStart;
    quint64 m_startSerial = 0;
    QTimer m_startLimit;
    // The disconnection notice is open or was shown.
    bool m_disconnectShown = false;
    std::optional<msg::ByeReason> m_byeReason;
    // The round as the bar tells it: its clock runs from the round's start to its end.
    QElapsedTimer m_roundClock;
    qint64 m_roundTimeMs = 0; // once the round ended
    std::optional<qint32> m_par;
    QString m_outReason;
    QString m_winner;
    // The winner, or whom NEWGAME named.
    QString m_nextChooser;
    RoundResults m_results;
    void resultsAdded(bool fresh);
    void endRoundClock();
};

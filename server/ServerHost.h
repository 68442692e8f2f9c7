#pragma once

#include "server/GameServer.h"
#include "server/SiteControl.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

class Browser;
class Clock;
class DatagramSocket;

// The encyclopedia as served alongside the game.
struct SiteFacts {
    bool started = false; // the game serves and has a site to serve with it
    bool up = false;      // the site serves
    QString description;  // the encyclopedia, as the site names it
    QString url;          // where players browse it
    QString error;        // why it is not served, or why the configured one was replaced
};

// The server as the operator runs it, with or without a window: the game server, the encyclopedia
// beside it, the settings they start from and the timers that keep them going. A view shows what it
// reports and hands it the operator's actions.
class ServerHost : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kReportInterval = std::chrono::minutes(1);
    enum class Save { Yes, No };

    // `site` may be null: the game is then served without an encyclopedia.
    ServerHost(DatagramSocket &socket, Browser &browser, Clock &clock, SiteControl *site,
               std::chrono::milliseconds reportInterval = kReportInterval, QObject *parent = nullptr);

    // Takes the welcome text, password and site from the settings.
    void LoadSettings();
    // Binds the game port and serves the encyclopedia; false, with BindErrorText() saying why, when
    // the port cannot be bound.
    bool Start();
    // Every player hears DISCONNECT; the encyclopedia stops.
    void Stop();
    // The 2-second inactivity check; the site's progress may have moved too.
    void InactivityTick();

    bool Serving() const { return m_server.State() == ServerState::Serving; }
    QString Caption() const { return m_server.Caption(); }
    // Why the last start could not bind the game port; "" once it could.
    QString BindErrorText() const { return m_bindErrorText; }
    const SiteFacts &Site() const { return m_siteFacts; }
    // The site's background work while it serves.
    SiteProgress Progress() const;

    // The operator's texts: the server uses them at once and, unless told otherwise, keeps them in the
    // settings for next time.
    QString Welcome() const { return m_server.WelcomeTemplate(); }
    void SetWelcome(const QString &text, Save save = Save::Yes);
    QString Password() const { return m_server.Password(); }
    void SetPassword(const QString &password, Save save = Save::Yes);
    // Keeps the encyclopedia chosen; while serving, players get it at once.
    void SetEncyclopedia(const QString &setting);

    GameServer &Server() { return m_server; }
    const GameServer &Server() const { return m_server; }
    QDateTime Now() const;
    QTimer &InactivityTimer() { return m_inactivity; }
    QTimer &BotTimer() { return m_bots; }

signals:
    // Serving or not, the bind error or the site facts changed.
    void StateChanged();
    // After each inactivity tick: the site's background work may have moved on.
    void Ticked();
    // A headless server tells the operator how it stands, at the report interval while serving.
    void ReportDue();
    // The list of connected players follows the table through these.
    void PlayerAppended(const QString &name);
    void PlayerRemoved(qint32 index); // 1-based, as in the table
    void PlayersCleared();

private:
    void startSite();

    DatagramSocket &m_socket;
    Clock &m_clock;
    SiteControl *m_site;
    GameServer m_server;
    QTimer m_inactivity;
    QTimer m_bots;
    QTimer m_report;
    QString m_bindErrorText;
    SiteFacts m_siteFacts;
    // Routes are told only when players browse the encyclopedia served here (no "Site" setting).
    bool m_routesHere = false;
};

#pragma once

#include "server/GameServer.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

class QTextStream;
class SiteControl;

// The game server without any window, for a machine with no display: serves from the settings as
// the window would, and tells the operator on a text stream which players it has and which
// encyclopedia it serves. The report is printed at start and then, at each report interval, only
// when it has changed: a quiet server does not fill the log, and a change shows within one interval.
class DedicatedServer : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kReportInterval = std::chrono::minutes(1);

    DedicatedServer(DatagramSocket &socket, Browser &browser, Clock &clock, SiteControl *site,
                    QTextStream &out, std::chrono::milliseconds reportInterval = kReportInterval,
                    QObject *parent = nullptr);

    // Takes the welcome text, password and site from the settings, binds the game port and serves the
    // encyclopedia. False, with *error saying why, when the game port cannot be bound.
    bool Start(QString *error);
    // Every player hears DISCONNECT; the encyclopedia stops.
    void Stop();

    // The report as it stands, without the time it is printed at.
    QString Report() const;
    // Prints the report when it differs from the one printed last.
    void ReportTick();

    GameServer &Server() { return m_server; }

private:
    DatagramSocket &m_socket;
    GameServer m_server;
    Clock &m_clock;
    SiteControl *m_site;
    QTextStream &m_out;
    QTimer m_inactivity;
    QTimer m_reportTimer;
    QString m_siteText;
    QString m_printed;
};

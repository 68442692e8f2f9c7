#pragma once

#include "server/ServerHost.h"

#include <QObject>
#include <QString>

class QTextStream;

// The server without any window, for a machine with no display: tells the operator on a text stream
// which players the host has and which encyclopedia it serves. The report is printed at start and
// then, at each report interval, only when it has changed: a quiet server does not fill the log, and a
// change shows within one interval. Players joining and leaving, rounds starting and ending and the
// server stopping are told at once, one line each.
class DedicatedServer : public QObject
{
    Q_OBJECT
public:
    DedicatedServer(ServerHost &host, QTextStream &out, QObject *parent = nullptr);

    // Serves from the settings. False, with *error saying why, when the game port cannot be bound.
    bool Start(QString *error);
    // Every player hears DISCONNECT; the operator is told that the server stopped.
    void Stop();

    // The report as it stands, without the time it is printed at.
    QString Report() const;
    // Prints the report when it differs from the one printed last.
    void ReportTick();

private:
    void print(const QString &line);
    void onJoined(const QString &name);
    void onLeft(qint32 index);
    void onRoundStarted(qint32 round, const QStringList &words);
    void onRoundEnded(qint32 round, RoundEnd how, const QString &winner);

    ServerHost &m_host;
    QTextStream &m_out;
    QString m_printed;
    // The names of the players in table order: the table has forgotten a player by the time it says
    // who left.
    QStringList m_names;
    bool m_stopping = false;
};

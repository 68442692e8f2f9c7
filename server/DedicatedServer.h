#pragma once

#include "server/ServerHost.h"

#include <QObject>
#include <QString>

class QTextStream;

// The server without any window, for a machine with no display: tells the operator on a text stream
// which players the host has and which encyclopedia it serves. The report is printed at start and
// then, at each report interval, only when it has changed: a quiet server does not fill the log, and a
// change shows within one interval.
class DedicatedServer : public QObject
{
    Q_OBJECT
public:
    DedicatedServer(ServerHost &host, QTextStream &out, QObject *parent = nullptr);

    // Serves from the settings. False, with *error saying why, when the game port cannot be bound.
    bool Start(QString *error);
    void Stop() { m_host.Stop(); }

    // The report as it stands, without the time it is printed at.
    QString Report() const;
    // Prints the report when it differs from the one printed last.
    void ReportTick();

private:
    ServerHost &m_host;
    QTextStream &m_out;
    QString m_printed;
};

#include "protocol/Messages.h"

namespace msg {

namespace {
QString yesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}
} // namespace

QString Connect(const QString &version, const QString &name, const QString &port, const QString &password)
{
    return "CONNECT VER=" + version + ";NAME=" + name + ";PORT=" + port + ";PWD=" + password + ";";
}

QString GetPlayerList(const QString &port)
{
    return "GETPLAYERLIST PORT=" + port + ";";
}

QString Status(const QString &server, const QString &port)
{
    return "STATUS SERVER=" + server + ";PORT=" + port + ";";
}

QString PingMe(const QString &port)
{
    return "PINGME " + port;
}

QString Pong(const QString &name, const QString &tick)
{
    return "PONG NAME=" + name + ";TIME=" + tick + ";";
}

QString GetScore(const QString &port, const QString &name)
{
    return "GETSCORE PORT=" + port + ";NAME=" + name + ";";
}

QString GetPing(const QString &port, const QString &name)
{
    return "GETPING PORT=" + port + ";NAME=" + name + ";";
}

QString TimeRequest(const QString &port)
{
    return "TIME PORT=" + port + ";";
}

QString Chat(const QString &name, const QString &text)
{
    return "CHAT NAME=" + name + ";TEXT=" + text;
}

QString Disconnect(const QString &name)
{
    return "DISCONNECT NAME=" + name + ";";
}

QString GetWords(const QString &name)
{
    return "GETWORDS NAME=" + name + ";";
}

QString Navigate(const QString &name, const QString &page)
{
    return "NAVIGATE NAME=" + name + ";URL=" + page + ";";
}

QString SendMyPath(const QString &name, const QString &route)
{
    return "SENDMYPATH NAME=" + name + ";PATH=" + route + ";";
}

QString GetRandom(int source)
{
    return "GETRANDOM SRC=" + QString::number(source) + ";";
}

QString SetWords(const QString &startTitle, const QString &destinationTitle)
{
    return "SETWORDS COUNT=1;WORD0=" + startTitle + ";WORD1=" + destinationTitle + ";";
}

QString NewGameRequest()
{
    return QStringLiteral("NEWGAME");
}

QString ConnectRejectVersion(const QString &version)
{
    return "CONNECTREJECT VER=" + version + ";";
}

QString NeedPwd()
{
    return QStringLiteral("NEEDPWD");
}

QString ConnectRejectError(qint32 code)
{
    return "CONNECTREJECT ERROR=" + QString::number(code) + ";";
}

QString ConnectAccept(bool playing)
{
    return "CONNECTACCEPT PLAYING=" + yesNo(playing) + ";";
}

QString Message(const QString &welcomeText)
{
    return "MESSAGE " + welcomeText;
}

QString IsHost(const QString &name)
{
    return "ISHOST NAME=" + name + ";";
}

QString Join(const QString &name)
{
    return "JOIN NAME=" + name + ";";
}

QString PlayerList(const QStringList &names)
{
    QString text = "PLAYERLIST COUNT=" + QString::number(names.size()) + ";";
    for (qsizetype i = 0; i < names.size(); ++i)
        text += "P" + QString::number(i + 1) + "=" + names[i] + ";";
    return text;
}

QString StatusReply(const QString &version, qint32 count, const QString &server)
{
    return "STATUS VER=" + version + ";#=" + QString::number(count) + ";SERVER=" + server + ";";
}

QString Ping(qint32 tick)
{
    return "PING TIME=" + QString::number(tick) + ";";
}

QString PingIs(const QString &name, qint32 milliseconds)
{
    return "PINGIS NAME=" + name + ";PING=" + QString::number(milliseconds) + ";";
}

QString ScoreIs(const QString &name, qint32 wins, qint32 clicks, qint32 roundClicks, const QString &inGame)
{
    return "SCOREIS NAME=" + name + ";WINS=" + QString::number(wins) + ";CLICK=" + QString::number(clicks) +
           ";RCLICK=" + QString::number(roundClicks) + ";INGAME=" + inGame + ";";
}

QString TimeReply(const QString &longTime, const QString &longDate)
{
    return "TIME TIME=" + longTime + ";DATE=" + longDate + ";";
}

QString Leave(const QString &name)
{
    return "LEAVE NAME=" + name + ";";
}

QString Drop(const QString &name)
{
    return "DROP NAME=" + name + ";";
}

QString DisconnectNotice()
{
    return QStringLiteral("DISCONNECT");
}

QString StartGame(const QStringList &words)
{
    QString text = "STARTGAME COUNT=" + QString::number(words.size() - 1) + ";";
    for (qsizetype i = 0; i < words.size(); ++i)
        text += "WORD" + QString::number(i) + "=" + words[i] + ";";
    return text;
}

QString SetRandom(const QString &source, const QString &title)
{
    return "SETRANDOM SRC=" + source + ";URL=" + title + ";";
}

QString Disqualify(const QString &page)
{
    return "DISQUALIFY URL=" + page + ";";
}

QString NewGame(const QString &name)
{
    return "NEWGAME NAME=" + name + ";";
}

QString Winner(const QString &name)
{
    return "WINNER NAME=" + name + ";";
}

QString PathIs(const QString &name, const QString &route)
{
    return "PATHIS NAME=" + name + ";PATH=" + route + ";";
}

} // namespace msg

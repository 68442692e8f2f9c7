#include "protocol/Messages.h"

#include "protocol/Protocol.h"
#include "protocol/Verbs.h"

namespace msg
{

namespace
{
// The verb and the blank after it.
QString head(Verb verb)
{
    return VerbText(verb) + QLatin1Char(' ');
}

QString yesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

QString pageAsSent(const QString &page)
{
    QString sent = page;
    sent.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return sent;
}

qsizetype utf8Size(const QString &text)
{
    return QStringView(text).toUtf8().size();
}

// `head` and the route after it, the route whole when the message fits one datagram; else the pages
// taken from both ends in turn for as long as they fit, with kLeftOut between them.
QString withRoute(const QString &head, const QStringList &route)
{
    QStringList pages;
    pages.reserve(route.size());
    for (const QString &page : route)
        pages << pageAsSent(page);
    QString whole = head + pages.join(QLatin1Char('\r'));
    if (FitsDatagram(whole))
        return whole;
    // The marker and a carriage return on each side of it, kept free from the start.
    qsizetype room = kMaxDatagramBytes - utf8Size(head) - utf8Size(kLeftOut) - 2;
    qsizetype front = 0, back = pages.size(); // pages[0, front) and pages[back, end) are kept
    bool fromFront = true;
    while (front < back) {
        const QString &next = fromFront ? pages[front] : pages[back - 1];
        // Every kept page but the one next to the marker is followed or preceded by a separator.
        const qsizetype cost = utf8Size(next) + (fromFront ? (front > 0) : (back < pages.size()));
        if (cost > room)
            break;
        room -= cost;
        if (fromFront)
            ++front;
        else
            --back;
        fromFront = !fromFront;
    }
    QStringList kept = pages.mid(0, front);
    kept << kLeftOut;
    kept << pages.mid(back);
    return head + kept.join(QLatin1Char('\r'));
}
} // namespace

QString Connect(const QString &version, const QString &name, const QString &port, const QString &password)
{
    return head(Verb::Connect) + "VER=" + version + ";NAME=" + name + ";PORT=" + port + ";PWD=" + password +
           ";";
}

QString GetPlayerList(const QString &port)
{
    return head(Verb::GetPlayerList) + "PORT=" + port + ";";
}

QString Status(const QString &server, const QString &port)
{
    return head(Verb::Status) + "SERVER=" + server + ";PORT=" + port + ";";
}

QString PingMe(const QString &port)
{
    return head(Verb::PingMe) + port;
}

QString Pong(const QString &name, const QString &tick)
{
    return head(Verb::Pong) + "NAME=" + name + ";TIME=" + tick + ";";
}

QString GetScore(const QString &port, const QString &name)
{
    return head(Verb::GetScore) + "PORT=" + port + ";NAME=" + name + ";";
}

QString GetPing(const QString &port, const QString &name)
{
    return head(Verb::GetPing) + "PORT=" + port + ";NAME=" + name + ";";
}

QString TimeRequest(const QString &port)
{
    return head(Verb::Time) + "PORT=" + port + ";";
}

QString Chat(const QString &name, const QString &text)
{
    return head(Verb::Chat) + "NAME=" + name + ";TEXT=" + text;
}

QString Disconnect(const QString &name)
{
    return head(Verb::Disconnect) + "NAME=" + name + ";";
}

QString GetWords(const QString &name)
{
    return head(Verb::GetWords) + "NAME=" + name + ";";
}

QString Navigate(const QString &name, const QString &page)
{
    return head(Verb::Navigate) + "NAME=" + name + ";URL=" + page + ";";
}

QString SendMyPath(const QString &name, const QString &route)
{
    return head(Verb::SendMyPath) + "NAME=" + name + ";PATH=" + route + ";";
}

QString GetRandom(int source)
{
    return head(Verb::GetRandom) + "SRC=" + QString::number(source) + ";";
}

QString SetWords(const QString &startTitle, const QString &destinationTitle)
{
    return head(Verb::SetWords) + "COUNT=1;WORD0=" + startTitle + ";WORD1=" + destinationTitle + ";";
}

QString GiveUp(const QString &name)
{
    return head(Verb::GiveUp) + "NAME=" + name + ";";
}

QString NewGameRequest()
{
    return QString(VerbText(Verb::NewGame));
}

QString ConnectRejectVersion(const QString &version)
{
    return head(Verb::ConnectReject) + "VER=" + version + ";";
}

QString NeedPwd()
{
    return QString(VerbText(Verb::NeedPwd));
}

QString ConnectRejectError(qint32 code)
{
    return head(Verb::ConnectReject) + "ERROR=" + QString::number(code) + ";";
}

QString ConnectAccept(bool playing)
{
    return head(Verb::ConnectAccept) + "PLAYING=" + yesNo(playing) + ";";
}

QString Message(const QString &welcomeText)
{
    return head(Verb::Message) + welcomeText;
}

QString IsHost(const QString &name)
{
    return head(Verb::IsHost) + "NAME=" + name + ";";
}

QString Join(const QString &name)
{
    return head(Verb::Join) + "NAME=" + name + ";";
}

QString PlayerList(const QStringList &names)
{
    QString text = head(Verb::PlayerList) + "COUNT=" + QString::number(names.size()) + ";";
    for (qsizetype i = 0; i < names.size(); ++i)
        text += "P" + QString::number(i + 1) + "=" + names[i] + ";";
    return text;
}

QString StatusReply(const QString &version, qint32 count, const QString &server)
{
    return head(Verb::Status) + "VER=" + version + ";#=" + QString::number(count) + ";SERVER=" + server + ";";
}

QString Ping(qint32 tick)
{
    return head(Verb::Ping) + "TIME=" + QString::number(tick) + ";";
}

QString PingIs(const QString &name, qint32 milliseconds)
{
    return head(Verb::PingIs) + "NAME=" + name + ";PING=" + QString::number(milliseconds) + ";";
}

QString ScoreIs(const QString &name, qint32 wins, qint32 clicks, qint32 roundClicks, const QString &inGame)
{
    return head(Verb::ScoreIs) + "NAME=" + name + ";WINS=" + QString::number(wins) +
           ";CLICK=" + QString::number(clicks) + ";RCLICK=" + QString::number(roundClicks) +
           ";INGAME=" + inGame + ";";
}

QString TimeReply(const QString &longTime, const QString &longDate)
{
    return head(Verb::Time) + "TIME=" + longTime + ";DATE=" + longDate + ";";
}

QString Leave(const QString &name)
{
    return head(Verb::Leave) + "NAME=" + name + ";";
}

QString Drop(const QString &name)
{
    return head(Verb::Drop) + "NAME=" + name + ";";
}

QString DisconnectNotice()
{
    return QString(VerbText(Verb::Disconnect));
}

QString StartGame(const QStringList &words)
{
    QString text = head(Verb::StartGame) + "COUNT=" + QString::number(words.size() - 1) + ";";
    for (qsizetype i = 0; i < words.size(); ++i)
        text += "WORD" + QString::number(i) + "=" + words[i] + ";";
    return text;
}

QString SetRandom(const QString &source, const QString &title)
{
    return head(Verb::SetRandom) + "SRC=" + source + ";URL=" + title + ";";
}

QString Disqualify(const QString &page)
{
    return head(Verb::Disqualify) + "URL=" + page + ";";
}

QString NewGame(const QString &name)
{
    return head(Verb::NewGame) + "NAME=" + name + ";";
}

QString Winner(const QString &name)
{
    return head(Verb::Winner) + "NAME=" + name + ";";
}

QString PathIs(const QString &name, const QString &route)
{
    return head(Verb::PathIs) + "NAME=" + name + ";PATH=" + route + ";";
}

QString Par(qint32 clicks)
{
    return head(Verb::Par) + "CLICKS=" + QString::number(clicks) + ";";
}

QString Turn(const QString &name)
{
    return head(Verb::Turn) + "NAME=" + name + ";";
}

QString Bye(ByeReason reason)
{
    return head(Verb::Bye) + "REASON=" + ByeWord(reason) + ";";
}

QString Result(const PlayerResult &result)
{
    return withRoute(head(Verb::Result) + "ROUND=" + QString::number(result.round) + ";NAME=" + result.name +
                         ";OUTCOME=" + OutcomeWord(result.outcome) + ";REASON=" + result.reason +
                         ";MS=" + QString::number(result.milliseconds) +
                         ";CLICKS=" + QString::number(result.clicks) + ";ROUTE=",
                     result.route);
}

QString Shortest(const ShortestRoute &shortest)
{
    return withRoute(head(Verb::Shortest) + "ROUND=" + QString::number(shortest.round) +
                         ";CLICKS=" + QString::number(shortest.clicks) + ";ROUTE=",
                     shortest.route);
}

} // namespace msg

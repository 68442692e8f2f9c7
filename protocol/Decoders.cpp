#include "protocol/Decoders.h"

#include "protocol/Names.h"
#include "protocol/Verbs.h"

#include <utility>

namespace msg
{

std::optional<QStringList> DecodeWords(const QString &message)
{
    const Verb verb = VerbOf(message);
    if (verb != Verb::SetWords && verb != Verb::StartGame)
        return std::nullopt;
    const auto count = GetNumber(message, QStringLiteral("COUNT"));
    if (!count || *count < 0 || *count > kMaxWordIndex)
        return std::nullopt;
    QStringList words;
    qsizetype next = 0;
    for (qint32 i = 0; i <= *count; ++i)
        words << GetValueFrom(message, QStringLiteral("WORD") + QString::number(i), next, &next);
    return words;
}

std::optional<Score> DecodeScoreIs(const QString &message)
{
    if (VerbOf(message) != Verb::ScoreIs)
        return std::nullopt;
    const auto wins = GetNumber(message, QStringLiteral("WINS"));
    if (!wins)
        return std::nullopt;
    Score score;
    score.name = GetValue(message, QStringLiteral("NAME"));
    score.wins = *wins;
    score.clicks = GetNumber(message, QStringLiteral("CLICK"));
    if (!score.clicks)
        return score;
    score.roundClicks = GetNumber(message, QStringLiteral("RCLICK"));
    if (!score.roundClicks)
        return score;
    score.inGame = GetValue(message, QStringLiteral("INGAME"));
    return score;
}

std::optional<QStringList> DecodePlayerList(const QString &message)
{
    if (VerbOf(message) != Verb::PlayerList)
        return std::nullopt;
    const auto count = GetNumber(message, QStringLiteral("COUNT"));
    if (!count)
        return std::nullopt;
    QStringList names;
    qsizetype next = 0;
    // A huge COUNT cannot make this run past the datagram: it stops at the first missing field.
    for (qint32 i = 1; i <= *count && names.size() < kMaxPlayers; ++i) {
        qsizetype end = -1;
        const QString name = GetValueFrom(message, QStringLiteral("P") + QString::number(i), next, &end);
        if (end < 0)
            break;
        next = end;
        bool listed = false;
        for (const QString &earlier : names)
            listed = listed || names::SameIgnoringCase(earlier, name);
        if (!listed)
            names << name;
    }
    return names;
}

std::optional<ConnectRequest> DecodeConnect(const QString &message)
{
    if (VerbOf(message) != Verb::Connect)
        return std::nullopt;
    ConnectRequest request;
    request.version = GetValue(message, QStringLiteral("VER"));
    request.name = GetValue(message, QStringLiteral("NAME"));
    request.port = ParsePort(GetValue(message, QStringLiteral("PORT")));
    request.password = GetValue(message, QStringLiteral("PWD"));
    return request;
}

namespace
{
QString field(const QString &message, const char *key)
{
    return GetValue(message, QLatin1String(key));
}
} // namespace

std::optional<Accepted> DecodeConnectAccept(const QString &message)
{
    if (VerbOf(message) != Verb::ConnectAccept)
        return std::nullopt;
    const QString playing = field(message, "PLAYING");
    Accepted accepted;
    if (playing == QLatin1String("yes"))
        accepted.playing = true;
    else if (playing == QLatin1String("no"))
        accepted.playing = false;
    return accepted;
}

std::optional<Rejected> DecodeConnectReject(const QString &message)
{
    if (VerbOf(message) != Verb::ConnectReject)
        return std::nullopt;
    Rejected rejected;
    if (message.contains(QLatin1String("VER")))
        rejected.requiredVersion = field(message, "VER");
    else
        rejected.error = field(message, "ERROR");
    return rejected;
}

std::optional<QString> DecodeWelcome(const QString &message)
{
    if (VerbOf(message) != Verb::Message)
        return std::nullopt;
    const qsizetype blank = message.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return std::nullopt;
    return message.mid(blank + 1);
}

std::optional<PlayerNamed> DecodePlayerNamed(const QString &message)
{
    const Verb verb = VerbOf(message);
    switch (verb) {
    case Verb::IsHost:
    case Verb::Join:
    case Verb::Leave:
    case Verb::Drop:
    case Verb::Winner:
    case Verb::NewGame:
    case Verb::Turn:
        return PlayerNamed{verb, field(message, "NAME")};
    default:
        return std::nullopt;
    }
}

std::optional<PingRequest> DecodePing(const QString &message)
{
    if (VerbOf(message) != Verb::Ping)
        return std::nullopt;
    const QString tick = field(message, "TIME");
    if (!ParseNumber(tick))
        return std::nullopt;
    return PingRequest{tick};
}

std::optional<PingReport> DecodePingIs(const QString &message)
{
    if (VerbOf(message) != Verb::PingIs)
        return std::nullopt;
    const auto ping = GetNumber(message, QStringLiteral("PING"));
    if (!ping)
        return std::nullopt;
    return PingReport{field(message, "NAME"), *ping};
}

std::optional<ChatLine> DecodeChat(const QString &message)
{
    if (VerbOf(message) != Verb::Chat)
        return std::nullopt;
    static const QLatin1String textKey("TEXT=");
    const qsizetype at = message.indexOf(textKey);
    return ChatLine{field(message, "NAME"), at < 0 ? QString() : message.mid(at + textKey.size())};
}

std::optional<TimeOfDay> DecodeTime(const QString &message)
{
    if (VerbOf(message) != Verb::Time)
        return std::nullopt;
    return TimeOfDay{field(message, "TIME"), field(message, "DATE")};
}

std::optional<RoundStart> DecodeStartGame(const QString &message)
{
    if (VerbOf(message) != Verb::StartGame)
        return std::nullopt;
    return RoundStart{field(message, "WORD0"), DecodeWords(message)};
}

std::optional<RandomWord> DecodeSetRandom(const QString &message)
{
    if (VerbOf(message) != Verb::SetRandom)
        return std::nullopt;
    return RandomWord{field(message, "SRC"), field(message, "URL")};
}

std::optional<PageValue> DecodePageValue(const QString &message)
{
    const Verb verb = VerbOf(message);
    if (verb != Verb::Navigate && verb != Verb::Disqualify)
        return std::nullopt;
    return PageValue{verb, field(message, "URL")};
}

QString Route::Shown() const
{
    QString shown = route;
    shown.replace(QLatin1Char('\r'), QStringLiteral(" --> "));
    return shown;
}

std::optional<Route> DecodeRoute(const QString &message)
{
    const Verb verb = VerbOf(message);
    if (verb != Verb::PathIs && verb != Verb::SendMyPath)
        return std::nullopt;
    return Route{field(message, "NAME"), field(message, "PATH")};
}

std::optional<ServerStatus> DecodeStatusReply(const QString &message)
{
    if (VerbOf(message) != Verb::Status)
        return std::nullopt;
    return ServerStatus{field(message, "VER"), field(message, "#"), field(message, "SERVER")};
}

namespace
{
constexpr std::pair<Outcome, QLatin1String> kOutcomes[] = {
    {Outcome::First, QLatin1String("first")},   {Outcome::Finished, QLatin1String("finished")},
    {Outcome::Racing, QLatin1String("racing")}, {Outcome::GaveUp, QLatin1String("gaveup")},
    {Outcome::Out, QLatin1String("out")},
};

std::optional<Outcome> parseOutcome(const QString &word)
{
    for (const auto &[outcome, text] : kOutcomes) {
        if (word == text)
            return outcome;
    }
    return std::nullopt;
}

// Reads one field after another, each from where the one before ended.
class FieldReader
{
public:
    explicit FieldReader(const QString &message) : m_message(message) {}
    QString text(const char *key) { return GetValueFrom(m_message, QLatin1String(key), m_next, &m_next); }
    std::optional<qint32> number(const char *key) { return ParseNumber(text(key)); }
    // The route: everything after "ROUTE=" to the end of the datagram.
    QStringList route() const
    {
        static const QLatin1String key("ROUTE=");
        const qsizetype at = m_message.indexOf(key, m_next);
        const QString pages = at < 0 ? QString() : m_message.mid(at + key.size());
        return pages.isEmpty() ? QStringList() : pages.split(QLatin1Char('\r'));
    }

private:
    const QString &m_message;
    qsizetype m_next = 0;
};
} // namespace

QLatin1String OutcomeWord(Outcome outcome)
{
    for (const auto &[value, text] : kOutcomes) {
        if (value == outcome)
            return text;
    }
    return QLatin1String("");
}

std::optional<PlayerResult> DecodeResult(const QString &message)
{
    if (VerbOf(message) != Verb::Result)
        return std::nullopt;
    FieldReader read(message);
    PlayerResult result;
    const auto round = read.number("ROUND");
    result.name = read.text("NAME");
    const auto outcome = parseOutcome(read.text("OUTCOME"));
    result.reason = read.text("REASON");
    const auto milliseconds = read.number("MS");
    const auto clicks = read.number("CLICKS");
    if (!round || !outcome || !milliseconds || !clicks)
        return std::nullopt;
    result.round = *round;
    result.outcome = *outcome;
    result.milliseconds = *milliseconds;
    result.clicks = *clicks;
    result.route = read.route();
    return result;
}

QString ReasonInWords(const QString &reason)
{
    if (reason == kReasonLeft)
        return QStringLiteral("left the game");
    return OutReason(KindOfWord(reason));
}

std::optional<ShortestRoute> DecodeShortest(const QString &message)
{
    if (VerbOf(message) != Verb::Shortest)
        return std::nullopt;
    FieldReader read(message);
    const auto round = read.number("ROUND");
    const auto clicks = read.number("CLICKS");
    if (!round || !clicks)
        return std::nullopt;
    return ShortestRoute{*round, *clicks, read.route()};
}

std::optional<qint32> DecodePar(const QString &message)
{
    if (VerbOf(message) != Verb::Par)
        return std::nullopt;
    return GetNumber(message, QStringLiteral("CLICKS"));
}

namespace
{
constexpr std::pair<ByeReason, const char *> kByeWords[] = {
    {ByeReason::Stopped, "stopped"},
    {ByeReason::Banned, "banned"},
    {ByeReason::Silent, "silent"},
};
} // namespace

QLatin1String ByeWord(ByeReason reason)
{
    for (const auto &[r, word] : kByeWords) {
        if (r == reason)
            return QLatin1String(word);
    }
    return QLatin1String();
}

std::optional<ByeReason> DecodeBye(const QString &message)
{
    if (VerbOf(message) != Verb::Bye)
        return std::nullopt;
    const QString word = GetValue(message, QStringLiteral("REASON"));
    for (const auto &[r, text] : kByeWords) {
        if (word == QLatin1String(text))
            return r;
    }
    return std::nullopt;
}

} // namespace msg

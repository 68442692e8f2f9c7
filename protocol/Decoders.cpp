#include "protocol/Decoders.h"

#include "protocol/Names.h"
#include "protocol/Verbs.h"

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

} // namespace msg

// The message reader and the message builders under fuzzed text. The first step is a message
// read with every key of the game and with the other steps as keys; the other steps, cleaned of
// "=" and ";" as the name and password boxes clean them, are also built into every message and
// must read back unchanged.

#include "FuzzSupport.h"

#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"

#include <QHash>
#include <QStringList>
#include <limits>

namespace
{

const char *const kTarget = "protocol";

const QStringList &Keys()
{
    static const QStringList keys = {
        QStringLiteral("VER"),    QStringLiteral("NAME"),   QStringLiteral("PORT"),
        QStringLiteral("PWD"),    QStringLiteral("SERVER"), QStringLiteral("TIME"),
        QStringLiteral("TEXT"),   QStringLiteral("URL"),    QStringLiteral("PATH"),
        QStringLiteral("SRC"),    QStringLiteral("COUNT"),  QStringLiteral("WORD0"),
        QStringLiteral("WORD1"),  QStringLiteral("ERROR"),  QStringLiteral("PLAYING"),
        QStringLiteral("P1"),     QStringLiteral("#"),      QStringLiteral("PING"),
        QStringLiteral("WINS"),   QStringLiteral("CLICK"),  QStringLiteral("RCLICK"),
        QStringLiteral("INGAME"), QStringLiteral("DATE"),
    };
    return keys;
}

// A number as the game writes it: blanks around, an optional sign, decimal digits. Nothing else
// (no tab, line break or other white space) may surround it.
std::optional<qint64> plainNumber(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == QLatin1Char('-') || text[begin] == QLatin1Char('+'))) {
        negative = text[begin] == QLatin1Char('-');
        ++begin;
    }
    if (begin == end)
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const ushort c = text[i].unicode();
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return qint64(std::numeric_limits<qint64>::max()); // out of range, whatever follows
    }
    return negative ? -value : value;
}

void checkNumber(const QString &text)
{
    const std::optional<qint32> read = ParseNumber(text);
    const std::optional<qint64> plain = plainNumber(text);
    const bool inRange =
        plain && *plain >= std::numeric_limits<qint32>::min() && *plain <= std::numeric_limits<qint32>::max();
    if (read)
        fuzz::Require(inRange && *plain == *read, kTarget,
                      QStringLiteral("ParseNumber read %1 from \"%2\"").arg(*read).arg(fuzz::Visible(text)));
    else
        fuzz::Require(!inRange, kTarget,
                      QStringLiteral("ParseNumber refused the number \"%1\"").arg(fuzz::Visible(text)));
}

void checkRead(const QString &message, const QString &key)
{
    const QString value = GetValue(message, key);
    const qsizetype at = message.indexOf(key + QLatin1Char('='));
    fuzz::Require(!value.contains(QLatin1Char(';')), kTarget, QStringLiteral("a value holds \";\""));
    if (at < 0) {
        fuzz::Require(value.isEmpty(), kTarget,
                      QStringLiteral("a value for the missing key %1").arg(fuzz::Visible(key)));
        return;
    }
    // The value starts right after the first "key=" and ends at the next ";".
    const qsizetype start = at + key.size() + 1;
    const qsizetype end = message.indexOf(QLatin1Char(';'), start);
    const QString expected = end < 0 ? QString() : message.mid(start, end - start);
    fuzz::Require(value == expected, kTarget,
                  QStringLiteral("key %1 read \"%2\"").arg(fuzz::Visible(key), fuzz::Visible(value)));
    checkNumber(value);
}

// Reading keys one after another never goes back: each value starts after the previous one ended.
void checkReadInOrder(const QString &message, const QStringList &keys)
{
    qsizetype next = 0;
    for (const QString &key : keys) {
        const qsizetype from = next;
        const QString value = GetValueFrom(message, key, from, &next);
        const qsizetype at = message.indexOf(key + QLatin1Char('='), from);
        const qsizetype end = at < 0 ? -1 : message.indexOf(QLatin1Char(';'), at + key.size() + 1);
        if (end < 0) {
            fuzz::Require(value.isEmpty() && next == from, kTarget,
                          QStringLiteral("key %1 read past the end").arg(fuzz::Visible(key)));
            continue;
        }
        fuzz::Require(next == end + 1 && value == message.mid(at + key.size() + 1, end - at - key.size() - 1),
                      kTarget, QStringLiteral("key %1 read out of order").arg(fuzz::Visible(key)));
    }
}

void checkVerb(const QString &message)
{
    const QString verb = GetVerb(message);
    fuzz::Require(!verb.contains(QLatin1Char(' ')) && message.startsWith(verb) &&
                      (verb.size() == message.size() || message[verb.size()] == QLatin1Char(' ')),
                  kTarget, QStringLiteral("the verb \"%1\"").arg(fuzz::Visible(verb)));
}

QString cleaned(QString text)
{
    text.remove(QLatin1Char('='));
    text.remove(QLatin1Char(';'));
    return text;
}

void requireField(const QString &message, const char *key, const QString &value)
{
    const QString read = GetValue(message, QLatin1String(key));
    fuzz::Require(
        read == value, kTarget,
        QStringLiteral("%1 read back \"%2\" instead of \"%3\" from %4")
            .arg(QLatin1String(key), fuzz::Visible(read), fuzz::Visible(value), fuzz::Visible(message)));
}

void requireNumber(const QString &message, const char *key, qint32 value)
{
    const auto read = GetNumber(message, QLatin1String(key));
    fuzz::Require(read && *read == value, kTarget,
                  QStringLiteral("%1 did not read back %2 from %3")
                      .arg(QLatin1String(key))
                      .arg(value)
                      .arg(fuzz::Visible(message)));
}

// Every message built from clean values reads back the values it was built from.
void checkRoundTrips(const QStringList &values)
{
    auto v = [&values](int i) { return values.isEmpty() ? QString() : values[i % values.size()]; };
    const QString a = v(0), b = v(1), c = v(2), d = v(3);
    const qint32 n = static_cast<qint32>(qHash(a) ^ (qHash(b) << 7));
    const qint32 m = static_cast<qint32>(qHash(c));

    QString t = msg::Connect(a, b, c, d);
    requireField(t, "VER", a);
    requireField(t, "NAME", b);
    requireField(t, "PORT", c);
    requireField(t, "PWD", d);
    requireField(msg::GetPlayerList(a), "PORT", a);
    t = msg::Status(a, b);
    requireField(t, "SERVER", a);
    requireField(t, "PORT", b);
    t = msg::Pong(a, b);
    requireField(t, "NAME", a);
    requireField(t, "TIME", b);
    for (const QString &r : {msg::GetScore(a, b), msg::GetPing(a, b)}) {
        requireField(r, "PORT", a);
        requireField(r, "NAME", b);
    }
    requireField(msg::TimeRequest(a), "PORT", a);
    t = msg::Chat(a, b);
    requireField(t, "NAME", a);
    fuzz::Require(t.mid(t.indexOf(QLatin1String("TEXT=")) + 5) == b, kTarget, QStringLiteral("chat text"));
    for (const QString &r : {msg::Disconnect(a), msg::GetWords(a), msg::IsHost(a), msg::Join(a),
                             msg::Leave(a), msg::Drop(a), msg::NewGame(a), msg::Winner(a)})
        requireField(r, "NAME", a);
    for (const QString &r : {msg::Navigate(a, b), msg::SendMyPath(a, b), msg::PathIs(a, b)}) {
        requireField(r, "NAME", a);
        requireField(r, r.startsWith(QLatin1String("NAVIGATE")) ? "URL" : "PATH", b);
    }
    requireField(msg::ConnectRejectVersion(a), "VER", a);
    requireNumber(msg::ConnectRejectError(n), "ERROR", n);
    t = msg::PlayerList(values);
    requireNumber(t, "COUNT", qint32(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i)
        requireField(t, ("P" + QByteArray::number(i + 1)).constData(), values[i]);
    t = msg::StatusReply(a, n, b);
    requireField(t, "VER", a);
    requireNumber(t, "#", n);
    requireField(t, "SERVER", b);
    requireNumber(msg::Ping(n), "TIME", n);
    t = msg::PingIs(a, n);
    requireField(t, "NAME", a);
    requireNumber(t, "PING", n);
    t = msg::ScoreIs(a, n, m, n ^ m, b);
    requireField(t, "NAME", a);
    requireNumber(t, "WINS", n);
    requireNumber(t, "CLICK", m);
    requireNumber(t, "RCLICK", n ^ m);
    requireField(t, "INGAME", b);
    t = msg::TimeReply(a, b);
    requireField(t, "TIME", a);
    requireField(t, "DATE", b);
    if (!values.isEmpty()) {
        t = msg::StartGame(values);
        requireNumber(t, "COUNT", qint32(values.size() - 1));
        for (qsizetype i = 0; i < values.size(); ++i)
            requireField(t, ("WORD" + QByteArray::number(i)).constData(), values[i]);
    }
    t = msg::SetRandom(a, b);
    requireField(t, "SRC", a);
    requireField(t, "URL", b);
    requireField(msg::Disqualify(a), "URL", a);
    t = msg::SetWords(a, b);
    requireNumber(t, "COUNT", 1);
    requireField(t, "WORD0", a);
    requireField(t, "WORD1", b);
    requireField(msg::GetRandom(1), "SRC", QStringLiteral("1"));
    requireField(msg::GetRandom(2), "SRC", QStringLiteral("2"));
    requireField(msg::ConnectAccept(true), "PLAYING", QStringLiteral("yes"));
    requireField(msg::ConnectAccept(false), "PLAYING", QStringLiteral("no"));
    // Payloads that are not fields run from the blank to the end.
    fuzz::Require(msg::PingMe(a) == QLatin1String("PINGME ") + a &&
                      msg::Message(a) == QLatin1String("MESSAGE ") + a,
                  kTarget, QStringLiteral("a payload changed on the way"));
    for (const QString &bare : {msg::NeedPwd(), msg::DisconnectNotice(), msg::NewGameRequest()})
        fuzz::Require(GetVerb(bare) == bare && GetValue(bare, QStringLiteral("NAME")).isEmpty(), kTarget,
                      QStringLiteral("a message without payload carries one"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::EnsureApplication();
    const QList<fuzz::Step> steps = fuzz::Split(data, size);
    const QString message = steps.first().text;
    checkVerb(message);
    checkNumber(message);
    QStringList keys = Keys();
    QStringList values;
    for (qsizetype i = 1; i < steps.size(); ++i) {
        checkNumber(steps[i].text);
        if (!steps[i].text.isEmpty())
            keys << steps[i].text;
        values << cleaned(steps[i].text);
    }
    for (const QString &key : keys)
        checkRead(message, key);
    fuzz::Require(FitsDatagram(message) == (message.toUtf8().size() <= kMaxDatagramBytes), kTarget,
                  QStringLiteral("FitsDatagram misjudged %1 characters").arg(message.size()));
    checkReadInOrder(message, keys);
    checkRoundTrips(values);
    return 0;
}

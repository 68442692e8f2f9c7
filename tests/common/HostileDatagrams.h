#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <random>

// A seeded source of hostile datagrams: every message of the game, both directions, with its
// fields mutated (missing separators, numbers out of range, empty and 64 KiB values, NUL and
// broken UTF-8 bytes, repeated keys, names of real players) and, now and then, plain noise.
// The same seed gives the same datagrams, so a failure can be replayed.
namespace hostile
{

// The largest payload one UDP datagram can carry.
constexpr int kMaxDatagramBytes = 65507;

enum class Kind { Name, Port, Number, Version, Text, YesNo, Source, Page, Code, Route, WordCount };

struct Field {
    const char *key;
    Kind kind;
};

struct Shape {
    const char *verb;
    QList<Field> fields;
    // Free text after the verb and one blank (MESSAGE), or a bare payload (PINGME's port).
    bool payload = false;
    Kind payloadKind = Kind::Text;
    // CHAT: the last field runs to the end of the datagram without a closing ";".
    bool openEnded = false;
    // PLAYERLIST ("P" 1..n) and STARTGAME ("WORD" 0..n): a run of numbered fields after COUNT.
    const char *numberedKey = nullptr;
    int numberedFrom = 0;
};

inline const QList<Shape> &Catalogue()
{
    using K = Kind;
    static const QList<Shape> shapes = {
        // Client to server.
        {"CONNECT", {{"VER", K::Version}, {"NAME", K::Name}, {"PORT", K::Port}, {"PWD", K::Text}}},
        {"GETPLAYERLIST", {{"PORT", K::Port}}},
        {"STATUS", {{"SERVER", K::Text}, {"PORT", K::Port}}},
        {"PINGME", {}, true, K::Port},
        {"PONG", {{"NAME", K::Name}, {"TIME", K::Number}}},
        {"GETSCORE", {{"PORT", K::Port}, {"NAME", K::Name}}},
        {"GETPING", {{"PORT", K::Port}, {"NAME", K::Name}}},
        {"TIME", {{"PORT", K::Port}}},
        {"CHAT", {{"NAME", K::Name}, {"TEXT", K::Text}}, false, K::Text, true},
        {"DISCONNECT", {{"NAME", K::Name}}},
        {"GETWORDS", {{"NAME", K::Name}}},
        {"NAVIGATE", {{"NAME", K::Name}, {"URL", K::Page}}},
        {"SENDMYPATH", {{"NAME", K::Name}, {"PATH", K::Route}}},
        {"GETRANDOM", {{"SRC", K::Source}}},
        {"SETWORDS", {{"COUNT", K::WordCount}}, false, K::Text, false, "WORD", 0},
        {"NEWGAME", {}},
        // Server to client.
        {"CONNECTREJECT", {{"VER", K::Version}}},
        {"CONNECTREJECT", {{"ERROR", K::Code}}},
        {"NEEDPWD", {}},
        {"CONNECTACCEPT", {{"PLAYING", K::YesNo}}},
        {"MESSAGE", {}, true, K::Text},
        {"ISHOST", {{"NAME", K::Name}}},
        {"JOIN", {{"NAME", K::Name}}},
        {"PLAYERLIST", {{"COUNT", K::WordCount}}, false, K::Text, false, "P", 1},
        {"STATUS", {{"VER", K::Version}, {"#", K::Number}, {"SERVER", K::Text}}},
        {"PING", {{"TIME", K::Number}}},
        {"PINGIS", {{"NAME", K::Name}, {"PING", K::Number}}},
        {"SCOREIS",
         {{"NAME", K::Name},
          {"WINS", K::Number},
          {"CLICK", K::Number},
          {"RCLICK", K::Number},
          {"INGAME", K::YesNo}}},
        {"TIME", {{"TIME", K::Text}, {"DATE", K::Text}}},
        {"LEAVE", {{"NAME", K::Name}}},
        {"DROP", {{"NAME", K::Name}}},
        {"DISCONNECT", {}},
        {"STARTGAME", {{"COUNT", K::WordCount}}, false, K::Text, false, "WORD", 0},
        {"SETRANDOM", {{"SRC", K::Source}, {"URL", K::Page}}},
        {"DISQUALIFY", {{"URL", K::Page}}},
        {"NEWGAME", {{"NAME", K::Name}}},
        {"WINNER", {{"NAME", K::Name}}},
        {"PATHIS", {{"NAME", K::Name}, {"PATH", K::Route}}},
    };
    return shapes;
}

class DatagramFuzzer
{
public:
    // knownNames: players that really are in the game, so that mutated messages name them.
    DatagramFuzzer(quint32 seed, QStringList knownNames) : m_random(seed), m_names(std::move(knownNames)) {}

    // Restricts the verbs drawn (empty: every verb of the catalogue).
    void OnlyVerbs(const QStringList &verbs) { m_only = verbs; }

    // One datagram, never longer than a UDP datagram can be.
    QByteArray Next()
    {
        QByteArray d;
        const int shape = pick(100);
        if (shape < 3)
            d = randomBytes(pick(200));
        else if (shape < 4)
            d = QByteArray();
        else
            d = message(drawShape());
        if (d.size() > kMaxDatagramBytes)
            d.truncate(kMaxDatagramBytes);
        return d;
    }

    // A mutated message of the given shape (also for tests that aim at one verb).
    QByteArray message(const Shape &s)
    {
        QByteArray verb = s.verb;
        if (pick(50) == 0)
            verb = verb.toLower();
        else if (pick(50) == 0)
            verb += randomBytes(1 + pick(3));

        QList<QByteArray> parts; // each "KEY=value;" piece
        for (const Field &f : s.fields)
            parts << field(f.key, f.kind);
        if (s.numberedKey) {
            const int n = pick(5) == 0 ? pick(80) : pick(4);
            for (int i = 0; i < n; ++i) {
                const QByteArray key = QByteArray(s.numberedKey) + QByteArray::number(s.numberedFrom + i);
                parts << field(key, s.numberedKey[0] == 'P' ? Kind::Name : Kind::Page);
            }
        }
        if (!parts.isEmpty()) {
            if (pick(10) == 0) // a separator lost
                parts[pick(int(parts.size()))].chop(1);
            if (pick(20) == 0) // a key given twice
                parts.insert(pick(int(parts.size()) + 1), parts[pick(int(parts.size()))]);
            if (pick(20) == 0) // fields out of order
                std::swap(parts[pick(int(parts.size()))], parts[pick(int(parts.size()))]);
        }
        if (s.openEnded && !parts.isEmpty() && parts.last().endsWith(';') && pick(4) != 0)
            parts.last().chop(1);

        QByteArray out = verb;
        if (s.payload) {
            out += ' ';
            out += value(s.payloadKind);
        } else if (!parts.isEmpty()) {
            if (pick(30) != 0)
                out += ' ';
            for (const QByteArray &p : parts)
                out += p;
        }
        if (pick(30) == 0)
            out += randomBytes(pick(40));
        if (pick(20) == 0)
            out.truncate(pick(int(out.size()) + 1));
        return out;
    }

    quint32 pick(quint32 n) { return n == 0 ? 0 : quint32(m_random() % n); }

private:
    const Shape &drawShape()
    {
        const QList<Shape> &all = Catalogue();
        for (;;) {
            const Shape &s = all[pick(quint32(all.size()))];
            if (m_only.isEmpty() || m_only.contains(QLatin1String(s.verb)))
                return s;
        }
    }

    QByteArray field(const QByteArray &key, Kind kind) { return key + '=' + value(kind) + ';'; }

    QByteArray value(Kind kind)
    {
        const int r = pick(100);
        if (r < 45)
            return plausible(kind);
        if (r < 52)
            return QByteArray();
        if (r < 62)
            return badNumber();
        if (r < 66)
            return huge();
        if (r < 72)
            return withBrokenBytes(plausible(kind));
        if (r < 80)
            return realName();
        if (r < 86)
            return withSeparators(plausible(kind));
        if (r < 94)
            return randomBytes(pick(64));
        return QByteArray(1024 + int(pick(3 * 1024)), char('a' + pick(26)));
    }

    QByteArray plausible(Kind kind)
    {
        static const char *const pages[] = {"Cat",          "Dog",  "special",  "nowiki",
                                            "List of cats", "1984", "Main Page"};
        static const char *const texts[] = {"hello", "a;b=c", "gg", "", "/time", "Zürich"};
        switch (kind) {
        case Kind::Name:
            return pick(2) ? realName() : QByteArray("Guest") + QByteArray::number(pick(1000));
        case Kind::Port:
            return QByteArray::number(7200 + pick(21));
        case Kind::Number:
            return QByteArray::number(int(pick(2000)) - 100);
        case Kind::Version:
            return pick(5) ? QByteArray("1.04 (beta)") : QByteArray("1.03");
        case Kind::Text:
            return texts[pick(6)];
        case Kind::YesNo:
            return pick(2) ? "yes" : "no";
        case Kind::Source:
            return QByteArray::number(pick(4));
        case Kind::Page:
            return pages[pick(7)];
        case Kind::Code:
            return QByteArray::number(-(qint64(pick(5)) * 10 + 10));
        case Kind::Route:
            return "Cat\rDog\rMouse";
        case Kind::WordCount:
            return QByteArray::number(pick(4));
        }
        return QByteArray();
    }

    QByteArray badNumber()
    {
        static const char *const numbers[] = {"99999999999999999999",
                                              "-1",
                                              "-2147483648",
                                              "2147483647",
                                              "2147483648",
                                              "-2147483649",
                                              "+5",
                                              " 7 ",
                                              "0x1F",
                                              "1e9",
                                              "4294967296",
                                              "--1",
                                              "NaN",
                                              "-0",
                                              "65536",
                                              "0",
                                              "1000000000"};
        return numbers[pick(sizeof numbers / sizeof numbers[0])];
    }

    // A value of nearly 64 KiB (so the whole datagram still fits, mostly).
    QByteArray huge()
    {
        const int size = 60000 + int(pick(5536));
        if (pick(2))
            return QByteArray(size, char('A' + pick(26)));
        QByteArray b = randomBytes(size);
        b.replace(';', 'x');
        return b;
    }

    QByteArray withBrokenBytes(QByteArray v)
    {
        static const QByteArray bad[] = {
            QByteArray("\0", 1),   "\xff\xfe", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
            QByteArray("a\0b", 3), "\xe2\x82"};
        v.insert(pick(quint32(v.size()) + 1), bad[pick(8)]);
        return v;
    }

    QByteArray withSeparators(QByteArray v)
    {
        static const char *const bits[] = {";", "=", ";NAME=", "PORT=7200;", ";;;", "=;=", "NAME=Ann;", " "};
        v.insert(pick(quint32(v.size()) + 1), bits[pick(8)]);
        return v;
    }

    QByteArray realName()
    {
        if (m_names.isEmpty())
            return "Ann";
        QString n = m_names[pick(quint32(m_names.size()))];
        switch (pick(4)) {
        case 0:
            n = n.toUpper();
            break;
        case 1:
            n += QLatin1Char(' ');
            break;
        default:
            break;
        }
        return n.toUtf8();
    }

    QByteArray randomBytes(int n)
    {
        QByteArray b(n, '\0');
        for (char &c : b)
            c = char(m_random() & 0xff);
        return b;
    }

    std::mt19937 m_random;
    QStringList m_names;
    QStringList m_only;
};

} // namespace hostile

// A round's results as they travel: RESULT, SHORTEST, PAR and TURN read back what was built, raw
// datagrams read as expected, and a route of any length goes out in one datagram.
#include "common/QtPrinting.h"

#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/PageKinds.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace
{

using msg::Outcome;
using msg::PlayerResult;

const QString CR = QStringLiteral("\r");

TEST(Results, BuiltAsWrittenAndReadBack)
{
    struct Case {
        PlayerResult result;
        QString text;
    };
    const Case cases[] = {
        {{3, "Ann", Outcome::First, "", 41000, 4, {"Cat", "Mouse", "Bird", "River"}},
         "RESULT ROUND=3;NAME=Ann;OUTCOME=first;REASON=;MS=41000;CLICKS=4;ROUTE=Cat\rMouse\rBird\rRiver"},
        {{1, "Bob", Outcome::Out, "nowiki", 12, 2, {"Cat", "Mouse", "nowiki"}},
         "RESULT ROUND=1;NAME=Bob;OUTCOME=out;REASON=nowiki;MS=12;CLICKS=2;ROUTE=Cat\rMouse\rnowiki"},
        {{1, "Cy", Outcome::Out, "left", 900, 0, {"Cat"}},
         "RESULT ROUND=1;NAME=Cy;OUTCOME=out;REASON=left;MS=900;CLICKS=0;ROUTE=Cat"},
        {{2, "Dee Dee", Outcome::GaveUp, "", 0, 1, {"Cat", "search"}},
         "RESULT ROUND=2;NAME=Dee Dee;OUTCOME=gaveup;REASON=;MS=0;CLICKS=1;ROUTE=Cat\rsearch"},
        {{2, "Ed", Outcome::Racing, "", 5, 0, {}},
         "RESULT ROUND=2;NAME=Ed;OUTCOME=racing;REASON=;MS=5;CLICKS=0;ROUTE="},
        {{7, "Flo", Outcome::Finished, "", 2147483647, -1, {"A"}},
         "RESULT ROUND=7;NAME=Flo;OUTCOME=finished;REASON=;MS=2147483647;CLICKS=-1;ROUTE=A"},
        // The route is the last field, so its pages may hold what ends or names a field.
        {{1, "G=x", Outcome::Racing, "", 1, 2, {"Rock; Paper", "a=b", " blanks ", "MS=9;"}},
         "RESULT ROUND=1;NAME=G=x;OUTCOME=racing;REASON=;MS=1;CLICKS=2;ROUTE=Rock; Paper\ra=b\r blanks "
         "\rMS=9;"},
        {{1, "Zoë", Outcome::Racing, "", 1, 1, {"Ærø", "東京", "\U0001F600"}},
         "RESULT ROUND=1;NAME=Zoë;OUTCOME=racing;REASON=;MS=1;CLICKS=1;ROUTE=Ærø\r東京\r\U0001F600"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(msg::Result(c.result), c.text);
        EXPECT_EQ(VerbOf(c.text), Verb::Result);
        EXPECT_EQ(msg::DecodeResult(c.text), c.result) << c.text.toStdString();
    }
}

TEST(Results, ACarriageReturnInsideAPageTravelsAsABlank)
{
    const PlayerResult result{1, "Ann", Outcome::Racing, "", 0, 1, {"Cat", "Two\rlines", "Dog"}};
    EXPECT_EQ(msg::DecodeResult(msg::Result(result))->route, QStringList({"Cat", "Two lines", "Dog"}));
    const msg::ShortestRoute shortest{1, 1, {"a\rb", "c"}};
    EXPECT_EQ(msg::DecodeShortest(msg::Shortest(shortest))->route, QStringList({"a b", "c"}));
}

TEST(Results, RawDatagramsRead)
{
    struct Case {
        const char *what;
        QString text;
        std::optional<PlayerResult> expected;
    };
    const QString ok = "RESULT ROUND=1;NAME=Ann;OUTCOME=out;REASON=talk;MS=5;CLICKS=2;ROUTE=Cat\rtalk";
    const PlayerResult read{1, "Ann", Outcome::Out, "talk", 5, 2, {"Cat", "talk"}};
    const Case cases[] = {
        {"as built", ok, read},
        {"numbers with blanks and a sign",
         "RESULT ROUND= 1 ;NAME=Ann;OUTCOME=out;REASON=talk;MS=+5;CLICKS=2 ;ROUTE=Cat\rtalk", read},
        {"a key inside the name is not read as that key",
         "RESULT ROUND=1;NAME=MS=9 CLICKS=7;OUTCOME=racing;REASON=;MS=5;CLICKS=2;ROUTE=A",
         PlayerResult{1, "MS=9 CLICKS=7", Outcome::Racing, "", 5, 2, {"A"}}},
        {"no route field", "RESULT ROUND=1;NAME=A;OUTCOME=racing;REASON=;MS=0;CLICKS=0;",
         PlayerResult{1, "A", Outcome::Racing, "", 0, 0, {}}},
        {"an empty page in the middle stays a page",
         "RESULT ROUND=1;NAME=A;OUTCOME=racing;REASON=;MS=0;CLICKS=0;ROUTE=a\r\rb",
         PlayerResult{1, "A", Outcome::Racing, "", 0, 0, {"a", "", "b"}}},
        {"unknown outcome", "RESULT ROUND=1;NAME=Ann;OUTCOME=won;REASON=;MS=5;CLICKS=2;ROUTE=Cat",
         std::nullopt},
        {"outcome in other case", "RESULT ROUND=1;NAME=Ann;OUTCOME=First;REASON=;MS=5;CLICKS=2;ROUTE=Cat",
         std::nullopt},
        {"round no number", "RESULT ROUND=one;NAME=Ann;OUTCOME=first;REASON=;MS=5;CLICKS=2;ROUTE=Cat",
         std::nullopt},
        {"time no number", "RESULT ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=5s;CLICKS=2;ROUTE=Cat",
         std::nullopt},
        {"time out of range",
         "RESULT ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=2147483648;CLICKS=2;ROUTE=Cat", std::nullopt},
        {"clicks missing", "RESULT ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=5;ROUTE=Cat", std::nullopt},
        {"clicks without its closing ;", "RESULT ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=5;CLICKS=2",
         std::nullopt},
        {"another verb", "PATHIS ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=5;CLICKS=2;ROUTE=Cat",
         std::nullopt},
        {"verb in other case", "result ROUND=1;NAME=Ann;OUTCOME=first;REASON=;MS=5;CLICKS=2;ROUTE=Cat",
         std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(msg::DecodeResult(c.text), c.expected) << c.what;
}

TEST(Results, ShortestParAndTurn)
{
    const msg::ShortestRoute shortest{4, 2, {"Cat", "Mouse", "Dog"}};
    EXPECT_EQ(msg::Shortest(shortest), "SHORTEST ROUND=4;CLICKS=2;ROUTE=Cat\rMouse\rDog");
    EXPECT_EQ(msg::DecodeShortest(msg::Shortest(shortest)), shortest);
    EXPECT_EQ(msg::DecodeShortest("SHORTEST ROUND=1;CLICKS=0;ROUTE=Cat"),
              (msg::ShortestRoute{1, 0, {"Cat"}}));
    EXPECT_EQ(msg::DecodeShortest("SHORTEST ROUND=1;CLICKS=0;ROUTE="), (msg::ShortestRoute{1, 0, {}}));
    for (const char *bad : {"SHORTEST ROUND=x;CLICKS=2;ROUTE=A", "SHORTEST ROUND=1;CLICKS=;ROUTE=A",
                            "SHORTEST ROUND=1;ROUTE=A", "RESULT ROUND=1;CLICKS=2;ROUTE=A"})
        EXPECT_EQ(msg::DecodeShortest(bad), std::nullopt) << bad;

    EXPECT_EQ(msg::Par(3), "PAR CLICKS=3;");
    const std::pair<QString, std::optional<qint32>> pars[] = {
        {msg::Par(0), 0},
        {"PAR CLICKS= 12 ;", 12},
        {"PAR CLICKS=two;", std::nullopt},
        {"PAR CLICKS=3", std::nullopt},
        {"PAR", std::nullopt},
        {"TURN CLICKS=3;", std::nullopt},
    };
    for (const auto &[text, clicks] : pars)
        EXPECT_EQ(msg::DecodePar(text), clicks) << text.toStdString();

    EXPECT_EQ(msg::Turn("Ann Lee"), "TURN NAME=Ann Lee;");
    EXPECT_EQ(msg::DecodePlayerNamed(msg::Turn("Ann Lee")), (msg::PlayerNamed{Verb::Turn, "Ann Lee"}));
}

// A route of `count` pages after the start, each `page` followed by its number, to the destination.
QStringList LongRoute(qsizetype count, const QString &page)
{
    QStringList route{"Start"};
    for (qsizetype i = 0; i < count; ++i)
        route << page + QString::number(i);
    return route << "Destination";
}

qsizetype Utf8Size(const QString &text)
{
    return text.toUtf8().size();
}

TEST(Results, ARouteTooLongIsShortenedInTheMiddleToFitOneDatagram)
{
    struct Case {
        const char *what;
        QStringList route;
    };
    const Case cases[] = {
        {"thousands of long pages", LongRoute(5000, "A page with a rather long name, number ")},
        {"two-byte letters", LongRoute(4000, QString(40, QChar(0x00E9)))},
        {"three-byte letters", LongRoute(3000, QString(30, QChar(0x6771)))},
        {"four-byte letters", LongRoute(3000, QString::fromUtf8("\xF0\x9F\x98\x80").repeated(20))},
        {"one page near a datagram's size on each side",
         QStringList{QString(40000, 'a'), "Mouse", QString(40000, 'b')}},
        {"page names with the field marks", LongRoute(8000, "x=y; z ")},
    };
    for (const Case &c : cases) {
        const PlayerResult result{12, QString(100, QChar(0x00E9)), Outcome::Out, "talk", 1, 5000, c.route};
        const QString text = msg::Result(result);
        EXPECT_LE(Utf8Size(text), kMaxDatagramBytes) << c.what;
        const auto read = msg::DecodeResult(text);
        ASSERT_TRUE(read) << c.what;
        EXPECT_EQ(read->clicks, 5000) << c.what;
        const QStringList &route = read->route;
        ASSERT_EQ(route.count(msg::kLeftOut), 1) << c.what;
        const qsizetype marker = route.indexOf(msg::kLeftOut);
        // What is kept is the route's start and its end, the first and the last page among them.
        EXPECT_EQ(route.mid(0, marker), c.route.mid(0, marker)) << c.what;
        const qsizetype after = route.size() - marker - 1;
        EXPECT_EQ(route.mid(marker + 1), c.route.mid(c.route.size() - after)) << c.what;
        const bool bothEndsFit = Utf8Size(c.route.first()) + Utf8Size(c.route.last()) < kMaxDatagramBytes / 2;
        if (bothEndsFit) {
            EXPECT_GE(marker, 1) << c.what;
            EXPECT_GE(after, 1) << c.what;
            EXPECT_EQ(route.first(), c.route.first()) << c.what;
            EXPECT_EQ(route.last(), c.route.last()) << c.what;
        }
        // Nothing more would have fit: the next page from either end is longer than what is left.
        qsizetype longest = 0;
        for (const QString &page : c.route)
            longest = qMax(longest, Utf8Size(page));
        EXPECT_GT(Utf8Size(text) + longest + 1, kMaxDatagramBytes) << c.what;

        std::printf("[ figure ] RESULT at its largest, %s: %lld bytes of %lld, %lld of %lld pages kept\n",
                    c.what, qint64(Utf8Size(text)), qint64(kMaxDatagramBytes), qint64(route.size() - 1),
                    qint64(c.route.size()));
        const msg::ShortestRoute shortest{12, 5000, c.route};
        const QString shortestText = msg::Shortest(shortest);
        EXPECT_LE(Utf8Size(shortestText), kMaxDatagramBytes) << c.what;
        const auto shortestRead = msg::DecodeShortest(shortestText);
        ASSERT_TRUE(shortestRead) << c.what;
        EXPECT_EQ(shortestRead->route.count(msg::kLeftOut), 1) << c.what;
        EXPECT_EQ(shortestRead->route.first(), c.route.first()) << c.what;
        if (bothEndsFit)
            EXPECT_EQ(shortestRead->route.last(), c.route.last()) << c.what;
    }
}

TEST(Results, ARouteThatFitsExactlyIsKeptWhole)
{
    const PlayerResult empty{1, "Ann", Outcome::Racing, "", 0, 0, {"Cat", ""}};
    const qsizetype room = kMaxDatagramBytes - Utf8Size(msg::Result(empty));
    for (const qsizetype extra : {qsizetype(0), qsizetype(1)}) {
        PlayerResult result = empty;
        result.route[1] = QString(room + extra, 'x');
        const QString text = msg::Result(result);
        EXPECT_LE(Utf8Size(text), kMaxDatagramBytes);
        const auto read = msg::DecodeResult(text);
        ASSERT_TRUE(read);
        if (extra == 0)
            EXPECT_EQ(read->route, result.route) << "exactly a datagram";
        else
            EXPECT_EQ(read->route, QStringList({"Cat", msg::kLeftOut})) << "a byte too many";
    }
}

TEST(Results, ReasonsInPlainWords)
{
    const std::pair<QString, QString> cases[] = {
        {"nowiki", "left the encyclopedia"},
        {"list", "opened a list page"},
        {"talk", "opened a Talk page"},
        {"history", "opened a page's history"},
        {"edit", "opened an edit page"},
        {"category", "opened a category page"},
        {"wiki", "opened a project page"},
        {"help", "opened a help page"},
        {"special", "opened a special page"},
        {"user", "opened a user page"},
        {"portal", "opened a portal page"},
        {"number", "opened a page named by a number"},
        {"left", "left the game"},
        {"search", ""},
        {"", ""},
        {"Dog", ""},
        {"Talk", ""},
    };
    for (const auto &[reason, words] : cases)
        EXPECT_EQ(msg::ReasonInWords(reason), words) << reason.toStdString();
    for (int k = 0; k <= int(PageKind::OffSite); ++k) {
        const auto kind = PageKind(k);
        EXPECT_EQ(OutReason(kind).isEmpty(), !TakesPlayerOut(kind)) << k;
    }
}

} // namespace

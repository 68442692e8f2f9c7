// The verb list and the readers of the messages with several or repeated fields: what a builder
// writes reads back the same, and raw datagrams read as the game expects, bounds included.
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Verbs.h"
#include "protocol/Version.h"

#include <gtest/gtest.h>

namespace
{

const QString kVersion = modVersion::Version;

TEST(Verbs, EveryBuiltMessageReadsAsItsVerb)
{
    const std::pair<QString, Verb> cases[] = {
        {msg::Connect(kVersion, "Ann", "7201", ""), Verb::Connect},
        {msg::GetPlayerList("7201"), Verb::GetPlayerList},
        {msg::Status("", "7201"), Verb::Status},
        {msg::PingMe("7201"), Verb::PingMe},
        {msg::Pong("Ann", "1"), Verb::Pong},
        {msg::GetScore("7201", "Ann"), Verb::GetScore},
        {msg::GetPing("7201", "Ann"), Verb::GetPing},
        {msg::TimeRequest("7201"), Verb::Time},
        {msg::Chat("Ann", "hi"), Verb::Chat},
        {msg::Disconnect("Ann"), Verb::Disconnect},
        {msg::GetWords("Ann"), Verb::GetWords},
        {msg::Navigate("Ann", "Dog"), Verb::Navigate},
        {msg::SendMyPath("Ann", "Dog"), Verb::SendMyPath},
        {msg::GetRandom(1), Verb::GetRandom},
        {msg::SetWords("Cat", "Dog"), Verb::SetWords},
        {msg::NewGameRequest(), Verb::NewGame},
        {msg::ConnectRejectVersion(kVersion), Verb::ConnectReject},
        {msg::NeedPwd(), Verb::NeedPwd},
        {msg::ConnectAccept(true), Verb::ConnectAccept},
        {msg::Message(""), Verb::Message},
        {msg::IsHost("Ann"), Verb::IsHost},
        {msg::Join("Ann"), Verb::Join},
        {msg::PlayerList({}), Verb::PlayerList},
        {msg::StatusReply(kVersion, 0, ""), Verb::Status},
        {msg::Ping(1), Verb::Ping},
        {msg::PingIs("Ann", 1), Verb::PingIs},
        {msg::ScoreIs("Ann", 0, 0, 0, "yes"), Verb::ScoreIs},
        {msg::Leave("Ann"), Verb::Leave},
        {msg::Drop("Ann"), Verb::Drop},
        {msg::DisconnectNotice(), Verb::Disconnect},
        {msg::StartGame({"Cat", "Dog"}), Verb::StartGame},
        {msg::SetRandom("1", "Cat"), Verb::SetRandom},
        {msg::Disqualify("talk"), Verb::Disqualify},
        {msg::NewGame("Ann"), Verb::NewGame},
        {msg::Winner("Ann"), Verb::Winner},
        {msg::PathIs("Ann", "Dog"), Verb::PathIs},
    };
    for (const auto &[message, verb] : cases) {
        EXPECT_EQ(VerbOf(message), verb) << message.toStdString();
        EXPECT_EQ(VerbText(verb), GetVerb(message)) << message.toStdString();
    }
}

TEST(Verbs, OnlyTheExactTextIsAVerb)
{
    const std::pair<const char *, Verb> cases[] = {
        {"CHAT NAME=a;TEXT=b", Verb::Chat},
        {"PING", Verb::Ping},
        {"PINGME 7201", Verb::PingMe},
        {"chat NAME=a;", Verb::Unknown}, // letter case counts
        {" CHAT NAME=a;", Verb::Unknown},
        {"CHAT\tNAME=a;", Verb::Unknown}, // only a blank ends the verb
        {"CHATS NAME=a;", Verb::Unknown},
        {"CHA", Verb::Unknown},
        {"", Verb::Unknown},
        {"NAME=CHAT;", Verb::Unknown},
    };
    for (const auto &[message, verb] : cases) {
        const QString m = QString::fromUtf8(message);
        EXPECT_EQ(VerbOf(m), verb) << message;
        EXPECT_EQ(ParseVerb(GetVerb(m)), verb) << message;
    }
    EXPECT_EQ(VerbText(Verb::Unknown), QLatin1String(""));
}

TEST(Words, WhatIsBuiltReadsBack)
{
    const QStringList cases[] = {
        {"Cat", "Dog"},
        {"", ""},
        {"Cat"},
        {"WORD1=x", "Dog"},                // a key inside a word is not read again
        {"COUNT=9", "WORD0=y", "Åland\r"}, // nor a count
        {"a=b", "P1=c", "WORD2=", "end"},
    };
    for (const QStringList &words : cases) {
        EXPECT_EQ(msg::DecodeWords(msg::StartGame(words)), words) << words.join('|').toStdString();
        if (words.size() == 2) {
            EXPECT_EQ(msg::DecodeWords(msg::SetWords(words[0], words[1])), words);
        }
    }
    QStringList most;
    for (int i = 0; i <= msg::kMaxWordIndex; ++i)
        most << "W" + QString::number(i);
    EXPECT_EQ(msg::DecodeWords(msg::StartGame(most)), most);
    EXPECT_EQ(msg::DecodeWords(msg::StartGame(most << "one too many")), std::nullopt);
}

TEST(Words, RawDatagrams)
{
    const std::pair<const char *, std::optional<QStringList>> cases[] = {
        {"SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;", QStringList{"Cat", "Dog"}},
        {"STARTGAME COUNT=3;WORD0=Cat;WORD1=Dog;", QStringList{"Cat", "Dog", "", ""}},
        {"SETWORDS COUNT=1;WORD0=WORD1=x;", QStringList{"WORD1=x", ""}},
        {"SETWORDS COUNT=1;WORD1=Dog;WORD0=Cat;", QStringList{"Cat", ""}}, // order counts
        {"SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog", QStringList{"Cat", ""}},  // no closing ";"
        {"SETWORDS COUNT= 0 ;WORD0=Cat;", QStringList{"Cat"}},
        {"SETWORDS COUNT=63;", QStringList(64, QString())},
        {"SETWORDS COUNT=64;WORD0=Cat;", std::nullopt},
        {"SETWORDS COUNT=-1;WORD0=Cat;", std::nullopt},
        {"SETWORDS COUNT=2147483648;", std::nullopt},
        {"SETWORDS COUNT=one;WORD0=Cat;", std::nullopt},
        {"SETWORDS WORD0=Cat;", std::nullopt},
        {"SETWORDS COUNT=1", std::nullopt},
        {"WORDS COUNT=1;WORD0=Cat;WORD1=Dog;", std::nullopt},
        {"setwords COUNT=1;WORD0=Cat;WORD1=Dog;", std::nullopt},
    };
    for (const auto &[datagram, words] : cases)
        EXPECT_EQ(msg::DecodeWords(QString::fromUtf8(datagram)), words) << datagram;
}

struct ScoreRow {
    const char *datagram;
    bool read;
    const char *name;
    qint32 wins;
    std::optional<qint32> clicks, roundClicks;
    std::optional<QString> inGame;
};

void ExpectScore(const QString &datagram, const ScoreRow &r)
{
    const auto score = msg::DecodeScoreIs(datagram);
    ASSERT_EQ(score.has_value(), r.read) << datagram.toStdString();
    if (!score)
        return;
    EXPECT_EQ(score->name, QString::fromUtf8(r.name)) << datagram.toStdString();
    EXPECT_EQ(score->wins, r.wins) << datagram.toStdString();
    EXPECT_EQ(score->clicks, r.clicks) << datagram.toStdString();
    EXPECT_EQ(score->roundClicks, r.roundClicks) << datagram.toStdString();
    EXPECT_EQ(score->inGame, r.inGame) << datagram.toStdString();
}

TEST(Score, WhatIsBuiltReadsBack)
{
    const ScoreRow cases[] = {
        {"", true, "Ann", 2, 37, 5, QString("yes")},
        {"", true, "", 0, 0, 0, QString("no")},
        {"", true, "Zoë=1", std::numeric_limits<qint32>::max(), -3, std::numeric_limits<qint32>::min(),
         QString()},
    };
    for (const ScoreRow &r : cases) {
        ExpectScore(msg::ScoreIs(QString::fromUtf8(r.name), r.wins, *r.clicks, *r.roundClicks, *r.inGame), r);
    }
}

TEST(Score, RawDatagramsReadInOrderUntilANumberFails)
{
    const ScoreRow cases[] = {
        {"SCOREIS NAME=Bob;WINS=2;CLICK=37;RCLICK=5;INGAME=no;", true, "Bob", 2, 37, 5, QString("no")},
        {"SCOREIS NAME=Bob;WINS=4;CLICK=x;RCLICK=5;INGAME=no;", true, "Bob", 4, {}, {}, {}},
        {"SCOREIS NAME=Bob;WINS=4;CLICK=8;RCLICK=;INGAME=no;", true, "Bob", 4, 8, {}, {}},
        {"SCOREIS NAME=Bob;WINS=4;CLICK=8;RCLICK=1;", true, "Bob", 4, 8, 1, QString()},
        {"SCOREIS WINS=1;CLICK=1;RCLICK=1;INGAME=yes;", true, "", 1, 1, 1, QString("yes")},
        // Each field is its first match: a shorter key inside a longer one, or inside a value.
        {"SCOREIS NAME=Bob;RCLICK=5;CLICK=7;WINS=1;INGAME=no;", true, "Bob", 1, 5, 5, QString("no")},
        {"SCOREIS NAME=xWINS=9;WINS=1;CLICK=1;RCLICK=1;INGAME=no;", true, "xWINS=9", 9, 1, 1, QString("no")},
        {"SCOREIS NAME=Bob;WINS=99999999999;CLICK=1;RCLICK=1;INGAME=no;", false, "", 0, {}, {}, {}},
        {"SCOREIS NAME=Bob;", false, "", 0, {}, {}, {}},
        {"PINGIS NAME=Bob;WINS=1;CLICK=1;RCLICK=1;INGAME=no;", false, "", 0, {}, {}, {}},
    };
    for (const ScoreRow &r : cases)
        ExpectScore(QString::fromUtf8(r.datagram), r);
}

TEST(PlayerList, WhatIsBuiltReadsBack)
{
    const QStringList cases[] = {
        {},
        {"Ann"},
        {"Ann", "Bob", "Cy"},
        {"xP2=evil", "Bob"}, // a key inside a name is not read again
        {"", "COUNT=0", "Åsa\r"},
    };
    for (const QStringList &names : cases)
        EXPECT_EQ(msg::DecodePlayerList(msg::PlayerList(names)), names) << names.join('|').toStdString();

    QStringList full;
    for (int i = 0; i < msg::kMaxPlayers; ++i)
        full << QString::number(i) + QString(msg::kMaxNameBytes, 'a');
    for (QString &name : full)
        name.truncate(msg::kMaxNameBytes);
    EXPECT_TRUE(FitsDatagram(msg::PlayerList(full))) << "the longest list of the fullest table";
    EXPECT_EQ(msg::DecodePlayerList(msg::PlayerList(full)), full);
    EXPECT_EQ(msg::DecodePlayerList(msg::PlayerList(QStringList(full) << "late")), full);
}

TEST(PlayerList, RawDatagrams)
{
    const std::pair<const char *, std::optional<QStringList>> cases[] = {
        {"PLAYERLIST COUNT=0;", QStringList{}},
        {"PLAYERLIST COUNT=2;P1=Ann;P2=Bob;", QStringList{"Ann", "Bob"}},
        {"PLAYERLIST COUNT=2;P1=Ann;P2=ann;", QStringList{"Ann"}},
        {"PLAYERLIST COUNT=2147483647;P1=Ann;P2=Bob;", QStringList{"Ann", "Bob"}},
        {"PLAYERLIST COUNT=3;P1=Ann;P3=Cy;", QStringList{"Ann"}},
        {"PLAYERLIST COUNT=2;P2=Bob;P1=Ann;", QStringList{"Ann"}}, // order counts
        {"PLAYERLIST COUNT=2;P1=Ann;P2=Bob", QStringList{"Ann"}},  // no closing ";"
        {"PLAYERLIST COUNT=2;P1=aP2=b;P2=Bob;", QStringList{"aP2=b", "Bob"}},
        {"PLAYERLIST COUNT=1;P1=;", QStringList{""}},
        {"PLAYERLIST COUNT=-5;P1=Ann;", QStringList{}},
        {"PLAYERLIST COUNT=many;P1=Ann;", std::nullopt},
        {"PLAYERLIST COUNT=99999999999;P1=Ann;", std::nullopt},
        {"PLAYERLIST P1=Ann;", std::nullopt},
        {"JOIN COUNT=1;P1=Ann;", std::nullopt},
    };
    for (const auto &[datagram, names] : cases)
        EXPECT_EQ(msg::DecodePlayerList(QString::fromUtf8(datagram)), names) << datagram;

    // A list of the same name over and over keeps one entry.
    QString repeated = "PLAYERLIST COUNT=5000;";
    for (int i = 1; i <= 5000; ++i)
        repeated += "P" + QString::number(i) + "=ann;";
    EXPECT_EQ(msg::DecodePlayerList(repeated), QStringList{"ann"});
}

TEST(Connect, WhatIsBuiltAndRawDatagramsRead)
{
    struct Case {
        QString datagram;
        std::optional<msg::ConnectRequest> request;
    };
    using R = msg::ConnectRequest;
    const Case cases[] = {
        {msg::Connect(kVersion, "Ann", "7201", ""), R{kVersion, "Ann", 7201, ""}},
        {msg::Connect(kVersion, "Ann", "7201", "pw"), R{kVersion, "Ann", 7201, "pw"}},
        {msg::Connect("", "", "", ""), R{"", "", std::nullopt, ""}},
        {"CONNECT NAME=Ann;PWD=pw;PORT= 65535 ;VER=1;", R{"1", "Ann", 65535, "pw"}},
        {"CONNECT VER=1;NAME=Ann;PORT=65536;PWD=;", R{"1", "Ann", std::nullopt, ""}},
        {"CONNECT VER=1;NAME=Ann;PORT=0;", R{"1", "Ann", std::nullopt, ""}},
        {"CONNECT VER=1;NAME=Ann", R{"1", "", std::nullopt, ""}},
        // Each field is its first match anywhere, a key inside another field's value included.
        {"CONNECT VER=1;NAME=xPWD=pw;PORT=7201;PWD=;", R{"1", "xPWD=pw", 7201, "pw"}},
        {"STATUS VER=1;NAME=Ann;PORT=7201;PWD=;", std::nullopt},
    };
    for (const Case &c : cases) {
        const auto read = msg::DecodeConnect(c.datagram);
        ASSERT_EQ(read.has_value(), c.request.has_value()) << c.datagram.toStdString();
        if (!read)
            continue;
        EXPECT_EQ(read->version, c.request->version) << c.datagram.toStdString();
        EXPECT_EQ(read->name, c.request->name) << c.datagram.toStdString();
        EXPECT_EQ(read->port, c.request->port) << c.datagram.toStdString();
        EXPECT_EQ(read->password, c.request->password) << c.datagram.toStdString();
    }
}

TEST(RejectCodes, TravelAsTheirNumbers)
{
    const std::pair<RejectCode, const char *> cases[] = {
        {NameInUse, "CONNECTREJECT ERROR=-10;"},      {NameBanned, "CONNECTREJECT ERROR=-11;"},
        {AddressFull, "CONNECTREJECT ERROR=-20;"},    {AddressBanned, "CONNECTREJECT ERROR=-21;"},
        {WrongPassword, "CONNECTREJECT ERROR=-100;"},
    };
    for (const auto &[code, text] : cases)
        EXPECT_EQ(msg::ConnectRejectError(code), QString::fromUtf8(text));
}

} // namespace

namespace
{

// Each row: a datagram and what its reader gives, nothing for a message it does not read.
template <typename T, typename Reader>
void ExpectReads(Reader read, std::initializer_list<std::pair<QString, std::optional<T>>> rows)
{
    for (const auto &[datagram, expected] : rows)
        EXPECT_TRUE(read(datagram) == expected) << datagram.toStdString();
}

TEST(ServerMessages, JoiningRepliesReadBackAsBuilt)
{
    using A = msg::Accepted;
    ExpectReads<A>(msg::DecodeConnectAccept, {
                                                 {msg::ConnectAccept(true), A{true}},
                                                 {msg::ConnectAccept(false), A{false}},
                                                 {"CONNECTACCEPT PLAYING=maybe;", A{}},
                                                 {"CONNECTACCEPT", A{}},
                                                 {"CONNECTREJECT PLAYING=yes;", std::nullopt},
                                             });
    using R = msg::Rejected;
    ExpectReads<R>(msg::DecodeConnectReject, {
                                                 {msg::ConnectRejectVersion(kVersion), R{kVersion, ""}},
                                                 {msg::ConnectRejectError(NameInUse), R{std::nullopt, "-10"}},
                                                 {"CONNECTREJECT ERROR=soon;", R{std::nullopt, "soon"}},
                                                 // Any "VER" makes it a version refusal, as before.
                                                 {"CONNECTREJECT ERROR=-10;VERB", R{"", ""}},
                                                 {"CONNECTACCEPT ERROR=-10;", std::nullopt},
                                             });
    ExpectReads<QString>(msg::DecodeWelcome, {
                                                 {msg::Message("Hi %p; a=b"), QStringLiteral("Hi %p; a=b")},
                                                 {msg::Message(""), QString()},
                                                 {"MESSAGE", std::nullopt},
                                                 {"MESSAGES hi", std::nullopt},
                                             });
    ExpectReads<msg::ServerStatus>(
        msg::DecodeStatusReply,
        {
            {msg::StatusReply(kVersion, 3, "10.0.0.2"), msg::ServerStatus{kVersion, "3", "10.0.0.2"}},
            // A client's request: "SERVER=" holds "VER=", which the first match takes.
            {"STATUS SERVER=x;PORT=7201;", msg::ServerStatus{"x", "", "x"}},
            {"STATUSX #=1;", std::nullopt},
        });
}

TEST(ServerMessages, PlayersAndPingsReadBackAsBuilt)
{
    using N = msg::PlayerNamed;
    ExpectReads<N>(msg::DecodePlayerNamed, {
                                               {msg::IsHost("Ann"), N{Verb::IsHost, "Ann"}},
                                               {msg::Join("Bob"), N{Verb::Join, "Bob"}},
                                               {msg::Leave("Bob"), N{Verb::Leave, "Bob"}},
                                               {msg::Drop("Bob"), N{Verb::Drop, "Bob"}},
                                               {msg::Winner("Ann"), N{Verb::Winner, "Ann"}},
                                               {msg::NewGame("Ann"), N{Verb::NewGame, "Ann"}},
                                               {msg::NewGameRequest(), N{Verb::NewGame, ""}},
                                               {"JOIN NAME=Ann", N{Verb::Join, ""}}, // no closing ";"
                                               {msg::Chat("Ann", "hi"), std::nullopt},
                                           });
    ExpectReads<msg::PingRequest>(msg::DecodePing, {
                                                       {msg::Ping(123456), msg::PingRequest{"123456"}},
                                                       {msg::Ping(-5), msg::PingRequest{"-5"}},
                                                       // Echoed as sent, blanks and all.
                                                       {"PING TIME= 7 ;", msg::PingRequest{" 7 "}},
                                                       {"PING TIME=soon;", std::nullopt},
                                                       {"PING TIME=99999999999;", std::nullopt},
                                                       {"PING", std::nullopt},
                                                   });
    using P = msg::PingReport;
    ExpectReads<P>(msg::DecodePingIs, {
                                          {msg::PingIs("Ann", 42), P{"Ann", 42}},
                                          {"PINGIS NAME=Ann;PING=x;", std::nullopt},
                                          {"PINGIS PING=1;", P{"", 1}},
                                      });
}

TEST(ServerMessages, RoundMessagesReadBackAsBuilt)
{
    using C = msg::ChatLine;
    ExpectReads<C>(msg::DecodeChat, {
                                        {msg::Chat("Ann", "a=b; c"), C{"Ann", "a=b; c"}},
                                        {msg::Chat("GAME", "Shortest route: 2 clicks."),
                                         C{"GAME", "Shortest route: 2 clicks."}},
                                        // The text runs from the first "TEXT=" to the end.
                                        {"CHAT TEXT=x;NAME=Ann;", C{"Ann", "x;NAME=Ann;"}},
                                        {"CHAT NAME=Ann;", C{"Ann", ""}},
                                    });
    using T = msg::TimeOfDay;
    ExpectReads<T>(msg::DecodeTime, {
                                        {msg::TimeReply("10:00:01", "Monday"), T{"10:00:01", "Monday"}},
                                        {msg::TimeRequest("7201"), T{"", ""}},
                                    });
    using S = msg::RoundStart;
    ExpectReads<S>(msg::DecodeStartGame,
                   {
                       {msg::StartGame({"Cat", "Dog"}), S{"Cat", QStringList{"Cat", "Dog"}}},
                       {"STARTGAME COUNT=x;WORD0=Cat;WORD1=Dog;", S{"Cat", std::nullopt}},
                       {"STARTGAME COUNT=64;WORD0=Cat;", S{"Cat", std::nullopt}},
                       {msg::SetWords("Cat", "Dog"), std::nullopt},
                   });
    using W = msg::RandomWord;
    ExpectReads<W>(msg::DecodeSetRandom, {
                                             {msg::SetRandom("1", "Cat"), W{"1", "Cat"}},
                                             {msg::SetRandom("2", "C++"), W{"2", "C++"}},
                                             {"SETRANDOM URL=Cat;", W{"", "Cat"}},
                                         });
    using V = msg::PageValue;
    ExpectReads<V>(msg::DecodePageValue, {
                                             {msg::Disqualify("talk"), V{Verb::Disqualify, "talk"}},
                                             {msg::Navigate("Ann", "Dog"), V{Verb::Navigate, "Dog"}},
                                             {"DISQUALIFY", V{Verb::Disqualify, ""}},
                                             {msg::Winner("Ann"), std::nullopt},
                                         });
    using R = msg::Route;
    ExpectReads<R>(msg::DecodeRoute, {
                                         {msg::PathIs("Ann", "Cat\rDog"), R{"Ann", "Cat\rDog"}},
                                         {msg::SendMyPath("Ann", "Cat"), R{"Ann", "Cat"}},
                                         {"PATHIS NAME=Ann;", R{"Ann", ""}},
                                         {msg::Chat("Ann", "PATH=x;"), std::nullopt},
                                     });
    EXPECT_EQ((msg::Route{"Ann", "Cat\rDog\rMouse"}.Shown()), QStringLiteral("Cat --> Dog --> Mouse"));
}

} // namespace

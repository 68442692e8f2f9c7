#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"

#include <gtest/gtest.h>

namespace
{

struct ReadCase {
    const char *message;
    const char *key;
    const char *expected;
};

TEST(GetValue, FirstMatchAnywhereInTheMessage)
{
    const ReadCase cases[] = {
        // CONNECT as the client sends it
        {"CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;", "PORT", "7201"},
        {"CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;", "PWD", ""},
        {"CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;", "SERVER", ""},
        {"CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;", "VER", "1.04 (beta)"},
        // The verb is followed by a blank, so "TIME" is found in the field
        {"TIME TIME=10:00:01;DATE=Monday;", "TIME", "10:00:01"},
        {"PING TIME=123456;", "TIME", "123456"},
        // "PING" inside "PINGIS NAME=" is not followed by "="
        {"PINGIS NAME=Ann;PING=42;", "PING", "42"},
        // The shorter key comes first in SCOREIS
        {"SCOREIS NAME=Ann;WINS=2;CLICK=37;RCLICK=5;INGAME=yes;", "CLICK", "37"},
        {"SCOREIS NAME=Ann;WINS=2;CLICK=37;RCLICK=5;INGAME=yes;", "RCLICK", "5"},
        // ...and a longer key standing first would be matched by the shorter one
        {"X RCLICK=5;CLICK=37;", "CLICK", "5"},
        // No closing ";"
        {"NAVIGATE NAME=Ann;URL=Dog", "URL", ""},
        {"CHAT NAME=Ann;TEXT=hello", "TEXT", ""},
        // "=" inside a value survives, ";" cuts it
        {"PONG NAME=A=n;TIME=5;", "NAME", "A=n"},
        {"CHAT NAME=Ann;TEXT=a;b", "TEXT", "a"},
        // Missing key, empty value, no blank at all
        {"PINGME", "PORT", ""},
        {"STATUS SERVER=;PORT=7201;", "SERVER", ""},
        {"", "NAME", ""},
        {"NAME=", "NAME", ""},
        {"NAME=x;", "NAME", "x"},
        // Case-sensitive keys
        {"JOIN name=ann;", "NAME", ""},
        // Unicode and line breaks travel unchanged
        {"NAVIGATE NAME=Zoë;URL=Åland\r;", "URL", "Åland\r"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(GetValue(QString::fromUtf8(c.message), QString::fromUtf8(c.key)),
                  QString::fromUtf8(c.expected))
            << c.message << " / " << c.key;
    }
}

TEST(GetVerb, TextBeforeTheFirstBlank)
{
    const std::pair<const char *, const char *> cases[] = {
        {"CONNECT VER=1;", "CONNECT"}, {"NEEDPWD", "NEEDPWD"},       {"DISCONNECT", "DISCONNECT"},
        {"PINGME 7201", "PINGME"},     {" CHAT NAME=x;", ""},        {"", ""},
        {"connect VER=1;", "connect"}, {"MESSAGE a b c", "MESSAGE"},
    };
    for (const auto &[message, verb] : cases)
        EXPECT_EQ(GetVerb(QString::fromUtf8(message)), QString::fromUtf8(verb)) << message;
}

TEST(ParseNumber, DecimalSigned32BitOnly)
{
    const std::pair<const char *, std::optional<qint32>> cases[] = {
        {"7201", 7201},
        {"0", 0},
        {"-100", -100},
        {"+5", 5},
        {"  42 ", 42},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<qint32>::min()},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"1e3", std::nullopt},
        {"3.5", std::nullopt},
        {"٣", std::nullopt},     // non-ASCII digits are not numbers on the wire
        {"\t7\n", std::nullopt}, // only blanks pad a number
        {"7\r", std::nullopt},
        {"\f7", std::nullopt},
        {"\v7", std::nullopt},
        {"\xC2\xA0"
         "7",
         std::nullopt}, // no-break space
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(ParseNumber(QString::fromUtf8(text)), expected) << text;
}

TEST(GetValueFrom, ReadsOnlyAfterTheGivenPlace)
{
    const QString m = QStringLiteral("SETWORDS COUNT=1;WORD0=WORD1=x;WORD1=y;");
    qsizetype end = 0;
    EXPECT_EQ(GetValueFrom(m, "WORD0", 0, &end), "WORD1=x");
    EXPECT_EQ(m.mid(end), "WORD1=y;");
    EXPECT_EQ(GetValueFrom(m, "WORD1", end, &end), "y");
    EXPECT_EQ(end, m.size());
    qsizetype untouched = 7;
    EXPECT_EQ(GetValueFrom(m, "WORD2", 0, &untouched), "");
    EXPECT_EQ(untouched, 7) << "a missing key leaves the place alone";
    EXPECT_EQ(GetValueFrom(m, "WORD0", 20, nullptr), "");
}

TEST(FitsDatagram, CountsUtf8Bytes)
{
    const std::pair<QString, bool> cases[] = {
        {QString(), true},
        {QString(kMaxDatagramBytes, 'x'), true},
        {QString(kMaxDatagramBytes + 1, 'x'), false},
        {QString(kMaxDatagramBytes / 2, QChar(0xE9)) + "x", true}, // 65,507 bytes
        {QString(kMaxDatagramBytes / 2 + 1, QChar(0xE9)), false},
        {QString(kMaxDatagramBytes / 3, QChar(0xFFFD)), true},
        {QString(kMaxDatagramBytes / 3 + 1, QChar(0xFFFD)), false},
    };
    for (const auto &[text, fits] : cases)
        EXPECT_EQ(FitsDatagram(text), fits) << text.size() << " units, " << text.toUtf8().size() << " bytes";
}

TEST(Messages, EveryMessageByteForByte)
{
    const QString v = modVersion::Version;
    const std::pair<QString, const char *> cases[] = {
        {msg::Connect(v, "Ann", "7201", ""), "CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;"},
        {msg::Connect(v, "Ann", "7201", "pw"), "CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=pw;"},
        {msg::GetPlayerList("7201"), "GETPLAYERLIST PORT=7201;"},
        {msg::Status("", "7202"), "STATUS SERVER=;PORT=7202;"},
        {msg::Status("10.0.0.5", "7202"), "STATUS SERVER=10.0.0.5;PORT=7202;"},
        {msg::PingMe("7201"), "PINGME 7201"},
        {msg::Pong("Ann", "123"), "PONG NAME=Ann;TIME=123;"},
        {msg::GetScore("7201", "Bob"), "GETSCORE PORT=7201;NAME=Bob;"},
        {msg::GetPing("7201", "Bob"), "GETPING PORT=7201;NAME=Bob;"},
        {msg::TimeRequest("7201"), "TIME PORT=7201;"},
        {msg::Chat("Ann", "hi; a=b"), "CHAT NAME=Ann;TEXT=hi; a=b"},
        {msg::Disconnect("Ann"), "DISCONNECT NAME=Ann;"},
        {msg::GetWords("Ann"), "GETWORDS NAME=Ann;"},
        {msg::Navigate("Ann", "Dog"), "NAVIGATE NAME=Ann;URL=Dog;"},
        {msg::SendMyPath("Ann", "Cat\rDog"), "SENDMYPATH NAME=Ann;PATH=Cat\rDog;"},
        {msg::GetRandom(1), "GETRANDOM SRC=1;"},
        {msg::GetRandom(2), "GETRANDOM SRC=2;"},
        {msg::SetWords("Cat", "Dog"), "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;"},
        {msg::NewGameRequest(), "NEWGAME"},
        {msg::ConnectRejectVersion(v), "CONNECTREJECT VER=1.04 (beta);"},
        {msg::NeedPwd(), "NEEDPWD"},
        {msg::ConnectRejectError(-100), "CONNECTREJECT ERROR=-100;"},
        {msg::ConnectRejectError(-21), "CONNECTREJECT ERROR=-21;"},
        {msg::ConnectAccept(true), "CONNECTACCEPT PLAYING=yes;"},
        {msg::ConnectAccept(false), "CONNECTACCEPT PLAYING=no;"},
        {msg::Message("Hi;=\r\nthere"), "MESSAGE Hi;=\r\nthere"},
        {msg::IsHost("Ann"), "ISHOST NAME=Ann;"},
        {msg::Join("Ann"), "JOIN NAME=Ann;"},
        {msg::PlayerList({}), "PLAYERLIST COUNT=0;"},
        {msg::PlayerList({"Ann", "Bob", "Cy"}), "PLAYERLIST COUNT=3;P1=Ann;P2=Bob;P3=Cy;"},
        {msg::StatusReply(v, 2, ""), "STATUS VER=1.04 (beta);#=2;SERVER=;"},
        {msg::Ping(-5), "PING TIME=-5;"},
        {msg::PingIs("Ann", 120), "PINGIS NAME=Ann;PING=120;"},
        {msg::ScoreIs("Ann", 2, 37, 5, "yes"), "SCOREIS NAME=Ann;WINS=2;CLICK=37;RCLICK=5;INGAME=yes;"},
        {msg::TimeReply("10:00:00", "Monday, 7 December 2026"),
         "TIME TIME=10:00:00;DATE=Monday, 7 December 2026;"},
        {msg::Leave("Ann"), "LEAVE NAME=Ann;"},
        {msg::Drop("Ann"), "DROP NAME=Ann;"},
        {msg::DisconnectNotice(), "DISCONNECT"},
        {msg::StartGame({"Cat", "Dog"}), "STARTGAME COUNT=1;WORD0=Cat;WORD1=Dog;"},
        {msg::SetRandom("2", "Paris"), "SETRANDOM SRC=2;URL=Paris;"},
        {msg::Disqualify("talk"), "DISQUALIFY URL=talk;"},
        {msg::NewGame("Bob"), "NEWGAME NAME=Bob;"},
        {msg::Winner("Ann"), "WINNER NAME=Ann;"},
        {msg::PathIs("Ann", "Cat\rDog"), "PATHIS NAME=Ann;PATH=Cat\rDog;"},
    };
    for (const auto &[built, expected] : cases)
        EXPECT_EQ(built, QString::fromUtf8(expected));
}

TEST(Messages, BuiltMessagesReadBack)
{
    const QString score = msg::ScoreIs("Ann", 2, 37, 5, "no");
    EXPECT_EQ(GetVerb(score), "SCOREIS");
    EXPECT_EQ(GetNumber(score, "WINS"), 2);
    EXPECT_EQ(GetNumber(score, "CLICK"), 37);
    EXPECT_EQ(GetNumber(score, "RCLICK"), 5);
    EXPECT_EQ(GetValue(score, "INGAME"), "no");

    const QString list = msg::PlayerList({"Ann", "Bob", "Cy"});
    EXPECT_EQ(GetNumber(list, "COUNT"), 3);
    EXPECT_EQ(GetValue(list, "P2"), "Bob");

    const QString words = msg::StartGame({"Cat", "Dog"});
    EXPECT_EQ(GetNumber(words, "COUNT"), 1);
    EXPECT_EQ(GetValue(words, "WORD1"), "Dog");

    EXPECT_EQ(GetValue(msg::StatusReply(modVersion::Version, 4, "x"), "#"), "4");
}

} // namespace

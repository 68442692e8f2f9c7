#pragma once

#include <QLatin1String>
#include <QString>

// Every verb of the game, as it travels, in one list. Each entry is X(Name, "TEXT").
// STATUS, TIME, DISCONNECT and NEWGAME travel both ways with different fields.
#define QUILLORY_ALL_VERBS(X)                                                                                \
    /* client to server */                                                                                   \
    X(Connect, "CONNECT")                                                                                    \
    X(GetPlayerList, "GETPLAYERLIST")                                                                        \
    X(Status, "STATUS")                                                                                      \
    X(PingMe, "PINGME")                                                                                      \
    X(Pong, "PONG")                                                                                          \
    X(GetScore, "GETSCORE")                                                                                  \
    X(GetPing, "GETPING")                                                                                    \
    X(Time, "TIME")                                                                                          \
    X(Chat, "CHAT")                                                                                          \
    X(Disconnect, "DISCONNECT")                                                                              \
    X(GetWords, "GETWORDS")                                                                                  \
    X(Navigate, "NAVIGATE")                                                                                  \
    X(SendMyPath, "SENDMYPATH")                                                                              \
    X(GetRandom, "GETRANDOM")                                                                                \
    X(SetWords, "SETWORDS")                                                                                  \
    X(NewGame, "NEWGAME")                                                                                    \
    X(GiveUp, "GIVEUP")                                                                                      \
    /* server to client */                                                                                   \
    X(ConnectReject, "CONNECTREJECT")                                                                        \
    X(NeedPwd, "NEEDPWD")                                                                                    \
    X(ConnectAccept, "CONNECTACCEPT")                                                                        \
    X(Message, "MESSAGE")                                                                                    \
    X(IsHost, "ISHOST")                                                                                      \
    X(Join, "JOIN")                                                                                          \
    X(PlayerList, "PLAYERLIST")                                                                              \
    X(Ping, "PING")                                                                                          \
    X(PingIs, "PINGIS")                                                                                      \
    X(ScoreIs, "SCOREIS")                                                                                    \
    X(Leave, "LEAVE")                                                                                        \
    X(Drop, "DROP")                                                                                          \
    X(StartGame, "STARTGAME")                                                                                \
    X(SetRandom, "SETRANDOM")                                                                                \
    X(Disqualify, "DISQUALIFY")                                                                              \
    X(Winner, "WINNER")                                                                                      \
    X(PathIs, "PATHIS")                                                                                      \
    /* server to client, newer: a peer that does not know them ignores them */                               \
    X(Par, "PAR")                                                                                            \
    X(Turn, "TURN")                                                                                          \
    X(Result, "RESULT")                                                                                      \
    X(Shortest, "SHORTEST")                                                                                  \
    X(Bye, "BYE")

// Unknown: any other text, which both programs ignore.
enum class Verb {
    Unknown,
#define QUILLORY_VERB_ENUM(name, text) name,
    QUILLORY_ALL_VERBS(QUILLORY_VERB_ENUM)
#undef QUILLORY_VERB_ENUM
};

// The verb as it travels; "" for Unknown.
QLatin1String VerbText(Verb verb);

// The verb spelled exactly so (letter case counts); Unknown for anything else.
Verb ParseVerb(QStringView text);

// The verb of a message: its text before the first blank (GetVerb), parsed.
Verb VerbOf(const QString &message);

#pragma once

#include <QString>
#include <QStringList>

// The chat window's history and its send box, without widgets.
namespace chatlog
{

constexpr int kMaxLines = 100;

// The history after adding the line "name: text": lines joined by CR LF, the oldest dropped so
// that at most kMaxLines remain. A text holding line breaks counts as several lines, and its breaks
// become CR LF.
QString AppendLine(const QString &history, const QString &name, const QString &text);

// What the send box sends for the typed text: "" for an empty box, TIME for "/time" or "/date"
// (blanks around and letter case ignored), otherwise the text as typed in a CHAT message.
QString OutgoingMessage(const QString &typed, const QString &playerName, const QString &ownPort);

// What the send box shows without sending anything: the list of chat commands for "/help".
QStringList LocalAnswer(const QString &typed);

// Computer players: the levels a host may add, the commands that add and remove one, and the mark
// their names carry.
QStringList BotLevels();
inline const QString kDefaultBotLevel = QStringLiteral("normal");
QString AddBotCommand(const QString &level);
QString RemoveBotCommand(const QString &name);
bool IsBotName(const QString &name);

// "Players (n):"
QString PlayersCaption(int count);

} // namespace chatlog

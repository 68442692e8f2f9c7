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

// "Players (n):"
QString PlayersCaption(int count);

} // namespace chatlog

#pragma once

#include <QString>
#include <QStringList>

// The text rules of the start window, the host dialog and the server browser, without widgets.
namespace joinRules
{

// A typed value that travels as a field: every "=" and ";" removed, nothing else changed.
QString CleanField(const QString &text);

// Cleans a text box's text and moves the caret with the text: it keeps its place among the
// characters that stay, so a separator typed anywhere leaves the caret where it was.
struct CleanedText {
    QString text;
    int caret = 0;
};
CleanedText CleanFieldKeepingCaret(const QString &text, int caret);

// Host dialog.
inline const QString DefaultWelcome = QStringLiteral("%p user(s) connected to Quillory Server %v");
QString HostHelpText();
enum class HostAddress { Blank, Loopback, Accepted };
// Blank: nothing but dots and blanks. Loopback: "localhost" or "127.0.0.1" in any case, blanks
// around. Anything else is taken as typed.
HostAddress CheckHostAddress(const QString &text);

// Server browser.
// The "Servers" setting as a list, without empty items.
QStringList SplitServers(const QString &line);
// The new "Servers" line after joining `chosen`: it first, then the other items in their order,
// without those equal to it ignoring case.
QString ServersAfterJoin(const QString &chosen, const QStringList &items);
// An address with its dots removed and blanks trimmed is empty: Join does nothing.
bool IsBlankAddress(const QString &text);
// "address (count)" -> address: the text before the last " (".
QString AddressOfActiveEntry(const QString &entry);

} // namespace joinRules

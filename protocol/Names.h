#pragma once

#include <QString>

// How the game compares player names. Server and client must agree on which names are one name:
// otherwise a LEAVE for one player takes another off every client's list.
namespace names
{

// Equal when every character's simple lower-case mapping is equal ("Ann" and "aNN"). Nothing else
// is folded: "Bess" and "Beſs" (long s), or names differing by ς and σ, are two names.
bool SameIgnoringCase(QStringView a, QStringView b);

// The name without the blanks at its end; joining ignores them ("Ann " is taken when Ann is there).
QStringView WithoutTrailingBlanks(QStringView name);

} // namespace names

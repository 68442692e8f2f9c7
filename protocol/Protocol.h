#pragma once

#include <QString>
#include <optional>

// Reading of one message: "VERB key=value;key=value;".
// The reader takes the first match anywhere in the text, the verb included,
// and nothing is escaped; peers rely on exactly this behaviour.

// The verb: everything before the first blank, or the whole message when it has none.
QString GetVerb(const QString &message);

// The value of `key`: the text after the first "key=" up to the next ";".
// "" when the key is missing, has no closing ";", or the value is empty.
QString GetValue(const QString &message, const QString &key);

// A number field: decimal digits with an optional sign and optional blanks around,
// within signed 32-bit range. Anything else gives no value, which fails the handler.
std::optional<qint32> ParseNumber(const QString &text);

// Convenience: GetValue followed by ParseNumber.
std::optional<qint32> GetNumber(const QString &message, const QString &key);

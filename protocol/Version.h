#pragma once

#include <QString>

namespace modVersion
{
// Both programs carry the same text; the server compares it exactly at CONNECT.
inline const QString Version = QStringLiteral("1.04 (beta)");
} // namespace modVersion

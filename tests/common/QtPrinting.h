#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable failures: gtest prints Qt strings as quoted text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{';
    for (const QString &s : l)
        *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
QT_END_NAMESPACE

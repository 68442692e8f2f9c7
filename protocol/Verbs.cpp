#include "protocol/Verbs.h"

#include <iterator>

namespace
{
struct VerbEntry {
    Verb verb;
    QLatin1String text;
};

constexpr VerbEntry kVerbs[] = {
#define QUILLORY_VERB_ENTRY(name, text) {Verb::name, QLatin1String(text)},
    QUILLORY_ALL_VERBS(QUILLORY_VERB_ENTRY)
#undef QUILLORY_VERB_ENTRY
};
} // namespace

QLatin1String VerbText(Verb verb)
{
    // The list follows the enum, which starts with Unknown.
    const auto index = static_cast<qsizetype>(verb) - 1;
    if (index < 0 || index >= qsizetype(std::size(kVerbs)))
        return QLatin1String("");
    return kVerbs[index].text;
}

Verb ParseVerb(QStringView text)
{
    for (const VerbEntry &entry : kVerbs) {
        if (text == entry.text)
            return entry.verb;
    }
    return Verb::Unknown;
}

Verb VerbOf(const QString &message)
{
    const qsizetype blank = message.indexOf(QLatin1Char(' '));
    return ParseVerb(blank < 0 ? QStringView(message) : QStringView(message).left(blank));
}

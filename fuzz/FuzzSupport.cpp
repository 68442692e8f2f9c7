#include "FuzzSupport.h"

#include "protocol/Names.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace fuzz
{

QList<Step> Split(const uint8_t *data, size_t size)
{
    QList<Step> steps;
    size_t start = 0;
    for (size_t i = 0; i <= size && steps.size() < kMaxSteps; ++i) {
        if (i < size && data[i] != 0)
            continue;
        const uint8_t *begin = data + start;
        size_t length = i - start;
        Step step;
        if (length > 0 && begin[0] >= 1 && begin[0] <= 8) {
            step.selector = begin[0];
            ++begin;
            --length;
        }
        step.text = QString::fromUtf8(reinterpret_cast<const char *>(begin), qsizetype(length));
        steps.append(step);
        start = i + 1;
    }
    return steps;
}

namespace
{
void quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
        std::abort();
    }
}
} // namespace

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    qInstallMessageHandler(quiet);
    static int argc = 1;
    static char name[] = "quillory-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

QString Visible(const QString &text, qsizetype limit)
{
    QString out;
    for (const QChar c : text.left(limit)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return text.size() > limit ? out + QStringLiteral("...") : out;
}

void Fail(const char *target, const QString &what)
{
    std::fprintf(stderr, "\n==== %s: invariant broken: %s\n", target, qPrintable(what.left(2000)));
    std::fflush(stderr);
    std::abort();
}

void RequireFits(const char *target, const QString &text, const QString &sender)
{
    const qsizetype bytes = text.toUtf8().size();
    if (bytes > kMaxDatagramBytes)
        Fail(target, QStringLiteral("%1 sent a datagram of %2 bytes: %3")
                         .arg(sender)
                         .arg(bytes)
                         .arg(Visible(text, 60)));
}

void RequireDistinctNames(const char *target, const QStringList &names, const QString &where)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        for (qsizetype j = i + 1; j < names.size(); ++j) {
            if (names::SameIgnoringCase(names[i], names[j]))
                Fail(target, QStringLiteral("%1 holds \"%2\" and \"%3\", one name to the other program")
                                 .arg(where, Visible(names[i]), Visible(names[j])));
        }
    }
}

} // namespace fuzz

#pragma once

#include "protocol/Protocol.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares: how an input becomes a series of steps, and how a broken
// invariant ends the run so that the fuzzer keeps the input that broke it.
namespace fuzz
{

// Steps are separated by a NUL byte. A step whose first byte is 1..8 names the sender or the
// action with it (each target says what the numbers mean); any other step is a datagram from
// the target's default sender. Datagram bytes are decoded as the real socket decodes them.
// Steps past kMaxSteps are ignored, so that no input holds the fuzzer up for long.
constexpr qsizetype kMaxSteps = 256;
struct Step {
    int selector = 0;
    QString text;
};
QList<Step> Split(const uint8_t *data, size_t size);

// A Qt application for the cores (timers, deferred deletes), made once; Qt's own warnings about
// hostile input are silenced so that the fuzzer's output stays readable.
void EnsureApplication();

// The text with control characters written as \xNN, cut to a readable length.
QString Visible(const QString &text, qsizetype limit = 80);

// Ends the run: prints which invariant broke and aborts, so the fuzzer saves the input.
[[noreturn]] void Fail(const char *target, const QString &what);

inline void Require(bool holds, const char *target, const QString &what)
{
    if (!holds)
        Fail(target, what);
}

// Fails unless the text fits one datagram once encoded as it is sent (UTF-8).
void RequireFits(const char *target, const QString &text, const QString &sender);

// Fails when two of the names are one name by the rule both programs share.
void RequireDistinctNames(const char *target, const QStringList &names, const QString &where);

} // namespace fuzz

// The entry point every target defines; libFuzzer calls it, and so does the corpus replay.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// One rule for which player names are one name, on the server's table and the client's list alike.
#include "client/ModData.h"
#include "protocol/Names.h"
#include "server/PlayerTable.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace
{

struct NamePair {
    const char *a;
    const char *b;
    bool same;
};

const NamePair kPairs[] = {
    {"Ann", "ann", true},         {"Ann", "ANN", true},     {"Émile", "éMILE", true}, {"ΣΑΣ", "σασ", true},
    {"Straße", "STRAßE", true},   {"Ǆemal", "ǆemal", true}, // title-case and lower-case forms of one letter
    {"𐐀bc", "𐐨BC", true},                                   // letters beyond the first plane
    {"Bess", "Beſs", false},                                // long s folds to s, but does not lower to it
    {"σας", "σασ", false},                                  // final and medial sigma
    {"Straße", "STRASSE", false}, {"Ann", "Ann ", false},   // trailing blanks count, except when joining
    {"Ann", "Anne", false},       {"", "", true},
};

TEST(Names, OneRuleForServerAndClient)
{
    ModData modData;
    for (const NamePair &p : kPairs) {
        const QString a = QString::fromUtf8(p.a), b = QString::fromUtf8(p.b);
        EXPECT_EQ(names::SameIgnoringCase(a, b), p.same) << p.a << " / " << p.b;

        // Server: the second name joins only when it is another name; a leave of it removes the first.
        PlayerTable table;
        ASSERT_EQ(table.AddPlayer(a, "10.0.0.2", "7201"), 1);
        const qint32 second = table.AddPlayer(b, "10.0.0.3", "7201");
        const bool trailingBlanksOnly = QString(b).remove(QRegularExpression(" +$")) == a;
        EXPECT_EQ(second == NameInUse, p.same || trailingBlanksOnly) << p.a << " / " << p.b;
        PlayerTable leaving;
        leaving.AddPlayer(a, "10.0.0.2", "7201");
        leaving.RemovePlayer(b);
        EXPECT_EQ(leaving.PlayerCount() == 0, p.same) << p.a << " / " << p.b;

        // Client: the same names are one entry, and a LEAVE of one takes the other exactly then.
        modData.ResetAll();
        modData.AddPlayer(a);
        modData.AddPlayer(b);
        EXPECT_EQ(modData.PlayerCount, p.same ? 1 : 2) << p.a << " / " << p.b;
        modData.ResetAll();
        modData.AddPlayer(a);
        modData.RemovePlayer(b);
        EXPECT_EQ(modData.PlayerCount == 0, p.same) << p.a << " / " << p.b;
    }
    modData.ResetAll();
}

} // namespace

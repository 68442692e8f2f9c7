// Shortest routes by article links, around the page kinds a route may not pass through.
#include "site/corpus/CorpusSite.h"
#include "site/graph/Routes.h"

#include <gtest/gtest.h>

namespace
{

// Cat -> Dog -> Mouse -> Cheese; Cat -> List of pets -> Cheese; Cat -> 1984 -> Cheese;
// Dog -> Search engine -> Cat; Horse links nowhere; nothing links to Bee.
std::shared_ptr<const Corpus> Pets()
{
    auto c = std::make_shared<Corpus>();
    const QStringList titles = {"Cat",  "Dog",   "Mouse", "Cheese",       "List of pets",
                                "1984", "Horse", "Bee",   "Search engine"};
    for (const QString &t : titles)
        c->AddArticle(t);
    const auto link = [&](const char *from, const char *to) { c->AddLink(c->Find(from), c->Find(to)); };
    link("Cat", "Dog");
    link("Dog", "Mouse");
    link("Mouse", "Cheese");
    link("Cat", "List of pets");
    link("List of pets", "Cheese");
    link("Cat", "1984");
    link("1984", "Cheese");
    link("Cheese", "Cat");
    link("Bee", "Cat");
    link("Dog", "Search engine");
    link("Search engine", "Cat");
    return c;
}

TEST(Routes, ShortestAroundForbiddenPages)
{
    const CorpusSite site(Pets(), QStringLiteral("pets"));
    struct Row {
        const char *from, *to;
        std::optional<QStringList> route;
    };
    const Row rows[] = {
        {"Cat", "Dog", QStringList{"Cat", "Dog"}},
        {"Cat", "Cheese", QStringList{"Cat", "Dog", "Mouse", "Cheese"}}, // not through a list or a number
        {"Cheese", "Mouse", QStringList{"Cheese", "Cat", "Dog", "Mouse"}},
        {"Cat", "Cat", QStringList{"Cat"}},
        {"Horse", "Cat", QStringList{}},        // no links out
        {"Cat", "Bee", QStringList{}},          // nothing links in
        {"Cat", "List of pets", QStringList{}}, // reaching it would take the player out
        {"Cat", "Nowhere", QStringList{}},      // no such article
        // A page reported as "search" is counted, never disqualifying: a route may pass through it.
        {"Dog", "Cat", QStringList{"Dog", "Search engine", "Cat"}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(ShortestRoute(site, r.from, r.to), r.route) << r.from << " -> " << r.to;

    // No round can end on it, though, so a random draw never gives it.
    QStringList winnable;
    for (const LinkGraph::Node n : site.Graph()->Winnable())
        winnable << site.GraphTitle(n);
    EXPECT_EQ(winnable, QStringList({"Cat", "Dog", "Mouse", "Cheese"}));

    // An encyclopedia still building its graph tells nothing yet.
    struct Building : CorpusSite {
        using CorpusSite::CorpusSite;
        std::shared_ptr<const LinkGraph> Graph() const override { return nullptr; }
    };
    EXPECT_EQ(ShortestRoute(Building(Pets(), QStringLiteral("pets")), "Cat", "Cheese"), std::nullopt);
}

} // namespace

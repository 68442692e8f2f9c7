// The one interface every kind of encyclopedia offers, over the corpus kinds.
#include "site/corpus/CorpusSite.h"

#include <gtest/gtest.h>

namespace
{

std::shared_ptr<const EncyclopediaSite> SmallSite()
{
    auto c = std::make_shared<Corpus>();
    const int cat = c->AddArticle(QStringLiteral("Cat"), "The cat eats Cat food.");
    const int food = c->AddArticle(QStringLiteral("Cat food"));
    c->AddArticle(QStringLiteral("C++"));
    c->AddArticle(QStringLiteral("cat"));
    c->AddLink(cat, food);
    c->AddRedirect(QStringLiteral("Kitty"), QStringLiteral("Cat"));
    return std::make_shared<const CorpusSite>(c, QStringLiteral("small"));
}

} // namespace

TEST(CorpusSite, LookUpsAnswerTitlesThroughTheInterface)
{
    auto site = SmallSite();
    struct Row {
        const char *word;
        const char *find, *ignoringCase, *redirect, *resolved;
    };
    const Row rows[] = {
        {"Cat", "Cat", "Cat", "", "Cat"},
        {"cat", "cat", "Cat", "", "cat"},
        {"CAT_FOOD", "", "Cat food", "", "Cat food"},
        {"C++", "C++", "C++", "", "C++"},
        {"kitty", "", "", "Cat", "Cat"},
        {"Dog", "", "", "", ""},
    };
    for (const Row &r : rows) {
        const QString w = QString::fromUtf8(r.word);
        EXPECT_EQ(site->Find(w), QString::fromUtf8(r.find)) << r.word;
        EXPECT_EQ(site->FindIgnoringCase(w), QString::fromUtf8(r.ignoringCase)) << r.word;
        EXPECT_EQ(site->FindRedirect(w), QString::fromUtf8(r.redirect)) << r.word;
        EXPECT_EQ(site->Resolve(w), QString::fromUtf8(r.resolved)) << r.word;
    }
    EXPECT_EQ(site->ArticleCount(), 4);
    EXPECT_EQ(site->Description(), QStringLiteral("small"));
    EXPECT_EQ(site->Links(QStringLiteral("Cat")), QStringList{QStringLiteral("Cat food")});
    EXPECT_TRUE(site->Links(QStringLiteral("Nowhere")).isEmpty());
    EXPECT_EQ(site->Progress(), 100);
}

TEST(CorpusSite, RandomAndPagesComeFromTheCorpus)
{
    auto site = SmallSite();
    for (int i = 0; i < 50; ++i)
        EXPECT_FALSE(site->Find(site->RandomArticle()).isEmpty());
    EXPECT_EQ(site->MainPage().status, 200);
    EXPECT_EQ(site->Answer("/wiki/Kitty").location, QByteArray("/wiki/Cat"));
    EXPECT_EQ(site->Answer("/wiki/Cat").contentType, QByteArray("text/html; charset=utf-8"));
    EXPECT_EQ(CorpusSite(nullptr, QString()).RandomArticle(), QString()) << "an empty corpus draws nothing";
}

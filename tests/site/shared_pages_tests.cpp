// The pages every kind of encyclopedia shares: the same request gives the same page, whether the
// articles are held in memory or read from an archive.
#include "site/corpus/CorpusSite.h"
#include "site/zim/ZimSite.h"

#include "tests/common/QtPrinting.h"
#include "tests/common/ZimTestArchive.h"
#include "tests/site/SiteTestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// The same three articles and one redirect, once as a corpus and once as an archive.
class SharedPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto c = std::make_shared<Corpus>();
        const int dog =
            c->AddArticle(QStringLiteral("Dog"), "The dog chases the cat.", QStringLiteral("Animals"));
        const int cat = c->AddArticle(QStringLiteral("Cat"), "Cats ignore dogs.", QStringLiteral("Animals"));
        c->AddArticle(QStringLiteral("New York"), "A city.", QStringLiteral("Places"));
        c->AddLink(dog, cat);
        c->AddLink(cat, dog);
        c->AddRedirect(QStringLiteral("Kitty"), QStringLiteral("Cat"));
        m_corpus = std::make_shared<const CorpusSite>(c, QStringLiteral("small"));

        ZimTestArchive a;
        a.Title("Small")
            .Article("Dog", "Dog", "<p>The dog chases the <a href=\"Cat\">cat</a>.</p>")
            .Article("Cat", "Cat", "<p>Cats ignore <a href=\"Dog\">dogs</a>.</p>")
            .Article("New_York", "New York", "<p>A city.</p>")
            .RedirectTo("Kitty", "Kitty", "Cat");
        const QString file = m_dir.filePath(QStringLiteral("small.zim"));
        ASSERT_TRUE(a.Write(file));
        QString error;
        m_zim = ZimSite::Open(file, &error);
        ASSERT_TRUE(m_zim) << error.toStdString();
    }

    QTemporaryDir m_dir;
    std::shared_ptr<const EncyclopediaSite> m_corpus;
    std::shared_ptr<ZimSite> m_zim;
};

} // namespace

TEST_F(SharedPagesTest, BothKindsAnswerTheSharedPagesAlike)
{
    struct Row {
        QByteArray target;
        int status;
        const char *location; // for a 302
    };
    const Row rows[] = {
        {"/wiki/Talk:Dog", 200, ""},
        {"/wiki/Talk:New_York", 200, ""},
        {"/wiki/Talk:Nope", 404, ""},
        {"/wiki/Talk:", 404, ""},
        {"/wiki/Help:Contents", 200, ""},
        {"/wiki/User:Quill", 200, ""},
        {"/wiki/Wikipedia:About", 200, ""},
        {"/wiki/Special:Preferences", 200, ""},
        {"/wiki/Special:", 404, ""},
        {"/wiki/Special:Search?search=&go=Go", 200, ""},
        {"/wiki/Special:Search?search=+&go=Go", 200, ""},
        {"/wiki/Special:Search?search=dog&go=Go", 302, "/wiki/Dog"},
        {"/wiki/Special:Search?search=kitty&go=Go", 302, "/wiki/Cat"},
        {"/wiki/Special:Search?search=New+York&go=Go", 302, "/wiki/New_York"},
        {"/w/index.php?title=Dog", 302, "/wiki/Dog"},
        {"/w/index.php?title=New_York&action=view", 302, "/wiki/New_York"},
        {"/w/index.php?title=Dog&action=delete", 404, ""},
        {"/w/index.php?title=Nope&action=edit", 404, ""},
        {"/w/index.php?action=edit", 404, ""},
        {"/wiki/Kitty", 302, "/wiki/Cat"},
        {"/wiki/Nope", 404, ""},
        {"/wiki/", 404, ""},
        {"/favicon.ico", 404, ""},
        {"/wiki/Main_Page?" + QByteArray(kMaxTargetBytes, 'x'), 414, ""},
    };
    for (const Row &r : rows) {
        const SiteAnswer fromCorpus = m_corpus->Answer(r.target);
        const SiteAnswer fromArchive = m_zim->Answer(r.target);
        const std::string where = r.target.left(60).toStdString();
        EXPECT_EQ(fromCorpus.status, r.status) << where;
        EXPECT_EQ(fromCorpus.location, QByteArray(r.location)) << where;
        EXPECT_EQ(fromArchive.status, fromCorpus.status) << where;
        EXPECT_EQ(fromArchive.location, fromCorpus.location) << where;
        EXPECT_EQ(fromArchive.contentType, fromCorpus.contentType) << where;
        EXPECT_EQ(fromArchive.body, fromCorpus.body) << where;
    }
}

TEST_F(SharedPagesTest, PagesThatTellTheKindApartKeepTheSameNames)
{
    // What these pages say depends on what the kind keeps (an article's text, categories, which
    // articles link here, how titles are searched); their names do not.
    struct Row {
        QByteArray target;
        const char *name;
        const char *corpusOnly; // a piece of the corpus's page that the archive cannot show
    };
    const Row rows[] = {
        {"/w/index.php?title=Dog&action=edit", "Editing Dog", "The dog chases the cat."},
        {"/w/index.php?title=Dog&action=history", "Dog - History", "first and only revision"},
        {"/wiki/Category:Animals", "Category:Animals", "href=\"/wiki/Cat\""},
        {"/wiki/Portal:Contents", "Portal:Contents", "href=\"/wiki/Category:Places\""},
        {"/wiki/Special:WhatLinksHere/Dog", "Special:WhatLinksHere/Dog", "href=\"/wiki/Cat\""},
        {"/wiki/Special:Search?search=o", "Search", "New York"},
    };
    for (const Row &r : rows) {
        const SiteAnswer fromCorpus = m_corpus->Answer(r.target);
        const SiteAnswer fromArchive = m_zim->Answer(r.target);
        const std::string where = r.target.toStdString();
        EXPECT_EQ(fromCorpus.status, 200) << where;
        EXPECT_EQ(fromArchive.status, 200) << where;
        EXPECT_EQ(PageNameOf(fromCorpus.body), QString::fromUtf8(r.name)) << where;
        EXPECT_EQ(PageNameOf(fromArchive.body), QString::fromUtf8(r.name)) << where;
        EXPECT_TRUE(fromCorpus.body.contains(r.corpusOnly)) << where;
        EXPECT_FALSE(fromArchive.body.contains(r.corpusOnly)) << where;
    }
}

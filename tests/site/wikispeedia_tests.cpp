#include "protocol/PageKinds.h"
#include "settings/Options.h"
#include "site/Encyclopedia.h"
#include "site/corpus/BuiltinCorpus.h"
#include "site/corpus/CorpusSite.h"
#include "site/corpus/WikispeediaCorpus.h"
#include "site/graph/Routes.h"
#include "site/http/SiteServer.h"

#include "tests/site/RawHttp.h"
#include "tests/site/SiteTestUtil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace
{

QString SharedWikispeedia()
{
    return qEnvironmentVariable("QUILLORY_DATA_DIR") + QStringLiteral("/wikispeedia");
}

bool HaveWikispeedia()
{
    return !qEnvironmentVariableIsEmpty("QUILLORY_DATA_DIR") &&
           QFile::exists(SharedWikispeedia() + QStringLiteral("/articles.tsv"));
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// links.tsv as counted from the file: distinct targets per source name.
std::map<QByteArray, int> LinkCountsFromFile(const QString &path)
{
    QFile f(path);
    std::map<QByteArray, QSet<QByteArray>> targets;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QList<QByteArray> parts = line.trimmed().split('\t');
            if (line.startsWith('#') || parts.size() != 2)
                continue;
            targets[parts[0]].insert(parts[1]);
        }
    }
    std::map<QByteArray, int> counts;
    for (const auto &[source, set] : targets)
        counts[source] = int(set.size());
    return counts;
}

// The shared data set, loaded once: the link graph alone, and with its texts extracted into a
// temporary folder beside the two tables.
class Wikispeedia : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!HaveWikispeedia())
            return;
        QString error;
        s_graph = LoadWikispeediaCorpus(SharedWikispeedia(), &error);
        s_texts_dir = new QTemporaryDir;
        const QString dir = s_texts_dir->path();
        for (const char *name : {"articles.tsv", "links.tsv", "categories.tsv"})
            QFile::link(SharedWikispeedia() + QLatin1Char('/') + QLatin1String(name),
                        dir + QLatin1Char('/') + QLatin1String(name));
        QProcess tar;
        tar.start(QStringLiteral("tar"),
                  {QStringLiteral("-xJf"), SharedWikispeedia() + QStringLiteral("/plaintext_articles.tar.xz"),
                   QStringLiteral("-C"), dir});
        if (tar.waitForFinished(120000) && tar.exitCode() == 0)
            s_texts = LoadWikispeediaCorpus(dir, &error);
    }
    static void TearDownTestSuite()
    {
        s_graph.reset();
        s_texts.reset();
        delete s_texts_dir;
        s_texts_dir = nullptr;
    }
    void SetUp() override
    {
        if (!HaveWikispeedia())
            GTEST_SKIP() << "Wikispeedia data not found: set QUILLORY_DATA_DIR to the folder holding "
                            "wikispeedia";
        ASSERT_TRUE(s_graph);
        ASSERT_TRUE(s_texts) << "could not extract plaintext_articles.tar.xz with tar";
    }

    static std::shared_ptr<const Corpus> s_graph;
    static std::shared_ptr<const Corpus> s_texts;
    static QTemporaryDir *s_texts_dir;
};

std::shared_ptr<const Corpus> Wikispeedia::s_graph;
std::shared_ptr<const Corpus> Wikispeedia::s_texts;
QTemporaryDir *Wikispeedia::s_texts_dir = nullptr;

} // namespace

TEST_F(Wikispeedia, HoldsEveryArticleAndEveryLinkOfTheTables)
{
    EXPECT_EQ(s_graph->Count(), 4604);
    EXPECT_EQ(s_texts->Count(), 4604);
    const std::map<QByteArray, int> counts =
        LinkCountsFromFile(SharedWikispeedia() + QStringLiteral("/links.tsv"));
    int total = 0;
    for (const auto &[name, n] : counts)
        total += n;
    EXPECT_EQ(s_graph->LinkCount(), total);
    EXPECT_EQ(total, 119882) << "every row of links.tsv, links of a page to itself included";
    for (const QByteArray name : {"Cat", "%C3%85land", "United_States", "10th_century", "Zulu", "Bede"}) {
        const int index = s_graph->Find(DecodeWikispeediaName(name));
        ASSERT_GE(index, 0) << name.toStdString();
        EXPECT_EQ(s_graph->At(index).links.size(), counts.count(name) ? counts.at(name) : 0)
            << name.toStdString();
    }
    EXPECT_GE(s_graph->Find(QString::fromUtf8("Åland")), 0);
    EXPECT_GE(s_graph->Find(QStringLiteral("10th_century")), 0);
    EXPECT_EQ(s_graph->FindIgnoringCase(QStringLiteral("united states")),
              s_graph->Find(QStringLiteral("United States")));
    EXPECT_FALSE(s_graph->At(s_graph->Find(QString::fromUtf8("Åland"))).category.isEmpty());
}

TEST_F(Wikispeedia, MainPageOffersWellKnownArticles)
{
    const SiteAnswer main = AnswerRequest(*s_texts, "/wiki/Main_Page");
    ASSERT_EQ(main.status, 200);
    EXPECT_EQ(PageNameOf(main.body), QStringLiteral("Main Page"));
    int articles = 0;
    for (const QByteArray &href : HrefsOf(main.body)) {
        const SiteAnswer page = AnswerRequest(*s_texts, href);
        if (page.status == 200 && s_texts->Find(PageNameOf(page.body)) >= 0)
            ++articles;
    }
    EXPECT_GE(articles, 5) << "a handful of articles to start reading";
    EXPECT_TRUE(s_texts->MainPageLinks().contains(s_texts->Find(QStringLiteral("United States"))))
        << "the article most pages link to";
}

TEST_F(Wikispeedia, TextsAreCleanedParagraphs)
{
    int withText = 0;
    for (int i = 0; i < s_texts->Count(); ++i) {
        const Article &a = s_texts->At(i);
        withText += !a.text.isEmpty();
        EXPECT_FALSE(a.text.startsWith("#copyright")) << a.title.toStdString();
        EXPECT_FALSE(a.text.contains("Retrieved from \"")) << a.title.toStdString();
        EXPECT_TRUE(s_graph->At(i).text.isEmpty()) << "no texts without plaintext_articles";
    }
    EXPECT_GE(withText, 4590);
    const Article &cat = s_texts->At(s_texts->Find(QStringLiteral("Cat")));
    EXPECT_TRUE(cat.text.contains(
        "The cat (or domestic cat, house cat) is a small domesticated carnivorous mammal."));
}

TEST_F(Wikispeedia, ServedPagesFindArticlesByAddressSearchAndRandom)
{
    SiteServer server;
    ASSERT_TRUE(server.Start(s_texts, QHostAddress::LocalHost, 0));
    const quint16 port = server.Port();

    const RawReply aland = RawGet(port, "/wiki/%C3%85land");
    ASSERT_EQ(aland.status, 200);
    EXPECT_EQ(PageTitleOf(aland.body), QString::fromUtf8("Åland - Wikipedia, the free encyclopedia"));

    struct Row {
        QByteArray query;
        QByteArray location; // "" for a result page
    };
    const Row rows[] = {
        {"search=%C3%85land&go=Go", "/wiki/%C3%85land"},
        {"search=%C3%A5LAND&go=Go", "/wiki/%C3%85land"},
        {"search=UNITED+STATES&go=Go", "/wiki/United_States"},
        {"search=united_states&go=Go", "/wiki/United_States"},
        {"search=10th%20Century&go=Go", "/wiki/10th_century"},
        {"search=Unitedd&go=Go", ""},
        {"search=united&go=Go", ""},
    };
    for (const Row &r : rows) {
        const RawReply reply = RawGet(port, "/wiki/Special:Search?" + r.query);
        if (r.location.isEmpty()) {
            EXPECT_EQ(reply.status, 200) << r.query.toStdString();
            EXPECT_EQ(PageNameOf(reply.body), QStringLiteral("Search")) << r.query.toStdString();
        } else {
            EXPECT_EQ(reply.status, 302) << r.query.toStdString();
            EXPECT_EQ(reply.location, r.location) << r.query.toStdString();
        }
    }
    const RawReply united = RawGet(port, "/wiki/Special:Search?search=united");
    const QList<QByteArray> unitedLinks = HrefsOf(united.body);
    EXPECT_GE(std::count_if(unitedLinks.begin(), unitedLinks.end(),
                            [](const QByteArray &h) { return h.contains("United"); }),
              5);
    EXPECT_LE(united.body.count("<li>"), 50);

    QSet<int> drawn;
    for (int i = 0; i < 300; ++i) {
        const RawReply random = RawGet(port, "/wiki/Special:Random");
        ASSERT_EQ(random.status, 302);
        const QString title = QString::fromUtf8(QByteArray::fromPercentEncoding(random.location.mid(6)));
        const int index = s_texts->Find(title);
        ASSERT_GE(index, 0) << random.location.toStdString();
        drawn.insert(index);
    }
    EXPECT_GT(drawn.size(), 250) << "300 draws from 4604 articles rarely repeat";

    // Every link of links.tsv is on its page, in the text or listed below it.
    for (const char *title : {"Cat", "United States", "Zulu"}) {
        const int index = s_texts->Find(QString::fromLatin1(title));
        const RawReply page = RawGet(port, ArticleAddress(QString::fromLatin1(title)));
        ASSERT_EQ(page.status, 200);
        const QList<QByteArray> hrefs = HrefsOf(page.body);
        for (int target : s_texts->At(index).links)
            EXPECT_TRUE(hrefs.contains(ArticleAddress(s_texts->At(target).title)))
                << title << " -> " << s_texts->At(target).title.toStdString();
        EXPECT_GT(PlaceAnchors(*s_texts, s_texts->At(index)).size(), s_texts->At(index).links.size() / 2)
            << title << ": most linked titles appear in the text";
    }
}

TEST(WikispeediaLoader, NeverReadsOutsideItsFolder)
{
    QTemporaryDir root;
    const QString folder = root.path() + QStringLiteral("/corpus");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/plaintext_articles/sub")));
    WriteFile(root.path() + QStringLiteral("/secret.txt"), "SECRET outside");
    WriteFile(folder + QStringLiteral("/plaintext_articles/sub/inner.txt"), "SECRET in a subfolder");
    QFile::link(root.path() + QStringLiteral("/secret.txt"),
                folder + QStringLiteral("/plaintext_articles/Linked.txt"));
    WriteFile(folder + QStringLiteral("/plaintext_articles/Good.txt"),
              "#copyright\n\nGood\n\nA good text.\n");
    const QByteArray names[] = {
        "Good",      "../secret",   "..%2Fsecret", "%2E%2E%2Fsecret", "..%2F..%2Fsecret",
        "sub/inner", "sub%2Finner", "Linked",      "/etc/passwd",     "%00secret"};
    QByteArray articles = "# names\n\n";
    for (const QByteArray &n : names)
        articles += n + "\n";
    WriteFile(folder + QStringLiteral("/articles.tsv"), articles);
    WriteFile(folder + QStringLiteral("/links.tsv"),
              "Good\t../secret\nGood\tLinked\nnot a link line\n%2E%2E%2Fsecret\tGood\n");

    QString error;
    auto corpus = LoadWikispeediaCorpus(folder, &error);
    ASSERT_TRUE(corpus) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(corpus->Count(), 7) << "names that decode alike are one article";
    for (int i = 0; i < corpus->Count(); ++i)
        EXPECT_FALSE(corpus->At(i).text.contains("SECRET")) << corpus->At(i).title.toStdString();
    const int good = corpus->Find(QStringLiteral("Good"));
    EXPECT_EQ(corpus->At(good).text, QByteArray("A good text."));
    EXPECT_EQ(corpus->At(good).links.size(), 2);
    EXPECT_EQ(corpus->At(corpus->Find(QStringLiteral("../secret"))).links, QList<int>{good})
        << "a link listed under another spelling of a name belongs to the same article";
    EXPECT_EQ(corpus->MainPageLinks().size(), 7) << "a small corpus offers all its articles";
}

TEST(WikispeediaLoader, ReportsWhatIsMissing)
{
    QTemporaryDir root;
    struct Row {
        const char *articles; // nullptr: no file
        const char *links;
        bool loads;
    };
    const Row rows[] = {
        {nullptr, "A\tB\n", false},
        {"A\nB\n", nullptr, false},
        {"# only comments\n\n", "", false},
        {"A\nB\n", "", true},
    };
    int n = 0;
    for (const Row &r : rows) {
        const QString folder = root.path() + QStringLiteral("/c%1").arg(n++);
        QDir().mkpath(folder);
        if (r.articles)
            WriteFile(folder + QStringLiteral("/articles.tsv"), r.articles);
        if (r.links)
            WriteFile(folder + QStringLiteral("/links.tsv"), r.links);
        QString error;
        auto corpus = LoadWikispeediaCorpus(folder, &error);
        EXPECT_EQ(bool(corpus), r.loads) << folder.toStdString();
        EXPECT_EQ(error.isEmpty(), r.loads) << error.toStdString();
    }
    QString error;
    EXPECT_FALSE(LoadWikispeediaCorpus(root.path() + QStringLiteral("/nowhere"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(LoadWikispeediaCorpus(QString(), &error));
}

TEST(Encyclopedia, TheSettingChoosesTheCorpusAndAFailureFallsBackToTheBuiltIn)
{
    QTemporaryDir settings;
    const QString before = modOptions::OptionsDirectory();
    modOptions::SetOptionsDirectory(settings.path());
    const int builtin = BuiltinCorpus()->Count();

    QString description, error;
    SaveOption(QStringLiteral("Encyclopedia"), QString());
    auto corpus = LoadEncyclopedia(&description, &error);
    EXPECT_EQ(corpus, BuiltinCorpus());
    EXPECT_EQ(description, QStringLiteral("built-in encyclopedia (%1 articles)").arg(builtin));
    EXPECT_TRUE(error.isEmpty());

    SaveOption(QStringLiteral("Encyclopedia"), settings.path() + QStringLiteral("/missing"));
    corpus = LoadEncyclopedia(&description, &error);
    EXPECT_EQ(corpus->Count(), builtin) << "players still get an encyclopedia";
    EXPECT_TRUE(description.startsWith(QLatin1String("built-in encyclopedia")));
    EXPECT_TRUE(error.contains(QLatin1String("missing"))) << error.toStdString();

    if (HaveWikispeedia()) {
        SaveOption(QStringLiteral("Encyclopedia"), SharedWikispeedia());
        corpus = LoadEncyclopedia(&description, &error);
        EXPECT_EQ(corpus->Count(), 4604);
        EXPECT_EQ(description,
                  QStringLiteral("Wikispeedia folder %1 (4604 articles)").arg(SharedWikispeedia()));
        EXPECT_TRUE(error.isEmpty());
    }
    modOptions::SetOptionsDirectory(before);
}

TEST_F(Wikispeedia, NoHumanRaceIsShorterThanTheShortestRoute)
{
    const CorpusSite site(s_graph, QStringLiteral("wikispeedia"));
    QFile f(SharedWikispeedia() + QStringLiteral("/paths_finished.tsv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    qint64 races = 0, toForbidden = 0, counted = 0, humanClicks = 0, shortestClicks = 0, throughForbidden = 0;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        const QList<QByteArray> fields = line.split('\t');
        if (line.startsWith('#') || fields.size() != 4)
            continue;
        QStringList human;
        for (const QByteArray &step : fields[3].split(';'))
            human.append(DecodeWikispeediaName(step));
        const QString from = DecodeWikispeediaName(fields[1]), to = DecodeWikispeediaName(fields[2]);
        ASSERT_EQ(human.front(), from) << line.constData();
        ASSERT_EQ(human.back(), to) << line.constData();
        const auto route = ShortestRoute(site, from, to);
        ASSERT_TRUE(route) << line.constData();
        ++races;
        // A list or a number page takes a player out of the round, so no round ends on one...
        if (!MayEndRound(KindOfPage(to))) {
            EXPECT_TRUE(route->isEmpty()) << line.constData();
            ++toForbidden;
            continue;
        }
        // ...and a race through one may be shorter than any route the rules allow, or the only way.
        if (std::any_of(human.begin() + 1, human.end() - 1,
                        [](const QString &page) { return TakesPlayerOut(KindOfPage(page)); })) {
            ++throughForbidden;
            continue;
        }
        ASSERT_FALSE(route->isEmpty()) << "no route for the race " << line.constData();
        ASSERT_LE(route->size(), human.size()) << line.constData();
        ++counted;
        humanClicks += human.size() - 1;
        shortestClicks += route->size() - 1;
    }
    EXPECT_EQ(races, 40000);
    EXPECT_GT(counted, 35000);
    std::printf("%lld finished human races: %lld to a list or number page, %lld through one; the other %lld: "
                "mean human clicks %.2f, mean shortest route %.2f clicks\n",
                races, toForbidden, throughForbidden, counted, double(humanClicks) / counted,
                double(shortestClicks) / counted);
}

TEST_F(Wikispeedia, RandomPairsCanAlwaysBeWon)
{
    const CorpusSite site(s_graph, QStringLiteral("wikispeedia"));
    ASSERT_TRUE(site.Graph());
    const qsizetype winnable = site.Graph()->Winnable().size();
    EXPECT_GT(winnable, 4000) << "most articles reach each other";
    EXPECT_LT(winnable, 4604);
    std::printf("%lld of 4604 articles reach each other and may be drawn\n", qint64(winnable));
    for (int i = 0; i < 1000; ++i) {
        // The start from the site's own draw, the destination from the page Randomize opens.
        const QString from = site.RandomArticle();
        const SiteAnswer random = site.Answer("/wiki/Special:Random");
        ASSERT_EQ(random.status, 302);
        const QString to = page::DecodePathName(QByteArrayView(random.location).sliced(6));
        const auto route = ShortestRoute(site, from, to);
        ASSERT_TRUE(route && !route->isEmpty()) << from.toStdString() << " -> " << to.toStdString();
    }
}

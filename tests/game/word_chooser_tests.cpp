#include "GameTestSupport.h"

#include "client/WordChooser.h"

#include <QElapsedTimer>
#include <QPointer>

namespace
{

using Box = ChooserBoxes::Box;

class FakeBoxes : public ChooserBoxes
{
public:
    QString Text(Box box) const override { return box == Box::Initial ? initial : destination; }
    void SetText(Box box, const QString &text) override
    {
        (box == Box::Initial ? initial : destination) = text;
        if (chooser)
            chooser->TextChanged();
    }
    void SetVerifyEnabled(bool e) override { verifyEnabled = e; }
    void SetStartEnabled(bool e) override { startEnabled = e; }
    void Focus(Box box) override { focus = box; }
    void SelectAll(Box box) override
    {
        focus = box;
        selected = box;
    }
    void SetNote(Box box, const QString &note) override
    {
        (box == Box::Initial ? initialNote : destinationNote) = note;
    }

    WordChooser *chooser = nullptr;
    QString initial, destination;
    QString initialNote, destinationNote;
    bool verifyEnabled = true, startEnabled = false;
    std::optional<Box> focus, selected;
};

class WordChooserTest : public GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        browser.SetPage(QStringLiteral("about:blank"), QString());
        chooser = std::make_unique<WordChooser>(
            modData, browser, dialogs, boxes, [this](const QString &t) { core->SendData(t); }, kSite);
        boxes.chooser = chooser.get();
    }
    void TearDown() override
    {
        chooser.reset();
        GameFixture::TearDown();
    }
    static QString Lookup(const QString &word) { return GameCore::LookupUrl(kSite, word); }
    void Type(const QString &initial, const QString &destination)
    {
        boxes.SetText(Box::Initial, initial);
        boxes.SetText(Box::Destination, destination);
    }
    // Verifies and lets events run until the verification is over.
    void Verify(WordChooser *running = nullptr)
    {
        QPointer<WordChooser> c(running ? running : chooser.get());
        c->Verify();
        QTest::qWaitFor([&c] { return !c || !c->Verifying(); }, 30000);
    }
    int LookupsOf(const QString &word) const { return browser.Navigations().count(Lookup(word)); }

    FakeBoxes boxes;
    std::unique_ptr<WordChooser> chooser;
};

// Nothing is looked up; equal words say so next to the destination box, and an edit clears it.
TEST_F(WordChooserTest, EmptyOrEqualWordsLookNothingUp)
{
    const std::tuple<QString, QString, QString> rows[] = {
        {"", "Rome", ""},
        {"Paris", "", ""},
        {"Paris", "paris", "Same article as the initial word"},
        {"X", "X", "Same article as the initial word"}};
    for (const auto &[a, b, note] : rows) {
        Type(a, b);
        Verify();
        EXPECT_TRUE(browser.Navigations().isEmpty());
        EXPECT_TRUE(dialogs.ShownBoxes().isEmpty());
        EXPECT_TRUE(boxes.verifyEnabled);
        EXPECT_FALSE(chooser->Verifying());
        EXPECT_EQ(boxes.destinationNote, note) << a.toStdString();
        EXPECT_TRUE(boxes.initialNote.isEmpty());
        boxes.SetText(Box::Destination, QStringLiteral("Rome"));
        EXPECT_TRUE(boxes.destinationNote.isEmpty());
    }
}

TEST_F(WordChooserTest, VerifiedWordsBecomeTheSiteTitles)
{
    browser.SetPage(Lookup("paris"), QStringLiteral("Paris") + kTitleSuffix);
    browser.SetRedirect(Lookup("Roma"), QStringLiteral("http://wiki.test:7200/wiki/Rome"));
    browser.SetPage(QStringLiteral("http://wiki.test:7200/wiki/Rome"), QStringLiteral("Rome") + kTitleSuffix);
    Type(QStringLiteral("paris"), QStringLiteral("Roma"));
    Verify();
    EXPECT_EQ(boxes.initial, QStringLiteral("Paris"));
    EXPECT_EQ(boxes.destination, QStringLiteral("Rome"));
    EXPECT_FALSE(boxes.verifyEnabled);
    EXPECT_TRUE(boxes.startEnabled);
    EXPECT_FALSE(chooser->Verifying());
    EXPECT_EQ(chooser->Attempts(), 1);
    EXPECT_TRUE(dialogs.ShownBoxes().isEmpty());
    EXPECT_EQ(browser.Navigations().first(), QStringLiteral("about:blank"));
    EXPECT_EQ(browser.BackCount(), 2);
    EXPECT_TRUE(Sent().isEmpty());

    // An edit afterwards asks for a new verification.
    boxes.SetText(Box::Destination, QStringLiteral("Romex"));
    EXPECT_TRUE(boxes.verifyEnabled);
    EXPECT_FALSE(boxes.startEnabled);

    chooser->SendWords();
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("SETWORDS COUNT=1;WORD0=Paris;WORD1=Romex;")});
}

TEST_F(WordChooserTest, SearchPagesMeanNoArticle)
{
    struct Row {
        QString initialTitle, destinationTitle;
        Box failed;
        QString initialAfter;
    };
    const Row rows[] = {
        {"Search", "Rome", Box::Initial, "a"},
        {"Search results", "Rome", Box::Initial, "a"}, // "Search results" is not "search": an article
        {"Paris", "Search", Box::Destination, "Paris"},
        {"Paris", "SEARCH", Box::Destination, "Paris"},
    };
    for (const Row &r : rows) {
        dialogs.Clear();
        boxes.selected.reset();
        browser.SetPage(Lookup("a"), r.initialTitle + kTitleSuffix);
        browser.SetPage(Lookup("b"), r.destinationTitle + kTitleSuffix);
        Type(QStringLiteral("a"), QStringLiteral("b"));
        Verify();
        if (r.initialTitle == QLatin1String("Search results")) {
            EXPECT_TRUE(boxes.startEnabled);
            continue;
        }
        ASSERT_EQ(dialogs.ShownBoxes().size(), 1) << r.initialTitle.toStdString();
        EXPECT_EQ(dialogs.ShownBoxes()[0].text, QStringLiteral("This article doesn't exist."));
        EXPECT_EQ(dialogs.ShownBoxes()[0].icon, MessageIcon::Critical);
        EXPECT_EQ(dialogs.ShownBoxes()[0].caption, QStringLiteral("Quillory"));
        EXPECT_EQ(boxes.selected, r.failed);
        // The box that failed says which word has no article; the other says nothing.
        EXPECT_EQ(r.failed == Box::Initial ? boxes.initialNote : boxes.destinationNote,
                  QString::fromUtf8(r.failed == Box::Initial ? "No article \u201Ca\u201D"
                                                             : "No article \u201Cb\u201D"));
        EXPECT_TRUE((r.failed == Box::Initial ? boxes.destinationNote : boxes.initialNote).isEmpty());
        EXPECT_TRUE(boxes.verifyEnabled);
        EXPECT_FALSE(boxes.startEnabled);
        EXPECT_FALSE(chooser->Verifying());
        EXPECT_EQ(boxes.initial, r.initialAfter);
    }
}

TEST_F(WordChooserTest, FourLookupsOfTheStartTitleEndInTheAttemptsMessage)
{
    browser.SetPage(Lookup("Cat"), QStringLiteral("Cat") + kTitleSuffix);
    browser.SetPage(Lookup("Kitty"), QStringLiteral("Cat") + kTitleSuffix);
    Type(QStringLiteral("Cat"), QStringLiteral("Kitty"));
    Verify();
    EXPECT_EQ(LookupsOf("Kitty"), 4);
    EXPECT_EQ(dialogs.Texts(), QStringList{"There was a problem verifying the destination article."});
    EXPECT_EQ(boxes.destinationNote, QStringLiteral("Same article as the initial word"));
    EXPECT_FALSE(boxes.verifyEnabled);
    EXPECT_FALSE(boxes.startEnabled);
    EXPECT_FALSE(chooser->Verifying());
    EXPECT_EQ(boxes.destination, QStringLiteral("Kitty"));
}

// The game window can close while a message of the chooser waits for the player; the chooser goes
// with it, and the verification must not touch it afterwards.
TEST_F(WordChooserTest, TheChooserMayGoWhileItsMessageIsOpen)
{
    browser.SetPage(Lookup("Cat"), QStringLiteral("Cat") + kTitleSuffix);
    browser.SetPage(Lookup("Kitty"), QStringLiteral("Cat") + kTitleSuffix);
    browser.SetPage(Lookup("Nowhere"), QStringLiteral("Search") + kTitleSuffix);
    for (const QString &destination : {QStringLiteral("Kitty"), QStringLiteral("Nowhere")}) {
        dialogs.Clear();
        dialogs.OnMessage([&](const QString &) {
            boxes.chooser = nullptr;
            chooser.reset();
        });
        auto owned = std::make_unique<WordChooser>(
            modData, browser, dialogs, boxes, [this](const QString &t) { core->SendData(t); }, kSite);
        WordChooser *running = owned.get();
        chooser = std::move(owned);
        boxes.chooser = running;
        Type(QStringLiteral("Cat"), destination);
        Verify(running);
        EXPECT_EQ(dialogs.ShownBoxes().size(), 1) << destination.toStdString();
        EXPECT_EQ(chooser, nullptr);
    }
}

TEST_F(WordChooserTest, AStartWordWithoutAPageEndsTheVerificationAfterTheLimit)
{
    chooser->LookupLimitMs = 150;
    browser.SetResolver({}); // nothing loads: no title ever arrives
    Type(QStringLiteral("Cat"), QStringLiteral("Dog"));
    QElapsedTimer t;
    t.start();
    Verify();
    EXPECT_GE(t.elapsed(), 100);
    EXPECT_TRUE(boxes.verifyEnabled);
    EXPECT_FALSE(boxes.startEnabled);
    EXPECT_FALSE(chooser->Verifying());
    EXPECT_EQ(LookupsOf("Dog"), 0);
}

TEST_F(WordChooserTest, ADestinationWithoutAPageCountsAsFailedAttempts)
{
    chooser->LookupLimitMs = 100;
    browser.SetPage(Lookup("Cat"), QStringLiteral("Cat") + kTitleSuffix);
    browser.SetPage(Lookup("Dog"), QString()); // the load fails: no title
    Type(QStringLiteral("Cat"), QStringLiteral("Dog"));
    Verify();
    EXPECT_EQ(LookupsOf("Dog"), 4);
    EXPECT_EQ(dialogs.Texts(), QStringList{"There was a problem verifying the destination article."});
    EXPECT_FALSE(chooser->Verifying());
}

TEST_F(WordChooserTest, RandomTitlesDuringAVerificationLeaveTheButtonsAlone)
{
    browser.SetPage(Lookup("Cat"), QStringLiteral("Cat") + kTitleSuffix);
    browser.SetPage(Lookup("Dog"), QStringLiteral("Dog") + kTitleSuffix);
    boxes.SetText(Box::Initial, QStringLiteral("Cat"));
    boxes.SetText(Box::Destination, QStringLiteral("Dog"));
    bool sawVerifying = false;
    QObject::connect(&browser, &Browser::BeforeNavigate2, [&] {
        if (chooser->Verifying()) {
            sawVerifying = true;
            boxes.SetText(Box::Initial, boxes.initial); // as a SETRANDOM would
            EXPECT_FALSE(boxes.verifyEnabled);
        }
    });
    Verify();
    EXPECT_TRUE(sawVerifying);
    EXPECT_TRUE(boxes.startEnabled);
    EXPECT_FALSE(boxes.verifyEnabled);
}

TEST_F(WordChooserTest, RandomizeAsksTheServerAndFocusesTheBox)
{
    chooser->Randomize(1);
    EXPECT_EQ(boxes.focus, Box::Initial);
    chooser->Randomize(2);
    EXPECT_EQ(boxes.focus, Box::Destination);
    EXPECT_EQ(Sent(), (QStringList{"GETRANDOM SRC=1;", "GETRANDOM SRC=2;"}));
}

// A random draw of the other box's article is drawn again, a bounded number of times; any other
// title goes into its box.
TEST_F(WordChooserTest, RandomDrawsNeverRepeatTheOtherBoxsArticle)
{
    struct Row {
        QString source, initial, destination, title;
        bool redrawn;
    };
    const Row rows[] = {
        {"2", "Cat", "", "Cat", true},  {"2", "Cat", "", "cat", true},     {"1", "", "Dog", "Dog", true},
        {"2", "Cat", "", "Dog", false}, {"1", "Cat", "Dog", "Cow", false}, {"2", "", "", "Cat", false},
        {"3", "Cat", "", "Cat", false}, // no such box: nothing happens
    };
    for (const Row &r : rows) {
        Type(r.initial, r.destination);
        Sent();
        chooser->TakeRandom(r.source, r.title);
        const QStringList sent = Sent();
        if (r.redrawn) {
            EXPECT_EQ(sent, QStringList{"GETRANDOM SRC=" + r.source + ";"}) << r.title.toStdString();
            EXPECT_EQ(r.source == "1" ? boxes.initial : boxes.destination,
                      r.source == "1" ? r.initial : r.destination);
            continue;
        }
        EXPECT_TRUE(sent.isEmpty()) << r.title.toStdString();
        if (r.source == "1")
            EXPECT_EQ(boxes.initial, r.title);
        else if (r.source == "2")
            EXPECT_EQ(boxes.destination, r.title);
        else
            EXPECT_EQ(boxes.destination, r.destination);
    }
    // A server that keeps drawing the same article is asked a bounded number of times.
    Type(QStringLiteral("Cat"), QString());
    Sent();
    for (int i = 0; i <= WordChooser::kMaxRedraws; ++i)
        chooser->TakeRandom(QStringLiteral("2"), QStringLiteral("Cat"));
    EXPECT_EQ(Sent().size(), WordChooser::kMaxRedraws);
    EXPECT_EQ(boxes.destination, QStringLiteral("Cat"));
}

} // namespace

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class Browser;
class Dialogs;
class ModData;

// The boxes and buttons of the word chooser window, as its logic sees them.
class ChooserBoxes
{
public:
    enum class Box { Initial, Destination };
    virtual ~ChooserBoxes() = default;
    virtual QString Text(Box box) const = 0;
    // Setting a box counts as an edit (the window's change rule runs).
    virtual void SetText(Box box, const QString &text) = 0;
    virtual void SetVerifyEnabled(bool enabled) = 0;
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void Focus(Box box) = 0;
    // Selects the whole text of the box and puts the focus in it.
    virtual void SelectAll(Box box) = 0;
    // What is wrong with the box's word, shown next to it; "" clears it.
    virtual void SetNote(Box box, const QString &note) = 0;
};

// The word chooser without widgets: randomizing, verifying both words against the site through
// the game's browser, and starting the round. A verification runs as steps: each look-up goes on
// when the page's title has come (or its time is up), while the game goes on meanwhile.
class WordChooser : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLookupLimitMs = 15000;
    static constexpr int kMaxDestinationLookups = 4;
    // Random draws that gave the other box's article again, asked again at most.
    static constexpr int kMaxRedraws = 8;

    WordChooser(ModData &modData, Browser &browser, Dialogs &dialogs, ChooserBoxes &boxes,
                std::function<void(const QString &)> send, const QString &siteHost);
    ~WordChooser() override;

    void Randomize(int source);
    // A random title from the server for the box of `source` ("1" the initial word, "2" the
    // destination). The other box's article is drawn again instead: a round from an article to
    // itself could never be won.
    void TakeRandom(const QString &source, const QString &title);
    // Looks both words up and replaces them by the site's own titles; see the window for when.
    void Verify();
    // Sends the words as the boxes hold them, checked or not.
    void SendWords();
    // Any edit of a box, typed or written: back to Verify enabled, Start disabled, except while a
    // verification writes into the boxes itself.
    void TextChanged();
    // The window is going: a running verification stops where it is.
    void Abort();

    bool Verifying() const { return m_verifying; }
    qint32 Attempts() const { return m_attempts; }
    // How long a look-up may take before it counts as failed.
    int LookupLimitMs = kLookupLimitMs;

private:
    using Box = ChooserBoxes::Box;
    using Step = std::function<void()>;
    // Runs the step after the events already waiting, if this verification is still the one running.
    void afterEvents(Step step);
    // Clears CurrentPage and looks the word up; `then` gets true when a page came in time.
    void lookUp(const QString &word, std::function<void(bool arrived)> then);
    void pageArrived();
    void initialLookedUp(bool arrived);
    void lookUpDestination();
    void destinationLookedUp(bool arrived);
    void fail(Box box, const QString &message);
    void clearNotes();

    ModData &modData;
    Browser &m_browser;
    Dialogs &m_dialogs;
    ChooserBoxes &m_boxes;
    std::function<void(const QString &)> m_send;
    QString m_siteHost;
    bool m_verifying = false;
    qint32 m_attempts = 0;
    int m_redraws = 0;
    // The last destination look-up came back with the initial article.
    bool m_sameAsInitial = false;
    // Counts verifications; a step of an earlier one finds it changed and stops.
    quint64 m_run = 0;
    // The look-up waiting for its page, and its time limit.
    std::function<void(bool)> m_lookedUp;
    QTimer m_lookupLimit;
};

#pragma once

#include <QString>
#include <functional>
#include <memory>

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
};

// The word chooser without widgets: randomizing, verifying both words against the site through
// the game's browser, and starting the round.
class WordChooser
{
public:
    static constexpr int kLookupLimitMs = 15000;
    static constexpr int kMaxDestinationLookups = 4;

    WordChooser(ModData &modData, Browser &browser, Dialogs &dialogs, ChooserBoxes &boxes,
                std::function<void(const QString &)> send, const QString &siteHost);
    ~WordChooser();

    void Randomize(int source);
    // Looks both words up and replaces them by the site's own titles; see the window for when.
    void Verify();
    // Sends the words as the boxes hold them, checked or not.
    void SendWords();
    // Any edit of a box, typed or written: back to Verify enabled, Start disabled, except while a
    // verification writes into the boxes itself.
    void TextChanged();
    // The window is going: a running verification stops at its next step.
    void Abort() { *m_alive = false; }

    bool Verifying() const { return m_verifying; }
    qint32 Attempts() const { return m_attempts; }
    // How long a look-up may take before it counts as failed.
    int LookupLimitMs = kLookupLimitMs;

private:
    using Box = ChooserBoxes::Box;
    // Clears CurrentPage, looks the word up and waits for a page; false when none came in time or
    // the chooser went meanwhile.
    bool lookUp(const QString &word);
    void fail(Box box, const QString &message);

    ModData &modData;
    Browser &m_browser;
    Dialogs &m_dialogs;
    ChooserBoxes &m_boxes;
    std::function<void(const QString &)> m_send;
    QString m_siteHost;
    bool m_verifying = false;
    qint32 m_attempts = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

#include "client/WordChooser.h"

#include "client/GameCore.h"
#include "client/ModData.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "protocol/Messages.h"

#include <utility>

namespace
{
const QString kNoArticle = QStringLiteral("This article doesn't exist.");
const QString kDestinationProblem = QStringLiteral("There was a problem verifying the destination article.");
const QString kSameArticle = QStringLiteral("Same article as the initial word");

QString noArticleNote(const QString &word)
{
    return QStringLiteral("No article \u201C%1\u201D").arg(word);
}
} // namespace

WordChooser::WordChooser(ModData &data, Browser &browser, Dialogs &dialogs, ChooserBoxes &boxes,
                         std::function<void(const QString &)> send, const QString &siteHost)
    : modData(data), m_browser(browser), m_dialogs(dialogs), m_boxes(boxes), m_send(std::move(send)),
      m_siteHost(siteHost)
{
    m_lookupLimit.setSingleShot(true);
    connect(&m_lookupLimit, &QTimer::timeout, this, [this] {
        if (auto then = std::exchange(m_lookedUp, nullptr))
            then(false);
    });
    // The game window's core hears every title first and sets CurrentPage from it.
    connect(&m_browser, &Browser::TitleChange, this, &WordChooser::pageArrived);
}

WordChooser::~WordChooser() = default;

void WordChooser::Abort()
{
    ++m_run;
    m_lookedUp = nullptr;
    m_lookupLimit.stop();
}

void WordChooser::Randomize(int source)
{
    m_send(msg::GetRandom(source));
    m_boxes.Focus(source == 1 ? Box::Initial : Box::Destination);
}

void WordChooser::TakeRandom(const QString &source, const QString &title)
{
    const bool initial = source == QLatin1String("1");
    if (!initial && source != QLatin1String("2"))
        return;
    const Box box = initial ? Box::Initial : Box::Destination;
    const Box other = initial ? Box::Destination : Box::Initial;
    if (!title.isEmpty() && title.compare(m_boxes.Text(other), Qt::CaseInsensitive) == 0 &&
        m_redraws < kMaxRedraws) {
        ++m_redraws;
        m_send(msg::GetRandom(initial ? 1 : 2));
        return;
    }
    m_redraws = 0;
    m_boxes.SetText(box, title);
}

void WordChooser::SendWords()
{
    m_send(msg::SetWords(m_boxes.Text(Box::Initial), m_boxes.Text(Box::Destination)));
}

void WordChooser::TextChanged()
{
    if (m_verifying)
        return;
    clearNotes();
    m_boxes.SetStartEnabled(false);
    m_boxes.SetVerifyEnabled(true);
}

void WordChooser::afterEvents(Step step)
{
    QTimer::singleShot(0, this, [this, run = m_run, step = std::move(step)] {
        if (run == m_run)
            step();
    });
}

void WordChooser::lookUp(const QString &word, std::function<void(bool)> then)
{
    modData.CurrentPage.clear();
    m_lookedUp = std::move(then);
    m_lookupLimit.start(LookupLimitMs);
    m_browser.Navigate(GameCore::LookupUrl(m_siteHost, word));
    afterEvents([this] { pageArrived(); });
}

void WordChooser::pageArrived()
{
    if (!m_lookedUp || modData.CurrentPage.isEmpty())
        return;
    m_lookupLimit.stop();
    // Goes on once the browser has finished telling of this page, never from inside its events.
    afterEvents([then = std::exchange(m_lookedUp, nullptr)] { then(true); });
}

void WordChooser::fail(Box box, const QString &message)
{
    const auto giveBack = [this, box] {
        m_boxes.SelectAll(box);
        m_boxes.SetVerifyEnabled(true);
        m_verifying = false;
    };
    if (message.isEmpty())
        giveBack();
    else
        m_dialogs.ShowMessage(message, MessageIcon::Critical, QStringLiteral("Quillory"), this, giveBack);
}

void WordChooser::clearNotes()
{
    m_boxes.SetNote(Box::Initial, QString());
    m_boxes.SetNote(Box::Destination, QString());
}

void WordChooser::Verify()
{
    const QString initial = m_boxes.Text(Box::Initial);
    const QString destination = m_boxes.Text(Box::Destination);
    if (initial.isEmpty() || destination.isEmpty())
        return;
    if (initial.compare(destination, Qt::CaseInsensitive) == 0) {
        m_boxes.SetNote(Box::Destination, kSameArticle);
        return;
    }
    clearNotes();
    m_sameAsInitial = false;
    Abort();
    m_boxes.SetVerifyEnabled(false);
    m_verifying = true;
    m_browser.Navigate(QStringLiteral("about:blank"));
    afterEvents(
        [this] { lookUp(m_boxes.Text(Box::Initial), [this](bool arrived) { initialLookedUp(arrived); }); });
}

void WordChooser::initialLookedUp(bool arrived)
{
    // No page in time: let the player try again.
    if (!arrived) {
        fail(Box::Initial, QString());
        return;
    }
    if (modData.CurrentPage.toLower() == QLatin1String("search")) {
        m_boxes.SetNote(Box::Initial, noArticleNote(m_boxes.Text(Box::Initial)));
        fail(Box::Initial, kNoArticle);
        return;
    }
    m_boxes.SetText(Box::Initial, modData.CurrentPage);
    m_browser.GoBack();
    // The back step may still deliver the start article's title during a destination look-up;
    // that look-up is then made again.
    m_attempts = 0;
    afterEvents([this] { afterEvents([this] { lookUpDestination(); }); });
}

void WordChooser::lookUpDestination()
{
    ++m_attempts;
    if (m_attempts > kMaxDestinationLookups) {
        // Every look-up came back with the initial article: the destination leads there too.
        if (m_sameAsInitial)
            m_boxes.SetNote(Box::Destination, kSameArticle);
        m_dialogs.ShowMessage(kDestinationProblem, MessageIcon::Critical, QStringLiteral("Quillory"), this,
                              [this] { m_verifying = false; });
        return;
    }
    lookUp(m_boxes.Text(Box::Destination), [this](bool arrived) { destinationLookedUp(arrived); });
}

void WordChooser::destinationLookedUp(bool arrived)
{
    m_sameAsInitial = arrived && modData.CurrentPage == m_boxes.Text(Box::Initial);
    if (!arrived || m_sameAsInitial) {
        lookUpDestination();
        return;
    }
    if (modData.CurrentPage.toLower() == QLatin1String("search")) {
        m_boxes.SetNote(Box::Destination, noArticleNote(m_boxes.Text(Box::Destination)));
        fail(Box::Destination, kNoArticle);
        return;
    }
    m_boxes.SetText(Box::Destination, modData.CurrentPage);
    m_browser.GoBack();
    afterEvents([this] {
        m_boxes.SetStartEnabled(true);
        m_verifying = false;
    });
}

#include "client/WordChooser.h"

#include "client/EventWait.h"
#include "client/GameCore.h"
#include "client/ModData.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "protocol/Messages.h"

namespace
{
const QString kNoArticle = QStringLiteral("This article doesn't exist.");
const QString kDestinationProblem = QStringLiteral("There was a problem verifying the destination article.");
} // namespace

WordChooser::WordChooser(ModData &data, Browser &browser, Dialogs &dialogs, ChooserBoxes &boxes,
                         std::function<void(const QString &)> send, const QString &siteHost)
    : modData(data), m_browser(browser), m_dialogs(dialogs), m_boxes(boxes), m_send(std::move(send)),
      m_siteHost(siteHost)
{
}

WordChooser::~WordChooser()
{
    *m_alive = false;
}

void WordChooser::Randomize(int source)
{
    m_send(msg::GetRandom(source));
    m_boxes.Focus(source == 1 ? Box::Initial : Box::Destination);
}

void WordChooser::SendWords()
{
    m_send(msg::SetWords(m_boxes.Text(Box::Initial), m_boxes.Text(Box::Destination)));
}

void WordChooser::TextChanged()
{
    if (m_verifying)
        return;
    m_boxes.SetStartEnabled(false);
    m_boxes.SetVerifyEnabled(true);
}

bool WordChooser::lookUp(const QString &word)
{
    const std::shared_ptr<bool> alive = m_alive;
    modData.CurrentPage.clear();
    m_browser.Navigate(GameCore::LookupUrl(m_siteHost, word));
    LetEventsRun();
    const bool arrived = WaitWhile([&] { return *alive && modData.CurrentPage.isEmpty(); }, LookupLimitMs);
    return *alive && arrived;
}

void WordChooser::fail(Box box, const QString &message)
{
    const std::shared_ptr<bool> alive = m_alive;
    if (!message.isEmpty())
        m_dialogs.MessageBox(message, MessageIcon::Critical, QStringLiteral("Quillory"));
    if (!*alive)
        return;
    m_boxes.SelectAll(box);
    m_boxes.SetVerifyEnabled(true);
    m_verifying = false;
}

void WordChooser::Verify()
{
    const QString initial = m_boxes.Text(Box::Initial);
    const QString destination = m_boxes.Text(Box::Destination);
    if (initial.isEmpty() || destination.isEmpty())
        return;
    if (initial.compare(destination, Qt::CaseInsensitive) == 0)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    m_boxes.SetVerifyEnabled(false);
    m_verifying = true;

    m_browser.Navigate(QStringLiteral("about:blank"));
    LetEventsRun();
    if (!*alive)
        return;

    if (!lookUp(m_boxes.Text(Box::Initial))) {
        // No page in time (or the chooser went): let the player try again.
        if (*alive)
            fail(Box::Initial, QString());
        return;
    }
    if (modData.CurrentPage.toLower() == QLatin1String("search")) {
        fail(Box::Initial, kNoArticle);
        return;
    }
    m_boxes.SetText(Box::Initial, modData.CurrentPage);
    m_browser.GoBack();
    LetEventsRun();
    WaitWhile([&] { return *alive && modData.CurrentPage.isEmpty(); }, LookupLimitMs);
    if (!*alive)
        return;

    // The back step may still deliver the start article's title during a destination look-up;
    // that look-up is then made again.
    m_attempts = 0;
    for (;;) {
        ++m_attempts;
        if (m_attempts > kMaxDestinationLookups) {
            m_dialogs.MessageBox(kDestinationProblem, MessageIcon::Critical, QStringLiteral("Quillory"));
            // The chooser may have gone while the box waited (the game window closed).
            if (*alive)
                m_verifying = false;
            return;
        }
        const bool arrived = lookUp(m_boxes.Text(Box::Destination));
        if (!*alive)
            return;
        if (arrived && modData.CurrentPage != m_boxes.Text(Box::Initial))
            break;
    }
    if (modData.CurrentPage.toLower() == QLatin1String("search")) {
        fail(Box::Destination, kNoArticle);
        return;
    }
    m_boxes.SetText(Box::Destination, modData.CurrentPage);
    m_browser.GoBack();
    LetEventsRun();
    if (!*alive)
        return;
    m_boxes.SetStartEnabled(true);
    m_verifying = false;
}

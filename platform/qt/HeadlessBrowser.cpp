#include "platform/qt/HeadlessBrowser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

HeadlessBrowser::HeadlessBrowser(QObject *parent)
    : Browser(parent), m_network(new QNetworkAccessManager(this))
{
}

HeadlessBrowser::~HeadlessBrowser()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void HeadlessBrowser::Navigate(const QString &url)
{
    m_history.append(url);
    while (m_history.size() > MaxHistory)
        m_history.removeFirst();
    load(url);
}

void HeadlessBrowser::ForgetHistory()
{
    if (m_history.size() > 1)
        m_history = {m_history.last()};
}

void HeadlessBrowser::GoBack()
{
    if (m_history.size() < 2)
        return;
    m_history.removeLast();
    load(m_history.last());
}

void HeadlessBrowser::load(const QString &url)
{
    // A new navigation replaces the one in progress, which then never completes.
    ++m_generation;
    m_busy = true;
    if (m_reply) {
        QNetworkReply *old = m_reply;
        m_reply = nullptr;
        old->disconnect(this);
        old->abort();
        old->deleteLater();
    }
    m_body.clear();
    m_requested = url;
    emit BeforeNavigate2(url);

    const QUrl target(url);
    const QString scheme = target.scheme().toLower();
    // Only web pages; a hidden browser has no business reading local files or other schemes.
    if (!target.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        failLater(url);
        return;
    }
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setTransferTimeout(m_timeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("QuilloryServer"));
    request.setRawHeader("Accept", "text/html");

    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (reply != m_reply)
            return;
        const QString next = reply->url().resolved(to).toString();
        if (!m_history.isEmpty())
            m_history.last() = next;
        emit BeforeNavigate2(next);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply)
            readMore();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            finish(false);
    });
}

void HeadlessBrowser::readMore()
{
    const qint64 room = m_maxBody - m_body.size();
    if (room > 0)
        m_body += m_reply->read(room);
    // A page bigger than any article is cut here; its title, near the top, is already in hand.
    if (m_body.size() >= m_maxBody)
        finish(true);
}

void HeadlessBrowser::finish(bool cutShort)
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (!cutShort && reply->isOpen()) {
        const qint64 room = m_maxBody - m_body.size();
        if (room > 0)
            m_body += reply->read(room);
    }
    // A page that answers at all (even with an error status) shows its title; a page that
    // could not be reached has none.
    const bool reached = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QString finalUrl = reply->url().toString();
    if (cutShort)
        reply->abort();
    reply->deleteLater();

    const QString title = reached ? ExtractTitle(m_body) : QString();
    m_body.clear();
    const int generation = m_generation;
    if (!title.isEmpty())
        emit TitleChange(title);
    // A handler may already have started the next navigation.
    if (generation != m_generation)
        return;
    m_busy = false;
    emit DocumentComplete(finalUrl.isEmpty() ? m_requested : finalUrl);
}

void HeadlessBrowser::failLater(const QString &url)
{
    // Completion always comes from the event loop, never from inside Navigate.
    const int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, url] {
        if (generation != m_generation)
            return;
        m_busy = false;
        emit DocumentComplete(url);
    });
}

QString HeadlessBrowser::ExtractTitle(const QByteArray &html)
{
    const QString text = QString::fromUtf8(html);
    static const QRegularExpression open(QStringLiteral("<title(\\s[^>]*)?>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression close(QStringLiteral("</title\\s*>"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch start = open.match(text);
    if (!start.hasMatch())
        return {};
    const qsizetype from = start.capturedEnd();
    const QRegularExpressionMatch end = close.match(text, from);
    const QString raw = text.mid(from, end.hasMatch() ? end.capturedStart() - from : -1);
    // Browsers collapse runs of ASCII blanks and line breaks in a title and trim it; a decoded
    // no-break space stays.
    QString collapsed;
    collapsed.reserve(raw.size());
    bool blank = false;
    for (const QChar c : raw) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            blank = true;
            continue;
        }
        if (blank && !collapsed.isEmpty())
            collapsed += QLatin1Char(' ');
        blank = false;
        collapsed += c;
    }
    return DecodeEntities(collapsed);
}

QString HeadlessBrowser::DecodeEntities(const QString &text)
{
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,6});"));
    QString out;
    out.reserve(text.size());
    qsizetype last = 0;
    auto it = entity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        QString replacement;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex =
                name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'));
            const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            // NUL, surrogates and numbers beyond Unicode become the replacement character.
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                replacement = QString(QChar(QChar::ReplacementCharacter));
            else
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else if (name == QLatin1String("amp")) {
            replacement = QStringLiteral("&");
        } else if (name == QLatin1String("lt")) {
            replacement = QStringLiteral("<");
        } else if (name == QLatin1String("gt")) {
            replacement = QStringLiteral(">");
        } else if (name == QLatin1String("quot")) {
            replacement = QStringLiteral("\"");
        } else if (name == QLatin1String("apos")) {
            replacement = QStringLiteral("'");
        } else if (name == QLatin1String("nbsp")) {
            replacement = QString(QChar(0x00A0));
        } else if (name == QLatin1String("ndash")) {
            replacement = QString(QChar(0x2013));
        } else if (name == QLatin1String("mdash")) {
            replacement = QString(QChar(0x2014));
        } else {
            continue; // unknown names stay as written
        }
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out += replacement;
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

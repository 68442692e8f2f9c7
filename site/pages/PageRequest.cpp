#include "site/pages/PageRequest.h"

#include "site/pages/Pages.h"

#include <QStringList>

namespace
{

PageRequest Make(PageRequest::Kind kind)
{
    PageRequest r;
    r.kind = kind;
    return r;
}

PageRequest IndexPhp(QByteArrayView queryText)
{
    const QHash<QByteArray, QString> query = page::ParseQuery(queryText);
    PageRequest r;
    r.name = query.value("title").trimmed();
    const QString action = query.value("action");
    // No article has an empty title, and an unknown action names no page of any article.
    if (r.name.isEmpty())
        r.kind = PageRequest::Kind::NotFound;
    else if (action.isEmpty() || action == QLatin1String("view"))
        r.kind = PageRequest::Kind::View;
    else if (action == QLatin1String("edit"))
        r.kind = PageRequest::Kind::Edit;
    else if (action == QLatin1String("history"))
        r.kind = PageRequest::Kind::History;
    else
        r.kind = PageRequest::Kind::NotFound;
    return r;
}

PageRequest WikiPage(QByteArrayView encodedName, QByteArrayView queryText)
{
    PageRequest r;
    r.name = page::DecodePathName(encodedName);
    if (r.name.isEmpty())
        return r;
    if (r.name == QLatin1String("Main Page")) {
        r.kind = PageRequest::Kind::MainPage;
        return r;
    }
    r.kind = PageRequest::Kind::Article;
    const qsizetype colon = r.name.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return r;
    static const QStringList kNamespaces = {QStringLiteral("Special"),  QStringLiteral("Talk"),
                                            QStringLiteral("Category"), QStringLiteral("Help"),
                                            QStringLiteral("User"),     QStringLiteral("Portal"),
                                            QStringLiteral("Wikipedia")};
    const QString ns = r.name.left(colon);
    if (!kNamespaces.contains(ns))
        return r;
    r.ns = ns;
    r.rest = r.name.mid(colon + 1);
    r.kind = PageRequest::Kind::Namespace;
    if (ns == QLatin1String("Special") && r.rest == QLatin1String("Search")) {
        const QHash<QByteArray, QString> query = page::ParseQuery(queryText);
        r.kind = PageRequest::Kind::Search;
        r.word = query.value("search");
        r.go = query.contains("go");
    } else if (ns == QLatin1String("Special") && r.rest == QLatin1String("Random")) {
        r.kind = PageRequest::Kind::Random;
    }
    return r;
}

} // namespace

PageRequest ParseRequest(QByteArrayView target)
{
    if (target.size() > kMaxTargetBytes)
        return Make(PageRequest::Kind::TooLong);
    QByteArrayView rest(target);
    if (const qsizetype hash = rest.indexOf('#'); hash >= 0)
        rest = rest.first(hash);
    const qsizetype question = rest.indexOf('?');
    const QByteArrayView path = question < 0 ? rest : rest.first(question);
    const QByteArrayView queryText = question < 0 ? QByteArrayView() : rest.sliced(question + 1);

    if (path.startsWith("/zim/")) {
        PageRequest r = Make(PageRequest::Kind::Resource);
        r.resource = path.sliced(5).toByteArray();
        return r;
    }
    if (path == "/w/index.php")
        return IndexPhp(queryText);
    if (path.startsWith("/wiki/"))
        return WikiPage(path.sliced(6), queryText);
    return Make(PageRequest::Kind::NotFound);
}

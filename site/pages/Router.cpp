#include "site/pages/Router.h"

#include "site/pages/SharedPages.h"

using Kind = PageRequest::Kind;

SiteAnswer Route(const PageRequest &r, const PageSource &source)
{
    // Any name under /wiki/ may be an article's title, whatever namespace it seems to be in.
    if (r.kind == Kind::Article || r.kind == Kind::Namespace || r.kind == Kind::Search ||
        r.kind == Kind::Random) {
        if (std::optional<SiteAnswer> own = source.OwnPage(r.name))
            return std::move(*own);
    }
    switch (r.kind) {
    case Kind::TooLong:
        return page::TooLong();
    case Kind::NotFound:
        return page::NotFound();
    case Kind::MainPage:
        return source.MainPage();
    case Kind::Article:
        if (const QByteArray to = source.RedirectAddress(r.name); !to.isEmpty())
            return page::Redirect(to);
        return page::NotFound();
    case Kind::Search:
        return shared::SearchPage(source, r.word, r.go);
    case Kind::Random:
        if (const QByteArray to = source.RandomAddress(); !to.isEmpty())
            return page::Redirect(to);
        return page::NotFound();
    case Kind::Namespace:
        return shared::NamespacePage(source, r.name, r.ns, r.rest);
    case Kind::View:
        if (const auto article = source.FindArticle(r.name))
            return page::Redirect(article->address);
        return page::NotFound();
    case Kind::Edit:
        if (const auto article = source.FindArticle(r.name))
            return shared::EditPage(source, *article);
        return page::NotFound();
    case Kind::History:
        if (const auto article = source.FindArticle(r.name))
            return shared::HistoryPage(source, *article);
        return page::NotFound();
    case Kind::Resource:
        return source.Resource(r.resource);
    }
    return page::NotFound();
}

SiteAnswer AnswerTarget(QByteArrayView target, const PageSource &source)
{
    return Route(ParseRequest(target), source);
}

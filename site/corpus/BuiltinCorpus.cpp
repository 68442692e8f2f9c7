#include "site/corpus/BuiltinCorpus.h"

extern const char kBuiltinArticles[];

namespace
{

struct PendingLink {
    qsizetype offset;
    qsizetype length;
    QString target;
};

struct PendingArticle {
    int index = -1;
    QByteArray text;
    std::vector<PendingLink> links;
};

// Turns one paragraph's markup into plain text, noting where each link sits.
void AppendParagraph(PendingArticle &article, Article &stored, const QString &paragraph)
{
    if (!article.text.isEmpty())
        article.text.append('\n');
    qsizetype pos = 0;
    while (pos < paragraph.size()) {
        const qsizetype open = paragraph.indexOf(QLatin1String("[["), pos);
        const qsizetype close = open < 0 ? -1 : paragraph.indexOf(QLatin1String("]]"), open + 2);
        if (open < 0 || close < 0) {
            article.text.append(paragraph.mid(pos).toUtf8());
            break;
        }
        article.text.append(paragraph.mid(pos, open - pos).toUtf8());
        const QString inner = paragraph.mid(open + 2, close - open - 2);
        const qsizetype bar = inner.indexOf(QLatin1Char('|'));
        const QString target = (bar < 0 ? inner : inner.left(bar)).trimmed();
        const QString shown = bar < 0 ? inner : inner.mid(bar + 1);
        if (target.startsWith(QLatin1String("http://")) || target.startsWith(QLatin1String("https://"))) {
            stored.externalLinks.append({target, shown});
            article.text.append(shown.toUtf8());
        } else {
            const QByteArray bytes = shown.toUtf8();
            article.links.push_back({article.text.size(), bytes.size(), target});
            article.text.append(bytes);
        }
        pos = close + 2;
    }
}

} // namespace

std::shared_ptr<Corpus> ParseArticleMarkup(const QString &markup, QStringList *problems)
{
    auto corpus = std::make_shared<Corpus>();
    std::vector<PendingArticle> pending;
    QList<QPair<QString, QString>> redirects;
    QStringList mainPage;

    PendingArticle *current = nullptr;
    QString paragraph;
    auto flush = [&]() {
        if (current && !paragraph.trimmed().isEmpty())
            AppendParagraph(*current, corpus->Edit(current->index), paragraph.simplified());
        paragraph.clear();
    };

    const QStringList lines = markup.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("= "))) {
            flush();
            const qsizetype bar = line.indexOf(QLatin1Char('|'));
            const QString title = (bar < 0 ? line.mid(2) : line.mid(2, bar - 2)).trimmed();
            const QString category = bar < 0 ? QString() : line.mid(bar + 1).trimmed();
            const int index = corpus->AddArticle(title, {}, category);
            if (index < 0) {
                if (problems)
                    problems->append(QStringLiteral("duplicate title: ") + title);
                current = nullptr;
                continue;
            }
            pending.push_back({index, {}, {}});
            current = &pending.back();
        } else if (line.startsWith(QLatin1String("~ "))) {
            flush();
            const qsizetype arrow = line.indexOf(QLatin1String("->"));
            if (arrow > 0)
                redirects.append({line.mid(2, arrow - 2).trimmed(), line.mid(arrow + 2).trimmed()});
        } else if (line.startsWith(QLatin1String("@ Main Page:"))) {
            flush();
            for (const QString &t : line.mid(12).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                mainPage.append(t.trimmed());
        } else if (line.trimmed().isEmpty()) {
            flush();
        } else {
            paragraph += QLatin1Char(' ') + line;
        }
    }
    flush();

    for (PendingArticle &p : pending) {
        Article &article = corpus->Edit(p.index);
        article.text = p.text;
        for (const PendingLink &link : p.links) {
            const int target = corpus->Find(link.target);
            if (target < 0) {
                if (problems)
                    problems->append(article.title + QStringLiteral(": no article ") + link.target);
                continue;
            }
            corpus->AddLink(p.index, target);
            const int slot = int(article.links.indexOf(target));
            if (slot >= 0)
                article.anchors.push_back({link.offset, link.length, slot});
        }
    }
    for (const auto &r : redirects) {
        if (corpus->Find(r.second) < 0 && problems)
            problems->append(QStringLiteral("redirect to no article: ") + r.second);
        corpus->AddRedirect(r.first, r.second);
    }
    QList<int> featured;
    for (const QString &t : mainPage) {
        const int index = corpus->Find(t);
        if (index >= 0)
            featured.append(index);
        else if (problems)
            problems->append(QStringLiteral("main page names no article: ") + t);
    }
    corpus->SetMainPageLinks(featured);
    return corpus;
}

std::shared_ptr<const Corpus> BuiltinCorpus()
{
    // Parsed once; the corpus never changes afterwards, so every server shares it.
    static const std::shared_ptr<const Corpus> corpus =
        ParseArticleMarkup(QString::fromUtf8(kBuiltinArticles));
    return corpus;
}

#include "site/corpus/WikispeediaCorpus.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <utility>

namespace
{

bool ReadLines(const QString &path, QList<QByteArray> *lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    for (QByteArray line : all.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        lines->append(line);
    }
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// How many articles the main page offers.
constexpr int kMainPageArticles = 12;

// The articles that most pages link to, in title order: well-known places to start reading.
QList<int> MostLinkedArticles(const Corpus &corpus, const std::vector<int> &linksIn, int count)
{
    std::vector<int> order(linksIn.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    const size_t n = std::min(order.size(), size_t(count));
    std::partial_sort(order.begin(), order.begin() + qsizetype(n), order.end(), [&](int a, int b) {
        return linksIn[size_t(a)] != linksIn[size_t(b)] ? linksIn[size_t(a)] > linksIn[size_t(b)] : a < b;
    });
    order.resize(n);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return corpus.At(a).title < corpus.At(b).title; });
    return QList<int>(order.begin(), order.end());
}

} // namespace

QString DecodeWikispeediaName(const QByteArray &name)
{
    // A page title shows runs of blanks as one ("Star_Trek__Deep_Space_Nine"), and the game looks articles
    // up by the title it saw, so the article is named that way too.
    return QUrl::fromPercentEncoding(name.trimmed()).replace(QLatin1Char('_'), QLatin1Char(' ')).simplified();
}

QByteArray CleanWikispeediaText(const QByteArray &raw)
{
    QList<QByteArray> paragraphs;
    QByteArray paragraph;
    const char *p = raw.constData();
    const char *end = p + raw.size();
    while (p < end) {
        const char *eol = static_cast<const char *>(memchr(p, '\n', size_t(end - p)));
        if (!eol)
            eol = end;
        const char *b = p;
        const char *e = eol;
        while (b < e && IsBlank(*b))
            ++b;
        while (e > b && IsBlank(e[-1]))
            --e;
        p = eol + 1;
        if (b == e) {
            if (!paragraph.isEmpty())
                paragraphs.append(std::exchange(paragraph, {}));
            continue;
        }
        const QByteArrayView line(b, e - b);
        if (line.startsWith("Retrieved from \""))
            break; // the licence note that closes every article
        if (!paragraph.isEmpty())
            paragraph.append(' ');
        paragraph.append(line);
    }
    if (!paragraph.isEmpty())
        paragraphs.append(paragraph);

    // The header is "#copyright", the title and the selection line, each its own paragraph.
    qsizetype first = 0;
    for (qsizetype i = 0; i < paragraphs.size() && i < 4; ++i) {
        if (paragraphs[i].startsWith("2007 Schools Wikipedia Selection"))
            first = i + 1;
    }
    if (first == 0 && !paragraphs.isEmpty() && paragraphs[0].startsWith("#copyright"))
        first = qMin<qsizetype>(2, paragraphs.size()); // the title follows the copyright line
    qsizetype size = 0;
    for (qsizetype i = first; i < paragraphs.size(); ++i)
        size += paragraphs[i].size() + 1;
    QByteArray out;
    out.reserve(size);
    for (qsizetype i = first; i < paragraphs.size(); ++i) {
        if (!out.isEmpty())
            out.append('\n');
        out.append(paragraphs[i]);
    }
    return out;
}

std::shared_ptr<const Corpus> LoadWikispeediaCorpus(const QString &folder, QString *error)
{
    auto fail = [error](const QString &why) -> std::shared_ptr<const Corpus> {
        if (error)
            *error = why;
        return nullptr;
    };
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return fail(QStringLiteral("no such folder: %1").arg(folder));

    QList<QByteArray> names;
    if (!ReadLines(dir.filePath(QStringLiteral("articles.tsv")), &names))
        return fail(QStringLiteral("cannot read %1").arg(dir.filePath(QStringLiteral("articles.tsv"))));
    QList<QByteArray> links;
    if (!ReadLines(dir.filePath(QStringLiteral("links.tsv")), &links))
        return fail(QStringLiteral("cannot read %1").arg(dir.filePath(QStringLiteral("links.tsv"))));

    auto corpus = std::make_shared<Corpus>();
    QHash<QByteArray, int> byName;
    byName.reserve(names.size());
    // The name each article's text file is found under: the first that decodes to its title.
    std::vector<QByteArray> fileNames;
    fileNames.reserve(size_t(names.size()));
    for (const QByteArray &raw : names) {
        const QByteArray name = raw.trimmed();
        const QString title = DecodeWikispeediaName(name);
        int index = corpus->AddArticle(title);
        if (index >= 0)
            fileNames.push_back(name);
        else
            index = corpus->Find(title); // another spelling of a name already listed: the same article
        if (index >= 0 && !byName.contains(name))
            byName.insert(name, index);
    }
    if (corpus->Count() == 0)
        return fail(QStringLiteral("no articles in %1").arg(dir.filePath(QStringLiteral("articles.tsv"))));

    std::vector<int> linksIn(size_t(corpus->Count()), 0);
    for (const QByteArray &line : links) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        const int from = byName.value(line.left(tab).trimmed(), -1);
        const int to = byName.value(line.mid(tab + 1).trimmed(), -1);
        if (from < 0 || to < 0)
            continue;
        corpus->AddLink(from, to);
        ++linksIn[size_t(to)];
    }
    corpus->SetMainPageLinks(MostLinkedArticles(*corpus, linksIn, kMainPageArticles));

    QList<QByteArray> categories;
    if (ReadLines(dir.filePath(QStringLiteral("categories.tsv")), &categories)) {
        for (const QByteArray &line : categories) {
            const qsizetype tab = line.indexOf('\t');
            const int index = tab < 0 ? -1 : byName.value(line.left(tab).trimmed(), -1);
            if (index < 0 || !corpus->At(index).category.isEmpty())
                continue;
            // "subject.Geography.European_Geography" files the article under its last part.
            const QByteArray path = line.mid(tab + 1).trimmed();
            const QString last = QString::fromUtf8(path.mid(path.lastIndexOf('.') + 1));
            corpus->Edit(index).category = DecodeWikispeediaName(last.toUtf8());
        }
    }

    const QDir texts(dir.filePath(QStringLiteral("plaintext_articles")));
    if (texts.exists()) {
        // Only plain files that the folder itself lists are opened: a name holding "../" or "/"
        // matches no entry, and links leading elsewhere are skipped.
        const QStringList entries = texts.entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
        const QSet<QString> present(entries.begin(), entries.end());
        for (int index = 0; index < corpus->Count(); ++index) {
            const QString file = QString::fromUtf8(fileNames[size_t(index)]) + QStringLiteral(".txt");
            if (!present.contains(file))
                continue;
            QFile f(texts.filePath(file));
            if (f.open(QIODevice::ReadOnly))
                corpus->Edit(index).text = CleanWikispeediaText(f.readAll());
        }
    }
    if (error)
        error->clear();
    return corpus;
}

#include "site/WikispeediaCorpus.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QUrl>

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

} // namespace

QString DecodeWikispeediaName(const QByteArray &name)
{
    return QUrl::fromPercentEncoding(name.trimmed()).replace(QLatin1Char('_'), QLatin1Char(' '));
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
    for (const QByteArray &raw : names) {
        const QByteArray name = raw.trimmed();
        const int index = corpus->AddArticle(DecodeWikispeediaName(name));
        if (index >= 0)
            byName.insert(name, index);
    }
    if (corpus->Count() == 0)
        return fail(QStringLiteral("no articles in %1").arg(dir.filePath(QStringLiteral("articles.tsv"))));

    for (const QByteArray &line : links) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        corpus->AddLink(byName.value(line.left(tab).trimmed(), -1),
                        byName.value(line.mid(tab + 1).trimmed(), -1));
    }

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
        for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
            const QString file = QString::fromUtf8(it.key()) + QStringLiteral(".txt");
            if (!present.contains(file))
                continue;
            QFile f(texts.filePath(file));
            if (f.open(QIODevice::ReadOnly))
                corpus->Edit(it.value()).text = CleanWikispeediaText(f.readAll());
        }
    }
    if (error)
        error->clear();
    return corpus;
}

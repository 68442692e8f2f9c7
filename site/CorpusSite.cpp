#include "site/CorpusSite.h"

QString EncyclopediaSite::Resolve(const QString &word) const
{
    QString title = Find(word);
    if (title.isEmpty())
        title = FindIgnoringCase(word);
    if (title.isEmpty())
        title = FindRedirect(word);
    return title;
}

CorpusSite::CorpusSite(std::shared_ptr<const Corpus> corpus, QString description)
    : m_corpus(corpus ? std::move(corpus) : std::make_shared<const Corpus>()),
      m_description(std::move(description))
{
}

QStringList CorpusSite::Links(const QString &title) const
{
    const int index = m_corpus->Find(title);
    return index < 0 ? QStringList() : m_corpus->LinkTitles(index);
}

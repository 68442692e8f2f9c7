#pragma once

#include "site/EncyclopediaSite.h"
#include "site/corpus/Corpus.h"

#include <memory>

// The built-in encyclopedia and a Wikispeedia folder: both are a Corpus held in memory.
class CorpusSite : public EncyclopediaSite
{
public:
    CorpusSite(std::shared_ptr<const Corpus> corpus, QString description);

    QString Description() const override { return m_description; }
    qint64 ArticleCount() const override { return m_corpus->Count(); }
    QString Find(const QString &title) const override { return TitleOf(m_corpus->Find(title)); }
    QString FindIgnoringCase(const QString &title) const override
    {
        return TitleOf(m_corpus->FindIgnoringCase(title));
    }
    QString FindRedirect(const QString &name) const override { return TitleOf(m_corpus->FindRedirect(name)); }
    QString RandomArticle() const override { return TitleOf(DrawRandom()); }
    SiteAnswer Answer(const QByteArray &target) const override;
    QStringList Links(const QString &title) const override;
    std::shared_ptr<const LinkGraph> Graph() const override { return m_graph; }
    LinkGraph::Node GraphNode(const QString &title) const override;
    QString GraphTitle(LinkGraph::Node node) const override;

    const Corpus &Articles() const { return *m_corpus; }

private:
    QString TitleOf(int index) const { return index < 0 ? QString() : m_corpus->At(index).title; }
    int DrawRandom() const;

    std::shared_ptr<const Corpus> m_corpus;
    QString m_description;
    std::shared_ptr<const LinkGraph> m_graph;
};

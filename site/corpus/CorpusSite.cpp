#include "site/corpus/CorpusSite.h"

#include "protocol/PageKinds.h"
#include "site/corpus/CorpusPages.h"

QString EncyclopediaSite::Resolve(const QString &word) const
{
    QString title = Find(word);
    if (title.isEmpty())
        title = FindIgnoringCase(word);
    if (title.isEmpty())
        title = FindRedirect(word);
    return title;
}

namespace
{

// Articles are numbered as the corpus numbers them; every one may be drawn, and a route may pass
// through every one but the kinds that take a player out of the round.
std::shared_ptr<const LinkGraph> GraphOf(const Corpus &corpus)
{
    std::vector<quint8> marks(size_t(corpus.Count()));
    LinkGraph::Rows links;
    for (int i = 0; i < corpus.Count(); ++i) {
        const Article &a = corpus.At(i);
        marks[size_t(i)] = LinkGraph::MarksOf(KindOfPage(a.title));
        links.Begin(LinkGraph::Node(i));
        for (int to : a.links)
            links.Add(LinkGraph::Node(to));
    }
    return std::make_shared<const LinkGraph>(std::move(marks), std::move(links));
}

} // namespace

CorpusSite::CorpusSite(std::shared_ptr<const Corpus> corpus, QString description)
    : m_corpus(corpus ? std::move(corpus) : std::make_shared<const Corpus>()),
      m_description(std::move(description)), m_graph(GraphOf(*m_corpus))
{
}

QStringList CorpusSite::Links(const QString &title) const
{
    const int index = m_corpus->Find(title);
    return index < 0 ? QStringList() : m_corpus->LinkTitles(index);
}

int CorpusSite::DrawRandom() const
{
    const LinkGraph::Node node = m_graph->RandomWinnable();
    return node == LinkGraph::kNoNode ? m_corpus->Random() : int(node);
}

SiteAnswer CorpusSite::Answer(const QByteArray &target) const
{
    return AnswerRequest(*m_corpus, target, [this] { return DrawRandom(); });
}

LinkGraph::Node CorpusSite::GraphNode(const QString &title) const
{
    const int index = m_corpus->Find(title);
    return index < 0 ? LinkGraph::kNoNode : LinkGraph::Node(index);
}

QString CorpusSite::GraphTitle(LinkGraph::Node node) const
{
    return node < LinkGraph::Node(m_corpus->Count()) ? m_corpus->At(int(node)).title : QString();
}

#include "site/Encyclopedia.h"

#include "settings/SiteSettings.h"
#include "site/BuiltinCorpus.h"
#include "site/CorpusSite.h"
#include "site/WikispeediaCorpus.h"

namespace
{

QString BuiltinDescription(const Corpus &corpus)
{
    return QStringLiteral("built-in encyclopedia (%1 articles)").arg(corpus.Count());
}

} // namespace

std::shared_ptr<const Corpus> LoadEncyclopediaFrom(const QString &setting, QString *description,
                                                   QString *error)
{
    const QString folder = setting.trimmed();
    if (error)
        error->clear();
    if (!folder.isEmpty()) {
        QString why;
        auto corpus = LoadWikispeediaCorpus(folder, &why);
        if (corpus) {
            if (description)
                *description =
                    QStringLiteral("Wikispeedia folder %1 (%2 articles)").arg(folder).arg(corpus->Count());
            return corpus;
        }
        if (error)
            *error = QStringLiteral("Could not load the encyclopedia %1: %2").arg(folder, why);
    }
    auto corpus = BuiltinCorpus();
    if (description)
        *description = BuiltinDescription(*corpus);
    return corpus;
}

std::shared_ptr<const Corpus> LoadEncyclopedia(QString *description, QString *error)
{
    return LoadEncyclopediaFrom(site::EncyclopediaSetting(), description, error);
}

std::shared_ptr<const EncyclopediaSite> OpenEncyclopedia(const QString &setting, QString *description,
                                                         QString *error)
{
    QString text;
    auto corpus = LoadEncyclopediaFrom(setting, &text, error);
    if (description)
        *description = text;
    return std::make_shared<const CorpusSite>(std::move(corpus), text);
}

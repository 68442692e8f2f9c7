#include "site/Encyclopedia.h"

#include "settings/SiteSettings.h"
#include "site/corpus/BuiltinCorpus.h"
#include "site/corpus/CorpusSite.h"
#include "site/corpus/WikispeediaCorpus.h"
#include "site/zim/ZimSite.h"

#include <QFileInfo>
#include <QStandardPaths>

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

QString TimeLeftText(int seconds)
{
    if (seconds < 0)
        return {};
    if (seconds < 60)
        return QStringLiteral("less than a minute left");
    // Rounded up: an estimate that runs out before the work does reads as broken.
    const int minutes = (seconds + 59) / 60;
    if (minutes < 90)
        return QStringLiteral("about %1 min left").arg(minutes);
    return QStringLiteral("about %1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

QString LinkCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quillory");
}

std::shared_ptr<const EncyclopediaSite> OpenEncyclopedia(const QString &setting, QString *description,
                                                         QString *error, const QString &cacheFolder)
{
    const QString path = setting.trimmed();
    // A file is a ZIM archive; a folder is in the Wikispeedia layout.
    if (!path.isEmpty() &&
        (path.endsWith(QLatin1String(".zim"), Qt::CaseInsensitive) || QFileInfo(path).isFile())) {
        QString why;
        if (auto zim = ZimSite::Open(path, &why, cacheFolder)) {
            if (description)
                *description = zim->Description();
            if (error)
                error->clear();
            return zim;
        }
        auto builtin = LoadEncyclopediaFrom(QString(), description, nullptr);
        if (error)
            *error = QStringLiteral("Could not load the encyclopedia %1: %2").arg(path, why);
        return std::make_shared<const CorpusSite>(std::move(builtin), description ? *description : QString());
    }
    QString text;
    auto corpus = LoadEncyclopediaFrom(setting, &text, error);
    if (description)
        *description = text;
    return std::make_shared<const CorpusSite>(std::move(corpus), text);
}

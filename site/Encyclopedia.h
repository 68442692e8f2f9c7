#pragma once

#include "site/EncyclopediaSite.h"
#include "site/corpus/Corpus.h"

#include <memory>

// The encyclopedia the server serves: the built-in one when the "Encyclopedia" setting is empty,
// else the Wikispeedia folder it names. When that folder cannot be loaded, *error says why and the
// built-in encyclopedia is returned, so that players can still play. *description is a short text
// for the server window.
std::shared_ptr<const Corpus> LoadEncyclopedia(QString *description, QString *error);

// The same, for a given setting value.
std::shared_ptr<const Corpus> LoadEncyclopediaFrom(const QString &setting, QString *description,
                                                   QString *error);

// The encyclopedia for a setting value as the site serves it, with the same fallback: empty for the
// built-in one, a Wikispeedia folder, or a ZIM archive (a file). An archive's link graph is kept in
// `cacheFolder` for the next start.
std::shared_ptr<const EncyclopediaSite> OpenEncyclopedia(const QString &setting, QString *description,
                                                         QString *error, const QString &cacheFolder = {});

// "about 3 min left" for the operator, from seconds; "" when they cannot be told (negative).
QString TimeLeftText(int seconds);

// Where this user's link graphs of archives are kept: the "Quillory" folder of the user's cache folder.
QString LinkCacheFolder();

#pragma once

#include "site/Corpus.h"

#include <memory>

// The encyclopedia the server serves: the built-in one when the "Encyclopedia" setting is empty,
// else the Wikispeedia folder it names. When that folder cannot be loaded, *error says why and the
// built-in encyclopedia is returned, so that players can still play. *description is a short text
// for the server window.
std::shared_ptr<const Corpus> LoadEncyclopedia(QString *description, QString *error);

// The same, for a given setting value.
std::shared_ptr<const Corpus> LoadEncyclopediaFrom(const QString &setting, QString *description,
                                                   QString *error);

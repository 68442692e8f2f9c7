#pragma once

#include "site/corpus/Corpus.h"

#include <memory>

// The demo encyclopedia compiled into the program: short original articles on everyday topics,
// linked so that any article can be reached from any other in a few clicks.
std::shared_ptr<const Corpus> BuiltinCorpus();

// Builds a corpus from the article markup the demo encyclopedia is written in (see BuiltinArticles.cpp).
// Links to titles that do not exist are left as plain text and named in *problems.
std::shared_ptr<Corpus> ParseArticleMarkup(const QString &markup, QStringList *problems = nullptr);

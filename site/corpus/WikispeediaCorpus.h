#pragma once

#include "site/corpus/Corpus.h"

#include <memory>

// Loads a folder in the Wikispeedia layout: articles.tsv (one URL-encoded name a line), links.tsv
// (source TAB target), optional categories.tsv and optional plaintext_articles/<name>.txt. Names are
// percent-decoded and "_" becomes a blank. Texts are read only from files listed in plaintext_articles
// itself, so no name can lead outside the folder. nullptr with *error set on failure.
std::shared_ptr<const Corpus> LoadWikispeediaCorpus(const QString &folder, QString *error);

// Title shown for a URL-encoded Wikispeedia name.
QString DecodeWikispeediaName(const QByteArray &name);

// Paragraphs of one plaintext article, '\n' between them: the header (copyright line, title,
// selection line when present) and the closing licence note dropped, each paragraph's lines joined by one
// blank.
QByteArray CleanWikispeediaText(const QByteArray &raw);

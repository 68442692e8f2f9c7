#pragma once

#include "platform/Dialogs.h"

#include <QStringList>

// The ZIM archives in those folders and readers' library files, as the encyclopedia chooser lists
// them (see FindZimFiles).
QList<EncyclopediaFile> FindEncyclopediaFiles(const QStringList &folders, const QStringList &libraryFiles);
// What the chooser of a host on this machine looks through: the usual folders and library files.
EncyclopediaFinder UsualEncyclopediaFinder();

#pragma once

#include <QString>

// One small file per setting, "<name>.dat", in the program's folder, shared by client and server.
namespace modOptions
{

// The folder that holds the setting files; the running program's folder unless set.
QString OptionsDirectory();
void SetOptionsDirectory(const QString &directory);

// Writes the value and CR LF. Failures are silent; a read-only file keeps its old value.
void SaveOption(const QString &name, const QString &value);

// The first line of the file, "" on any failure. An empty first line truncates the file;
// a missing file is not created.
QString LoadOption(const QString &name);

} // namespace modOptions

using modOptions::LoadOption;
using modOptions::SaveOption;

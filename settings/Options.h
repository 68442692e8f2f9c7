#pragma once

#include <QString>

// One small file per setting, "<name>.dat", shared by client and server: in the programs' folder when
// it is writable, else in the user's own settings folder.
namespace modOptions
{

// The folder that holds the setting files: ChooseOptionsDirectory for the running program's folder,
// decided once, unless set.
QString OptionsDirectory();
void SetOptionsDirectory(const QString &directory);

// The user's settings folder, the same for client and server whatever each program calls itself:
// "Quillory" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
QString UserOptionsDirectory();
// True when a file can be created in the folder. Found by creating one: a read-only mount or an
// access list is not seen in the folder's permissions, and root passes every permission check.
bool CanWriteIn(const QString &directory);
// The settings folder of a program in programDirectory: that folder when it is writable (a source tree,
// a portable copy), else userDirectory, created when missing. When neither can be written to, the
// program's folder, where the settings can at least be read.
QString ChooseOptionsDirectory(const QString &programDirectory, const QString &userDirectory);

// Writes the value and CR LF. Failures are silent; a read-only file keeps its old value.
void SaveOption(const QString &name, const QString &value);

// The first line of the file, "" on any failure. An empty first line truncates the file;
// a missing file is not created.
QString LoadOption(const QString &name);

} // namespace modOptions

using modOptions::LoadOption;
using modOptions::SaveOption;

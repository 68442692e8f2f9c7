#pragma once

#include <QString>
#include <functional>

// One small file per setting, "<name>.dat", shared by client and server: in the user's own settings
// folder, or beside the programs in a portable copy.
//
// A copy is portable when its programs sit in a folder the user can write to outside /usr and /opt:
// a build in a source tree, or the programs unpacked into a folder of the user's own such as
// ~/Games/Quillory. Its settings then travel with it. Programs installed under /usr or /opt never
// write there, even when run as root, so removing the package leaves no settings behind in a
// system folder.
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
// True for a folder under /usr or /opt, where installed programs live: never a settings folder.
bool IsSystemFolder(const QString &directory);
// Whether settings can be kept in a folder; the real one is CanWriteIn, after making a missing
// user folder.
using FolderCheck = std::function<bool(const QString &)>;
// The settings folder of a program in programDirectory: that folder for a portable copy (writable,
// and not a system folder), else userDirectory when it can be written to. When neither can, the
// user folder for a program in a system folder (its settings are then not kept), else the program's
// folder, where the settings can at least be read.
QString ChooseOptionsDirectory(const QString &programDirectory, const QString &userDirectory,
                               const FolderCheck &canWrite);
// The same with the real check; the user folder is made when missing.
QString ChooseOptionsDirectory(const QString &programDirectory, const QString &userDirectory);

// Writes the value and CR LF. Failures are silent; a read-only file keeps its old value.
void SaveOption(const QString &name, const QString &value);

// The first line of the file, "" on any failure. An empty first line truncates the file;
// a missing file is not created.
QString LoadOption(const QString &name);

} // namespace modOptions

using modOptions::LoadOption;
using modOptions::SaveOption;

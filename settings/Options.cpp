#include "settings/Options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace modOptions
{

namespace
{
QString &directoryOverride()
{
    static QString dir;
    return dir;
}

QString optionPath(const QString &name)
{
    return QDir(OptionsDirectory()).filePath(name + QStringLiteral(".dat"));
}
} // namespace

QString OptionsDirectory()
{
    if (!directoryOverride().isEmpty())
        return directoryOverride();
    // Decided once: a program keeps one settings folder while it runs.
    static const QString chosen =
        ChooseOptionsDirectory(QCoreApplication::applicationDirPath(), UserOptionsDirectory());
    return chosen;
}

QString UserOptionsDirectory()
{
    // Not AppConfigLocation: that one follows each program's own name, and client and server must
    // share one folder for the host's welcome text and password to reach the server.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("Quillory"));
}

bool CanWriteIn(const QString &directory)
{
    if (directory.isEmpty() || !QFileInfo(directory).isDir())
        return false;
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".quillory-write-test-XXXXXX")));
    return probe.open(); // removed again when probe goes
}

bool IsSystemFolder(const QString &directory)
{
    const QString path =
        QDir::cleanPath(QDir::isAbsolutePath(directory) ? directory : QDir().absoluteFilePath(directory));
    for (const QString &root : {QStringLiteral("/usr"), QStringLiteral("/opt")}) {
        if (path == root || path.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString ChooseOptionsDirectory(const QString &programDirectory, const QString &userDirectory,
                               const FolderCheck &canWrite)
{
    const bool system = IsSystemFolder(programDirectory);
    if (!system && canWrite(programDirectory))
        return programDirectory;
    if (!userDirectory.isEmpty() && canWrite(userDirectory))
        return userDirectory;
    return system && !userDirectory.isEmpty() ? userDirectory : programDirectory;
}

QString ChooseOptionsDirectory(const QString &programDirectory, const QString &userDirectory)
{
    return ChooseOptionsDirectory(programDirectory, userDirectory, [&](const QString &directory) {
        if (directory == userDirectory && !QDir().mkpath(directory))
            return false;
        return CanWriteIn(directory);
    });
}

void SetOptionsDirectory(const QString &directory)
{
    directoryOverride() = directory;
}

void SaveOption(const QString &name, const QString &value)
{
    const QString path = optionPath(name);
    QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        // A file we may not replace (read-only, locked, no access) keeps its value.
        // The owner's write bit stands for the file's read-only flag, also when running as root.
        if (!(info.permissions() & QFileDevice::WriteOwner) || !QFile::remove(path))
            return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return;
    file.write((value + QStringLiteral("\r\n")).toUtf8());
    file.close();
}

QString LoadOption(const QString &name)
{
    const QString path = optionPath(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray content = file.readAll();
    file.close();
    if (content.isEmpty())
        return QString();
    qsizetype end = content.indexOf('\r');
    const qsizetype lf = content.indexOf('\n');
    if (end < 0 || (lf >= 0 && lf < end))
        end = lf;
    const QByteArray line = end < 0 ? content : content.left(end);
    if (line.isEmpty()) {
        QFile truncate(path);
        if (truncate.open(QIODevice::WriteOnly | QIODevice::Truncate))
            truncate.close();
        return QString();
    }
    return QString::fromUtf8(line);
}

} // namespace modOptions

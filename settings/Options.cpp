#include "settings/Options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    return QCoreApplication::applicationDirPath();
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

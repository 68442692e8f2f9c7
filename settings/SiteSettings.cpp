#include "settings/SiteSettings.h"

#include "settings/Options.h"

#include <QStringList>

namespace site
{

QString SiteSetting()
{
    return LoadOption(QStringLiteral("Site")).trimmed();
}

QString ServerSiteHost()
{
    const QString s = SiteSetting();
    return s.isEmpty() ? QStringLiteral("127.0.0.1:%1").arg(kSitePort) : s;
}

QString ClientSiteHost(const QString &gameServerAddress)
{
    const QString s = SiteSetting();
    return s.isEmpty() ? QStringLiteral("%1:%2").arg(gameServerAddress).arg(kSitePort) : s;
}

QString SiteDomain(const QString &host)
{
    const QString lower = host.trimmed().toLower();
    QString name = lower;
    const qsizetype colon = lower.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && !lower.startsWith(QLatin1Char('[')))
        name = lower.left(colon);
    const QStringList labels = name.split(QLatin1Char('.'));
    bool numeric = true;
    for (const QString &label : labels) {
        bool ok = false;
        label.toUInt(&ok);
        numeric = numeric && ok;
    }
    if (labels.size() < 3 || numeric)
        return lower;
    // The last two labels: en.wikipedia.org and en.m.wikipedia.org are both on "wikipedia.org".
    return labels.mid(labels.size() - 2).join(QLatin1Char('.')) + lower.mid(name.size());
}

QString EncyclopediaSetting()
{
    return LoadOption(QStringLiteral("Encyclopedia")).trimmed();
}

void SaveEncyclopediaSetting(const QString &value)
{
    SaveOption(QStringLiteral("Encyclopedia"), value.trimmed());
}

QString EncyclopediaChoiceText(const QString &setting)
{
    return setting.trimmed().isEmpty() ? QStringLiteral("built-in encyclopedia") : setting.trimmed();
}

} // namespace site

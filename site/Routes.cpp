#include "site/Routes.h"

#include "protocol/PageKinds.h"

#include <QElapsedTimer>
#include <QHash>
#include <QQueue>

std::optional<QStringList> ShortestRoute(const EncyclopediaSite &site, const QString &from, const QString &to,
                                         int maxArticles, int maxMs)
{
    const QString start = site.Find(from);
    const QString goal = site.Find(to);
    if (start.isEmpty() || goal.isEmpty() || !PageKind(goal).isEmpty())
        return QStringList();
    if (start == goal)
        return QStringList{start};
    QElapsedTimer clock;
    clock.start();
    // Breadth first: the first time the goal is reached, the route there is a shortest one.
    QHash<QString, QString> cameFrom{{start, QString()}};
    QQueue<QString> next;
    next.enqueue(start);
    while (!next.isEmpty()) {
        if (cameFrom.size() > maxArticles || clock.elapsed() > maxMs)
            return std::nullopt;
        const QString here = next.dequeue();
        for (const QString &link : site.Links(here)) {
            if (cameFrom.contains(link) || !PageKind(link).isEmpty())
                continue;
            cameFrom.insert(link, here);
            if (link == goal) {
                QStringList route{goal};
                for (QString at = here; !at.isEmpty(); at = cameFrom.value(at))
                    route.prepend(at);
                return route;
            }
            next.enqueue(link);
        }
    }
    return QStringList();
}

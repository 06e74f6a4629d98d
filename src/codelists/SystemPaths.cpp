#include "codelists/SystemPaths.h"

#include "db/Database.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace tamvel::systems {

ParentMap loadParents(Database &db)
{
    ParentMap parents;
    const Rows rows = db.query(QStringLiteral("SELECT system, system_nadrazeny FROM systemy"));
    parents.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        parents.insert(rows.at(i, 0).toString(), rows.at(i, 1).toString());
    return parents;
}

QString path(const QString &system, const ParentMap &parents)
{
    QStringList chain{system};
    QSet<QString> seen{system};
    QString current = system;
    for (;;) {
        const auto it = parents.constFind(current);
        if (it == parents.constEnd() || it->isEmpty() || seen.contains(*it))
            break;
        current = *it;
        seen.insert(current);
        chain << current;
    }
    std::reverse(chain.begin(), chain.end());
    return chain.join(QLatin1Char('/'));
}

} // namespace tamvel::systems

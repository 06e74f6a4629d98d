#include "codelists/SystemPaths.h"

#include "db/Database.h"
#include "db/RiskState.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace tamvel::systems {

namespace {

} // namespace

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

int pathLength(const QString &system, const ParentMap &parents)
{
    return int(path(system, parents).trimmed().size());
}

bool isTooLong(const QString &path)
{
    return path.trimmed().size() > MaxPathLength;
}

QStringList descendants(const QString &system, const ParentMap &parents)
{
    QHash<QString, QStringList> children;
    for (auto it = parents.constBegin(); it != parents.constEnd(); ++it)
        if (!it->isEmpty())
            children[*it] << it.key();
    QStringList result;
    QSet<QString> seen{system};
    for (qsizetype next = -1; next < result.size(); ++next) {
        const QString &parent = next < 0 ? system : result[next];
        QStringList below = children.value(parent);
        below.sort(); // the hash has no order of its own
        for (const QString &child : below) {
            if (seen.contains(child))
                continue;
            seen.insert(child);
            result << child;
        }
    }
    return result;
}

qint64 refreshOpenRiskPaths(Database &db, const QString &system)
{
    return refreshOpenRiskPaths(db, system, loadParents(db));
}

QString storedPath(const QString &system, const ParentMap &parents)
{
    return path(system, parents).trimmed().left(StoredPathSize);
}

qint64 refreshOpenRiskPaths(Database &db, const QString &system, const ParentMap &parents)
{
    return db.execute(QStringLiteral("UPDATE rizika SET cesta = ? WHERE system = ? AND ") +
                          OpenRiskCondition,
                      {storedPath(system, parents), system});
}

namespace {

// Runs update(system) for each distinct system of the risks matching the condition.
qint64 forEachRiskSystem(Database &db, const QString &condition,
                         const std::function<qint64(const QString &)> &update)
{
    qint64 changed = 0;
    inTransaction(db, [&] {
        const Rows systems = db.query(
            QStringLiteral("SELECT DISTINCT system FROM rizika WHERE system IS NOT NULL AND ") +
            condition);
        for (int i = 0; i < systems.size(); ++i)
            changed += update(systems.at(i, 0).toString());
    });
    return changed;
}

} // namespace

qint64 setAllRiskPaths(Database &db)
{
    const ParentMap parents = loadParents(db);
    return forEachRiskSystem(db, QStringLiteral("1"), [&](const QString &system) {
        return db.execute(QStringLiteral("UPDATE rizika SET cesta = ? WHERE system = ?"),
                          {storedPath(system, parents), system});
    });
}

qint64 refreshAllOpenRiskPaths(Database &db)
{
    const ParentMap parents = loadParents(db);
    return forEachRiskSystem(db, OpenRiskCondition, [&](const QString &system) {
        return refreshOpenRiskPaths(db, system, parents);
    });
}

qint64 refreshOpenRiskPathsOfBranch(Database &db, const QString &system)
{
    qint64 changed = 0;
    inTransaction(db, [&] {
        const ParentMap parents = loadParents(db);
        changed += refreshOpenRiskPaths(db, system, parents);
        for (const QString &below : descendants(system, parents))
            changed += refreshOpenRiskPaths(db, below, parents);
    });
    return changed;
}

std::optional<QString> firstTooLongPath(Database &db)
{
    const ParentMap parents = loadParents(db);
    const Rows rows =
        db.query(QStringLiteral("SELECT system FROM systemy ORDER BY system COLLATE CS"));
    for (int i = 0; i < rows.size(); ++i) {
        const QString system = rows.at(i, 0).toString();
        if (isTooLong(path(system, parents)))
            return system;
    }
    return std::nullopt;
}

} // namespace tamvel::systems

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamvel {

class Database;

namespace systems {

// The longest path a risk can store; a path of 60 or more characters is too long.
inline constexpr int MaxPathLength = 59;
// The size of `cesta` in `rizika`.
inline constexpr int StoredPathSize = 60;

// Each system's parent ("" for a root), as stored in `systemy`.
using ParentMap = QHash<QString, QString>;

ParentMap loadParents(Database &db);

// The names from the root down to the system, joined by "/". The walk up stops at an
// empty or unknown parent and at a cycle, so a damaged tree never hangs it.
QString path(const QString &system, const ParentMap &parents);
// The length of the trimmed path.
int pathLength(const QString &system, const ParentMap &parents);
// A path longer than the 59 characters the tree allows (the field holds 60).
bool isTooLong(const QString &path);

// Every system below the system, level by level, the system itself not included; a cycle
// never repeats a name.
QStringList descendants(const QString &system, const ParentMap &parents);

// The path as a risk stores it: trimmed, and cut to the field's size when too long (the
// path check then tells the user to shorten the tree).
QString storedPath(const QString &system, const ParentMap &parents);

// Sets `cesta` of the system's open risks to the system's path; closed risks keep theirs.
// Returns the number of risks changed.
qint64 refreshOpenRiskPaths(Database &db, const QString &system);
qint64 refreshOpenRiskPaths(Database &db, const QString &system, const ParentMap &parents);
// The same for the system and every system below it, in one transaction: a rename or a
// move changes the paths of the whole branch.
qint64 refreshOpenRiskPathsOfBranch(Database &db, const QString &system);

// Sets `cesta` of every risk, closed ones too, from the tree. For a register whose
// risks never had a path. Returns the number of risks changed.
qint64 setAllRiskPaths(Database &db);
// Refreshes the paths of the open risks of every system that has one.
qint64 refreshAllOpenRiskPaths(Database &db);

// The first system, in Czech order of names, whose path is too long; none when all fit.
std::optional<QString> firstTooLongPath(Database &db);

} // namespace systems
} // namespace tamvel

#pragma once

#include <QHash>
#include <QString>

namespace tamvel {

class Database;

namespace systems {

// The longest path a risk can store; a path of 60 or more characters is too long.
inline constexpr int MaxPathLength = 59;

// Each system's parent ("" for a root), as stored in `systemy`.
using ParentMap = QHash<QString, QString>;

ParentMap loadParents(Database &db);

// The names from the root down to the system, joined by "/". The walk up stops at an
// empty or unknown parent and at a cycle, so a damaged tree never hangs it.
QString path(const QString &system, const ParentMap &parents);

} // namespace systems
} // namespace tamvel

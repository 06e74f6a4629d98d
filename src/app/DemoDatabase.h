#pragma once

#include <QString>

namespace tamvel {

class Database;

namespace demo {

inline constexpr int DefaultRiskCount = 60;

// Fills a database that holds only the initial rows with a Czech example register: a
// three-level organisational tree with its staff, hazard catalogue, damaged objects,
// protective equipment, Fine–Kinney scales and levels with the active formula Z*P*F,
// regulations and requirements, and `riskCount` risks over all of these. The same count
// always gives the same database. Runs in one transaction.
void fill(Database &db, int riskCount = DefaultRiskCount);

// Writes a new demo database at path (refused when the file exists). Throws DbError.
void writeDemoDatabase(const QString &path, int riskCount = DefaultRiskCount);

} // namespace demo
} // namespace tamvel

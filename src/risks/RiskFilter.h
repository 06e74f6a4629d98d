#pragma once

#include "risks/RiskGrid.h"

#include <array>
#include <optional>

namespace tamvel {

class Messages;

namespace risks {

// One row of the filter window: brackets, a field by its overview caption, a comparison,
// a value as the user sees it, and the word joining it to the next row.
struct FilterRow
{
    int open = 0; // "(" in front, 0 to 3
    QString caption;
    QString comparison = QStringLiteral("=");
    QString value;
    int close = 0;                          // ")" behind, 0 to 3
    QString joiner = QStringLiteral("And"); // "And" or "Or"
};

// What the filter window holds between its openings.
struct FilterChoice
{
    std::array<FilterRow, 5> rows;
    bool onlyOpen = false;
    bool onlyClosed = false;
};

// What the overview keeps for the whole run.
struct OverviewState
{
    QString columnSet;
    RiskFilter filter = RiskFilter::openOnly();
    FilterChoice filterChoice;
    QString sortCaption;
    bool ascending = false; // the first view: newest risks first
    qint64 selectedId = 0;
};

// A value list entry for a missing value, and the mark of a system no longer in the tree.
inline const QString NotFilled = QStringLiteral("nevyplněno");
inline const QString Cancelled = QStringLiteral(" (zrušený)");

// The captions a filter row can compare: the overview's catalogue without "ID" and the level.
QStringList filterCaptions();
bool isDateCaption(const QString &caption);
bool isNumberCaption(const QString &caption);

// The distinct values of a field as the value list offers them.
QStringList filterValues(Database &db, const QString &caption);

// "Použít": the rows compiled into a condition with bound values (a value is never part
// of the SQL text), tried on the database. Nothing when the rows do not make a filter;
// the user has then been told.
std::optional<RiskFilter> compileFilter(Database &db, const FilterChoice &choice,
                                        Messages &messages);

} // namespace risks
} // namespace tamvel

#pragma once

// The steps every code-list check is made of: counts of what uses an entry, the cascade and
// the entry's own statement for the commit, and the refusals.

#include "codelists/CodeList.h"
#include "db/Database.h"
#include "db/RiskState.h"

namespace tamvel::codelists {

// Table and field names below come from the fixed member catalogue, never from the user.
inline qint64 countWhere(Database &db, const QString &table, const QString &condition,
                         const Values &values)
{
    return db.scalarInt(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, condition),
                        values);
}

inline qint64 countEqual(Database &db, const QString &table, const QString &field,
                         const QString &value)
{
    return countWhere(db, table, field + QStringLiteral(" = ?"), {value});
}

inline qint64 openRisksUsing(Database &db, const QString &riskField, const QString &value)
{
    return countWhere(db, QStringLiteral("rizika"),
                      riskField + QStringLiteral(" = ? AND ") + OpenRiskCondition, {value});
}

inline Statement renameInOpenRisks(const QString &riskField, const QString &from, const QString &to)
{
    return {QStringLiteral("UPDATE rizika SET %1 = ? WHERE %1 = ? AND %2")
                .arg(riskField, OpenRiskCondition),
            {to, from}};
}

inline SavePlan refused(const QString &title, const QString &text, int focus,
                        bool selectAll = false)
{
    SavePlan plan;
    plan.prompts << Prompt::refuse(title, text);
    plan.focus = focus;
    plan.selectAll = selectAll;
    return plan;
}

inline SavePlan closeUnchanged()
{
    SavePlan plan;
    plan.unchanged = true;
    return plan;
}

// The cascade and the entry's statement, after the questions that allow them.
inline SavePlan writes(QVector<Statement> cascade, Statement entry, QStringList activeKey,
                       QVector<Prompt> asked = {})
{
    SavePlan plan;
    plan.prompts = std::move(asked);
    plan.cascade = std::move(cascade);
    plan.entry = std::move(entry);
    plan.activeKey = std::move(activeKey);
    return plan;
}

} // namespace tamvel::codelists

#pragma once

// The steps every code-list save is made of: counts of what uses an entry, the cascade and
// the entry's own statement written in one transaction, and the outcomes for the editor.

#include "codelists/CodeList.h"
#include "core/Messages.h"
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

// A statement of a save, run in the save's transaction.
struct Statement
{
    QString sql;
    Values values;
};

inline Statement renameInOpenRisks(const QString &riskField, const QString &from, const QString &to)
{
    return {QStringLiteral("UPDATE rizika SET %1 = ? WHERE %1 = ? AND %2")
                .arg(riskField, OpenRiskCondition),
            {to, from}};
}

// The write-and-close step: the cascade and the entry's own statement in one transaction,
// kept only when the entry statement changed exactly one row.
inline SaveResult write(Database &db, Messages &messages, const QVector<Statement> &cascade,
                        const Statement &entry, const QStringList &activeKey)
{
    try {
        Transaction transaction(db);
        for (const Statement &statement : cascade)
            db.execute(statement.sql, statement.values);
        if (db.execute(entry.sql, entry.values) != 1) {
            showWriteError(messages, 0);
            return {true, -1, false, {}};
        }
        transaction.commit();
    } catch (const DbError &e) {
        // The common error trap: the editor stays open, nothing was kept.
        showEngineError(messages, e);
        return {};
    }
    return {true, -1, false, activeKey};
}

inline SaveResult stay(int focus, bool selectAll = false)
{
    return {false, focus, selectAll, {}};
}

inline SaveResult closeUnchanged()
{
    return {true, -1, false, {}};
}

} // namespace tamvel::codelists

#pragma once

#include "codelists/CodeList.h"
#include "core/Prompts.h"
#include "db/Database.h"

#include <QStringList>

#include <algorithm>

// What a code-list editor does with a save plan, without the window: the prompts answered by
// the scripted messages, then the commit, and whether the editor would close.
struct EditorOutcome
{
    bool close = false;
    int focus = -1;
    bool selectAll = false;
    bool changedMeanwhile = false; // the editor would ask whether to reload
    QStringList activeKey;
};

inline EditorOutcome runPlan(tamvel::Database &db, const tamvel::codelists::SavePlan &plan,
                             tamvel::Messages &messages)
{
    EditorOutcome stays;
    EditorOutcome closes;
    closes.close = true;
    switch (tamvel::showPrompts(messages, plan.prompts)) {
    case tamvel::PromptResult::Declined:
        return stays;
    case tamvel::PromptResult::Refused:
        stays.focus = plan.focus;
        stays.selectAll = plan.selectAll;
        return stays;
    case tamvel::PromptResult::Accepted:
        break;
    }
    if (plan.unchanged)
        return closes;
    try {
        if (!tamvel::codelists::commitSave(db, plan)) {
            tamvel::showWriteError(messages, 0);
            return closes;
        }
    } catch (const tamvel::ChangedMeanwhile &) {
        stays.changedMeanwhile = true;
        return stays;
    } catch (const tamvel::DbError &e) {
        tamvel::showEngineError(messages, e);
        return stays;
    }
    closes.activeKey = plan.activeKey;
    return closes;
}

// Every row of the tables as "table|value|value…", sorted: what a save left behind.
inline QStringList storedRows(tamvel::Database &db, std::initializer_list<const char *> tables)
{
    QStringList lines;
    for (const char *table : tables) {
        const tamvel::Rows rows =
            db.query(QStringLiteral("SELECT * FROM %1").arg(QString::fromUtf8(table)));
        for (int r = 0; r < rows.size(); ++r) {
            QStringList fields{QString::fromUtf8(table)};
            for (int c = 0; c < rows.columnCount(); ++c)
                fields << rows.at(r, c).toString();
            lines << fields.join(QLatin1Char('|'));
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

#pragma once

#include "codelists/CodeList.h"
#include "core/Prompts.h"
#include "db/Database.h"

// What a code-list editor does with a save plan, without the window: the prompts answered by
// the scripted messages, then the commit, and whether the editor would close.
struct EditorOutcome
{
    bool close = false;
    int focus = -1;
    bool selectAll = false;
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
    } catch (const tamvel::DbError &e) {
        tamvel::showEngineError(messages, e);
        return stays;
    }
    closes.activeKey = plan.activeKey;
    return closes;
}

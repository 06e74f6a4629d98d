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
    switch (tamvel::showPrompts(messages, plan.prompts)) {
    case tamvel::PromptResult::Declined:
        return {};
    case tamvel::PromptResult::Refused:
        return {false, plan.focus, plan.selectAll, {}};
    case tamvel::PromptResult::Accepted:
        break;
    }
    if (plan.unchanged)
        return {true};
    try {
        if (!tamvel::codelists::commitSave(db, plan)) {
            tamvel::showWriteError(messages, 0);
            return {true};
        }
    } catch (const tamvel::DbError &e) {
        tamvel::showEngineError(messages, e);
        return {};
    }
    return {true, -1, false, plan.activeKey};
}

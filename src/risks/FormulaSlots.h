#pragma once

#include "risks/Formula.h"
#include "risks/RiskValue.h"

#include <QString>

#include <array>

namespace tamvel {

class Database;
class Messages;

inline constexpr int FormulaSlotCount = 5;

// One slot of the formula editor: the text as typed and whether it is marked active.
struct FormulaSlot
{
    QString text;
    bool active = false;
};

using FormulaSlots = std::array<FormulaSlot, FormulaSlotCount>;

// The stored formulas in stored order, the k-th row in slot k; rows beyond the fifth are
// left out. Throws DbError.
FormulaSlots loadFormulaSlots(Database &db);

// What saving the slots came to.
struct SaveOutcome
{
    enum Status {
        Saved,
        CheckFailed,     // slot failed its check; nothing stored
        ActiveSlotEmpty, // the marked slot is empty; nothing stored
        EngineError,     // shown; nothing stored
    };
    Status status = Saved;
    int slot = 0; // the slot that failed its check, 1..5
    CheckFailure failure = CheckFailure::None;
    RecomputeResult recomputed; // when saved
};

// Checks slots 1..5 and stops at the first failure; refuses an empty marked slot; then in
// one transaction rewrites `algoritmy` from the slots (an empty slot or a text stored
// already gives no row) and recomputes the open risks. Every message is shown here; the
// recomputation's messages come after the commit.
SaveOutcome saveFormulas(Database &db, Messages &messages, const FormulaSlots &formulas);

} // namespace tamvel

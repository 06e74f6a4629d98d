#pragma once

#include "risks/Formula.h"
#include "risks/RiskValue.h"

#include <QString>
#include <QVector>

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

    bool operator==(const FormulaSlot &other) const
    {
        return text == other.text && active == other.active;
    }
    bool operator!=(const FormulaSlot &other) const { return !(*this == other); }
};

using FormulaSlots = std::array<FormulaSlot, FormulaSlotCount>;

// Every stored formula in stored order: what the editor loaded, for its save to compare
// with. Throws DbError.
QVector<FormulaSlot> loadFormulas(Database &db);
// The editor's slots: the k-th formula in slot k; those beyond the fifth are left out.
FormulaSlots formulaSlotsOf(const QVector<FormulaSlot> &formulas);

// What saving the slots came to.
struct SaveOutcome
{
    enum Status {
        Saved,
        CheckFailed,     // slot failed its check; nothing stored
        ActiveSlotEmpty, // the marked slot is empty; nothing stored
        EngineError,     // shown; nothing stored
        Conflict,        // `algoritmy` is no longer as loaded; nothing stored, nothing told
    };
    Status status = Saved;
    int slot = 0; // the slot that failed its check, 1..5
    CheckFailure failure = CheckFailure::None;
    RecomputeResult recomputed; // when saved
};

// Checks slots 1..5 and stops at the first failure; refuses an empty marked slot; then in
// one transaction rewrites `algoritmy` from the slots (an empty slot or a text stored
// already gives no row) and recomputes the open risks, while `algoritmy` still holds the
// `loaded` formulas. Every message but the conflict's is shown here; the recomputation's
// messages come after the commit.
SaveOutcome saveFormulas(Database &db, Messages &messages, const FormulaSlots &formulas,
                         const QVector<FormulaSlot> &loaded);

} // namespace tamvel

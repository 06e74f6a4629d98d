#pragma once

// The usual Fine–Kinney scales, levels and formula for a register that has no scales yet, so
// that risks can be rated at once.

#include <QString>

namespace tamvel {

class Database;
class Messages;

namespace risks {

inline const QString StarterFormula = QStringLiteral("Z*P*F");

// True while severity, probability and frequency all have no entry. Throws DbError.
bool scalesEmpty(Database &db);

struct StarterOutcome
{
    enum Status {
        Filled,
        ScalesNotEmpty, // a scale holds entries: nothing changed
        NoFormulaSlot,  // every formula slot is taken by another formula: nothing changed
    };
    Status status = Filled;
    int severities = 0, probabilities = 0, frequencies = 0;
    int levels = 0;         // levels added; 0 when the register had levels of its own
    int existingLevels = 0; // levels the register had, kept as they are
};

// Fills the three scales, the levels when there are none, and makes the formula Z*P*F the
// only active one, all in one transaction. Stored risk values are left as they are: they
// follow at their next save or recomputation. Throws DbError (and changes nothing).
StarterOutcome fillStarterValues(Database &db);

// The same, telling the user what was filled or why nothing was; false when nothing was.
bool fillStarterValues(Database &db, Messages &messages);

} // namespace risks
} // namespace tamvel

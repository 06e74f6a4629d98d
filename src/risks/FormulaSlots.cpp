#include "risks/FormulaSlots.h"

#include "core/Messages.h"
#include "db/Database.h"

#include <QStringList>

namespace tamvel {

QVector<FormulaSlot> loadFormulas(Database &db)
{
    QVector<FormulaSlot> formulas;
    // The table has no slot number: the order of insertion is the order of the slots.
    const Rows rows =
        db.query(QStringLiteral("SELECT algoritmus, aktivni FROM algoritmy ORDER BY rowid"));
    for (int i = 0; i < rows.size(); ++i)
        formulas.append({rows.at(i, 0).toString(), rows.at(i, 1).toDouble() == 1.0});
    return formulas;
}

FormulaSlots formulaSlotsOf(const QVector<FormulaSlot> &formulas)
{
    FormulaSlots result;
    for (int i = 0; i < FormulaSlotCount && i < formulas.size(); ++i)
        result[size_t(i)] = formulas[i];
    return result;
}

SaveOutcome saveFormulas(Database &db, Messages &messages, const FormulaSlots &formulas,
                         const QVector<FormulaSlot> &loaded)
{
    SaveOutcome outcome;
    for (int i = 0; i < FormulaSlotCount; ++i) {
        const CheckFailure failure = checkFormula(formulas[size_t(i)].text, i + 1, messages);
        if (failure != CheckFailure::None) {
            outcome.status = SaveOutcome::CheckFailed;
            outcome.slot = i + 1;
            outcome.failure = failure;
            return outcome;
        }
    }
    for (int i = 0; i < FormulaSlotCount; ++i) {
        if (formulas[size_t(i)].active && trimBlanks(formulas[size_t(i)].text).isEmpty()) {
            messages.warn(QStringLiteral("Algorimus"),
                          QStringLiteral("Není zvolen algoritmus výpočtu !!!"));
            outcome.status = SaveOutcome::ActiveSlotEmpty;
            outcome.slot = i + 1;
            return outcome;
        }
    }

    try {
        inTransaction(db, [&] {
            // Another copy may have saved its formulas since the editor loaded them.
            if (loadFormulas(db) != loaded)
                throw ChangedMeanwhile();
            db.execute(QStringLiteral("DELETE FROM algoritmy"));
            QStringList stored;
            for (const FormulaSlot &slot : formulas) {
                // The key would refuse an empty text or a repeated one; such a slot is
                // simply not stored.
                if (trimBlanks(slot.text).isEmpty() || stored.contains(slot.text))
                    continue;
                db.execute(
                    QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, ?)"),
                    {slot.text, slot.active ? 1.0 : 0.0});
                stored << slot.text;
            }
            outcome.recomputed = recomputeOpenRisksSilently(db);
        });
    } catch (const ChangedMeanwhile &) {
        outcome.status = SaveOutcome::Conflict;
        outcome.recomputed = RecomputeResult{};
        return outcome;
    } catch (const DbError &error) {
        outcome.status = SaveOutcome::EngineError;
        outcome.recomputed = RecomputeResult{};
        showEngineError(messages, error);
        return outcome;
    }
    showRecomputeMessages(messages, outcome.recomputed);
    return outcome;
}

} // namespace tamvel

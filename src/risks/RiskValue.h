#pragma once

#include "core/Prompts.h"
#include "risks/Formula.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace tamvel {

class Database;
class Messages;

// The text of the one row of `algoritmy` marked active; empty when no row or several rows
// are marked. Throws DbError.
QString loadActiveFormula(Database &db);

// The value of a risk from its three rating descriptions, as the risk editor computes it:
// each description looked up unchanged in its scale (a mismatch is told under "Nesoulad"
// and counts as 0; an empty frequency counts as 0 silently), then the active formula
// evaluated. No value when there is not exactly one active formula ("Nezvolen algoritmus
// výpočtu") or when the evaluation fails (nothing told). Throws DbError.
struct Evaluation
{
    std::optional<double> value;
    QVector<Prompt> notices;
};
Evaluation evaluateRatings(Database &db, const QString &severity, const QString &probability,
                           const QString &frequency);

// The three scales read once, for evaluating many risks.
class RatingScales
{
public:
    enum Scale { Severity, Probability, Frequency };

    static RatingScales load(Database &db);

    // The number of the description (stored tenths / 10); empty when no row or several
    // rows carry it.
    std::optional<double> number(Scale scale, const QString &description) const;

private:
    QHash<QString, double> m_numbers[3];
    QHash<QString, int> m_rowCounts[3]; // only descriptions found more than once
};

// What a recomputation did.
struct RecomputeResult
{
    bool noActiveFormula = false; // nothing was changed
    qint64 openRisks = 0;
    qint64 updated = 0;           // rows whose value changed
    QList<qint64> failedIds;      // evaluation failed: the old value kept
    QList<qint64> mismatchIds[3]; // by RatingScales::Scale: the description matched no row
};

// Rewrites `riziko` of every open risk with the active formula, in one transaction.
// Closed risks are never touched; a risk whose evaluation fails keeps its value. Lookup
// mismatches and failed risks are collected and shown afterwards, one message for each
// kind. Throws DbError (and changes nothing).
RecomputeResult recomputeOpenRisks(Database &db, Messages &messages);

// The two halves of recomputeOpenRisks, for a caller that recomputes inside its own
// transaction and shows the messages only after it has committed.
RecomputeResult recomputeOpenRisksSilently(Database &db);
void showRecomputeMessages(Messages &messages, const RecomputeResult &result);

} // namespace tamvel

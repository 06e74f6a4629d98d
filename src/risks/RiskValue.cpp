#include "risks/RiskValue.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "db/RiskState.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace tamvel {

namespace {

// Table, description field and number field of each scale, by RatingScales::Scale.
struct ScaleTable
{
    const char *table;
    const char *description;
    const char *number;
    const char *mismatch;
};

const ScaleTable Scales[3] = {
    {"zavaznost", "zavaznost_popis", "zavaznost", "Nesoulad mezi rizikem a číselníkem závažnosti"},
    {"pravdepodobnost", "pravdepodobnost_popis", "pravdepodobnost",
     "Nesoulad mezi rizikem a číselníkem pravděpodobnosti"},
    {"frekvence", "frekvence_popis", "frekvence", "Nesoulad mezi rizikem a číselníkem frekvence"},
};

const QString MismatchTitle = QStringLiteral("Nesoulad");
const QString NoFormulaTitle = QStringLiteral("Tamvel");
const QString NoFormula = QStringLiteral("Nezvolen algoritmus výpočtu");

// Scale values are stored in tenths.
double ratingNumber(const QVariant &stored)
{
    return stored.toDouble() / 10.0;
}

// The text of the one active formula; empty when there is none or more than one.
std::optional<QString> activeFormula(Database &db)
{
    const Rows rows =
        db.query(QStringLiteral("SELECT algoritmus FROM algoritmy WHERE aktivni = 1"));
    if (rows.size() != 1)
        return std::nullopt;
    return rows.at(0, 0).toString();
}

// "riziko 3" or "rizika 3, 7"; a long list is cut so that the message stays readable.
QString riskList(QList<qint64> ids)
{
    constexpr int Shown = 50;
    std::sort(ids.begin(), ids.end());
    QStringList numbers;
    for (int i = 0; i < ids.size() && i < Shown; ++i)
        numbers << QString::number(ids[i]);
    QString text = (ids.size() == 1 ? QStringLiteral("riziko ") : QStringLiteral("rizika ")) +
                   numbers.join(QStringLiteral(", "));
    if (ids.size() > Shown)
        text += QStringLiteral(" a dalších %1").arg(ids.size() - Shown);
    return text;
}

} // namespace

QString loadActiveFormula(Database &db)
{
    return activeFormula(db).value_or(QString());
}

Evaluation evaluateRatings(Database &db, const QString &severity, const QString &probability,
                           const QString &frequency)
{
    Evaluation result;
    const auto lookUp = [&](int scale, const QString &description) {
        const ScaleTable &t = Scales[scale];
        const Rows rows = db.query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                       .arg(QString::fromUtf8(t.number), QString::fromUtf8(t.table),
                                            QString::fromUtf8(t.description)),
                                   {description});
        if (rows.size() == 1)
            return ratingNumber(rows.at(0, 0));
        result.notices << Prompt::tell(MismatchTitle, QString::fromUtf8(t.mismatch));
        return 0.0;
    };
    Ratings ratings;
    ratings.z = lookUp(RatingScales::Severity, severity);
    ratings.p = lookUp(RatingScales::Probability, probability);
    if (!trimBlanks(frequency).isEmpty())
        ratings.f = lookUp(RatingScales::Frequency, frequency);

    const std::optional<QString> formula = activeFormula(db);
    if (!formula) {
        result.notices << Prompt::tell(NoFormulaTitle, NoFormula);
        return result;
    }
    result.value = Formula(*formula).evaluate(ratings);
    return result;
}

RatingScales RatingScales::load(Database &db)
{
    RatingScales scales;
    for (int scale = 0; scale < 3; ++scale) {
        const ScaleTable &t = Scales[scale];
        QHash<QString, double> &numbers = scales.m_numbers[scale];
        QHash<QString, int> &counts = scales.m_rowCounts[scale];
        db.forEach(QStringLiteral("SELECT %1, %2 FROM %3")
                       .arg(QString::fromUtf8(t.description), QString::fromUtf8(t.number),
                            QString::fromUtf8(t.table)),
                   {}, [&](const RowView &row) {
                       const QString description = row.value(0).toString();
                       if (numbers.contains(description))
                           counts[description] = counts.value(description, 1) + 1;
                       else
                           numbers.insert(description, ratingNumber(row.value(1)));
                   });
    }
    return scales;
}

std::optional<double> RatingScales::number(Scale scale, const QString &description) const
{
    const auto found = m_numbers[scale].constFind(description);
    if (found == m_numbers[scale].constEnd() || m_rowCounts[scale].contains(description))
        return std::nullopt;
    return *found;
}

RecomputeResult recomputeOpenRisksSilently(Database &db)
{
    RecomputeResult result;
    inTransaction(db, [&] {
        if (!db.exists(QStringLiteral("SELECT 1 FROM rizika WHERE ") + OpenRiskCondition))
            return;
        const std::optional<QString> text = activeFormula(db);
        if (!text) {
            result.noActiveFormula = true;
            return;
        }
        const Formula formula(*text);
        const RatingScales scales = RatingScales::load(db);

        // The rows cannot be written while they stream: collect the changed values first.
        std::vector<std::pair<qint64, double>> changed;
        db.forEach(
            QStringLiteral("SELECT id_riziko, zavaznost_popis, pravdepodobnost_popis, "
                           "frekvence_popis, riziko FROM rizika WHERE ") +
                OpenRiskCondition,
            {}, [&](const RowView &row) {
                ++result.openRisks;
                const qint64 id = row.value(0).toLongLong();
                const auto lookUp = [&](RatingScales::Scale scale, const QString &description) {
                    const std::optional<double> number = scales.number(scale, description);
                    if (!number)
                        result.mismatchIds[scale] << id;
                    return number.value_or(0.0);
                };
                Ratings ratings;
                ratings.z = lookUp(RatingScales::Severity, trimBlanks(row.value(1).toString()));
                ratings.p = lookUp(RatingScales::Probability, trimBlanks(row.value(2).toString()));
                const QString frequency = trimBlanks(row.value(3).toString());
                if (!frequency.isEmpty())
                    ratings.f = lookUp(RatingScales::Frequency, frequency);

                const std::optional<double> value = formula.evaluate(ratings);
                if (!value) {
                    result.failedIds << id;
                    return;
                }
                const QVariant old = row.value(4);
                if (!old.isValid() || old.toDouble() != *value)
                    changed.emplace_back(id, *value);
            });

        const QString update = QStringLiteral("UPDATE rizika SET riziko = ? WHERE id_riziko = ?");
        for (const auto &[id, value] : changed)
            result.updated += db.execute(update, {value, id});
    });
    return result;
}

void showRecomputeMessages(Messages &messages, const RecomputeResult &result)
{
    if (result.noActiveFormula) {
        messages.fail(NoFormulaTitle, NoFormula);
        return;
    }
    QStringList mismatches;
    for (int scale = 0; scale < 3; ++scale)
        if (!result.mismatchIds[scale].isEmpty())
            mismatches << QString::fromUtf8(Scales[scale].mismatch) + QStringLiteral(": ") +
                              riskList(result.mismatchIds[scale]);
    if (!mismatches.isEmpty())
        messages.fail(MismatchTitle, mismatches.join(QLatin1Char('\n')));
    if (!result.failedIds.isEmpty())
        messages.warn(QStringLiteral("Přepočet rizik"),
                      QStringLiteral("Hodnotu rizika nelze vypočítat (např. dělení nulou), "
                                     "ponechána původní hodnota: ") +
                          riskList(result.failedIds));
}

RecomputeResult recomputeOpenRisks(Database &db, Messages &messages)
{
    const RecomputeResult result = recomputeOpenRisksSilently(db);
    showRecomputeMessages(messages, result);
    return result;
}

} // namespace tamvel

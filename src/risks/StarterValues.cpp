#include "risks/StarterValues.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "risks/FormulaSlots.h"

#include <iterator>

namespace tamvel::risks {

namespace {

struct Entry
{
    const char *description;
    int tenths; // scales keep their numbers in tenths
};

const Entry Probabilities[] = {
    {"Téměř nemyslitelná", 1},
    {"Prakticky nemožná", 2},
    {"Myslitelná, ale velmi nepravděpodobná", 5},
    {"Málo pravděpodobná", 10},
    {"Neobvyklá, ale možná", 30},
    {"Zcela možná", 60},
    {"Lze očekávat", 100},
};
const Entry Frequencies[] = {
    {"Velmi zřídka", 5}, {"Několikrát ročně", 10}, {"Měsíčně", 20}, {"Týdně", 30},
    {"Denně", 60},       {"Nepřetržitě", 100},
};
const Entry Severities[] = {
    {"Drobné, první pomoc", 10},
    {"Vážné, pracovní neschopnost", 30},
    {"Velmi vážné, trvalé následky", 70},
    {"Jedna oběť", 150},
    {"Několik obětí", 400},
    {"Katastrofa, mnoho obětí", 1000},
};

// The usual Fine–Kinney bands. The lowest starts at 0 so that every value the scales can
// give, also one without a frequency (F counts as 0), falls in a band.
struct Level
{
    const char *name;
    int from;
};
const Level Levels[] = {
    {"Přijatelné", 0}, {"Možné", 20}, {"Značné", 70}, {"Vysoké", 200}, {"Velmi vysoké", 400},
};

const QString Title = QStringLiteral("Výchozí hodnoty Fine–Kinney");

template <size_t N> int fillScale(Database &db, const char *table, const Entry (&entries)[N])
{
    const QString sql = QStringLiteral("INSERT INTO %1 (%1_popis, %1) VALUES (?, ?)")
                            .arg(QString::fromLatin1(table));
    for (const Entry &e : entries)
        db.execute(sql, {QString::fromUtf8(e.description), e.tenths});
    return int(N);
}

} // namespace

bool scalesEmpty(Database &db)
{
    return !db.exists(QStringLiteral("SELECT 1 FROM zavaznost")) &&
           !db.exists(QStringLiteral("SELECT 1 FROM pravdepodobnost")) &&
           !db.exists(QStringLiteral("SELECT 1 FROM frekvence"));
}

StarterOutcome fillStarterValues(Database &db)
{
    StarterOutcome outcome;
    Transaction transaction(db);
    // Checked under the write lock: another copy may have filled a scale meanwhile.
    if (!scalesEmpty(db)) {
        outcome.status = StarterOutcome::ScalesNotEmpty;
        return outcome;
    }
    // The formula editor shows only the first slots; a formula beyond them would be lost at
    // its next save.
    const bool formulaStored =
        db.exists(QStringLiteral("SELECT 1 FROM algoritmy WHERE algoritmus = ?"), {StarterFormula});
    if (!formulaStored &&
        db.scalarInt(QStringLiteral("SELECT count(*) FROM algoritmy")) >= FormulaSlotCount) {
        outcome.status = StarterOutcome::NoFormulaSlot;
        return outcome;
    }

    outcome.probabilities = fillScale(db, "pravdepodobnost", Probabilities);
    outcome.frequencies = fillScale(db, "frekvence", Frequencies);
    outcome.severities = fillScale(db, "zavaznost", Severities);
    // Levels of the register's own are kept: bands mixed from two sets would mean nothing.
    outcome.existingLevels =
        int(db.scalarInt(QStringLiteral("SELECT count(*) FROM urovne_rizika")));
    if (outcome.existingLevels == 0) {
        for (const Level &level : Levels)
            db.execute(QStringLiteral("INSERT INTO urovne_rizika (limitni_uroven_rizika, "
                                      "riziko_od) VALUES (?, ?)"),
                       {QString::fromUtf8(level.name), level.from});
        outcome.levels = int(std::size(Levels));
    }
    if (!formulaStored)
        db.execute(QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, 1)"),
                   {StarterFormula});
    db.execute(QStringLiteral("UPDATE algoritmy SET aktivni = (algoritmus = ?)"), {StarterFormula});
    transaction.commit();
    return outcome;
}

bool fillStarterValues(Database &db, Messages &messages)
{
    StarterOutcome outcome;
    try {
        outcome = fillStarterValues(db);
    } catch (const DbError &e) {
        showEngineError(messages, e);
        return false;
    }
    switch (outcome.status) {
    case StarterOutcome::ScalesNotEmpty:
        messages.warn(Title, QStringLiteral("Výchozí hodnoty lze doplnit jen do prázdných "
                                            "číselníků závažnosti, pravděpodobnosti a frekvence. "
                                            "Nic nebylo změněno."));
        return false;
    case StarterOutcome::NoFormulaSlot:
        messages.warn(Title, QStringLiteral("Vzorec %1 nelze doplnit, všech %2 míst pro vzorce "
                                            "ve Výpočtu rizika je obsazeno. Uvolněte jedno a "
                                            "zkuste to znovu. Nic nebylo změněno.")
                                 .arg(StarterFormula)
                                 .arg(FormulaSlotCount));
        return false;
    case StarterOutcome::Filled:
        break;
    }
    QString text = QStringLiteral("Doplněno: %1 závažností, %2 pravděpodobností, %3 frekvencí")
                       .arg(outcome.severities)
                       .arg(outcome.probabilities)
                       .arg(outcome.frequencies);
    if (outcome.levels > 0)
        text += QStringLiteral(", %1 úrovní rizika").arg(outcome.levels);
    text += QStringLiteral(" a aktivní vzorec %1.").arg(StarterFormula);
    if (outcome.levels == 0)
        text += QStringLiteral("\nÚrovně rizika zůstaly beze změny (počet úrovní: %1).")
                    .arg(outcome.existingLevels);
    messages.inform(Title, text);
    return true;
}

} // namespace tamvel::risks

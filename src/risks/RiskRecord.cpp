#include "risks/RiskRecord.h"

#include "codelists/SystemPaths.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "risks/RiskValue.h"

#include <QLocale>

namespace tamvel::risks {

namespace {

const QString RiskFields = QStringLiteral(
    "system, pracovnik, nebezpeci_kategorie, nebezpeci_druh, nebezpeci_zdroj, "
    "poskozeni_cast_tela, poskozeni_charakter, bezpecnostni_opatreni, zavaznost_popis, "
    "pravdepodobnost_popis, frekvence_popis, riziko, napravna_opatreni, opatreni_zodpovida, "
    "opatreni_termin, opatreni_splneno, pozadavek_id, cil, cilova_hodnota, zdroje, "
    "program_zodpovida, program_termin, program_splneno, poznamky, legislativa");

QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

double numberOf(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t.isEmpty() ? 0.0 : t.toDouble();
}

// The values of RiskFields, in that order.
Values rowValues(const RiskRecord &r)
{
    return {r.system.trimmed(),
            r.worker.trimmed(),
            r.category.trimmed(),
            r.kind.trimmed(),
            r.source.trimmed(),
            r.damaged.trimmed(),
            r.character.trimmed(),
            r.measures.trimmed(),
            r.severity.trimmed(),
            r.probability.trimmed(),
            r.frequency.trimmed(),
            numberOf(r.value),
            r.corrective.trimmed(),
            r.correctiveResponsible.trimmed(),
            dateValue(r.correctiveDue),
            dateValue(r.correctiveDone),
            r.requirementId,
            r.goal.trimmed(),
            r.target.trimmed(),
            r.resources.trimmed(),
            r.programmeResponsible.trimmed(),
            dateValue(r.programmeDue),
            dateValue(r.programmeDone),
            r.notes.trimmed(),
            r.breach ? QStringLiteral("a") : QStringLiteral("n")};
}

struct Required
{
    QString RiskRecord::*field;
    RiskField focus;
    const char *title;
    const char *message;
};

const Required RequiredFields[] = {
    {&RiskRecord::system, RiskField::System, "Systém", "Pole Systém musí být zvoleno !"},
    {&RiskRecord::worker, RiskField::Worker, "Pracovník/činnost",
     "Pole Pracovník/činnost musí být zvoleno !"},
    {&RiskRecord::category, RiskField::Category, "Kategorie", "Pole Kategorie musí být zvoleno !"},
    {&RiskRecord::kind, RiskField::Kind, "Druh", "Pole Druh musí být zvoleno !"},
    {&RiskRecord::source, RiskField::Source, "Zdroj", "Pole Zdroj musí být vyplněno !"},
    {&RiskRecord::damaged, RiskField::Damaged, "Předmět poškození",
     "Pole Předmět poškození musí být zvoleno !"},
    {&RiskRecord::severity, RiskField::Severity, "Závažnost", "Pole Závažnost musí být zvoleno !"},
    {&RiskRecord::probability, RiskField::Probability, "Pravděpodobnost",
     "Pole Pravděpodobnost musí být zvoleno !"},
};

// The summary fields follow the risk's requirement and attachments.
const QString SummaryUpdate = QStringLiteral(
    "UPDATE rizika SET "
    "pozadavek = CASE WHEN coalesce(pozadavek_id, 0) <> 0 THEN 'ano' ELSE 'ne' END, "
    "dilci_ukoly = CASE WHEN EXISTS (SELECT 1 FROM dilci_ukoly d WHERE d.id_riziko = "
    "rizika.id_riziko) THEN 'ano' ELSE 'ne' END, "
    "oopp_poskytnute = CASE WHEN EXISTS (SELECT 1 FROM oop_rizika o WHERE o.id_riziko = "
    "rizika.id_riziko AND o.oop_poskytnuto = 'a') THEN 'ano' ELSE 'ne' END, "
    "oopp_chybejici = CASE WHEN EXISTS (SELECT 1 FROM oop_rizika o WHERE o.id_riziko = "
    "rizika.id_riziko AND o.oop_poskytnuto = 'n') THEN 'ano' ELSE 'ne' END");

} // namespace

void refreshSummaryFields(Database &db, qint64 id)
{
    db.execute(SummaryUpdate + QStringLiteral(" WHERE id_riziko = ?"), {id});
}

qint64 refreshAllSummaryFields(Database &db)
{
    return db.execute(SummaryUpdate);
}

QStringList RiskRecord::identity() const
{
    return {system.trimmed(), worker.trimmed(),  category.trimmed(), kind.trimmed(),
            source.trimmed(), damaged.trimmed(), character.trimmed()};
}

QStringList RiskRecord::fields() const
{
    QStringList result;
    for (const QVariant &value : rowValues(*this))
        result << (value.metaType().id() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                                                             : value.toString());
    return result;
}

QString valueText(double value)
{
    static const QLocale czech = [] {
        QLocale locale(QLocale::Czech, QLocale::CzechRepublic);
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale;
    }();
    return czech.toString(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<RiskRecord> loadRisk(Database &db, qint64 id)
{
    const Rows rows =
        db.query(QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko = ?").arg(RiskFields), {id});
    if (rows.isEmpty())
        return std::nullopt;
    const auto text = [&](int column) { return rows.at(0, column).toString().trimmed(); };
    const auto date = [&](int column) { return Database::toDate(rows.at(0, column)); };
    RiskRecord r;
    r.id = id;
    r.system = text(0);
    r.worker = text(1);
    r.category = text(2);
    r.kind = text(3);
    r.source = text(4);
    r.damaged = text(5);
    r.character = text(6);
    r.measures = text(7);
    r.severity = text(8);
    r.probability = text(9);
    r.frequency = text(10);
    r.value = rows.at(0, 11).isValid() ? valueText(rows.at(0, 11).toDouble()) : QString();
    r.corrective = text(12);
    r.correctiveResponsible = text(13);
    r.correctiveDue = date(14);
    r.correctiveDone = date(15);
    r.requirementId = rows.at(0, 16).toLongLong();
    r.goal = text(17);
    r.target = text(18);
    r.resources = text(19);
    r.programmeResponsible = text(20);
    r.programmeDue = date(21);
    r.programmeDone = date(22);
    r.notes = text(23);
    r.breach = text(24) == QStringLiteral("a");
    db.forEach(QStringLiteral("SELECT oop, oop_poskytnuto FROM oop_rizika WHERE id_riziko = ? "
                              "ORDER BY rowid"),
               {id}, [&](const RowView &row) {
                   r.equipment.append({row.value(0).toString(), row.value(1).toString()});
               });
    db.forEach(QStringLiteral("SELECT ukol, termin, zodpovida FROM dilci_ukoly WHERE id_riziko = "
                              "? ORDER BY rowid"),
               {id}, [&](const RowView &row) {
                   r.subTasks.append({row.value(0).toString(), Database::toDate(row.value(1)),
                                      row.value(2).toString()});
               });
    return r;
}

QString closingFormula(Database &db, qint64 id)
{
    return db.scalarText(QStringLiteral("SELECT algoritmus FROM rizika_uzavrene WHERE id_riziko "
                                        "= ?"),
                         {id});
}

QString computeValue(Database &db, Messages &messages, const RiskRecord &risk)
{
    if (risk.severity.trimmed().isEmpty()) {
        messages.fail(QStringLiteral("Závažnost"), QStringLiteral("Závažnost musí být zvolena"));
        return QString();
    }
    if (risk.probability.trimmed().isEmpty()) {
        messages.fail(QStringLiteral("Pravděpodobnost"),
                      QStringLiteral("Pravděpodobnost musí být zvolena"));
        return QString();
    }
    const std::optional<double> value =
        evaluateRatings(db, messages, risk.severity, risk.probability, risk.frequency);
    return value ? valueText(*value) : QString();
}

RiskSaveResult saveRisk(Database &db, RiskMode mode, const RiskRecord &opened, RiskRecord &now,
                        const QString &activeFormula, Messages &messages)
{
    RiskSaveResult result;
    if (mode == RiskMode::View)
        return result;
    if (mode != RiskMode::Delete) {
        for (const Required &required : RequiredFields) {
            if ((now.*required.field).trimmed().isEmpty()) {
                messages.warn(QString::fromUtf8(required.title),
                              QString::fromUtf8(required.message));
                result.focus = required.focus;
                return result;
            }
        }
        now.value = computeValue(db, messages, now);
        const bool closing = now.correctiveDone != opened.correctiveDone ||
                             now.programmeDone != opened.programmeDone;
        if (closing && !messages.ask(QStringLiteral("Uzavření rizika"),
                                     QStringLiteral("Vyplněním položky Splněno dojde k uzavření "
                                                    "rizika! Chcete pokračovat?")))
            return result;
        if (mode == RiskMode::New || now.identity() != opened.identity()) {
            const QStringList id = now.identity();
            const qint64 same = db.scalarInt(
                QStringLiteral("SELECT count(*) FROM rizika WHERE system = ? AND pracovnik = ? "
                               "AND nebezpeci_kategorie = ? AND nebezpeci_druh = ? AND "
                               "nebezpeci_zdroj = ? AND poskozeni_cast_tela = ? AND "
                               "poskozeni_charakter = ? AND opatreni_splneno IS ? AND "
                               "program_splneno IS ?"),
                {id[0], id[1], id[2], id[3], id[4], id[5], id[6], dateValue(now.correctiveDone),
                 dateValue(now.programmeDone)});
            if (same != 0) {
                messages.fail(QStringLiteral("Riziko"),
                              QStringLiteral("Toto riziko již existuje ! Změňte některou položku "
                                             "záložky Riziko."));
                result.focus = RiskField::System;
                return result;
            }
        }
        if (mode == RiskMode::Edit && now.fields() == opened.fields() &&
            now.equipment == opened.equipment && now.subTasks == opened.subTasks) {
            result.outcome = RiskSaveResult::Unchanged;
            return result;
        }
    }

    qint64 id = opened.id;
    try {
        Transaction transaction(db);
        if (mode == RiskMode::New) {
            id = db.scalarInt(QStringLiteral("SELECT coalesce(max(id_riziko), 0) + 1 FROM rizika"));
            Values values{id};
            values += rowValues(now);
            db.execute(QStringLiteral("INSERT INTO rizika (id_riziko, %1) VALUES (?%2)")
                           .arg(RiskFields, QStringLiteral(", ?").repeated(values.size() - 1)),
                       values);
        } else if (mode == RiskMode::Edit) {
            Values values = rowValues(now);
            values << id;
            const QString assignments =
                RiskFields.split(QStringLiteral(", ")).join(QStringLiteral(" = ?, ")) +
                QStringLiteral(" = ?");
            if (db.execute(
                    QStringLiteral("UPDATE rizika SET %1 WHERE id_riziko = ?").arg(assignments),
                    values) != 1)
                throw DbError(0, QStringLiteral("Riziko %1 již neexistuje.").arg(id));
        } else {
            db.execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = ?"), {id});
        }

        db.execute(QStringLiteral("DELETE FROM oop_rizika WHERE id_riziko = ?"), {id});
        db.execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE id_riziko = ?"), {id});
        if (mode != RiskMode::Delete) {
            QStringList stored;
            for (const EquipmentLine &line : std::as_const(now.equipment)) {
                const QString name = line.name.trimmed();
                if (name.isEmpty() || line.flag.isEmpty())
                    continue;
                // One row per risk and equipment: the first line wins, the user is told.
                if (stored.contains(name)) {
                    result.skippedEquipment << name;
                    continue;
                }
                stored << name;
                db.execute(QStringLiteral("INSERT INTO oop_rizika (id_riziko, oop, "
                                          "oop_poskytnuto) VALUES (?, ?, ?)"),
                           {id, name, line.flag});
            }
            for (const SubTask &task : std::as_const(now.subTasks)) {
                if (task.task.trimmed().isEmpty() || !task.deadline.isValid() ||
                    task.responsible.trimmed().isEmpty())
                    continue;
                db.execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, termin, ukol, "
                                          "zodpovida) VALUES (?, ?, ?, ?)"),
                           {id, task.deadline, task.task.trimmed(), task.responsible.trimmed()});
            }
            systems::refreshOpenRiskPaths(db, now.system.trimmed());
            refreshSummaryFields(db, id);
            if (now.correctiveDone != opened.correctiveDone ||
                now.programmeDone != opened.programmeDone) {
                db.execute(QStringLiteral("DELETE FROM rizika_uzavrene WHERE id_riziko = ?"), {id});
                db.execute(QStringLiteral("INSERT INTO rizika_uzavrene (id_riziko, algoritmus) "
                                          "VALUES (?, ?)"),
                           {id, activeFormula});
                result.closedNow = true;
            }
        }
        transaction.commit();
    } catch (const DbError &e) {
        messages.fail(QStringLiteral("Riziko"),
                      QStringLiteral("Riziko nebylo uloženo, nic se nezměnilo.\n") + e.describe());
        result.skippedEquipment.clear();
        result.closedNow = false;
        return result;
    }
    if (!result.skippedEquipment.isEmpty())
        messages.warn(QStringLiteral("OOPP"),
                      QStringLiteral("Tyto ochranné prostředky jsou uvedeny jako poskytnuté i "
                                     "chybějící; uložen byl jen první řádek: %1")
                          .arg(result.skippedEquipment.join(QStringLiteral(", "))));
    result.outcome = RiskSaveResult::Saved;
    result.id = id;
    return result;
}

} // namespace tamvel::risks

#include "risks/RiskRecord.h"

#include "codelists/SystemPaths.h"
#include "core/SingleValue.h"
#include "db/Database.h"
#include "risks/RiskFields.h"
#include "risks/RiskValue.h"

#include <QLocale>

namespace tamvel::risks {

namespace {

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

// The fields the editor loads and saves: all but the key and the summary fields.
const QVector<const RiskField *> &recordFields()
{
    static const QVector<const RiskField *> fields = [] {
        QVector<const RiskField *> list;
        for (const RiskField &f : riskFields())
            if (f.kind != FieldKind::Id && f.kind != FieldKind::Summary)
                list << &f;
        return list;
    }();
    return fields;
}

const QString &recordColumns()
{
    static const QString columns = [] {
        QStringList names;
        for (const RiskField *f : recordFields())
            names << f->column;
        return names.join(QStringLiteral(", "));
    }();
    return columns;
}

// The stored value of a field of the record, trimmed.
QVariant storedValue(const RiskRecord &r, const RiskField &f)
{
    switch (f.kind) {
    case FieldKind::Text:
        return (r.*f.text).trimmed();
    case FieldKind::Date:
        return dateValue(r.*f.date);
    case FieldKind::Value:
        return numberOf(r.value);
    case FieldKind::Breach:
        return r.breach ? QStringLiteral("a") : QStringLiteral("n");
    case FieldKind::Requirement:
        return r.requirementId;
    case FieldKind::Id:
    case FieldKind::Summary:
    case FieldKind::Level:
        break;
    }
    return QVariant();
}

// Counts the risks with the same identity and the same completion dates.
const QString &sameRiskQuery()
{
    static const QString sql = [] {
        QStringList conditions;
        for (const RiskField &f : riskFields())
            if (f.identity)
                conditions << f.column + QStringLiteral(" = ?");
        conditions << QStringLiteral("opatreni_splneno IS ?")
                   << QStringLiteral("program_splneno IS ?");
        return QStringLiteral("SELECT count(*) FROM rizika WHERE ") +
               conditions.join(QStringLiteral(" AND "));
    }();
    return sql;
}

// The values of recordColumns(), in that order.
Values rowValues(const RiskRecord &r)
{
    Values values;
    for (const RiskField *f : recordFields())
        values << storedValue(r, *f);
    return values;
}

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

// The risk and its attachments as the editor loaded them; the kept summary fields aside.
bool sameAsLoaded(const RiskRecord &stored, const RiskRecord &loaded)
{
    return stored.fields() == loaded.fields() && stored.equipment == loaded.equipment &&
           stored.subTasks == loaded.subTasks;
}

// Entering either completion date closes the risk.
bool closes(const RiskRecord &opened, const RiskRecord &now)
{
    return now.correctiveDone != opened.correctiveDone || now.programmeDone != opened.programmeDone;
}

qint64 insertRow(Database &db, const RiskRecord &risk)
{
    const qint64 id =
        db.scalarInt(QStringLiteral("SELECT coalesce(max(id_riziko), 0) + 1 FROM rizika"));
    Values values{id};
    values += rowValues(risk);
    db.execute(QStringLiteral("INSERT INTO rizika (id_riziko, %1) VALUES (?%2)")
                   .arg(recordColumns(), QStringLiteral(", ?").repeated(values.size() - 1)),
               values);
    return id;
}

void updateRow(Database &db, qint64 id, const RiskRecord &risk)
{
    Values values = rowValues(risk);
    values << id;
    const QString assignments =
        QString(recordColumns()).replace(QStringLiteral(", "), QStringLiteral(" = ?, ")) +
        QStringLiteral(" = ?");
    if (db.execute(QStringLiteral("UPDATE rizika SET %1 WHERE id_riziko = ?").arg(assignments),
                   values) != 1)
        throw DbError(0, QStringLiteral("Riziko %1 již neexistuje.").arg(id));
}

// Writes the equipment and the sub-tasks of the risk; returns the equipment left out
// because it was listed both as provided and as missing.
QStringList writeAttachments(Database &db, qint64 id, const RiskRecord &risk)
{
    QStringList stored, skipped;
    for (const EquipmentLine &line : risk.equipment) {
        const QString name = line.name.trimmed();
        if (name.isEmpty() || line.flag.isEmpty())
            continue;
        // One row per risk and equipment: the first line wins, the user is told.
        if (stored.contains(name)) {
            skipped << name;
            continue;
        }
        stored << name;
        db.execute(QStringLiteral("INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) "
                                  "VALUES (?, ?, ?)"),
                   {id, name, line.flag});
    }
    for (const SubTask &task : risk.subTasks) {
        if (task.task.trimmed().isEmpty() || !task.deadline.isValid() ||
            task.responsible.trimmed().isEmpty())
            continue;
        db.execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, termin, ukol, zodpovida) "
                                  "VALUES (?, ?, ?, ?)"),
                   {id, task.deadline, task.task.trimmed(), task.responsible.trimmed()});
    }
    return skipped;
}

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
    QStringList values;
    for (const RiskField &f : riskFields())
        if (f.identity)
            values << (this->*f.text).trimmed();
    return values;
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
    // A value stored with binary noise by an older version reads as the Single it stands for.
    return czech.toString(asSingle(value).value_or(value), 'f', QLocale::FloatingPointShortest);
}

std::optional<RiskRecord> loadRisk(Database &db, qint64 id)
{
    const Rows rows = db.query(
        QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko = ?").arg(recordColumns()), {id});
    if (rows.isEmpty())
        return std::nullopt;
    RiskRecord r;
    r.id = id;
    for (const RiskField *f : recordFields()) {
        const QVariant stored = rows.value(0, f->column);
        switch (f->kind) {
        case FieldKind::Text:
            r.*f->text = stored.toString().trimmed();
            break;
        case FieldKind::Date:
            r.*f->date = Database::toDate(stored);
            break;
        case FieldKind::Value:
            r.value = stored.isValid() ? valueText(stored.toDouble()) : QString();
            break;
        case FieldKind::Breach:
            r.breach = stored.toString().trimmed() == QStringLiteral("a");
            break;
        case FieldKind::Requirement:
            r.requirementId = stored.toLongLong();
            break;
        case FieldKind::Id:
        case FieldKind::Summary:
        case FieldKind::Level:
            break;
        }
    }
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

ComputedValue computeValue(Database &db, const RiskRecord &risk)
{
    if (risk.severity.trimmed().isEmpty())
        return {QString(),
                {Prompt::tell(QStringLiteral("Závažnost"),
                              QStringLiteral("Závažnost musí být zvolena"))}};
    if (risk.probability.trimmed().isEmpty())
        return {QString(),
                {Prompt::tell(QStringLiteral("Pravděpodobnost"),
                              QStringLiteral("Pravděpodobnost musí být zvolena"))}};
    const Evaluation evaluation =
        evaluateRatings(db, risk.severity, risk.probability, risk.frequency);
    return {evaluation.value ? valueText(*evaluation.value) : QString(), evaluation.notices};
}

RiskSaveCheck checkRiskSave(Database &db, EditMode mode, const RiskRecord &opened,
                            const RiskRecord &now)
{
    RiskSaveCheck check;
    check.risk = now;
    if (mode == EditMode::View) {
        check.unchanged = true;
        return check;
    }
    if (mode == EditMode::Delete)
        return check;
    for (const RiskField &f : riskFields()) {
        if (!f.requiredText.isEmpty() && (now.*f.text).trimmed().isEmpty()) {
            check.prompts << Prompt::refuse(f.requiredTitle, f.requiredText);
            check.focus = f.column;
            return check;
        }
    }
    const ComputedValue computed = computeValue(db, now);
    check.risk.value = computed.value;
    check.prompts += computed.notices;
    if (closes(opened, now))
        check.prompts << Prompt::ask(QStringLiteral("Uzavření rizika"),
                                     QStringLiteral("Vyplněním položky Splněno dojde k uzavření "
                                                    "rizika! Chcete pokračovat?"));
    const bool adding = mode == EditMode::New || mode == EditMode::Copy;
    if (adding || now.identity() != opened.identity()) {
        Values values;
        for (const QString &value : now.identity())
            values << value;
        values << dateValue(now.correctiveDone) << dateValue(now.programmeDone);
        if (db.scalarInt(sameRiskQuery(), values) != 0) {
            check.prompts << Prompt::refuse(QStringLiteral("Riziko"),
                                            QStringLiteral("Toto riziko již existuje ! Změňte "
                                                           "některou položku záložky Riziko."),
                                            Messages::Tone::Critical);
            check.focus = QStringLiteral("system");
            return check;
        }
    }
    check.unchanged = mode == EditMode::Edit && check.risk.fields() == opened.fields() &&
                      now.equipment == opened.equipment && now.subTasks == opened.subTasks;
    return check;
}

RiskCommit commitRiskSave(Database &db, EditMode mode, const RiskRecord &opened,
                          const RiskRecord &risk)
{
    RiskCommit result;
    result.id = opened.id;
    Transaction transaction(db);
    // Another copy may have changed or deleted the risk since the editor loaded it, or
    // cleared the register and given its number to a new risk: nothing is written then.
    if (mode == EditMode::Edit || mode == EditMode::Delete) {
        const std::optional<RiskRecord> stored = loadRisk(db, opened.id);
        if (!stored || !sameAsLoaded(*stored, opened))
            throw ChangedMeanwhile();
    }
    switch (mode) {
    case EditMode::New:
    case EditMode::Copy:
        result.id = insertRow(db, risk);
        break;
    case EditMode::Edit:
        updateRow(db, result.id, risk);
        break;
    case EditMode::Delete:
        db.execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = ?"), {result.id});
        break;
    case EditMode::View:
    case EditMode::ViewFromOverview:
        return result;
    }
    db.execute(QStringLiteral("DELETE FROM oop_rizika WHERE id_riziko = ?"), {result.id});
    db.execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE id_riziko = ?"), {result.id});
    if (mode != EditMode::Delete) {
        result.skippedEquipment = writeAttachments(db, result.id, risk);
        systems::refreshOpenRiskPaths(db, risk.system.trimmed());
        refreshSummaryFields(db, result.id);
        if (closes(opened, risk)) {
            db.execute(QStringLiteral("DELETE FROM rizika_uzavrene WHERE id_riziko = ?"),
                       {result.id});
            db.execute(QStringLiteral("INSERT INTO rizika_uzavrene (id_riziko, algoritmus) "
                                      "VALUES (?, ?)"),
                       {result.id, loadActiveFormula(db)});
            result.closedNow = true;
        }
    }
    transaction.commit();
    return result;
}

Prompt skippedEquipmentNotice(const QStringList &names)
{
    return Prompt::tell(QStringLiteral("OOPP"),
                        QStringLiteral("Tyto ochranné prostředky jsou uvedeny jako poskytnuté i "
                                       "chybějící; uložen byl jen první řádek: %1")
                            .arg(names.join(QStringLiteral(", "))),
                        Messages::Tone::Warning);
}

} // namespace tamvel::risks

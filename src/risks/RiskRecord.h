#pragma once

#include "core/EditMode.h"
#include "core/Prompts.h"
#include "risks/Attachments.h"

#include "db/RiskState.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tamvel {

class Database;

namespace risks {

// One risk as its editor shows it, with the attachments kept in memory until saving.
struct RiskRecord
{
    qint64 id = 0;
    // page "Riziko"
    QString system;
    QString worker;
    QString category;
    QString kind;
    QString source;
    QString damaged;
    QString character;
    // pages "Přijatá opatření" and "Hodnocení"
    QString measures;
    QString severity;
    QString probability;
    QString frequency;
    QString value; // as shown, with a decimal comma; empty counts as 0
    bool breach = false;
    // page "Nápravná opatření"
    QString corrective;
    QString correctiveResponsible;
    QDate correctiveDue;
    QDate correctiveDone;
    // page "Požadavky "
    qint64 requirementId = 0;
    // page "Programy"
    QString goal;
    QString target;
    QString resources;
    QString programmeResponsible;
    QDate programmeDue;
    QDate programmeDone;
    // page "Poznámky"
    QString notes;

    QVector<EquipmentLine> equipment;
    QVector<SubTask> subTasks;

    // Either completion date closes the risk.
    bool closed() const { return isClosedRisk(correctiveDone, programmeDone); }
    // The seven fields that make a risk what it is.
    QStringList identity() const;
    // Every field the editor saves, trimmed, attachments aside.
    QStringList fields() const;
};

std::optional<RiskRecord> loadRisk(Database &db, qint64 id);
// The formula that was active when the risk was closed.
QString closingFormula(Database &db, qint64 id);

// Sets the "ano"/"ne" summary fields (requirement, sub-tasks, provided and missing
// equipment) from the risk's requirement and attachments: of one risk, or of every risk.
void refreshSummaryFields(Database &db, qint64 id);
qint64 refreshAllSummaryFields(Database &db);

// The risk value as every window shows it: the shortest decimal of its Single, decimal comma,
// no grouping.
QString valueText(double value);

// "Vypočítat": the active formula over the three ratings. The value is empty when it cannot
// be computed; the notices say why.
struct ComputedValue
{
    QString value;
    QVector<Prompt> notices;
};
ComputedValue computeValue(Database &db, const RiskRecord &risk);

// What a save of the editor needs before it writes, decided without asking anybody.
struct RiskSaveCheck
{
    QVector<Prompt> prompts; // in the order the user meets them; a refusal comes last
    QString focus;           // the column of the field to show after a refusal; empty: none
    bool unchanged = false;  // nothing to write: the editor just closes
    RiskRecord risk;         // what the commit writes: the editor's risk with its value
};

// The checks of the editor's main button, in their order: the required fields, the value
// computed with the active formula, the question about closing, a duplicate refused.
RiskSaveCheck checkRiskSave(Database &db, EditMode mode, const RiskRecord &opened,
                            const RiskRecord &now);

struct RiskCommit
{
    qint64 id = 0;
    bool closedNow = false;       // a completion date was entered: ask about an open copy
    QStringList skippedEquipment; // listed both as provided and as missing: the first kept
};

// Writes the checked risk (New, Copy and Edit) or deletes the opened one, in one transaction:
// the row, its attachments, the path, the summary fields and the closing record with the
// formula active at that moment (read inside the transaction: formulas saved elsewhere since
// the editor opened count). An edit or a delete writes only while the stored risk is still as
// `opened` (ChangedMeanwhile). A failure throws DbError and leaves everything as it was.
RiskCommit commitRiskSave(Database &db, EditMode mode, const RiskRecord &opened,
                          const RiskRecord &risk);
// Tells which equipment was left out by the commit.
Prompt skippedEquipmentNotice(const QStringList &names);

} // namespace risks
} // namespace tamvel

#pragma once

#include "core/EditMode.h"
#include "risks/Attachments.h"

#include "db/RiskState.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tamvel {

class Database;
class Messages;

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

// The risk value as the editor shows it: the user's number format, decimal comma.
QString valueText(double value);

struct RiskSaveResult
{
    enum Outcome { Refused, Unchanged, Saved };
    Outcome outcome = Refused;
    QString focus; // the column of the field to show after a refusal; empty: none
    qint64 id = 0;
    bool closedNow = false;       // a completion date was entered: ask about an open copy
    QStringList skippedEquipment; // equipment listed both as provided and as missing
};

// "Vypočítat": the active formula over the three ratings; empty when it cannot be computed.
QString computeValue(Database &db, Messages &messages, const RiskRecord &risk);

// The editor's main button. `now` gets the computed value. The row, its attachments, the
// path, the summary fields and the closing record are written in one transaction: a failure
// leaves everything as it was and is reported.
RiskSaveResult saveRisk(Database &db, EditMode mode, const RiskRecord &opened, RiskRecord &now,
                        const QString &activeFormula, Messages &messages);

} // namespace risks
} // namespace tamvel

#pragma once

#include "risks/RiskRecord.h"

#include <QString>
#include <QVector>

namespace tamvel {

namespace schema {
struct Field;
}

namespace risks {

// How a field of `rizika` is held and shown.
enum class FieldKind {
    Id,          // id_riziko
    Text,        // a text of the record
    Date,        // a date of the record, shown "dd.mm.yyyy"
    Value,       // riziko: the computed value, shown with a decimal comma
    Breach,      // legislativa: "a" or "n", shown "ano" or "ne"
    Requirement, // pozadavek_id: shown as the requirement's text
    Summary,     // kept by the program from the attachments and the tree; never edited
    Level,       // the overview's risk level: the band of urovne_rizika of riziko; no field
};

// One field of the risk: its column, the record member it maps to and the captions of the
// places that show it. riskFields() lists each field once; the record's load and save, the
// overview with its column sets and filter, the export and the sub-task overview all take
// their fields from there.
struct RiskField
{
    QString column;
    FieldKind kind = FieldKind::Text;
    QString RiskRecord::*text = nullptr; // Text
    QDate RiskRecord::*date = nullptr;   // Date
    bool identity = false;               // one of the seven that tell two risks apart

    // The overview's catalogue: position from 1, caption and default width in twips.
    int overviewPosition = 0; // 0: not in the overview
    QString overviewCaption;
    int overviewWidth = 0;

    // The export: the risk sheet's header, the form's label and its check box.
    QString sheetHeader; // empty: not exported
    QString formLabel;   // empty: not on the form
    QString formBoxName;
    QString formBoxCaption;

    // The box of the sub-task overview that shows the highlighted task's risk.
    QString detailBoxName; // empty: not shown there
    QString detailBoxCaption;

    // The editor's refusal when the field is left empty.
    QString requiredTitle; // empty: the field may stay empty
    QString requiredText;

    // The field as the schema catalogue defines it (type, size).
    const schema::Field &definition() const;
};

// Every field of the current `rizika`, in the order of the editor's pages: the order of the
// export and of the record's statements. The summary fields come last.
const QVector<RiskField> &riskFields();
// The field of a column; nullptr for a column `rizika` does not have.
const RiskField *riskField(const QString &column);
// The overview's catalogue of 31 columns, in its own order: the fields that have a place
// there and, after "Riziko", the risk level (LevelColumn, not a field of `rizika`).
inline const QString LevelColumn = QStringLiteral("uroven_rizika");
const QVector<const RiskField *> &overviewFields();
// The overview's field of a caption (trimmed); nullptr for an unknown caption.
const RiskField *overviewField(const QString &caption);

} // namespace risks
} // namespace tamvel

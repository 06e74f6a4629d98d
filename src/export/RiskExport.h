#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace tamvel {

class Database;

namespace exports {

struct RiskExportOptions
{
    bool formatted = true;
    // formatted form: the chosen fields by column (those with a form label, in any order:
    // the form keeps the order of riskFields()) and the sub-tables below each risk
    QString title;
    QStringList fields;
    bool formRegulations = false;
    bool formEquipment = false;
    bool formSubTasks = false;
    // unformatted sheets
    bool risks = true;
    bool subTasks = false;
    bool equipment = false;
    bool regulations = false;
};

// Reports a step; returning false cancels the export.
using ExportProgress = std::function<bool(const QString &text, int current, int count)>;

struct ExportResult
{
    enum Outcome { Written, Cancelled, Failed };
    Outcome outcome = Failed;
    QString error; // the reason of Failed
};

// Thrown by a workbook's filling to stop it: nothing is written.
struct ExportCancelled
{
};

class Workbook;

// Writes a workbook filled by fill() into a temporary file beside path and moves it into
// place only when it is complete: a cancel (ExportCancelled) or a failure leaves no file
// and keeps an older one.
ExportResult writeWorkbook(const QString &path, const std::function<void(Workbook &)> &fill);

// The sheet names of the unformatted export.
inline const QString RisksSheet = QStringLiteral("rizika ");
inline const QString SubTasksSheet = QStringLiteral("dílčí úkoly");
inline const QString EquipmentSheet = QStringLiteral("OOPP");
inline const QString RegulationsSheet = QStringLiteral("Predpisy");
inline const QString FormattedSheet = QStringLiteral("Rizika");

// Writes the listed risks, in the list's order, into a new workbook at `path`. The workbook
// is written beside it under a temporary name and renamed into place at the end, so a
// failure or a cancel leaves any earlier file at `path` untouched and no partial workbook.
ExportResult writeRiskExport(Database &db, const QVector<qint64> &ids,
                             const RiskExportOptions &options, const QString &path,
                             const ExportProgress &progress = {});

// The folder of the user's last export; empty when none is remembered.
QString rememberedExportFolder(Database &db, const QString &user);
// Replaces the remembered folder in one transaction.
void rememberExportFolder(Database &db, const QString &user, const QString &folder);

// Cell helpers shared with the other workbook exports.
QString yesNo(const QString &flag);      // "a" → "ano", anything else "ne"
QString dateText(const QVariant &value); // stored date → "dd.mm.yyyy", else empty

} // namespace exports
} // namespace tamvel

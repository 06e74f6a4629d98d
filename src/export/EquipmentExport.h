#pragma once

#include "export/RiskExport.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

namespace tamvel {

class Database;

namespace exports {

// The default name and the only sheet of the protective equipment list.
inline const QString EquipmentFileName = QStringLiteral("OOPP.xlsx");
inline const QString EquipmentListSheet = QStringLiteral("OOPP");

// Who the list is for: the chosen workers, in list order, and when they came through
// systems, the systems and each worker's risks in them.
struct EquipmentChoice
{
    bool throughSystems = false;
    QStringList systems;                     // the systems line; systems route only
    QStringList workers;                     // one row each, in this order
    QHash<QString, QVector<qint64>> risksOf; // systems route: worker → risks in the systems
};

// Every worker/activity of the code list, in stored order.
QStringList equipmentWorkers(Database &db);

// The systems route: the workers named by the risks of the systems, each once in order of
// reading, with their risks in those systems (open and closed alike).
EquipmentChoice workersOfSystems(Database &db, const QStringList &systems);

// Equipment names, each once, in order of reading.
struct WorkerEquipment
{
    QStringList provided; // "a"
    QStringList missing;  // "n"
};

// All risks of the worker.
WorkerEquipment equipmentOfWorker(Database &db, const QString &worker);
// Only the given risks.
WorkerEquipment equipmentOfRisks(Database &db, const QVector<qint64> &ids);

// How the names share one cell.
QString equipmentCell(const QStringList &names);

// Writes sheet "OOPP" with one row per chosen worker into a new workbook at `path`, through
// a temporary file renamed into place; a cancel or a failure leaves no new file.
ExportResult writeEquipmentExport(Database &db, const EquipmentChoice &choice, const QString &path,
                                  const ExportProgress &progress = {});

} // namespace exports
} // namespace tamvel

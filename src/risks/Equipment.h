#pragma once

#include "risks/Attachments.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tamvel {

class Database;

namespace risks {

// The names of `all` (kept in their order) that are not yet a line of `lines` with `flag`.
QStringList equipmentNotListed(const QStringList &all, const QVector<EquipmentLine> &lines,
                               const QString &flag);

// What the equipment chooser offers: the code list `oop` in Czech order, without the
// equipment already listed with `flag`. Throws DbError.
QStringList offeredEquipment(Database &db, const QVector<EquipmentLine> &lines,
                             const QString &flag);

// The capacity of the risk editor's equipment list.
inline constexpr int MaxEquipmentLines = 1000;

// Appends a line with `flag` for every name not yet listed with it, up to the capacity;
// returns how many were added.
int addEquipment(QVector<EquipmentLine> &lines, const QStringList &names, const QString &flag);

} // namespace risks
} // namespace tamvel

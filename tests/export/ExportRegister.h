#pragma once

#include "app/DemoDatabase.h"
#include "codelists/Requirements.h"
#include "db/Database.h"

#include <QTemporaryDir>

#include <memory>

// A small demo register whose first exported risk carries known values: breach "a", a due
// date, a requirement with regulations, two sub-tasks and two pieces of equipment.
struct ExportRegister
{
    QTemporaryDir dir;
    std::unique_ptr<tamvel::Database> db;
    QVector<qint64> ids; // the export list, not in ID order
    qint64 first = 0;
    qint64 requirement = 0;
    QString requirementText;

    explicit ExportRegister(int riskCount = 6)
    {
        const QString path = dir.filePath(QStringLiteral("demo.mdb"));
        tamvel::demo::writeDemoDatabase(path, riskCount);
        db = tamvel::Database::open(path);
        db->forEach(QStringLiteral("SELECT id_riziko FROM rizika ORDER BY id_riziko DESC"), {},
                    [&](const tamvel::RowView &row) { ids << row.value(0).toLongLong(); });
        first = ids.first();
        requirement = db->scalarInt(QStringLiteral(
            "SELECT pozadavek_id FROM pozadavky_predpisy ORDER BY pozadavek_id LIMIT 1"));
        requirementText = tamvel::codelists::requirementText(
            tamvel::codelists::loadRequirement(*db, requirement)->parts);
        db->execute(QStringLiteral("UPDATE rizika SET legislativa = 'a', riziko = 12.5, "
                                   "opatreni_termin = ?, pozadavek_id = ?, poznamky = NULL "
                                   "WHERE id_riziko = ?"),
                    {QDate(2024, 3, 5), requirement, first});
        db->execute(QStringLiteral("UPDATE rizika SET legislativa = 'n' WHERE id_riziko = ?"),
                    {ids[1]});
        db->execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE id_riziko = ?"), {first});
        db->execute(QStringLiteral("DELETE FROM oop_rizika WHERE id_riziko = ?"), {first});
        db->execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, termin, zodpovida, ukol) "
                                   "VALUES (?, '2024-06-01', 'Novák', 'Druhý úkol'), "
                                   "(?, '2024-01-15', 'Dvořák', 'První úkol')"),
                    {first, first});
        db->execute(QStringLiteral("INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) "
                                   "VALUES (?, 'Rukavice', 'a'), (?, 'Brýle', 'n')"),
                    {first, first});
    }
};

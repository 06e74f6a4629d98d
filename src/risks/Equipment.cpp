#include "risks/Equipment.h"

#include "db/Database.h"

#include <QSet>

namespace tamvel::risks {

namespace {

QSet<QString> listedWith(const QVector<EquipmentLine> &lines, const QString &flag)
{
    QSet<QString> names;
    for (const EquipmentLine &line : lines)
        if (line.flag == flag)
            names.insert(line.name.trimmed());
    return names;
}

} // namespace

QStringList equipmentNotListed(const QStringList &all, const QVector<EquipmentLine> &lines,
                               const QString &flag)
{
    const QSet<QString> listed = listedWith(lines, flag);
    QStringList offered;
    for (const QString &name : all)
        if (!listed.contains(name.trimmed()))
            offered << name;
    return offered;
}

QStringList offeredEquipment(Database &db, const QVector<EquipmentLine> &lines, const QString &flag)
{
    QStringList all;
    db.forEach(QStringLiteral("SELECT oop FROM oop ORDER BY oop COLLATE CS"), {},
               [&](const RowView &row) { all << row.value(0).toString(); });
    return equipmentNotListed(all, lines, flag);
}

int addEquipment(QVector<EquipmentLine> &lines, const QStringList &names, const QString &flag)
{
    QSet<QString> listed = listedWith(lines, flag);
    int added = 0;
    for (const QString &name : names) {
        const QString trimmed = name.trimmed();
        if (trimmed.isEmpty() || listed.contains(trimmed))
            continue;
        // The editor stores the first lines only; more would be lost silently.
        if (lines.size() >= MaxEquipmentLines)
            break;
        lines.append(EquipmentLine{name, flag});
        listed.insert(trimmed);
        ++added;
    }
    return added;
}

} // namespace tamvel::risks

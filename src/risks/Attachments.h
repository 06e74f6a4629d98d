#pragma once

#include <QDate>
#include <QString>
#include <QVector>

namespace tamvel::risks {

// A sub-task of a risk, as the risk editor keeps it until the risk is saved.
struct SubTask
{
    QString task;
    QDate deadline;
    QString responsible;

    bool operator==(const SubTask &other) const
    {
        return task.trimmed() == other.task.trimmed() && deadline == other.deadline &&
               responsible.trimmed() == other.responsible.trimmed();
    }
};

// A line of the risk's protective equipment: provided ("a") or missing ("n").
struct EquipmentLine
{
    QString name;
    QString flag;

    bool operator==(const EquipmentLine &other) const
    {
        return name.trimmed() == other.name.trimmed() && flag == other.flag;
    }
};

inline const QString Provided = QStringLiteral("a");
inline const QString Missing = QStringLiteral("n");

} // namespace tamvel::risks

#include "risks/RiskGrid.h"

#include "db/RiskState.h"

#include "risks/RiskFields.h"

#include <QHash>

namespace tamvel::risks {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

enum class Shown { Text, Id, Number, Date, Breach };

Shown shownAs(const QString &column)
{
    const RiskField *f = riskField(column);
    switch (f ? f->kind : FieldKind::Text) {
    case FieldKind::Id:
        return Shown::Id;
    case FieldKind::Value:
        return Shown::Number;
    case FieldKind::Breach:
        return Shown::Breach;
    case FieldKind::Date:
        return Shown::Date;
    case FieldKind::Text:
    case FieldKind::Requirement:
    case FieldKind::Summary:
        break;
    }
    return Shown::Text;
}

QString shown(const QVariant &value, Shown how)
{
    switch (how) {
    case Shown::Breach:
        return value.toString() == QStringLiteral("a") ? s("ano") : s("ne");
    case Shown::Id:
        return value.isValid() ? QString::number(value.toLongLong()) : QString();
    case Shown::Number:
        return value.isValid() ? valueText(value.toDouble()) : QString();
    case Shown::Date: {
        const QDate date = Database::toDate(value);
        return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    }
    case Shown::Text:
        break;
    }
    return value.toString().trimmed();
}

} // namespace

QString fieldOfCaption(const QString &caption)
{
    const RiskField *f = overviewField(caption);
    return f ? f->column : QStringLiteral("id_riziko");
}

QString defaultColumnSet()
{
    return s("Systém#1200#Pracovník/činnost#2385#Kategorie nebezpečí#2385#Druh nebezpečí#1845#"
             "Závažnost#1320#Pravděpodobnost#1995#Frekvence#1455#Riziko#1200#");
}

QVector<GridColumn> parseColumnSet(const QString &columnSet)
{
    QString text = columnSet.trimmed();
    if (text.isEmpty() || text == QStringLiteral("#960#") || text == QStringLiteral("#912#") ||
        text == QStringLiteral("#960##960#"))
        text = defaultColumnSet();
    QVector<GridColumn> columns;
    QStringList fields;
    const QStringList parts = text.split(QLatin1Char('#'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        GridColumn column;
        column.caption = parts[i];
        column.width = parts[i + 1].trimmed().toInt();
        column.field = fieldOfCaption(column.caption);
        // A field is shown once: an old set of 29 empty "#960#" pairs is one column.
        if (fields.contains(column.field))
            continue;
        fields << column.field;
        columns << column;
    }
    return columns;
}

QString columnSetText(const QVector<GridColumn> &columns)
{
    QString text;
    for (const GridColumn &column : columns)
        text +=
            column.caption + QLatin1Char('#') + QString::number(column.width) + QLatin1Char('#');
    return text;
}

RiskFilter RiskFilter::openOnly()
{
    return {OpenRiskCondition, {}, s("Pouze neuzavřená rizika")};
}

RiskFilter RiskFilter::closedOnly()
{
    return {QStringLiteral("NOT (%1)").arg(OpenRiskCondition), {}, s("Pouze uzavřená rizika")};
}

GridQuery gridQuery(const QVector<GridColumn> &columns, const RiskFilter &filter,
                    const QString &sortCaption, bool ascending)
{
    QStringList fields{QStringLiteral("id_riziko"), OpenRiskCondition};
    for (const GridColumn &column : columns)
        fields << column.field;
    const QString sortField = fieldOfCaption(sortCaption);
    const bool text = shownAs(sortField) == Shown::Text || shownAs(sortField) == Shown::Breach;
    QString sql = QStringLiteral("SELECT %1 FROM rizika").arg(fields.join(QStringLiteral(", ")));
    if (!filter.condition.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + filter.condition;
    const QString direction = ascending ? QString() : QStringLiteral(" DESC");
    // Values kept with binary noise by older versions tie with the Single they stand for.
    const QString key = shownAs(sortField) == Shown::Number
                            ? QStringLiteral("single_value(%1)").arg(sortField)
                            : sortField;
    sql += QStringLiteral(" ORDER BY %1%2%3")
               .arg(key, text ? QStringLiteral(" COLLATE CS") : QString(), direction);
    // Equal keys keep a stable order, so sorting twice gives the same list back.
    if (sortField != QStringLiteral("id_riziko"))
        sql += QStringLiteral(", id_riziko") + direction;
    return {sql, filter.values};
}

QString RiskGrid::statusText() const
{
    if (total != filtered)
        return QStringLiteral("Počet záznamů  ( celkem / filtr ) : %1 / %2")
            .arg(total)
            .arg(filtered);
    return QStringLiteral("Počet záznamů : %1").arg(total);
}

RiskGrid fillRiskGrid(Database &db, const QString &columnSet, const RiskFilter &filter,
                      const QString &sortCaption, bool ascending)
{
    RiskGrid grid;
    grid.columns = parseColumnSet(columnSet);
    const GridQuery query = gridQuery(grid.columns, filter, sortCaption, ascending);
    grid.total = db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika"));
    QVector<Shown> how;
    for (const GridColumn &column : grid.columns)
        how << shownAs(column.field);
    const int count = int(grid.columns.size());
    grid.ids.reserve(grid.total);
    grid.closed.reserve(grid.total);
    grid.cells.reserve(grid.total * count);
    // Risk values repeat (products of a few scale values), and so do dates: format each once.
    QHash<double, QString> numbers;
    QHash<QString, QString> dates; // by the stored text
    db.forEach(query.sql, query.values, [&](const RowView &row) {
        grid.ids << row.value(0).toLongLong();
        grid.closed << (row.value(1).toLongLong() == 0);
        for (int i = 0; i < count; ++i) {
            const QVariant value = row.value(i + 2);
            if (how[i] == Shown::Number && value.isValid()) {
                auto cached = numbers.constFind(value.toDouble());
                if (cached == numbers.constEnd())
                    cached = numbers.insert(value.toDouble(), shown(value, how[i]));
                grid.cells << *cached;
            } else if (how[i] == Shown::Date && value.metaType().id() == QMetaType::QString) {
                const QString stored = value.toString();
                auto cached = dates.constFind(stored);
                if (cached == dates.constEnd())
                    cached = dates.insert(stored, shown(value, how[i]));
                grid.cells << *cached;
            } else {
                grid.cells << shown(value, how[i]);
            }
        }
    });
    grid.filtered = grid.ids.size();
    return grid;
}

} // namespace tamvel::risks

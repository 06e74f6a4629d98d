#include "risks/RiskGrid.h"

#include "core/SingleValue.h"
#include "db/RiskState.h"

#include "risks/RiskFields.h"

#include <QHash>

#include <algorithm>

namespace tamvel::risks {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

enum class Shown { Text, Id, Number, Date, Breach, Level };

Shown shownAs(const QString &column)
{
    if (column == LevelColumn)
        return Shown::Level;
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
    case FieldKind::Level:
        break;
    }
    return Shown::Text;
}

// The SQL of a column: the level is read as the value it is the band of.
QString selected(const QString &column)
{
    return column == LevelColumn ? QStringLiteral("riziko") : column;
}

// The deadline columns with the completion date that ends each, in the bits of
// RiskGrid::deadlines.
struct DeadlineField
{
    const char *due;
    const char *done;
    int shift;
};
constexpr DeadlineField DeadlineFields[] = {{"opatreni_termin", "opatreni_splneno", 0},
                                            {"program_termin", "program_splneno", 2}};

const DeadlineField *deadlineField(const QString &column)
{
    for (const DeadlineField &d : DeadlineFields)
        if (column == QLatin1String(d.due))
            return &d;
    return nullptr;
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
    case Shown::Level:
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
        fields << selected(column.field);
    // Whether a shown deadline is done, after the columns.
    for (const GridColumn &column : columns)
        if (const DeadlineField *d = deadlineField(column.field))
            fields << QStringLiteral("%1 IS NOT NULL").arg(QLatin1String(d->done));
    const QString sortField = fieldOfCaption(sortCaption);
    const bool text = shownAs(sortField) == Shown::Text || shownAs(sortField) == Shown::Breach;
    QString sql = QStringLiteral("SELECT %1 FROM rizika").arg(fields.join(QStringLiteral(", ")));
    if (!filter.condition.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + filter.condition;
    const QString direction = ascending ? QString() : QStringLiteral(" DESC");
    // Values kept with binary noise by older versions tie with the Single they stand for; the
    // level sorts as its value's band, that is as the value.
    const QString key = shownAs(sortField) == Shown::Number || shownAs(sortField) == Shown::Level
                            ? QStringLiteral("single_value(%1)").arg(selected(sortField))
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
    return statusText(filtered);
}

QString RiskGrid::statusText(qint64 listed) const
{
    if (total != listed)
        return QStringLiteral("Počet záznamů  ( celkem / filtr ) : %1 / %2").arg(total).arg(listed);
    return QStringLiteral("Počet záznamů : %1").arg(total);
}

Deadline RiskGrid::deadlineAt(int row, int column) const
{
    const DeadlineField *d = deadlines.isEmpty() ? nullptr : deadlineField(columns[column].field);
    return d ? Deadline((deadlines[row] >> d->shift) & 3) : Deadline::None;
}

RiskGrid fillRiskGrid(Database &db, const QString &columnSet, const RiskFilter &filter,
                      const QString &sortCaption, bool ascending, const QDate &today)
{
    RiskGrid grid;
    grid.columns = parseColumnSet(columnSet);
    const GridQuery query = gridQuery(grid.columns, filter, sortCaption, ascending);
    grid.total = db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika"));
    QVector<Shown> how;
    bool leveled = false;
    // A shown deadline's done flag follows the columns, in the order of the deadlines.
    QVector<const DeadlineField *> deadlineOfColumn;
    QVector<int> doneAt;
    for (const GridColumn &column : grid.columns) {
        how << shownAs(column.field);
        leveled = leveled || how.back() == Shown::Number || how.back() == Shown::Level;
        deadlineOfColumn << deadlineField(column.field);
        doneAt << (deadlineOfColumn.back()
                       ? 2 + int(grid.columns.size()) +
                             int(std::count_if(deadlineOfColumn.begin(), deadlineOfColumn.end() - 1,
                                               [](const DeadlineField *d) { return d; }))
                       : -1);
    }
    const bool dated = std::any_of(deadlineOfColumn.begin(), deadlineOfColumn.end(),
                                   [](const DeadlineField *d) { return d; });
    if (leveled)
        grid.levels = RiskLevels::load(db);
    const int count = int(grid.columns.size());
    grid.ids.reserve(grid.total);
    grid.closed.reserve(grid.total);
    grid.cells.reserve(grid.total * count);
    if (leveled)
        grid.level.reserve(grid.total);
    if (dated)
        grid.deadlines.reserve(grid.total);
    // Risk values repeat (products of a few scale values), and so do dates: format each once.
    struct Number
    {
        QString text;
        int band;
    };
    QHash<double, Number> numbers;
    struct Date
    {
        QString text;
        QDate date;
    };
    QHash<QString, Date> dates; // by the stored text
    const QString noLevel;
    db.forEach(query.sql, query.values, [&](const RowView &row) {
        grid.ids << row.value(0).toLongLong();
        grid.closed << (row.value(1).toLongLong() == 0);
        int band = -1;
        quint8 deadlines = 0;
        for (int i = 0; i < count; ++i) {
            const QVariant value = row.value(i + 2);
            if ((how[i] == Shown::Number || how[i] == Shown::Level) && value.isValid()) {
                const double number = value.toDouble();
                auto cached = numbers.constFind(number);
                if (cached == numbers.constEnd())
                    cached = numbers.insert(
                        number, {shown(value, Shown::Number),
                                 grid.levels.indexOf(asSingle(number).value_or(number))});
                band = cached->band;
                grid.cells << (how[i] == Shown::Number ? cached->text
                               : band >= 0             ? grid.levels.bands()[band].name
                                                       : noLevel);
            } else if (how[i] == Shown::Date && value.metaType().id() == QMetaType::QString) {
                const QString stored = value.toString();
                auto cached = dates.constFind(stored);
                if (cached == dates.constEnd()) {
                    const QDate date = Database::toDate(value);
                    cached = dates.insert(stored, {shown(value, how[i]), date});
                }
                grid.cells << cached->text;
                if (const DeadlineField *d = deadlineOfColumn[i]) {
                    // Only whether it is done counts; today stands for the completion date.
                    const QDate done = row.value(doneAt[i]).toBool() ? today : QDate();
                    deadlines |= quint8(int(deadlineOf(cached->date, done, today)) << d->shift);
                }
            } else {
                grid.cells << shown(value, how[i]);
            }
        }
        if (leveled)
            grid.level << band;
        if (dated)
            grid.deadlines << deadlines;
    });
    grid.filtered = grid.ids.size();
    return grid;
}

} // namespace tamvel::risks

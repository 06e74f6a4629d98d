#include "risks/RiskFilter.h"

#include "core/DateText.h"
#include "core/Messages.h"
#include "core/SingleValue.h"
#include "risks/RiskFields.h"

#include <QSet>

namespace tamvel::risks {

namespace {

QString repeated(const char *token, int count)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << QString::fromLatin1(token);
    return parts.join(QLatin1Char(' '));
}

// One compared row: SQL with placeholders, its values and the text the user reads.
struct Comparison
{
    QString sql;
    Values values;
    QString text;
};

std::optional<Comparison> compare(const FilterRow &row)
{
    static const QStringList operators = {QStringLiteral("="),  QStringLiteral("<"),
                                          QStringLiteral("<="), QStringLiteral(">"),
                                          QStringLiteral(">="), QStringLiteral("<>")};
    const QString op = operators.contains(row.comparison) ? row.comparison : QStringLiteral("=");
    const QString field = fieldOfCaption(row.caption);
    QString value = row.value.trimmed();
    if (value.endsWith(Cancelled))
        value.chop(Cancelled.size());
    const bool missing = value == NotFilled;
    Comparison c;
    if (isDateCaption(row.caption) || isNumberCaption(row.caption)) {
        if (missing) {
            // A missing date or number is no value: only "=" and "<>" can match it.
            c.sql = op == QStringLiteral("=")    ? field + QStringLiteral(" IS NULL")
                    : op == QStringLiteral("<>") ? field + QStringLiteral(" IS NOT NULL")
                                                 : QStringLiteral("0");
            c.text = field + QLatin1Char(' ') + op + QStringLiteral(" null");
            return c;
        }
        if (isDateCaption(row.caption)) {
            const std::optional<QDate> date = dateOfText(value);
            if (!date || !date->isValid())
                return std::nullopt;
            c.values << *date;
            c.text = field + QLatin1Char(' ') + op + QStringLiteral(" #") +
                     date->toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#');
        } else {
            bool ok = false;
            const double number =
                QString(value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
            if (!ok)
                return std::nullopt;
            // Compared as the Single a value is kept as, also one stored with binary noise.
            c.values << asSingle(number).value_or(number);
            c.text = field + QLatin1Char(' ') + op + QLatin1Char(' ') + value;
            c.sql = QStringLiteral("single_value(%1) %2 ?").arg(field, op);
            return c;
        }
        c.sql = field + QLatin1Char(' ') + op + QStringLiteral(" ?");
        return c;
    }
    // Texts: an empty text and no text are both "nevyplněno"; order in Czech.
    const QString collate = op == QStringLiteral("=") || op == QStringLiteral("<>")
                                ? QString()
                                : QStringLiteral(" COLLATE CS");
    c.sql = QStringLiteral("coalesce(%1, '')%2 %3 ?").arg(field, collate, op);
    c.values << (missing ? QString() : value);
    c.text = field + QLatin1Char(' ') + op + QLatin1Char(' ') + QLatin1Char('\'') +
             (missing ? QString() : value) + QLatin1Char('\'');
    return c;
}

} // namespace

QStringList filterCaptions()
{
    QStringList captions;
    for (const RiskField *f : overviewFields())
        if (f->kind != FieldKind::Id && f->kind != FieldKind::Level)
            captions << f->overviewCaption;
    return captions;
}

bool isDateCaption(const QString &caption)
{
    const RiskField *f = overviewField(caption);
    return f && f->kind == FieldKind::Date;
}

bool isNumberCaption(const QString &caption)
{
    const RiskField *f = overviewField(caption);
    return f && f->kind == FieldKind::Value;
}

QStringList filterValues(Database &db, const QString &caption)
{
    const QString field = fieldOfCaption(caption);
    const bool text = !isDateCaption(caption) && !isNumberCaption(caption);
    QStringList values;
    QSet<QString> listed; // values of mostly distinct fields run to the size of the register
    bool missing = false;
    db.forEach(QStringLiteral("SELECT DISTINCT %1 FROM rizika ORDER BY %1%2")
                   .arg(field, text ? QStringLiteral(" COLLATE CS") : QString()),
               {}, [&](const RowView &row) {
                   const QVariant v = row.value(0);
                   QString shown;
                   if (isDateCaption(caption))
                       shown = dateText(Database::toDate(v));
                   else if (isNumberCaption(caption) && v.isValid())
                       shown = valueText(v.toDouble());
                   else
                       shown = v.toString().trimmed();
                   if (!v.isValid() || shown.isEmpty() || shown == EmptyDateMask)
                       missing = true;
                   else if (!listed.contains(shown)) {
                       listed.insert(shown);
                       values << shown;
                   }
               });
    if (field == QStringLiteral("system")) {
        QSet<QString> present;
        db.forEach(QStringLiteral("SELECT system FROM systemy"), {},
                   [&](const RowView &row) { present.insert(row.value(0).toString()); });
        for (QString &value : values)
            if (!present.contains(value))
                value += Cancelled;
    }
    if (missing)
        values.prepend(NotFilled);
    return values;
}

std::optional<RiskFilter> compileFilter(Database &db, const FilterChoice &choice,
                                        Messages &messages)
{
    const auto refuse = [&messages] {
        messages.fail(QStringLiteral("Filtr"),
                      QStringLiteral("Chyba v sestavení filtru. Opravte filtr!!!"));
        return std::nullopt;
    };
    QStringList sql, text;
    Values values;
    int depth = 0;
    QString joiner;
    for (const FilterRow &row : choice.rows) {
        if (row.caption.trimmed().isEmpty()) {
            if (row.open > 0 || row.close > 0)
                return refuse();
            continue;
        }
        if (row.value.trimmed().isEmpty())
            return refuse();
        const std::optional<Comparison> comparison = compare(row);
        if (!comparison)
            return refuse();
        if (!joiner.isEmpty()) {
            sql << (joiner == QStringLiteral("Or") ? QStringLiteral("OR") : QStringLiteral("AND"));
            text << joiner;
        }
        if (row.open > 0) {
            sql << repeated("(", row.open);
            text << repeated("(", row.open);
        }
        sql << comparison->sql;
        text << comparison->text;
        values += comparison->values;
        depth += row.open - row.close;
        if (row.close > 0) {
            sql << repeated(")", row.close);
            text << repeated(")", row.close);
        }
        if (depth < 0)
            return refuse();
        joiner = row.joiner == QStringLiteral("Or") ? QStringLiteral("Or") : QStringLiteral("And");
    }
    if (depth != 0)
        return refuse();

    RiskFilter filter;
    filter.condition = sql.join(QLatin1Char(' '));
    filter.values = values;
    filter.description = text.join(QLatin1Char(' '));
    if (!filter.condition.isEmpty()) {
        try {
            db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE ") + filter.condition,
                         filter.values);
        } catch (const DbError &) {
            return refuse();
        }
    }
    if (choice.onlyOpen || choice.onlyClosed) {
        const RiskFilter only = choice.onlyOpen ? RiskFilter::openOnly() : RiskFilter::closedOnly();
        if (filter.condition.isEmpty())
            return only;
        filter.condition = QStringLiteral("(%1) AND (%2)").arg(filter.condition, only.condition);
        filter.description =
            only.description + QStringLiteral(" a zároveň ...\r\n") + filter.description;
    }
    return filter;
}

} // namespace tamvel::risks

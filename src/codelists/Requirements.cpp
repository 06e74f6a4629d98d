#include "codelists/Requirements.h"

#include "db/RiskState.h"

#include "codelists/CodeList.h"
#include "codelists/SaveSteps.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace tamvel::codelists {

namespace {

const QString Title = QStringLiteral("Požadavek");

qint64 risksUsing(Database &db, qint64 id, bool open)
{
    return countWhere(db, QStringLiteral("rizika"),
                      QStringLiteral("pozadavek_id = ? AND %1(%2)")
                          .arg(open ? QString() : QStringLiteral("NOT "), OpenRiskCondition),
                      {id});
}

// Inside the write's transaction: another copy may have changed or deleted the requirement, or
// deleted it and given its number to a new one, since the catalogue loaded it.
void requireAsLoaded(Database &db, const Requirement &loaded)
{
    if (!(loadRequirement(db, loaded.id) == loaded))
        throw ChangedMeanwhile();
}

} // namespace

QVector<qint64> requirementIds(Database &db)
{
    QVector<qint64> ids;
    db.forEach(QStringLiteral("SELECT pozadavek_id FROM pozadavky ORDER BY pozadavek_id"), {},
               [&](const RowView &row) { ids << row.value(0).toLongLong(); });
    return ids;
}

std::optional<Requirement> loadRequirement(Database &db, qint64 id)
{
    const Rows rows = db.query(QStringLiteral("SELECT pozadavek1, pozadavek2, pozadavek3, "
                                              "pozadavek4 FROM pozadavky WHERE pozadavek_id = ?"),
                               {id});
    if (rows.isEmpty())
        return std::nullopt;
    Requirement r;
    r.id = id;
    for (int i = 0; i < 4; ++i)
        r.parts << rows.at(0, i).toString();
    db.forEach(QStringLiteral("SELECT predpis_id FROM pozadavky_predpisy WHERE pozadavek_id = ? "
                              "ORDER BY predpis_id"),
               {id}, [&](const RowView &row) { r.regulations << row.value(0).toLongLong(); });
    return r;
}

QVector<LinkedRegulation> linkedRegulations(Database &db, const QVector<qint64> &ids)
{
    QVector<LinkedRegulation> result;
    for (qint64 id : ids) {
        const Rows rows = db.query(QStringLiteral("SELECT cislo, typ, nazev, vydano, poznamka "
                                                  "FROM predpisy WHERE predpis_id = ?"),
                                   {id});
        if (rows.isEmpty())
            continue;
        result.append({id, rows.at(0, 0).toString().trimmed(), rows.at(0, 1).toString().trimmed(),
                       rows.at(0, 2).toString().trimmed(), display(rows.at(0, 3), Display::Date),
                       rows.at(0, 4).toString().trimmed()});
    }
    QCollator collator(QLocale(QLocale::Czech));
    std::stable_sort(result.begin(), result.end(),
                     [&](const LinkedRegulation &a, const LinkedRegulation &b) {
                         return collator.compare(a.number, b.number) < 0;
                     });
    return result;
}

QString requirementText(const QStringList &parts)
{
    return parts.join(QString()).trimmed();
}

std::optional<qint64> freeRequirementId(Database &db)
{
    qint64 expected = 1;
    for (qint64 id : requirementIds(db)) {
        if (id > expected)
            break;
        if (id == expected)
            ++expected;
    }
    if (expected > 50000)
        return std::nullopt;
    return expected;
}

std::optional<qint64> saveRequirement(Database &db, const Requirement &loaded,
                                      const Requirement &edited, Messages &messages)
{
    QStringList parts;
    for (int i = 0; i < 4; ++i)
        parts << edited.parts.value(i).trimmed();
    if (requirementText(parts).isEmpty()) {
        messages.fail(Title, QStringLiteral("Požadavek musí být vyplněn!!!"));
        return std::nullopt;
    }
    const bool isNew = loaded.id == 0;
    if (!isNew) {
        // Closed risks keep seeing the requirement they were closed with.
        if (risksUsing(db, loaded.id, false) > 0) {
            messages.warn(Title, QStringLiteral("Tento požadavek nelze upravovat (je zavedena v "
                                                "uzavřených položkách rizik) !!! "));
            return std::nullopt;
        }
        if (risksUsing(db, loaded.id, true) > 0 &&
            !messages.ask(Title,
                          QStringLiteral("Pozor, tento požadavek je používán v neuzavřených "
                                         "rizikách !!! Pokud budete se změnou souhlasit, bude "
                                         "provedena ve všech neuzavřených položkách rizik.)"),
                          Messages::Tone::Warning))
            return std::nullopt;
    }
    const Rows same = db.query(QStringLiteral("SELECT pozadavek_id FROM pozadavky WHERE "
                                              "pozadavek1 = ? AND pozadavek2 = ? AND pozadavek3 "
                                              "= ? AND pozadavek4 = ?"),
                               {parts[0], parts[1], parts[2], parts[3]});
    for (int i = 0; i < same.size(); ++i) {
        if (same.at(i, 0).toLongLong() != loaded.id) {
            messages.warn(Title, QStringLiteral("Tento požadavek již existuje"));
            return std::nullopt;
        }
    }
    qint64 id = loaded.id;
    if (isNew) {
        const std::optional<qint64> free = freeRequirementId(db);
        if (!free) {
            messages.warn(Title, QStringLiteral("Všechna čísla požadavků 1 až 50000 jsou "
                                                "obsazena !!!"));
            return std::nullopt;
        }
        id = *free;
    }
    const QString what =
        isNew ? QStringLiteral("Řádek nebyl vložen") : QStringLiteral("Požadavek nebyl upraven");
    // The write error is shown once the transaction is over, never while it holds the lock.
    int failure = -1;
    try {
        Transaction transaction(db);
        if (!isNew)
            requireAsLoaded(db, loaded);
        const qint64 written =
            isNew ? db.execute(QStringLiteral("INSERT INTO pozadavky (pozadavek_id, pozadavek1, "
                                              "pozadavek2, pozadavek3, pozadavek4) VALUES (?, ?, "
                                              "?, ?, ?)"),
                               {id, parts[0], parts[1], parts[2], parts[3]})
                  : db.execute(QStringLiteral("UPDATE pozadavky SET pozadavek1 = ?, pozadavek2 = "
                                              "?, pozadavek3 = ?, pozadavek4 = ? WHERE "
                                              "pozadavek_id = ?"),
                               {parts[0], parts[1], parts[2], parts[3], id});
        if (written != 1)
            throw DbError(0, what);
        db.execute(QStringLiteral("DELETE FROM pozadavky_predpisy WHERE pozadavek_id = ?"), {id});
        QVector<qint64> linked;
        for (qint64 regulation : edited.regulations) {
            if (linked.contains(regulation))
                continue;
            linked << regulation;
            db.execute(QStringLiteral("INSERT INTO pozadavky_predpisy (pozadavek_id, predpis_id) "
                                      "VALUES (?, ?)"),
                       {id, regulation});
        }
        transaction.commit();
    } catch (const ChangedMeanwhile &) {
        throw;
    } catch (const DbError &e) {
        failure = e.code();
    }
    if (failure >= 0) {
        showWriteError(messages, failure, what);
        return std::nullopt;
    }
    return id;
}

bool deleteRequirement(Database &db, const Requirement &loaded, Messages &messages)
{
    const qint64 id = loaded.id;
    if (risksUsing(db, id, true) > 0) {
        messages.warn(Title, QStringLiteral("Tento požadavek nelze smazat (je zavedena v "
                                            "odpovídajících položkách rizik) !!! "));
        return false;
    }
    if (!messages.ask(Title, QStringLiteral("Opravdu chcete vymazat tento požadavek? ")))
        return false;
    int failure = -1;
    try {
        Transaction transaction(db);
        requireAsLoaded(db, loaded);
        if (db.execute(QStringLiteral("DELETE FROM pozadavky WHERE pozadavek_id = ?"), {id}) != 1)
            throw DbError(0, QString());
        db.execute(QStringLiteral("DELETE FROM pozadavky_predpisy WHERE pozadavek_id = ?"), {id});
        transaction.commit();
    } catch (const ChangedMeanwhile &) {
        throw;
    } catch (const DbError &e) {
        failure = e.code();
    }
    if (failure >= 0) {
        showWriteError(messages, failure, QStringLiteral("Požadavek nebyl vymazán"));
        return false;
    }
    return true;
}

} // namespace tamvel::codelists

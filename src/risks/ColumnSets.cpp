#include "risks/ColumnSets.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "risks/RiskFields.h"
#include "risks/RiskGrid.h"

#include <QHash>

namespace tamvel::risks {

namespace {

const QString &gridType()
{
    static const QString type = QStringLiteral("rizikagrd");
    return type;
}

const QString &title()
{
    static const QString text = QStringLiteral("Nastavení");
    return text;
}

} // namespace

int defaultColumnWidth(const QString &caption)
{
    const RiskField *f = overviewField(caption);
    return f ? f->overviewWidth : 0;
}

QString columnSetOfCaptions(const QStringList &captions)
{
    QString set;
    for (const QString &caption : captions) {
        const int width = defaultColumnWidth(caption);
        if (width > 0)
            set += caption.trimmed() + QLatin1Char('#') + QString::number(width) + QLatin1Char('#');
    }
    return set.trimmed();
}

QStringList chosenCaptions(const QString &columnSet)
{
    QStringList shown;
    for (const GridColumn &column : parseColumnSet(columnSet))
        shown << column.caption.trimmed();
    QStringList chosen;
    for (const RiskField *f : overviewFields())
        if (shown.contains(f->overviewCaption))
            chosen << f->overviewCaption;
    return chosen;
}

QString sharedColumnSetName()
{
    return QStringLiteral("default");
}

QString columnSetTooLongMessage()
{
    return QStringLiteral("Nastavení je příliš dlouhé (nejvýše %1 znaků), uložte méně sloupců.")
        .arg(ColumnSetMaxLength);
}

ColumnSetStore::ColumnSetStore(Database &db, QString user) : m_db(db), m_user(std::move(user)) {}

QStringList ColumnSetStore::names()
{
    const Rows rows = m_db.query(
        QStringLiteral("SELECT DISTINCT polozka FROM uzivatelske_nastaveni WHERE typ = ? AND "
                       "(uzivatel = ? OR polozka = ?) ORDER BY polozka COLLATE CS"),
        {gridType(), m_user, sharedColumnSetName()});
    QStringList result;
    for (int r = 0; r < rows.size(); ++r)
        result << rows.at(r, 0).toString();
    return result;
}

bool ColumnSetStore::isStored(const QString &name)
{
    return stored(name).has_value();
}

std::optional<QString> ColumnSetStore::stored(const QString &name)
{
    const Rows rows = m_db.query(
        QStringLiteral("SELECT hodnota1, hodnota2, hodnota3 FROM uzivatelske_nastaveni WHERE "
                       "uzivatel = ? AND typ = ? AND polozka = ?"),
        {m_user, gridType(), name.trimmed()});
    if (rows.isEmpty())
        return std::nullopt;
    // Joined as they lie, blanks included: any change shows.
    QString set;
    for (int c = 0; c < 3; ++c)
        set += rows.at(0, c).toString();
    return set;
}

ColumnSetStore::Saved ColumnSetStore::save(const QString &name, const QString &columnSet,
                                           Messages &messages)
{
    const QString key = name.trimmed();
    if (key.isEmpty())
        return Saved::Refused;
    if (key == sharedColumnSetName()) {
        messages.warn(title(), QStringLiteral("Nastavení „default“ je společné všem uživatelům, "
                                              "zvolte jiný název."));
        return Saved::Refused;
    }
    // Cutting the set would store columns the user never chose: refuse instead.
    if (columnSet.size() > ColumnSetMaxLength) {
        messages.warn(title(), columnSetTooLongMessage());
        return Saved::Refused;
    }
    const std::optional<QString> decided = stored(key);
    if (decided &&
        !messages.ask(title(),
                      QStringLiteral("Toto nastavení již existuje. Přejete si jej přepsat ?")))
        return Saved::Kept;
    inTransaction(m_db, [&] {
        // Another copy of the same user may have stored, changed or deleted the set since.
        if (stored(key) != decided)
            throw ChangedMeanwhile();
        m_db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                    "typ = ? AND polozka = ?"),
                     {m_user, gridType(), key});
        Values values{m_user, gridType(), key};
        for (int piece = 0; piece < 3; ++piece)
            values << columnSet.mid(piece * ColumnSetPieceLength, ColumnSetPieceLength);
        m_db.execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni "
                                    "(uzivatel,typ,polozka,hodnota1,hodnota2,hodnota3) VALUES "
                                    "(?,?,?,?,?,?)"),
                     values);
    });
    return Saved::Written;
}

std::optional<QString> ColumnSetStore::restore(const QString &name)
{
    const QString key = name.trimmed();
    Rows rows;
    if (key == sharedColumnSetName())
        rows = m_db.query(
            QStringLiteral("SELECT hodnota1, hodnota2, hodnota3 FROM uzivatelske_nastaveni "
                           "WHERE typ = ? AND trim(polozka) = ? ORDER BY uzivatel = ? DESC, "
                           "uzivatel = ? DESC, uzivatel COLLATE CS, uzivatel LIMIT 1"),
            {gridType(), key, m_user, QStringLiteral("administrator")});
    else
        rows = m_db.query(
            QStringLiteral("SELECT hodnota1, hodnota2, hodnota3 FROM uzivatelske_nastaveni "
                           "WHERE uzivatel = ? AND typ = ? AND trim(polozka) = ? LIMIT 1"),
            {m_user, gridType(), key});
    if (rows.isEmpty())
        return std::nullopt;
    // Joined before trimming: a piece may start or end inside a caption such as
    // "Kategorie nebezpečí", whose blank must survive.
    QString set;
    for (int c = 0; c < 3; ++c)
        set += rows.at(0, c).toString();
    return set.trimmed();
}

bool ColumnSetStore::remove(const QString &name, const std::optional<QString> &loaded,
                            Messages &messages)
{
    const QString key = name.trimmed();
    if (key == sharedColumnSetName()) {
        messages.warn(title(), QStringLiteral("Nastavení „default“ je společné všem uživatelům "
                                              "a nelze je vymazat."));
        return false;
    }
    bool found = false;
    if (!key.isEmpty())
        inTransaction(m_db, [&] {
            const std::optional<QString> now = stored(key);
            found = now || loaded;
            if (found && now != loaded)
                throw ChangedMeanwhile();
            if (found)
                m_db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = "
                                            "? AND typ = ? AND polozka = ?"),
                             {m_user, gridType(), key});
        });
    if (!found)
        messages.inform(title(), QStringLiteral("Toto nastavení není uloženo !"));
    return found;
}

} // namespace tamvel::risks

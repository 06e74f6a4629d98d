#include "codelists/Regulations.h"

#include "codelists/SaveSteps.h"

#include <QDir>
#include <QFileInfo>

namespace tamvel::codelists {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

SavePlan checkType(Database &db, EditMode mode, const QStringList &oldValues,
                   const QStringList &newValues)
{
    const QString oldAbbreviation = oldValues.value(0).trimmed();
    const QString oldName = oldValues.value(1).trimmed();
    const QString abbreviation = newValues.value(0).trimmed();
    const QString name = newValues.value(1).trimmed();
    if (abbreviation == oldAbbreviation && name == oldName && mode != EditMode::Delete)
        return closeUnchanged();
    if (mode != EditMode::Delete) {
        if (name.isEmpty()) {
            return refused(s("Typ předpisu"), s("Typ předpisu musí být vyplněn !"), 1);
        }
        if (abbreviation.isEmpty()) {
            return refused(s("Zkratka předpisu"), s("Zkratka předpisu musí být vyplněna !"), 0);
        }
        if ((mode == EditMode::New || name != oldName) &&
            countEqual(db, QStringLiteral("typ"), QStringLiteral("typ"), name) > 0) {
            return refused(s("Typ"), s("Tento typ již existuje !"), 1, true);
        }
        if ((mode == EditMode::New || abbreviation != oldAbbreviation) &&
            countEqual(db, QStringLiteral("typ"), QStringLiteral("zkratka"), abbreviation) > 0) {
            return refused(s("Zkratka"), s("Tato zkratka již existuje !"), 0, true);
        }
    }
    const qint64 used = countEqual(db, QStringLiteral("predpisy"), QStringLiteral("typ"), oldName);
    switch (mode) {
    case EditMode::Delete:
        if (used > 0) {
            return refused(s("Typ"),
                           s("Tento typ nelze smazat (je použít v aktuálních předpisech) "
                             "!!! "),
                           -1);
        }
        return writes({},
                      {QStringLiteral("DELETE FROM typ WHERE zkratka = ? AND typ = ?"),
                       {oldAbbreviation, oldName}},
                      {});
    case EditMode::Edit: {
        QVector<Statement> cascade;
        QVector<Prompt> asked;
        if (name != oldName && used > 0) {
            asked << Prompt::ask(s("Typ"),
                                 s("Pozor, tento typ je používána !!! Pokud budete se změnou "
                                   "souhlasit, bude provedena ve všech příslušných předpisech.)"),
                                 Messages::Tone::Warning);
            cascade.append(
                {QStringLiteral("UPDATE predpisy SET typ = ? WHERE typ = ?"), {name, oldName}});
        }
        return writes(cascade,
                      {QStringLiteral("UPDATE typ SET zkratka = ?, typ = ? WHERE zkratka = ? AND "
                                      "typ = ?"),
                       {abbreviation, name, oldAbbreviation, oldName}},
                      {abbreviation}, asked);
    }
    default:
        return writes(
            {},
            {QStringLiteral("INSERT INTO typ (zkratka, typ) VALUES (?, ?)"), {abbreviation, name}},
            {abbreviation});
    }
}

} // namespace

CodeList regulationTypes()
{
    CodeList list;
    list.table = s("typ");
    list.columns = {{s("Zkratka"), s("zkratka"), Display::Text},
                    {s("Typ předpisu"), s("typ"), Display::Text}};
    list.browserName = s("frmTypGrd");
    list.browserCaption = s("Typ předpisu - přehled");
    list.gridName = s("grdTyp");
    list.popupName = s("mnuTypGrd");
    list.browserWidth = 6300;
    list.editorName = s("frmTyp");
    list.editorTitle = s("Typ předpisu");
    list.frameName = s("fraTyp");
    list.inputs = {{s("txtZkratka"), s("Zkratka :"), InputKind::Text, 2},
                   {s("txtTyp"), s("Typ předpisu :"), InputKind::Text, 20}};
    list.check = checkType;
    return list;
}

CodeList regulations()
{
    CodeList list;
    list.table = s("predpisy");
    list.columns = {{s("Typ"), s("typ"), Display::Text},
                    {s("Číslo"), s("cislo"), Display::Text},
                    {s("Název"), s("nazev"), Display::Text},
                    {s("Vydáno"), s("vydano"), Display::Date},
                    {s("Poznámka"), s("poznamka"), Display::Text}};
    list.keyField = s("predpis_id");
    list.initialSortColumn = 1;
    list.browserName = s("frmPredpisGrd");
    list.browserCaption = s("Předpisy - přehled");
    list.gridName = s("grdPredpis");
    list.popupName = s("mnuPredpisGrd");
    list.browserWidth = 12000;
    list.browserHeight = 4500;
    list.editorName = s("frmPredpis");
    list.editorTitle = s("Předpisy");
    return list;
}

bool Regulation::operator==(const Regulation &other) const
{
    return id == other.id && type == other.type && number == other.number && title == other.title &&
           issued == other.issued && note == other.note && documents == other.documents;
}

std::optional<Regulation> loadRegulation(Database &db, qint64 id)
{
    const Rows rows = db.query(QStringLiteral("SELECT typ, cislo, nazev, vydano, poznamka FROM "
                                              "predpisy WHERE predpis_id = ?"),
                               {id});
    if (rows.isEmpty())
        return std::nullopt;
    Regulation r;
    r.id = id;
    r.type = rows.text(0, QStringLiteral("typ")).trimmed();
    r.number = rows.text(0, QStringLiteral("cislo")).trimmed();
    r.title = rows.text(0, QStringLiteral("nazev")).trimmed();
    r.issued = rows.date(0, QStringLiteral("vydano"));
    r.note = rows.text(0, QStringLiteral("poznamka")).trimmed();
    db.forEach(QStringLiteral("SELECT soubor FROM dokumenty WHERE predpis_id = ? ORDER BY rowid"),
               {id}, [&](const RowView &row) { r.documents << row.value(0).toString(); });
    return r;
}

std::optional<qint64> freeRegulationId(Database &db)
{
    // The first gap in the ordered identifiers; a freed number is used again.
    qint64 expected = 1;
    bool found = false;
    db.forEach(QStringLiteral("SELECT predpis_id FROM predpisy WHERE predpis_id BETWEEN 1 AND "
                              "50000 ORDER BY predpis_id"),
               {}, [&](const RowView &row) {
                   if (found)
                       return;
                   const qint64 id = row.value(0).toLongLong();
                   if (id > expected)
                       found = true;
                   else if (id == expected)
                       ++expected;
               });
    if (expected > 50000)
        return std::nullopt;
    return expected;
}

SavePlan checkRegulation(Database &db, EditMode mode, const Regulation &old, const Regulation &now)
{
    Regulation r = now;
    r.type = r.type.trimmed();
    r.number = r.number.trimmed();
    r.title = r.title.trimmed();
    r.note = r.note.trimmed();
    r.id = old.id;
    if (r == old && mode != EditMode::Delete)
        return closeUnchanged();
    // The row is found by its number alone: the whole regulation with its documents must
    // still be as the editor loaded it.
    const auto asLoaded = [old](Database &db) { return loadRegulation(db, old.id) == old; };

    if (mode == EditMode::Delete) {
        // Requirements keep seeing their regulations: a named regulation stays.
        QStringList requirements;
        db.forEach(QStringLiteral("SELECT pozadavek_id FROM pozadavky_predpisy WHERE predpis_id "
                                  "= ? ORDER BY pozadavek_id"),
                   {old.id}, [&](const RowView &row) { requirements << row.value(0).toString(); });
        if (!requirements.isEmpty()) {
            return refused(s("Predpis"),
                           s("Tento předpis nelze smazat (je uveden u požadavků č. %1) !!! ")
                               .arg(requirements.join(QStringLiteral(", "))),
                           -1);
        }
        SavePlan plan =
            writes({{QStringLiteral("DELETE FROM dokumenty WHERE predpis_id = ?"), {old.id}}},
                   {QStringLiteral("DELETE FROM predpisy WHERE predpis_id = ?"), {old.id}}, {});
        plan.asLoaded = asLoaded;
        return plan;
    }

    if (r.number.isEmpty()) {
        return refused(s("Číslo"), s("Číslo musí být vyplněno !!!"), NumberField);
    }
    if (r.type.isEmpty()) {
        return refused(s("Typ"), s("Položka typ musí být zvolena !!!"), TypeField);
    }
    if ((mode == EditMode::New || r.number != old.number) &&
        countEqual(db, QStringLiteral("predpisy"), QStringLiteral("cislo"), r.number) > 0) {
        return refused(s("Predpis"), s("Tento predpis (číslo) již existuje !"), NumberField, true);
    }
    if (mode == EditMode::New) {
        const std::optional<qint64> id = freeRegulationId(db);
        if (!id) {
            return refused(s("Predpis"), s("Všechna čísla předpisů 1 až 50000 jsou obsazena !!!"),
                           -1);
        }
        r.id = *id;
    }

    const QVariant issued = r.issued.isValid() ? QVariant(r.issued) : QVariant();
    const Statement row =
        mode == EditMode::New
            ? Statement{QStringLiteral("INSERT INTO predpisy (predpis_id, typ, cislo, nazev, "
                                       "vydano, poznamka) VALUES (?, ?, ?, ?, ?, ?)"),
                        {r.id, r.type, r.number, r.title, issued, r.note}}
            : Statement{QStringLiteral("UPDATE predpisy SET typ = ?, cislo = ?, nazev = ?, "
                                       "vydano = ?, poznamka = ? WHERE predpis_id = ?"),
                        {r.type, r.number, r.title, issued, r.note, r.id}};
    // The whole document list is replaced with the row.
    QVector<Statement> documents{
        {QStringLiteral("DELETE FROM dokumenty WHERE predpis_id = ?"), {r.id}}};
    for (const QString &document : std::as_const(r.documents))
        documents.append(
            {QStringLiteral("INSERT INTO dokumenty (predpis_id, soubor) VALUES (?, ?)"),
             {r.id, document}});
    SavePlan plan = writes(documents, row, {QString::number(r.id)});
    if (mode != EditMode::New)
        plan.asLoaded = asLoaded;
    return plan;
}

bool requireDocumentsFolder(const QString &folder, Messages &messages)
{
    if (!folder.trimmed().isEmpty())
        return true;
    messages.failWithHelp(s("Dokumenty"), s("Není nastavena cesta k dokumentům!"),
                          QStringLiteral("predpisy.html#dokumenty"));
    return false;
}

QString documentToAdd(const QString &pickedPath, const QString &folder, const QStringList &listed,
                      Messages &messages)
{
    if (pickedPath.isEmpty())
        return QString();
    const QFileInfo picked(pickedPath);
    const QString pickedFolder = QDir::cleanPath(picked.absolutePath());
    const QString documents = QDir::cleanPath(QDir(folder.trimmed()).absolutePath());
    if (pickedFolder.compare(documents, Qt::CaseInsensitive) != 0) {
        messages.fail(s("Chybný adresář"), s("Zvolen chybný adresář"));
        return QString();
    }
    const QString name = picked.fileName();
    return listed.contains(name) ? QString() : name;
}

QString documentToOpen(const QString &folder, const QString &fileName, Messages &messages)
{
    const QString path = QDir(folder.trimmed()).filePath(fileName);
    if (!QFileInfo(path).isFile()) {
        messages.warn(s("Dokumenty"),
                      s("Soubor nelze najít! Překontrolujte cestu ve volbě Nastavení, Dokumenty"));
        return QString();
    }
    return path;
}

QStringList documentPatterns()
{
    return {QStringLiteral("*.rtf"), QStringLiteral("*.doc"),  QStringLiteral("*.xls"),
            QStringLiteral("*.pdf"), QStringLiteral("*.docx"), QStringLiteral("*.xlsx"),
            QStringLiteral("*.odt"), QStringLiteral("*.ods")};
}

} // namespace tamvel::codelists

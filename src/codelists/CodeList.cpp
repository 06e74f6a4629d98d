#include "codelists/CodeList.h"

#include "codelists/Regulations.h"
#include "codelists/SaveSteps.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QRegularExpression>

namespace tamvel::codelists {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// The rules of a list with one text field.
struct TextRules
{
    QString table;
    QString field;
    QString title;
    QString emptyText; // refused before anything else when set
    QString blankText; // an edit to an empty name is refused with this when set
    QString duplicateText;
    QString duplicateTitle;
    QString riskField; // the field of rizika holding the name; empty when risks do not
    QString refusedText;
    QString refusedTitle;
    QString dependentTable; // a table that holds the name too
    QString dependentField;
    bool dependentsBlockDelete = false; // else their rows go after a question
    QString dependentQuestion;
    QString renameQuestion;
};

SavePlan checkText(const TextRules &r, Database &db, EditMode mode, const QStringList &oldValues,
                   const QStringList &newValues)
{
    const QString old = oldValues.value(0).trimmed();
    const QString name = newValues.value(0).trimmed();
    if (!r.emptyText.isEmpty() && mode != EditMode::Delete && name.isEmpty()) {
        return refused(r.title, r.emptyText, 0);
    }
    if (name == old && mode != EditMode::Delete)
        return closeUnchanged();
    // A blank would be carried into every open risk that uses the entry.
    if (!r.blankText.isEmpty() && mode == EditMode::Edit && name.isEmpty()) {
        return refused(r.title, r.blankText, 0);
    }
    // Equality is exact in the engine: a name differing only in letter case is another one.
    if ((mode == EditMode::New || mode == EditMode::Edit) &&
        countEqual(db, r.table, r.field, name) > 0) {
        return refused(r.duplicateTitle, r.duplicateText, 0, true);
    }

    const qint64 dependents =
        r.dependentTable.isEmpty() ? 0 : countEqual(db, r.dependentTable, r.dependentField, old);
    QVector<Statement> cascade;
    QVector<Prompt> asked;
    if (mode == EditMode::Delete) {
        const bool usedByRisks =
            r.dependentsBlockDelete ? dependents > 0 : openRisksUsing(db, r.riskField, old) > 0;
        if (usedByRisks) {
            return refused(r.refusedTitle, r.refusedText, -1);
        }
        if (dependents > 0) {
            asked << Prompt::ask(r.title, r.dependentQuestion);
            cascade.append({QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                .arg(r.dependentTable, r.dependentField),
                            {old}});
        }
        return writes(cascade,
                      {QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(r.table, r.field), {old}},
                      {}, asked);
    }
    if (mode == EditMode::Edit) {
        const qint64 risks =
            r.riskField.isEmpty() ? 0 : countEqual(db, QStringLiteral("rizika"), r.riskField, old);
        if (risks > 0 || dependents > 0) {
            asked << Prompt::ask(r.title, r.renameQuestion, Messages::Tone::Warning);
            if (!r.riskField.isEmpty())
                cascade.append(renameInOpenRisks(r.riskField, old, name));
            if (!r.dependentTable.isEmpty())
                cascade.append({QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?")
                                    .arg(r.dependentTable, r.dependentField),
                                {name, old}});
        }
        return writes(cascade,
                      {QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?").arg(r.table, r.field),
                       {name, old}},
                      {name}, asked);
    }
    return writes({},
                  {QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(r.table, r.field), {name}},
                  {name});
}

// The rules of a rating scale: a description and a value in tenths.
struct ScaleRules
{
    QString table; // also the value field; the description is table + "_popis"
    QString title;
    QString notNumeric;
    QString tooLarge;
    QString duplicate;
    QString refused;
    QString renameQuestion;
    QString blank; // an empty description
};

SavePlan checkScale(const ScaleRules &r, Database &db, EditMode mode, const QStringList &oldValues,
                    const QStringList &newValues)
{
    const QString nameField = r.table + QStringLiteral("_popis");
    const QString old = oldValues.value(0).trimmed();
    const QString name = newValues.value(0).trimmed();
    QString valueText = newValues.value(1).trimmed();
    valueText.replace(QLatin1Char('.'), QLatin1Char(','));
    const std::optional<qint64> value = tenthsOf(valueText);
    if (!value) {
        return refused(r.title, r.notNumeric, 1);
    }
    // Compared before the cut to tenths: 999,95 is larger than 999,9.
    static const QRegularExpression beyondTenths(QStringLiteral(",\\d[0-9]*[1-9]"));
    if (*value > 9999 || (*value == 9999 && valueText.contains(beyondTenths))) {
        return refused(r.title, r.tooLarge, 1);
    }
    const qint64 oldValue = tenthsOf(oldValues.value(1)).value_or(0);
    if (name == old && *value == oldValue && mode != EditMode::Delete)
        return closeUnchanged();
    if (name.isEmpty() && mode != EditMode::Delete) {
        return refused(r.title, r.blank, 0);
    }
    const bool renamed = name != old;
    if ((mode == EditMode::New || (mode == EditMode::Edit && renamed)) &&
        countEqual(db, r.table, nameField, name) > 0) {
        return refused(r.title, r.duplicate, 0, true);
    }
    if (mode == EditMode::Delete) {
        if (openRisksUsing(db, nameField, old) > 0) {
            return refused(r.title, r.refused, -1);
        }
        return writes(
            {},
            {QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %1 = ?").arg(r.table, nameField),
             {old, oldValue}},
            {});
    }
    QVector<Statement> cascade;
    QVector<Prompt> asked;
    if (mode == EditMode::Edit) {
        // Only the name reaches the risks; their stored values are not recomputed here.
        if (renamed && countEqual(db, QStringLiteral("rizika"), nameField, old) > 0) {
            asked << Prompt::ask(r.title, r.renameQuestion, Messages::Tone::Warning);
            cascade.append(renameInOpenRisks(nameField, old, name));
        }
        return writes(cascade,
                      {QStringLiteral("UPDATE %1 SET %2 = ?, %1 = ? WHERE %2 = ? AND %1 = ?")
                           .arg(r.table, nameField),
                       {name, *value, old, oldValue}},
                      {name}, asked);
    }
    return writes({},
                  {QStringLiteral("INSERT INTO %1 (%2, %1) VALUES (?, ?)").arg(r.table, nameField),
                   {name, *value}},
                  {name});
}

SavePlan checkLevel(Database &db, EditMode mode, const QStringList &oldValues,
                    const QStringList &newValues)
{
    const QString title = s("Úroveň rizika");
    const QString name = newValues.value(0).trimmed();
    const QString threshold = newValues.value(1).trimmed();
    static const QRegularExpression number(QStringLiteral("^\\d+([.,]\\d*)?$"));
    if (!number.match(threshold).hasMatch()) {
        return refused(title, s("Hodnota úrovně musí být celé číslo (0-999999) !!!"), 1);
    }
    if (threshold.contains(QLatin1Char(',')) || threshold.contains(QLatin1Char('.'))) {
        return refused(title, s("Hodnota úrovně musí být celé číslo !!!"), 1);
    }
    const qint64 value = threshold.toLongLong();
    if (value > 999999) {
        return refused(title, s("Hodnota úrovně musí být celé číslo (0-999999) !!!"), 1);
    }
    const QString oldName = oldValues.value(0).trimmed();
    const qint64 oldValue = oldValues.value(1).trimmed().toLongLong();
    if (name == oldName && value == oldValue && mode != EditMode::Delete)
        return closeUnchanged();
    if ((mode == EditMode::New || (mode == EditMode::Edit && value != oldValue)) &&
        countWhere(db, QStringLiteral("urovne_rizika"), QStringLiteral("riziko_od = ?"), {value}) >
            0) {
        return refused(title, s("Tato úroveň rizika již existuje !"), 1, true);
    }
    const QString key = QString::number(value);
    switch (mode) {
    case EditMode::Delete:
        return writes({},
                      {QStringLiteral("DELETE FROM urovne_rizika WHERE limitni_uroven_rizika = ? "
                                      "AND riziko_od = ?"),
                       {oldName, oldValue}},
                      {});
    case EditMode::Edit:
        return writes({},
                      {QStringLiteral("UPDATE urovne_rizika SET limitni_uroven_rizika = ?, "
                                      "riziko_od = ? WHERE limitni_uroven_rizika = ? AND "
                                      "riziko_od = ?"),
                       {name, value, oldName, oldValue}},
                      {key});
    default:
        return writes(
            {},
            {QStringLiteral("INSERT INTO urovne_rizika (limitni_uroven_rizika, riziko_od) "
                            "VALUES (?, ?)"),
             {name, value}},
            {key});
    }
}

SavePlan checkKind(Database &db, EditMode mode, const QStringList &oldValues,
                   const QStringList &newValues)
{
    const QString oldKind = oldValues.value(0).trimmed();
    const QString oldCategory = oldValues.value(1).trimmed();
    const QString kind = newValues.value(0).trimmed();
    const QString category = newValues.value(1).trimmed();
    if (kind == oldKind && category == oldCategory && mode != EditMode::Delete)
        return closeUnchanged();
    if (mode == EditMode::New || mode == EditMode::Edit) {
        if (kind.isEmpty()) {
            return refused(s("druh"), s("Pole druh je nutno vyplnit !"), 0);
        }
        if (category.isEmpty()) {
            return refused(s("kategorie"), s("Pole kategorie je nutno zvolit !"), 1);
        }
        if (countWhere(db, QStringLiteral("nebezpeci_kategorie_druh"),
                       QStringLiteral("nebezpeci_druh = ? AND nebezpeci_kategorie = ?"),
                       {kind, category}) > 0) {
            return refused(s("druh"),
                           s("Tento druh nebezpečí v příslušné kategorii již existuje !"), 0);
        }
    }
    const QString kindField = QStringLiteral("nebezpeci_druh");
    if (mode == EditMode::Delete) {
        // Open risks count by the kind's name alone, whatever their category.
        if (openRisksUsing(db, kindField, oldKind) > 0) {
            return refused(s("Druh nebezpečí"),
                           s("Tento druh nebezpečí nelze smazat (je zaveden v "
                             "neuzavřených položkách rizik) !!! "),
                           -1);
        }
        return writes({},
                      {QStringLiteral("DELETE FROM nebezpeci_kategorie_druh WHERE nebezpeci_druh "
                                      "= ? AND nebezpeci_kategorie = ?"),
                       {oldKind, oldCategory}},
                      {});
    }
    QVector<Statement> cascade;
    QVector<Prompt> asked;
    if (mode == EditMode::Edit && kind != oldKind &&
        countEqual(db, QStringLiteral("rizika"), kindField, oldKind) > 0) {
        asked << Prompt::ask(s("Kategorie nebezpečí"),
                             s("Pozor, tento druh nebezpečí je používán !!! Pokud budete se změnou "
                               "souhlasit, bude provedena ve všech neuzavřených položkách rizik.)"),
                             Messages::Tone::Warning);
        // The category stored in risks stays as it is.
        cascade.append(renameInOpenRisks(kindField, oldKind, kind));
    }
    if (mode == EditMode::Edit)
        return writes(cascade,
                      {QStringLiteral("UPDATE nebezpeci_kategorie_druh SET nebezpeci_druh = ?, "
                                      "nebezpeci_kategorie = ? WHERE nebezpeci_druh = ? AND "
                                      "nebezpeci_kategorie = ?"),
                       {kind, category, oldKind, oldCategory}},
                      {kind, category}, asked);
    return writes({},
                  {QStringLiteral("INSERT INTO nebezpeci_kategorie_druh (nebezpeci_druh, "
                                  "nebezpeci_kategorie) VALUES (?, ?)"),
                   {kind, category}},
                  {kind, category});
}

// Edits and deletes write only while the entry is still stored with the values the editor
// loaded; the wrapped check decides everything else.
CodeList guarded(CodeList list)
{
    list.check = [shape = list](Database &db, EditMode mode, const QStringList &oldValues,
                                const QStringList &newValues) {
        SavePlan plan = shape.check(db, mode, oldValues, newValues);
        if (mode == EditMode::Edit || mode == EditMode::Delete) {
            QStringList loaded, key;
            for (const QString &value : oldValues)
                loaded << value.trimmed();
            for (int column : shape.keyColumns)
                key << loaded.value(column);
            plan.asLoaded = [shape, loaded, key](Database &db) {
                const QStringList stored = load(db, shape, key);
                return !stored.isEmpty() && stored == loaded;
            };
        }
        return plan;
    };
    return list;
}

CodeList textList(const TextRules &rules, const char *header, const char *browser,
                  const char *browserCaption, const char *grid, const char *popup,
                  const char *editor, const char *editorTitle, const char *frame, const char *input,
                  const char *label, int maxLength)
{
    CodeList list;
    list.table = rules.table;
    list.columns = {{s(header), rules.field, Display::Text}};
    list.browserName = s(browser);
    list.browserCaption = s(browserCaption);
    list.gridName = s(grid);
    list.popupName = s(popup);
    list.editorName = s(editor);
    list.editorTitle = s(editorTitle);
    list.frameName = s(frame);
    list.inputs = {{s(input), s(label), InputKind::Text, maxLength}};
    list.check = [rules](Database &db, EditMode mode, const QStringList &oldValues,
                         const QStringList &newValues) {
        return checkText(rules, db, mode, oldValues, newValues);
    };
    return list;
}

CodeList scaleList(const ScaleRules &rules, const char *header, const char *browser,
                   const char *grid, const char *popup, const char *editor, const char *prefix,
                   const char *label)
{
    CodeList list;
    list.table = rules.table;
    list.columns = {{s(header), rules.table + QStringLiteral("_popis"), Display::Text},
                    {s("Hodnota"), rules.table, Display::Tenths}};
    list.browserName = s(browser);
    list.browserCaption = rules.title + s(" - přehled");
    list.gridName = s(grid);
    list.popupName = s(popup);
    list.browserWidth = 6300;
    list.editorName = s(editor);
    list.editorTitle = rules.title;
    list.inputs = {{s(prefix) + s("Popis"), s(label), InputKind::Text, 75},
                   {s(prefix) + s("Hodnota"), s("Hodnota :"), InputKind::Tenths, 6}};
    list.check = [rules](Database &db, EditMode mode, const QStringList &oldValues,
                         const QStringList &newValues) {
        return checkScale(rules, db, mode, oldValues, newValues);
    };
    return list;
}

QVector<CodeList> buildMembers()
{
    QVector<CodeList> all;

    TextRules workers;
    workers.table = s("pracovnici");
    workers.field = s("pracovnik");
    workers.title = s("Pracovník/činnost");
    workers.duplicateText = s("Tento pracovník/činnost již existuje !");
    workers.duplicateTitle = s("pracovník/činnost");
    workers.riskField = s("pracovnik");
    workers.refusedText = s("Tohoto pracovníka/činnost nelze smazat (je zaveden v neuzavřených "
                            "položkách rizik) !!! ");
    workers.refusedTitle = s("Pracovník/činnost");
    workers.blankText = s("Pracovník/činnost je nutno vyplnit !");
    workers.dependentTable = s("system_pracovnik");
    workers.dependentField = s("pracovnik");
    workers.dependentQuestion = s("Tento pracovník/činnost je zaveden v systémech! Přejete si "
                                  "pracovníka/činnost vymazat ze systémů a ze seznamu "
                                  "pracovníků/činností? ");
    workers.renameQuestion = s("Pozor, tento pracovník/činnost je používan !!! Pokud budete se "
                               "změnou souhlasit, bude provedena ve všech návazných objektech (s "
                               "vyjímkou uzavřených rizik)");
    CodeList workerList =
        textList(workers, "Pracovnici", "frmPracGrid", "Pracovník/činnost - přehled", "grdPrac",
                 "mnuPracGrd", "frmPrac", "Pracovníci", "fraPracovnici", "txtPrac",
                 "Pracovník/činnost :", 30);
    // The built-in "others" entry can be neither edited nor deleted.
    workerList.hiddenEntry = s("ostatní");
    all << workerList;

    TextRules categories;
    categories.table = s("nebezpeci_kategorie");
    categories.field = s("nebezpeci_kategorie");
    categories.title = s("Kategorie nebezpečí");
    categories.duplicateText = s("Tato kategorie nebezpečí již existuje !");
    categories.duplicateTitle = categories.title;
    categories.riskField = s("nebezpeci_kategorie");
    categories.refusedText =
        s("Tuto kategorii nelze smazat (je zavedena v neuzavřených položkách rizik) !!! ");
    categories.refusedTitle = categories.title;
    categories.blankText = s("Kategorii nebezpečí je nutno vyplnit !");
    categories.dependentTable = s("nebezpeci_kategorie_druh");
    categories.dependentField = s("nebezpeci_kategorie");
    categories.dependentQuestion = s("Tato kategorie je zavedena v tabulce druhů nebezpečí! "
                                     "Přejete si vymazat kategorii a odpovídající z druhy "
                                     "nebezpečí? ");
    categories.renameQuestion = s("Pozor, tato kategorie nebezpečí je používána !!! Pokud budete "
                                  "se změnou souhlasit, bude provedena ve všech návazných "
                                  "objektech (s vyjímkou uzavřených rizik)");
    all << textList(categories, "Kategorie nebezpečí", "frmNebezpeciKateGrd",
                    "Kategorie nebezpečí - přehled", "grdKate", "mnuKateGrd", "frmNebezpeciKate",
                    "Kategorie nebezpečí", "fraKategorie", "txtKate", "Kategorie nebezpečí :", 50);

    CodeList kinds;
    kinds.table = s("nebezpeci_kategorie_druh");
    kinds.columns = {{s("Druh"), s("nebezpeci_druh"), Display::Text},
                     {s("Kategorie"), s("nebezpeci_kategorie"), Display::Text}};
    kinds.keyColumns = {0, 1};
    kinds.browserName = s("frmNebezpeciDruhGrd");
    kinds.browserCaption = s("Druh nebezpečí -přehled");
    kinds.gridName = s("grdDruh");
    kinds.popupName = s("mnuDruhGrd");
    kinds.browserWidth = 7200;
    kinds.editorName = s("frmNebezpeciDruh");
    kinds.editorTitle = s("Druh nebezpečí");
    kinds.frameName = s("fraDruh");
    kinds.frameCaption = s("Nebezpečí");
    kinds.inputs = {{s("txtDruh"), s("Druh :"), InputKind::Text, 50},
                    {s("cmbKategorie"), s("Kategorie :"), InputKind::Category, 50}};
    kinds.check = checkKind;
    all << kinds;

    TextRules damaged;
    damaged.table = s("poskozeni");
    damaged.field = s("cast_tela");
    damaged.title = s("Předmět poškození");
    damaged.duplicateText = s("Předmět poškození již existuje !");
    damaged.duplicateTitle = damaged.title;
    damaged.riskField = s("poskozeni_cast_tela");
    damaged.refusedText = s("Tento Předmět poškození nelze smazat (je zavedena v neuzavřených "
                            "položkách rizik) !!! ");
    damaged.refusedTitle = damaged.title;
    damaged.blankText = s("Předmět poškození je nutno vyplnit !");
    damaged.renameQuestion = s("Pozor, tento Předmět poškození je používán !!! Pokud budete se "
                               "změnou souhlasit, bude provedena ve všech neuzavřených položkách "
                               "rizik.)");
    all << textList(damaged, "Předmět poškození", "frmPoskozeniGrd", "Předmět poškození - přehled",
                    "grdPosk", "mnuPoskGrd", "frmPoskozeni", "Předmět poškození", "fraPoskozeni",
                    "txtCast", "Předmět poškození :", 50);

    TextRules equipment;
    equipment.table = s("oop");
    equipment.field = s("oop");
    equipment.title = s("OOP");
    equipment.emptyText = s("OOP je nutno vyplnit !");
    equipment.duplicateText = s("Toto oop již existuje !");
    equipment.duplicateTitle = equipment.title;
    equipment.refusedText = s("Toto OOP nelze smazat (je použito v položkách rizik) !!! ");
    equipment.refusedTitle = equipment.title;
    // Closed risks count too: equipment named by any risk stays.
    equipment.dependentTable = s("oop_rizika");
    equipment.dependentField = s("oop");
    equipment.dependentsBlockDelete = true;
    equipment.renameQuestion = s("Pozor, toto oop je používáno !!! Pokud budete se změnou "
                                 "souhlasit, bude provedena ve všech položkách rizik.");
    all << textList(equipment, "OOP", "frmOOPGrd", "OOPP - přehled", "grdOop", "mnuOopGrd",
                    "frmOOP", "Ochranné pomůcky", "fraOop", "txtOop", "OOPP :", 50);

    const QString scaleRename = s("Pokud budete se změnou souhlasit, bude provedena ve všech "
                                  "neuzavřených položkách rizik.)");
    all << scaleList({s("zavaznost"), s("Závažnost"),
                      s("Hodnota závažnosti musí být číslo (0-999,9) !!!"),
                      s("Hodnota závažnosti nesmí být větší než 999.9 !!!"),
                      s("Tento popis závažnosti již existuje !"),
                      s("Tato závažnost nelze smazat (je zavedena v neuzavřených položkách "
                        "rizik) !!! "),
                      s("Pozor, tato závažnost je používána !!! ") + scaleRename,
                      s("Popis závažnosti je nutno vyplnit !")},
                     "Závažnost", "frmZavaznostGrd", "grdZava", "mnuZavaGrd", "frmZavaznost",
                     "txtZavaznost", "Závažnost :");
    all << scaleList({s("pravdepodobnost"), s("Pravděpodobnost"),
                      s("Hodnota pravděpodobnosti musí být číslo (0-999.9) !!!"),
                      s("Hodnota pravděpodobnosti nesmí být větší než 999,9 !!!"),
                      s("Tento popis pravděpodobnosti již existuje !"),
                      s("Tato pravděpodobnost nelze smazat (je zavedena v neuzavřených položkách "
                        "rizik) !!! "),
                      s("Pozor, tato pravděpodobnost je používána !!! ") + scaleRename,
                      s("Popis pravděpodobnosti je nutno vyplnit !")},
                     "Pravděpodobnost", "frmPravdepodobnostGrd", "grdPrav", "mnuPravGrd",
                     "frmPravdepodobnost", "txtPravdepodobnost", "Pravděpodobnost :");
    all << scaleList({s("frekvence"), s("Frekvence"),
                      s("Hodnota frekvence musí být číslo (0-999.9) !!!"),
                      s("Hodnota frekvence nesmí být větší než 999,9 !!!"),
                      s("Tento popis frekvence již existuje !"),
                      s("Tato frekvence nelze smazat (je zavedena v neuzavřených položkách "
                        "rizik) !!! "),
                      s("Pozor, tato frekvence je používána !!! ") + scaleRename,
                      s("Popis frekvence je nutno vyplnit !")},
                     "Frekvence", "frmFrekvenceGrd", "grdFrek", "mnuFrekGrd", "frmFrekvence",
                     "txtFrekvence", "Frekvence :");

    CodeList levels;
    levels.table = s("urovne_rizika");
    levels.columns = {{s("Úroveň rizika"), s("limitni_uroven_rizika"), Display::Text},
                      {s("Riziko od"), s("riziko_od"), Display::Whole}};
    levels.browserName = s("frmUrovneGrd");
    levels.browserCaption = s("Úrovně rizika - přehled");
    levels.gridName = s("grdUrov");
    levels.popupName = s("mnuUrovGrd");
    levels.browserWidth = 6300;
    levels.editorName = s("frmUrovne");
    levels.editorTitle = s("Úroveň rizika");
    levels.inputs = {{s("txtUrovenPopis"), s("Úroveň rizika :"), InputKind::Text, 50},
                     {s("txtUrovenHodnota"), s("Riziko od :"), InputKind::Whole, 6}};
    levels.check = checkLevel;
    levels.keyColumns = {1}; // a level is found by its threshold
    all << levels;
    all << regulationTypes();
    for (CodeList &list : all)
        list = guarded(std::move(list));
    all << regulations(); // saved by its own editor
    return all;
}

} // namespace

bool commitSave(Database &db, const SavePlan &plan)
{
    Transaction transaction(db);
    // Before the cascade, so that nothing runs against an entry that is gone.
    if (plan.asLoaded && !plan.asLoaded(db))
        throw ChangedMeanwhile();
    for (const Statement &statement : plan.cascade)
        db.execute(statement.sql, statement.values);
    if (db.execute(plan.entry.sql, plan.entry.values) != 1)
        return false;
    transaction.commit();
    return true;
}

QString captionSuffix(EditMode mode)
{
    switch (mode) {
    case EditMode::New:
    case EditMode::Copy:
        return s(" (Nový záznam)");
    case EditMode::Edit:
        return s(" (Upravit záznam)");
    case EditMode::Delete:
        return s(" (Vymazat záznam)");
    case EditMode::View:
    case EditMode::ViewFromOverview:
        break;
    }
    return s(" (Zobrazit záznam)");
}

QString display(const QVariant &stored, Display how)
{
    if (!stored.isValid())
        return QString();
    switch (how) {
    case Display::Text:
        return stored.toString().trimmed();
    case Display::Whole:
        return QString::number(qRound64(stored.toDouble()));
    case Display::Date: {
        const QDate date = Database::toDate(stored);
        return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    }
    case Display::Tenths:
        break;
    }
    const qint64 tenths = qRound64(stored.toDouble());
    const QString whole = QString::number(tenths / 10);
    return tenths % 10 == 0 ? whole : whole + QLatin1Char(',') + QString::number(tenths % 10);
}

std::optional<qint64> tenthsOf(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^(\\d*)(?:[.,](\\d*))?$"));
    const QRegularExpressionMatch m = number.match(text.trimmed());
    const QString whole = m.captured(1);
    const QString fraction = m.captured(2);
    if (!m.hasMatch() || (whole.isEmpty() && fraction.isEmpty()) || whole.size() > 12)
        return std::nullopt;
    const qint64 tenths = whole.toLongLong() * 10;
    return fraction.isEmpty() ? tenths : tenths + (fraction[0].unicode() - u'0');
}

const QVector<CodeList> &members()
{
    static const QVector<CodeList> all = buildMembers();
    return all;
}

const CodeList &regulationPicker()
{
    static const CodeList picker = [] {
        CodeList list = *memberByBrowser(QStringLiteral("frmPredpisGrd"));
        list.browserName = QStringLiteral("frmPredpisPozadavekGrd");
        list.browserCaption = s("Předpisy - přehled");
        list.popupName = QStringLiteral("mnuPredpisPozadavekGrd");
        list.pickItem = QStringLiteral("Pridat");
        return list;
    }();
    return picker;
}

const CodeList *memberByBrowser(const QString &browserName)
{
    for (const CodeList &list : members())
        if (list.browserName == browserName)
            return &list;
    return nullptr;
}

Listing list(Database &db, const CodeList &codeList, int sortColumn, bool ascending)
{
    QStringList fields;
    for (const Column &column : codeList.columns)
        fields << column.field;
    if (!codeList.keyField.isEmpty())
        fields << codeList.keyField;
    const Column &sort = codeList.columns.value(sortColumn, codeList.columns.first());
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(fields.join(QStringLiteral(", ")), codeList.table);
    Values values;
    if (!codeList.hiddenEntry.isEmpty()) {
        sql += QStringLiteral(" WHERE %1 <> ?").arg(codeList.columns.first().field);
        values << codeList.hiddenEntry;
    }
    sql += QStringLiteral(" ORDER BY %1%2 %3")
               .arg(sort.field,
                    sort.display == Display::Text ? QStringLiteral(" COLLATE CS") : QString(),
                    ascending ? QStringLiteral("ASC") : QStringLiteral("DESC"));

    Listing listing;
    db.forEach(sql, values, [&](const RowView &row) {
        QStringList shown;
        for (int i = 0; i < codeList.columns.size(); ++i)
            shown << display(row.value(i), codeList.columns[i].display);
        QStringList key;
        if (!codeList.keyField.isEmpty())
            key << row.value(codeList.columns.size()).toString();
        else
            for (int column : codeList.keyColumns)
                key << shown[column];
        listing.keys << key;
        listing.shown << shown;
    });
    return listing;
}

QStringList load(Database &db, const CodeList &codeList, const QStringList &key)
{
    QStringList fields, conditions;
    Values values;
    for (const Column &column : codeList.columns)
        fields << column.field;
    for (int i = 0; i < codeList.keyColumns.size(); ++i) {
        const Column &column = codeList.columns[codeList.keyColumns[i]];
        conditions << column.field + QStringLiteral(" = ?");
        if (column.display == Display::Text)
            values << key.value(i);
        else
            values << qint64(tenthsOf(key.value(i)).value_or(0) /
                             (column.display == Display::Tenths ? 1 : 10));
    }
    const Rows rows = db.query(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                   .arg(fields.join(QStringLiteral(", ")), codeList.table,
                                        conditions.join(QStringLiteral(" AND "))),
                               values);
    QStringList shown;
    if (rows.isEmpty())
        return shown;
    for (int i = 0; i < codeList.columns.size(); ++i)
        shown << display(rows.at(0, i), codeList.columns[i].display);
    return shown;
}

} // namespace tamvel::codelists

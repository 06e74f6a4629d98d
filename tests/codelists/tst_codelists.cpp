#include "CodeListSaves.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/CodeList.h"
#include "codelists/WorkerImport.h"
#include "db/DbError.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::codelists;
using namespace Qt::StringLiterals;

class TestCodeLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void numbersInTenths();
    void scalesSortByValueAndShowTenths();
    void newEntriesAreUniqueLetterCaseIncluded();
    void renameReachesOpenRisksAfterYes();
    void deleteIsRefusedOnlyForOpenRisks();
    void failedCascadeLeavesEverythingAsItWas();
    void scaleValuesAreTenths();
    void levelsHaveWholeThresholds();
    void hazardCatalogueRules();
    void emptyNamesAreRefused();
    void anEntryChangedMeanwhileIsNotOverwritten_data();
    void anEntryChangedMeanwhileIsNotOverwritten();
    void workerImportReadsTextAndCsvFiles();
    void workerImportWritesAllOrNothing();

private:
    const CodeList &member(const char *browser)
    {
        return *memberByBrowser(QString::fromUtf8(browser));
    }
    EditorOutcome save(const char *browser, EditMode mode, const QStringList &old,
                       const QStringList &now, ScriptedMessages &messages)
    {
        return runPlan(*m_db, member(browser).check(*m_db, mode, old, now), messages);
    }
    qint64 count(const QString &sql, const Values &values = {})
    {
        return m_db->scalarInt(sql, values);
    }
    void addRisk(int id, const QString &field, const QString &value, bool closed)
    {
        m_db->execute(
            u"INSERT INTO rizika (id_riziko, %1, opatreni_splneno) VALUES (?, ?, ?)"_s.arg(field),
            {id, value, closed ? QVariant(QDate(2024, 1, 31)) : QVariant(QDate())});
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestCodeLists::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, u"c%1.mdb"_s.arg(++m_counter));
}

void TestCodeLists::numbersInTenths()
{
    // The saves below show the usual numbers; these are the edges they do not reach.
    QCOMPARE(tenthsOf(u",5"_s), 5);
    QVERIFY(!tenthsOf(u"1,2,3"_s));
    QCOMPARE(display(QVariant(), Display::Tenths), QString());
}

void TestCodeLists::scalesSortByValueAndShowTenths()
{
    // Numbers sort as numbers and show in tenths.
    for (const auto &[name, value] :
         {std::pair{"Malá", 5}, std::pair{"Střední", 120}, std::pair{"Velká", 1000}})
        m_db->execute(u"INSERT INTO zavaznost VALUES (?, ?)"_s, {QString::fromUtf8(name), value});
    const Listing byValue = list(*m_db, member("frmZavaznostGrd"), 1, false);
    QCOMPARE(byValue.shown.first(), (QStringList{u"Velká"_s, u"100"_s}));
    QCOMPARE(byValue.shown.last(), (QStringList{u"Malá"_s, u"0,5"_s}));
    QCOMPARE(load(*m_db, member("frmZavaznostGrd"), {u"Střední"_s}),
             (QStringList{u"Střední"_s, u"12"_s}));
    QVERIFY(load(*m_db, member("frmPracGrid"), {u"Nikdo"_s}).isEmpty());
}

void TestCodeLists::newEntriesAreUniqueLetterCaseIncluded()
{
    ScriptedMessages messages;
    EditorOutcome r = save("frmPracGrid", EditMode::New, {QString()}, {u" Lisař "_s}, messages);
    QVERIFY(r.close);
    QCOMPARE(r.activeKey, QStringList{u"Lisař"_s});

    r = save("frmPracGrid", EditMode::New, {QString()}, {u"Lisař"_s}, messages);
    QVERIFY(!r.close && r.selectAll && r.focus == 0);
    QCOMPARE(messages.shown.last().title, u"pracovník/činnost"_s);
    QCOMPARE(messages.lastText(), u"Tento pracovník/činnost již existuje !"_s);

    // Only the letter case differs: accepted, as a new entry and as a rename.
    QVERIFY(save("frmPracGrid", EditMode::New, {QString()}, {u"LISAŘ"_s}, messages).close);
    QVERIFY(save("frmPracGrid", EditMode::Edit, {u"LISAŘ"_s}, {u"lisař"_s}, messages).close);
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici"_s), 2);

    // Nothing changed, or nothing typed in "novy": closes and writes nothing.
    const int shown = messages.shown.size();
    QVERIFY(save("frmPracGrid", EditMode::Edit, {u"Lisař"_s}, {u"Lisař "_s}, messages).close);
    QVERIFY(save("frmPracGrid", EditMode::New, {QString()}, {u"  "_s}, messages).close);
    QCOMPARE(messages.shown.size(), shown);
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici"_s), 2);
}

void TestCodeLists::renameReachesOpenRisksAfterYes()
{
    m_db->execute(u"INSERT INTO pracovnici VALUES ('Svářeč')"_s);
    m_db->execute(u"INSERT INTO system_pracovnik VALUES ('Hala', 'Svářeč')"_s);
    addRisk(1, u"pracovnik"_s, u"Svářeč"_s, false);
    addRisk(2, u"pracovnik"_s, u"Svářeč"_s, true);

    ScriptedMessages no;
    QVERIFY(!save("frmPracGrid", EditMode::Edit, {u"Svářeč"_s}, {u"Svařovač"_s}, no).close);
    QCOMPARE(no.shown.last().kind, u"ask"_s);
    QCOMPARE(
        no.lastText(),
        u"Pozor, tento pracovník/činnost je používan !!! Pokud budete se změnou souhlasit, bude "
        "provedena ve všech návazných objektech (s vyjímkou uzavřených rizik)"_s);
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici WHERE pracovnik = 'Svářeč'"_s), 1);

    ScriptedMessages yes;
    yes.answers = {true};
    const EditorOutcome r =
        save("frmPracGrid", EditMode::Edit, {u"Svářeč"_s}, {u"Svařovač"_s}, yes);
    QVERIFY(r.close);
    QCOMPARE(r.activeKey, QStringList{u"Svařovač"_s});
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM rizika WHERE id_riziko = 1"_s),
             u"Svařovač"_s);
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM rizika WHERE id_riziko = 2"_s), u"Svářeč"_s);
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM system_pracovnik"_s), u"Svařovač"_s);

    // A name used only by closed risks still asks, and the closed risks keep it.
    m_db->execute(u"INSERT INTO poskozeni VALUES ('Ruka')"_s);
    addRisk(3, u"poskozeni_cast_tela"_s, u"Ruka"_s, true);
    ScriptedMessages again;
    again.answers = {true};
    QVERIFY(save("frmPoskozeniGrd", EditMode::Edit, {u"Ruka"_s}, {u"Ruce"_s}, again).close);
    QCOMPARE(again.kinds(), QStringList{u"ask"_s});
    QCOMPARE(m_db->scalarText(u"SELECT poskozeni_cast_tela FROM rizika WHERE id_riziko = 3"_s),
             u"Ruka"_s);
    QCOMPARE(m_db->scalarText(u"SELECT cast_tela FROM poskozeni"_s), u"Ruce"_s);
}

void TestCodeLists::deleteIsRefusedOnlyForOpenRisks()
{
    m_db->execute(u"INSERT INTO pracovnici VALUES ('Jeřábník')"_s);
    m_db->execute(u"INSERT INTO system_pracovnik VALUES ('Hala', 'Jeřábník')"_s);
    addRisk(1, u"pracovnik"_s, u"Jeřábník"_s, false);
    addRisk(2, u"pracovnik"_s, u"Jeřábník"_s, true);

    ScriptedMessages refused;
    refused.answers = {true};
    QVERIFY(
        !save("frmPracGrid", EditMode::Delete, {u"Jeřábník"_s}, {u"Jeřábník"_s}, refused).close);
    QCOMPARE(refused.kinds(), QStringList{u"warn"_s});
    QCOMPARE(refused.shown[0].title, u"Pracovník/činnost"_s);
    QCOMPARE(refused.lastText(),
             u"Tohoto pracovníka/činnost nelze smazat (je zaveden v neuzavřených položkách "
             "rizik) !!! "_s);

    // Only a closed risk left: one question about the systems, then the entry goes with its
    // staffing rows; the closed risk keeps the name.
    m_db->execute(u"DELETE FROM rizika WHERE id_riziko = 1"_s);
    ScriptedMessages no;
    QVERIFY(!save("frmPracGrid", EditMode::Delete, {u"Jeřábník"_s}, {u"Jeřábník"_s}, no).close);
    QCOMPARE(count(u"SELECT count(*) FROM system_pracovnik"_s), 1);
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(save("frmPracGrid", EditMode::Delete, {u"Jeřábník"_s}, {u"Jeřábník"_s}, yes).close);
    QCOMPARE(yes.kinds(), QStringList{u"ask"_s});
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici"_s), 0);
    QCOMPARE(count(u"SELECT count(*) FROM system_pracovnik"_s), 0);
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM rizika"_s), u"Jeřábník"_s);
}

void TestCodeLists::failedCascadeLeavesEverythingAsItWas()
{
    m_db->execute(u"INSERT INTO pracovnici VALUES ('Zámečník')"_s);
    m_db->execute(u"INSERT INTO system_pracovnik VALUES ('Dílna', 'Zámečník')"_s);
    // A staffing row already holds the new name: the second statement of the cascade
    // breaks the staffing table's key.
    m_db->execute(u"INSERT INTO system_pracovnik VALUES ('Dílna', 'Údržbář')"_s);
    addRisk(1, u"pracovnik"_s, u"Zámečník"_s, false);

    ScriptedMessages messages;
    messages.answers = {true};
    const EditorOutcome r =
        save("frmPracGrid", EditMode::Edit, {u"Zámečník"_s}, {u"Údržbář"_s}, messages);
    QVERIFY(!r.close);
    QCOMPARE(messages.shown.last().kind, u"fail"_s);
    QVERIFY(messages.lastText().contains(u"(chyba "_s));
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM rizika"_s), u"Zámečník"_s);
    QCOMPARE(m_db->scalarText(u"SELECT pracovnik FROM pracovnici"_s), u"Zámečník"_s);
    QCOMPARE(count(u"SELECT count(*) FROM system_pracovnik WHERE pracovnik = 'Zámečník'"_s), 1);
    QCOMPARE(m_db->transactionDepth(), 0);
}

void TestCodeLists::scaleValuesAreTenths()
{
    ScriptedMessages messages;
    const QStringList none{QString(), QString()};
    QVERIFY(save("frmZavaznostGrd", EditMode::New, none, {u"Vážný"_s, u"12.5"_s}, messages).close);
    QCOMPARE(count(u"SELECT zavaznost FROM zavaznost WHERE zavaznost_popis = 'Vážný'"_s), 125);
    QCOMPARE(load(*m_db, member("frmZavaznostGrd"), {u"Vážný"_s}).value(1), u"12,5"_s);
    QVERIFY(save("frmZavaznostGrd", EditMode::New, none, {u"Drobný"_s, u"0,05"_s}, messages).close);
    QCOMPARE(count(u"SELECT count(*) FROM zavaznost WHERE zavaznost = 0"_s), 1);

    EditorOutcome r =
        save("frmZavaznostGrd", EditMode::New, none, {u"Obří"_s, u"1000"_s}, messages);
    QVERIFY(!r.close && r.focus == 1);
    QCOMPARE(messages.lastText(), u"Hodnota závažnosti nesmí být větší než 999.9 !!!"_s);
    QCOMPARE(messages.shown.last().title, u"Závažnost"_s);
    r = save("frmZavaznostGrd", EditMode::New, none, {u"Obří"_s, QString()}, messages);
    QCOMPARE(messages.lastText(), u"Hodnota závažnosti musí být číslo (0-999,9) !!!"_s);
    QVERIFY(save("frmZavaznostGrd", EditMode::New, none, {u"Obří"_s, u"999,9"_s}, messages).close);
    QCOMPARE(count(u"SELECT max(zavaznost) FROM zavaznost"_s), 9999);

    // The other scales keep their own wording.
    save("frmPravdepodobnostGrd", EditMode::New, none, {u"Častá"_s, u"x"_s}, messages);
    QCOMPARE(messages.lastText(), u"Hodnota pravděpodobnosti musí být číslo (0-999.9) !!!"_s);
    save("frmFrekvenceGrd", EditMode::New, none, {u"Denně"_s, u"1000,1"_s}, messages);
    QCOMPARE(messages.lastText(), u"Hodnota frekvence nesmí být větší než 999,9 !!!"_s);
    // Larger than 999,9 before the cut to tenths, in every scale.
    for (const char *browser : {"frmZavaznostGrd", "frmPravdepodobnostGrd", "frmFrekvenceGrd"})
        for (const QString &value : {u"999,95"_s, u"999.901"_s}) {
            messages.shown.clear();
            QVERIFY(!save(browser, EditMode::New, none, {u"Horní"_s, value}, messages).close);
            QVERIFY2(messages.lastText().contains(u"nesmí být větší než 999"_s), browser);
        }
    QVERIFY(
        save("frmFrekvenceGrd", EditMode::New, none, {u"Horní"_s, u"999,90"_s}, messages).close);
    QCOMPARE(count(u"SELECT count(*) FROM frekvence WHERE frekvence_popis = 'Horní'"_s), 1);

    // A new value alone asks nothing and leaves the risks' values alone.
    m_db->execute(
        u"INSERT INTO rizika (id_riziko, zavaznost_popis, riziko) VALUES (1, 'Vážný', 42)"_s);
    ScriptedMessages quiet;
    QVERIFY(save("frmZavaznostGrd", EditMode::Edit, {u"Vážný"_s, u"12,5"_s}, {u"Vážný"_s, u"30"_s},
                 quiet)
                .close);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(count(u"SELECT zavaznost FROM zavaznost WHERE zavaznost_popis = 'Vážný'"_s), 300);
    QCOMPARE(count(u"SELECT riziko FROM rizika"_s), 42);

    // Deleting a rating used by an open risk is refused.
    quiet.answers = {true};
    QVERIFY(!save("frmZavaznostGrd", EditMode::Delete, {u"Vážný"_s, u"30"_s}, {u"Vážný"_s, u"30"_s},
                  quiet)
                 .close);
    QCOMPARE(quiet.lastText(),
             u"Tato závažnost nelze smazat (je zavedena v neuzavřených položkách rizik) !!! "_s);
    QVERIFY(save("frmZavaznostGrd", EditMode::New, none, {u"Vážný"_s, u"5"_s}, quiet).focus == 0);
    QCOMPARE(quiet.lastText(), u"Tento popis závažnosti již existuje !"_s);
}

void TestCodeLists::levelsHaveWholeThresholds()
{
    ScriptedMessages messages;
    const QStringList none{QString(), QString()};
    QVERIFY(save("frmUrovneGrd", EditMode::New, none, {u"Vysoké"_s, u"200"_s}, messages).close);
    EditorOutcome r =
        save("frmUrovneGrd", EditMode::New, none, {u"Střední"_s, u"10,5"_s}, messages);
    QVERIFY(!r.close);
    QCOMPARE(messages.lastText(), u"Hodnota úrovně musí být celé číslo !!!"_s);
    QCOMPARE(messages.shown.last().title, u"Úroveň rizika"_s);
    save("frmUrovneGrd", EditMode::New, none, {u"Střední"_s, QString()}, messages);
    QCOMPARE(messages.lastText(), u"Hodnota úrovně musí být celé číslo (0-999999) !!!"_s);
    save("frmUrovneGrd", EditMode::New, none, {u"Jiné"_s, u"200"_s}, messages);
    QCOMPARE(messages.lastText(), u"Tato úroveň rizika již existuje !"_s);
    // Two levels may share a name, not a threshold.
    QVERIFY(save("frmUrovneGrd", EditMode::New, none, {u"Vysoké"_s, u"400"_s}, messages).close);
    r = save("frmUrovneGrd", EditMode::Edit, {u"Vysoké"_s, u"400"_s}, {u"Extrémní"_s, u"500"_s},
             messages);
    QCOMPARE(r.activeKey, QStringList{u"500"_s});
    QCOMPARE(load(*m_db, member("frmUrovneGrd"), {u"500"_s}),
             (QStringList{u"Extrémní"_s, u"500"_s}));
    QVERIFY(save("frmUrovneGrd", EditMode::Delete, {u"Vysoké"_s, u"200"_s}, {u"Vysoké"_s, u"200"_s},
                 messages)
                .close);
    QCOMPARE(count(u"SELECT count(*) FROM urovne_rizika"_s), 1);
}

void TestCodeLists::emptyNamesAreRefused()
{
    for (const char *seed :
         {"INSERT INTO pracovnici VALUES ('Zámečník')",
          "INSERT INTO nebezpeci_kategorie VALUES ('Mechanické')",
          "INSERT INTO nebezpeci_kategorie_druh VALUES ('Náraz', 'Mechanické')",
          "INSERT INTO poskozeni VALUES ('Ruka')", "INSERT INTO zavaznost VALUES ('Vážný', 30)",
          "INSERT INTO rizika (id_riziko, pracovnik, nebezpeci_kategorie, nebezpeci_druh, "
          "poskozeni_cast_tela, zavaznost_popis) VALUES (1, 'Zámečník', 'Mechanické', 'Náraz', "
          "'Ruka', 'Vážný')"})
        m_db->execute(QString::fromUtf8(seed));
    const auto stored = [&] {
        return m_db->scalarText(
                   u"SELECT group_concat(x, '|') FROM (SELECT pracovnik x FROM "
                   "pracovnici UNION ALL SELECT nebezpeci_kategorie FROM "
                   "nebezpeci_kategorie UNION ALL SELECT nebezpeci_druh FROM "
                   "nebezpeci_kategorie_druh UNION ALL SELECT cast_tela FROM poskozeni "
                   "UNION ALL SELECT zavaznost_popis FROM zavaznost)"_s) +
               m_db->scalarText(u"SELECT pracovnik || nebezpeci_kategorie || nebezpeci_druh || "
                                "poskozeni_cast_tela || zavaznost_popis FROM rizika"_s);
    };
    const QString before = stored();
    const struct
    {
        const char *browser;
        EditMode mode;
        QStringList old, now;
        const char *title, *text;
    } cases[] = {
        {"frmPracGrid",
         EditMode::Edit,
         {u"Zámečník"_s},
         {u"  "_s},
         "Pracovník/činnost",
         "Pracovník/činnost je nutno vyplnit !"},
        {"frmNebezpeciKateGrd",
         EditMode::Edit,
         {u"Mechanické"_s},
         {QString()},
         "Kategorie nebezpečí",
         "Kategorii nebezpečí je nutno vyplnit !"},
        {"frmNebezpeciDruhGrd",
         EditMode::Edit,
         {u"Náraz"_s, u"Mechanické"_s},
         {u" "_s, u"Mechanické"_s},
         "druh",
         "Pole druh je nutno vyplnit !"},
        {"frmPoskozeniGrd",
         EditMode::Edit,
         {u"Ruka"_s},
         {QString()},
         "Předmět poškození",
         "Předmět poškození je nutno vyplnit !"},
        {"frmZavaznostGrd",
         EditMode::Edit,
         {u"Vážný"_s, u"3"_s},
         {u" "_s, u"3"_s},
         "Závažnost",
         "Popis závažnosti je nutno vyplnit !"},
        {"frmPravdepodobnostGrd",
         EditMode::New,
         {QString(), QString()},
         {QString(), u"5"_s},
         "Pravděpodobnost",
         "Popis pravděpodobnosti je nutno vyplnit !"},
        {"frmFrekvenceGrd",
         EditMode::New,
         {QString(), QString()},
         {QString(), u"1"_s},
         "Frekvence",
         "Popis frekvence je nutno vyplnit !"},
    };
    for (const auto &c : cases) {
        ScriptedMessages messages;
        messages.answers = {true, true};
        const EditorOutcome r = save(c.browser, c.mode, c.old, c.now, messages);
        QVERIFY2(!r.close && r.focus == 0, c.browser);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].kind, u"warn"_s);
        QCOMPARE(messages.shown[0].title, QString::fromUtf8(c.title));
        QCOMPARE(messages.lastText(), QString::fromUtf8(c.text));
        QCOMPARE(stored(), before);
    }
    // A write that changed no row is told with the exclamation.
    ScriptedMessages quiet;
    showWriteError(quiet, 0);
    QCOMPARE(quiet.shown.last().kind, u"warn"_s);
    QCOMPARE(quiet.shown.last().title, u"Nepředpokládaná chyba"_s);
    QCOMPARE(quiet.lastText(),
             u"Řádek nebyl vložen z důvodu chyby: 0. Kontaktujte administrátora úlohy !"_s);
}

void TestCodeLists::hazardCatalogueRules()
{
    m_db->execute(u"INSERT INTO nebezpeci_kategorie VALUES ('Mechanické')"_s);
    m_db->execute(u"INSERT INTO nebezpeci_kategorie VALUES ('Fyzikální')"_s);
    m_db->execute(u"INSERT INTO nebezpeci_kategorie_druh VALUES ('Pořezání', 'Mechanické')"_s);
    m_db->execute(u"INSERT INTO nebezpeci_kategorie_druh VALUES ('Náraz', 'Mechanické')"_s);
    m_db->execute(u"INSERT INTO rizika (id_riziko, nebezpeci_kategorie, nebezpeci_druh) VALUES (1, "
                  "'Mechanické', 'Náraz')"_s);

    // A kind moved to another category: the risk keeps its category text.
    ScriptedMessages messages;
    const QStringList none{QString(), QString()};
    QVERIFY(save("frmNebezpeciDruhGrd", EditMode::Edit, {u"Náraz"_s, u"Mechanické"_s},
                 {u"Náraz"_s, u"Fyzikální"_s}, messages)
                .close);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(m_db->scalarText(u"SELECT nebezpeci_kategorie FROM rizika"_s), u"Mechanické"_s);
    QCOMPARE(
        save("frmNebezpeciDruhGrd", EditMode::New, none, {u"Náraz"_s, u"Fyzikální"_s}, messages)
            .focus,
        0);
    QCOMPARE(messages.lastText(), u"Tento druh nebezpečí v příslušné kategorii již existuje !"_s);
    save("frmNebezpeciDruhGrd", EditMode::New, none, {u"Hluk"_s, QString()}, messages);
    QCOMPARE(messages.lastText(), u"Pole kategorie je nutno zvolit !"_s);

    // A category with kinds but no open risk: one question, then it goes with its kinds.
    m_db->execute(u"UPDATE rizika SET opatreni_splneno = '2024-05-01'"_s);
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(save("frmNebezpeciKateGrd", EditMode::Delete, {u"Mechanické"_s}, {u"Mechanické"_s}, yes)
                .close);
    QCOMPARE(yes.kinds(), QStringList{u"ask"_s});
    QCOMPARE(count(u"SELECT count(*) FROM nebezpeci_kategorie_druh WHERE nebezpeci_kategorie = "
                   "'Mechanické'"_s),
             0);
    QCOMPARE(count(u"SELECT count(*) FROM nebezpeci_kategorie_druh"_s), 1);

    // Equipment of a closed risk: renamed with the risk, never deleted.
    m_db->execute(u"INSERT INTO oop VALUES ('Brýle')"_s);
    m_db->execute(u"INSERT INTO oop_rizika VALUES (1, 'Brýle', 'a')"_s);
    ScriptedMessages rename;
    rename.answers = {true};
    QVERIFY(save("frmOOPGrd", EditMode::Edit, {u"Brýle"_s}, {u"Ochranné brýle"_s}, rename).close);
    QCOMPARE(m_db->scalarText(u"SELECT oop FROM oop_rizika"_s), u"Ochranné brýle"_s);
    ScriptedMessages refused;
    QVERIFY(
        !save("frmOOPGrd", EditMode::Delete, {u"Ochranné brýle"_s}, {u"Ochranné brýle"_s}, refused)
             .close);
    QCOMPARE(refused.lastText(), u"Toto OOP nelze smazat (je použito v položkách rizik) !!! "_s);
    QCOMPARE(refused.shown.last().title, u"OOP"_s);
    save("frmOOPGrd", EditMode::New, {QString()}, {u" "_s}, refused);
    QCOMPARE(refused.lastText(), u"OOP je nutno vyplnit !"_s);

    // A damaged object of closed risks only: deleted without a question.
    m_db->execute(u"INSERT INTO poskozeni VALUES ('Oči')"_s);
    m_db->execute(u"UPDATE rizika SET poskozeni_cast_tela = 'Oči'"_s);
    ScriptedMessages quiet;
    QVERIFY(save("frmPoskozeniGrd", EditMode::Delete, {u"Oči"_s}, {u"Oči"_s}, quiet).close);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(count(u"SELECT count(*) FROM poskozeni"_s), 0);
}

void TestCodeLists::anEntryChangedMeanwhileIsNotOverwritten_data()
{
    QTest::addColumn<QString>("browser");
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<QStringList>("edited");
    QTest::addColumn<QStringList>("meanwhile"); // what another copy does after the check
    QTest::addColumn<bool>("refused");
    const auto row = [](const char *name, const char *browser, const QStringList &loaded,
                        const QStringList &edited, const QStringList &meanwhile, bool refused) {
        QTest::newRow(name) << QString::fromUtf8(browser) << loaded << edited << meanwhile
                            << refused;
    };
    const QStringList worker{u"Svářeč"_s}, category{u"Mechanické"_s};
    const QStringList kind{u"Náraz"_s, u"Mechanické"_s}, scale{u"Vážný"_s, u"12,5"_s};
    row("worker, nothing", "frmPracGrid", worker, {u"Svařovač"_s}, {}, false);
    row("worker, deleted", "frmPracGrid", worker, {u"Svařovač"_s}, {u"DELETE FROM pracovnici"_s},
        true);
    row("category, deleted with its kinds", "frmNebezpeciKateGrd", category, {u"Mechanika"_s},
        {u"DELETE FROM nebezpeci_kategorie WHERE nebezpeci_kategorie = 'Mechanické'"_s,
         u"DELETE FROM nebezpeci_kategorie_druh"_s},
        true);
    row("kind, moved to another category", "frmNebezpeciDruhGrd", kind,
        {u"Úder"_s, u"Mechanické"_s},
        {u"UPDATE nebezpeci_kategorie_druh SET nebezpeci_kategorie = 'Fyzikální'"_s}, true);
    row("scale, nothing", "frmZavaznostGrd", scale, {u"Velmi vážný"_s, u"12,5"_s}, {}, false);
    row("scale, another value", "frmZavaznostGrd", scale, {u"Velmi vážný"_s, u"12,5"_s},
        {u"UPDATE zavaznost SET zavaznost = 130"_s}, true);
    // A key freed and taken again by an entry of other content.
    row("level, threshold taken again", "frmUrovneGrd", {u"Vysoké"_s, u"200"_s},
        {u"Extrémní"_s, u"200"_s},
        {u"DELETE FROM urovne_rizika"_s, u"INSERT INTO urovne_rizika VALUES ('Nízké', 200)"_s},
        true);
    row("type, abbreviation taken again", "frmTypGrd", {u"ZA"_s, u"Zákon"_s}, {u"ZK"_s, u"Zákon"_s},
        {u"DELETE FROM typ"_s, u"INSERT INTO typ VALUES ('Nařízení', 'ZA')"_s}, true);
}

void TestCodeLists::anEntryChangedMeanwhileIsNotOverwritten()
{
    QFETCH(QString, browser);
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, edited);
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    for (const char *sql : {"INSERT INTO pracovnici VALUES ('Svářeč')",
                            "INSERT INTO system_pracovnik VALUES ('Hala', 'Svářeč')",
                            "INSERT INTO nebezpeci_kategorie VALUES ('Mechanické')",
                            "INSERT INTO nebezpeci_kategorie VALUES ('Fyzikální')",
                            "INSERT INTO nebezpeci_kategorie_druh VALUES ('Náraz', 'Mechanické')",
                            "INSERT INTO zavaznost VALUES ('Vážný', 125)",
                            "INSERT INTO urovne_rizika VALUES ('Vysoké', 200)",
                            "INSERT INTO typ VALUES ('Zákon', 'ZA')"})
        m_db->execute(QString::fromUtf8(sql));
    // A closed risk: the rename asks and the cascades have rows to change.
    addRisk(1, u"pracovnik"_s, u"Svářeč"_s, true);
    const CodeList &list = *memberByBrowser(browser);
    const auto keyOf = [&](const QStringList &values) {
        QStringList key;
        for (int column : list.keyColumns)
            key << values[column];
        return key;
    };
    QCOMPARE(load(*m_db, list, keyOf(loaded)), loaded);
    const SavePlan edit = list.check(*m_db, EditMode::Edit, loaded, edited);
    const SavePlan remove = list.check(*m_db, EditMode::Delete, loaded, loaded);
    QVERIFY(!edit.entry.sql.isEmpty() && !remove.entry.sql.isEmpty());

    // Another copy of the program, with its own connection.
    auto other = Database::open(m_db->path());
    for (const QString &sql : meanwhile)
        other->execute(sql);
    const auto stored = [&] {
        return storedRows(*other,
                          {"pracovnici", "system_pracovnik", "rizika", "nebezpeci_kategorie",
                           "nebezpeci_kategorie_druh", "zavaznost", "urovne_rizika", "typ"});
    };
    const QStringList before = stored();
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, commitSave(*m_db, edit));
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, commitSave(*m_db, remove));
        QCOMPARE(stored(), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else {
        QVERIFY(commitSave(*m_db, edit));
        QCOMPARE(load(*other, list, keyOf(edited)), edited);
    }
}

void TestCodeLists::workerImportReadsTextAndCsvFiles()
{
    const auto namesIn = [&](const char *name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QStringList{u"<not written>"_s};
        file.close();
        return namesOfFile(decodeNamesFile(fileBytes(path)), path.endsWith(u".csv"_s));
    };
    // UTF-8 without a mark: padding trimmed, blank lines left out, any line end.
    QCOMPARE(namesIn("plain.txt", "  Lakýrník \r\n\r\n \t\nŘidič\rKovář"),
             (QStringList{u"Lakýrník"_s, u"Řidič"_s, u"Kovář"_s}));
    // With the mark, which is no part of the first name.
    QCOMPARE(namesIn("bom.txt", "\xEF\xBB\xBF"
                                "Žehlička\n"),
             QStringList{u"Žehlička"_s});
    // Windows-1250, also when its only letter outside ASCII is the last byte, one that
    // would start a UTF-8 sequence.
    QCOMPARE(namesIn("cp1250.txt", QByteArray::fromHex("d8657a6eede8656b0d0a8e65686c69e86b61")),
             (QStringList{u"Řezníček"_s, u"Žehlička"_s}));
    QCOMPARE(namesIn("cp1250-end.txt", "Zednik\r\nHrn\xE8"), (QStringList{u"Zednik"_s, u"Hrnč"_s}));
    // CSV: the first field, separated by ";" when the file has one, else by ","; quoted fields
    // keep their separators and doubled quotes.
    QCOMPARE(namesIn("semicolon.csv", "\"Novák, Jan\";údržba\nŘidič;x\n;prázdné\n"),
             (QStringList{u"Novák, Jan"_s, u"Řidič"_s}));
    QCOMPARE(namesIn("comma.csv", "Zedník,stavba\r\n\"Kovář \"\"Mistr\"\"\",x\r\n"),
             (QStringList{u"Zedník"_s, u"Kovář \"Mistr\""_s}));
    // A text file keeps whole lines, commas included.
    QCOMPARE(namesIn("commas.txt", "Údržba, opravy\n"), QStringList{u"Údržba, opravy"_s});

    // Stored names, repeats and the built-in "ostatní" are skipped, exact letter case
    // compared; so are names longer than the field, counted in characters.
    m_db->execute(u"INSERT INTO pracovnici VALUES ('Svářeč')"_s);
    const QString longest = QString(30, u'ž');
    const QString tooLong = longest + u'x';
    const WorkerImport result =
        importWorkers(*m_db, {u"Lakýrník"_s, u"Svářeč"_s, u"Lakýrník"_s, u"lakýrník"_s, tooLong,
                              longest, u"ostatní"_s});
    QCOMPARE(result.imported, (QStringList{u"Lakýrník"_s, u"lakýrník"_s, longest}));
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici WHERE pracovnik IN (?, ?, ?)"_s,
                   {u"Lakýrník"_s, u"lakýrník"_s, longest}),
             3);
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici"_s), 4); // with "Svářeč"
    QCOMPARE(importReport(result), u"Importováno pracovníků/činností: 3\n"
                                   "Přeskočeno: 4\n"
                                   "Svářeč – už existuje\n"
                                   "Lakýrník – už existuje\n"_s +
                                       tooLong +
                                       u" – delší než 30 znaků\n"
                                       "ostatní – už existuje"_s);
    QCOMPARE(importReport(importWorkers(*m_db, {})), u"Importováno pracovníků/činností: 0"_s);
}

void TestCodeLists::workerImportWritesAllOrNothing()
{
    // The engine refuses the second name: the first is not kept either.
    m_db->execute(u"CREATE TRIGGER refuse BEFORE INSERT ON pracovnici WHEN NEW.pracovnik = "
                  "'Zlý' BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, importWorkers(*m_db, {u"Dobrý"_s, u"Zlý"_s}));
    QCOMPARE(count(u"SELECT count(*) FROM pracovnici WHERE pracovnik = 'Dobrý'"_s), 0);
    QCOMPARE(m_db->transactionDepth(), 0);
}

QTEST_GUILESS_MAIN(TestCodeLists)
#include "tst_codelists.moc"

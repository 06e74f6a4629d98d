#include "CodeListSaves.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/CodeList.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::codelists;

class TestCodeLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void numbersInTenths();
    void listingSortsCzechAndHidesOthers();
    void newEntriesAreUniqueLetterCaseIncluded();
    void renameReachesOpenRisksAfterYes();
    void deleteIsRefusedOnlyForOpenRisks();
    void failedCascadeLeavesEverythingAsItWas();
    void scaleValuesAreTenths();
    void levelsHaveWholeThresholds();
    void hazardCatalogueRules();

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
        m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, %1, opatreni_splneno) "
                                     "VALUES (?, ?, ?)")
                          .arg(field),
                      {id, value, closed ? QVariant(QDate(2024, 1, 31)) : QVariant(QDate())});
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestCodeLists::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, QStringLiteral("c%1.mdb").arg(++m_counter));
}

void TestCodeLists::numbersInTenths()
{
    QCOMPARE(tenthsOf(QStringLiteral("12.5")), 125);
    QCOMPARE(tenthsOf(QStringLiteral("12,5")), 125);
    QCOMPARE(tenthsOf(QStringLiteral("0,05")), 0);
    QCOMPARE(tenthsOf(QStringLiteral("999,9")), 9999);
    QCOMPARE(tenthsOf(QStringLiteral(",5")), 5);
    QCOMPARE(tenthsOf(QStringLiteral("7")), 70);
    QVERIFY(!tenthsOf(QString()));
    QVERIFY(!tenthsOf(QStringLiteral("1,2,3")));
    QVERIFY(!tenthsOf(QStringLiteral("abc")));
    QCOMPARE(display(125.0, Display::Tenths), QStringLiteral("12,5"));
    QCOMPARE(display(5.0, Display::Tenths), QStringLiteral("0,5"));
    QCOMPARE(display(120.0, Display::Tenths), QStringLiteral("12"));
    QCOMPARE(display(QVariant(), Display::Tenths), QString());
    QCOMPARE(modeOfWord(QStringLiteral("vymazat")), EditMode::Delete);
    QCOMPARE(modeOfWord(QStringLiteral("kopie")), EditMode::Copy);
    QVERIFY(!modeOfWord(QStringLiteral("Vymazat")));
}

void TestCodeLists::listingSortsCzechAndHidesOthers()
{
    for (const char *name : {"Chemik", "Hasič", "ostatní", "Čistič", "Cukrář"})
        m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES (?)"),
                      {QString::fromUtf8(name)});
    const CodeList &workers = member("frmPracGrid");
    const auto names = [](const Listing &l) {
        QStringList result;
        for (const QStringList &row : l.shown)
            result << row.first();
        return result;
    };
    const QStringList ascending = {QStringLiteral("Cukrář"), QStringLiteral("Čistič"),
                                   QStringLiteral("Hasič"), QStringLiteral("Chemik")};
    QCOMPARE(names(list(*m_db, workers, 0, true)), ascending);
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    QCOMPARE(names(list(*m_db, workers, 0, false)), descending);

    // Numbers sort as numbers and show in tenths.
    for (const auto &[name, value] :
         {std::pair{"Malá", 5}, std::pair{"Střední", 120}, std::pair{"Velká", 1000}})
        m_db->execute(QStringLiteral("INSERT INTO zavaznost VALUES (?, ?)"),
                      {QString::fromUtf8(name), value});
    const Listing byValue = list(*m_db, member("frmZavaznostGrd"), 1, false);
    QCOMPARE(byValue.shown.first(), (QStringList{QStringLiteral("Velká"), QStringLiteral("100")}));
    QCOMPARE(byValue.shown.last(), (QStringList{QStringLiteral("Malá"), QStringLiteral("0,5")}));
    QCOMPARE(load(*m_db, member("frmZavaznostGrd"), {QStringLiteral("Střední")}),
             (QStringList{QStringLiteral("Střední"), QStringLiteral("12")}));
    QVERIFY(load(*m_db, workers, {QStringLiteral("Nikdo")}).isEmpty());
}

void TestCodeLists::newEntriesAreUniqueLetterCaseIncluded()
{
    ScriptedMessages messages;
    EditorOutcome r =
        save("frmPracGrid", EditMode::New, {QString()}, {QStringLiteral(" Lisař ")}, messages);
    QVERIFY(r.close);
    QCOMPARE(r.activeKey, QStringList{QStringLiteral("Lisař")});

    r = save("frmPracGrid", EditMode::New, {QString()}, {QStringLiteral("Lisař")}, messages);
    QVERIFY(!r.close && r.selectAll && r.focus == 0);
    QCOMPARE(messages.shown.last().title, QStringLiteral("pracovník/činnost"));
    QCOMPARE(messages.lastText(), QStringLiteral("Tento pracovník/činnost již existuje !"));

    // Only the letter case differs: accepted, as a new entry and as a rename.
    QVERIFY(
        save("frmPracGrid", EditMode::New, {QString()}, {QStringLiteral("LISAŘ")}, messages).close);
    QVERIFY(save("frmPracGrid", EditMode::Edit, {QStringLiteral("LISAŘ")},
                 {QStringLiteral("lisař")}, messages)
                .close);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM pracovnici")), 2);

    // Nothing changed, or nothing typed in "novy": closes and writes nothing.
    const int shown = messages.shown.size();
    QVERIFY(save("frmPracGrid", EditMode::Edit, {QStringLiteral("Lisař")},
                 {QStringLiteral("Lisař ")}, messages)
                .close);
    QVERIFY(
        save("frmPracGrid", EditMode::New, {QString()}, {QStringLiteral("  ")}, messages).close);
    QCOMPARE(messages.shown.size(), shown);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM pracovnici")), 2);
}

void TestCodeLists::renameReachesOpenRisksAfterYes()
{
    m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Svářeč')"));
    m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Hala', 'Svářeč')"));
    addRisk(1, QStringLiteral("pracovnik"), QStringLiteral("Svářeč"), false);
    addRisk(2, QStringLiteral("pracovnik"), QStringLiteral("Svářeč"), true);

    ScriptedMessages no;
    QVERIFY(!save("frmPracGrid", EditMode::Edit, {QStringLiteral("Svářeč")},
                  {QStringLiteral("Svařovač")}, no)
                 .close);
    QCOMPARE(no.shown.last().kind, QStringLiteral("ask"));
    QCOMPARE(no.lastText(), QStringLiteral("Pozor, tento pracovník/činnost je používan !!! Pokud "
                                           "budete se změnou souhlasit, bude provedena ve všech "
                                           "návazných objektech (s vyjímkou uzavřených rizik)"));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM pracovnici WHERE pracovnik = 'Svářeč'")),
             1);

    ScriptedMessages yes;
    yes.answers = {true};
    const EditorOutcome r = save("frmPracGrid", EditMode::Edit, {QStringLiteral("Svářeč")},
                                 {QStringLiteral("Svařovač")}, yes);
    QVERIFY(r.close);
    QCOMPARE(r.activeKey, QStringList{QStringLiteral("Svařovač")});
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM rizika WHERE id_riziko = 1")),
             QStringLiteral("Svařovač"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM rizika WHERE id_riziko = 2")),
             QStringLiteral("Svářeč"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM system_pracovnik")),
             QStringLiteral("Svařovač"));

    // A name used only by closed risks still asks, and the closed risks keep it.
    m_db->execute(QStringLiteral("INSERT INTO poskozeni VALUES ('Ruka')"));
    addRisk(3, QStringLiteral("poskozeni_cast_tela"), QStringLiteral("Ruka"), true);
    ScriptedMessages again;
    again.answers = {true};
    QVERIFY(save("frmPoskozeniGrd", EditMode::Edit, {QStringLiteral("Ruka")},
                 {QStringLiteral("Ruce")}, again)
                .close);
    QCOMPARE(again.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT poskozeni_cast_tela FROM rizika WHERE "
                                             "id_riziko = 3")),
             QStringLiteral("Ruka"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT cast_tela FROM poskozeni")),
             QStringLiteral("Ruce"));
}

void TestCodeLists::deleteIsRefusedOnlyForOpenRisks()
{
    m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Jeřábník')"));
    m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Hala', 'Jeřábník')"));
    addRisk(1, QStringLiteral("pracovnik"), QStringLiteral("Jeřábník"), false);
    addRisk(2, QStringLiteral("pracovnik"), QStringLiteral("Jeřábník"), true);

    ScriptedMessages refused;
    refused.answers = {true};
    QVERIFY(!save("frmPracGrid", EditMode::Delete, {QStringLiteral("Jeřábník")},
                  {QStringLiteral("Jeřábník")}, refused)
                 .close);
    QCOMPARE(refused.kinds(), QStringList{QStringLiteral("warn")});
    QCOMPARE(refused.shown[0].title, QStringLiteral("Pracovník/činnost"));
    QCOMPARE(refused.lastText(),
             QStringLiteral("Tohoto pracovníka/činnost nelze smazat (je zaveden "
                            "v neuzavřených položkách rizik) !!! "));

    // Only a closed risk left: one question about the systems, then the entry goes with its
    // staffing rows; the closed risk keeps the name.
    m_db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 1"));
    ScriptedMessages no;
    QVERIFY(!save("frmPracGrid", EditMode::Delete, {QStringLiteral("Jeřábník")},
                  {QStringLiteral("Jeřábník")}, no)
                 .close);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM system_pracovnik")), 1);
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(save("frmPracGrid", EditMode::Delete, {QStringLiteral("Jeřábník")},
                 {QStringLiteral("Jeřábník")}, yes)
                .close);
    QCOMPARE(yes.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM pracovnici")), 0);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM system_pracovnik")), 0);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM rizika")),
             QStringLiteral("Jeřábník"));

    // A row that vanished meanwhile: the write check reports it and the editor closes.
    ScriptedMessages gone;
    gone.answers = {true};
    QVERIFY(save("frmPracGrid", EditMode::Delete, {QStringLiteral("Jeřábník")},
                 {QStringLiteral("Jeřábník")}, gone)
                .close);
    QCOMPARE(gone.shown.last().title, QStringLiteral("Nepředpokládaná chyba"));
    QVERIFY(gone.lastText().startsWith(QStringLiteral("Řádek nebyl vložen z důvodu chyby: ")));
}

void TestCodeLists::failedCascadeLeavesEverythingAsItWas()
{
    m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Zámečník')"));
    m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Dílna', 'Zámečník')"));
    // A staffing row already holds the new name: the second statement of the cascade
    // breaks the staffing table's key.
    m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Dílna', 'Údržbář')"));
    addRisk(1, QStringLiteral("pracovnik"), QStringLiteral("Zámečník"), false);

    ScriptedMessages messages;
    messages.answers = {true};
    const EditorOutcome r = save("frmPracGrid", EditMode::Edit, {QStringLiteral("Zámečník")},
                                 {QStringLiteral("Údržbář")}, messages);
    QVERIFY(!r.close);
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QVERIFY(messages.lastText().contains(QStringLiteral("(chyba ")));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM rizika")),
             QStringLiteral("Zámečník"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM pracovnici")),
             QStringLiteral("Zámečník"));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM system_pracovnik WHERE pracovnik = "
                                  "'Zámečník'")),
             1);
    QCOMPARE(m_db->transactionDepth(), 0);
}

void TestCodeLists::scaleValuesAreTenths()
{
    ScriptedMessages messages;
    const QString title = QStringLiteral("Závažnost");
    QVERIFY(save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
                 {QStringLiteral("Vážný"), QStringLiteral("12.5")}, messages)
                .close);
    QCOMPARE(count(QStringLiteral("SELECT zavaznost FROM zavaznost WHERE zavaznost_popis = "
                                  "'Vážný'")),
             125);
    QCOMPARE(load(*m_db, member("frmZavaznostGrd"), {QStringLiteral("Vážný")}).value(1),
             QStringLiteral("12,5"));
    QVERIFY(save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
                 {QStringLiteral("Drobný"), QStringLiteral("0,05")}, messages)
                .close);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM zavaznost WHERE zavaznost = 0")), 1);

    EditorOutcome r = save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
                           {QStringLiteral("Obří"), QStringLiteral("1000")}, messages);
    QVERIFY(!r.close && r.focus == 1);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Hodnota závažnosti nesmí být větší než 999.9 !!!"));
    QCOMPARE(messages.shown.last().title, title);
    r = save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
             {QStringLiteral("Obří"), QString()}, messages);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Hodnota závažnosti musí být číslo (0-999,9) !!!"));
    QVERIFY(save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
                 {QStringLiteral("Obří"), QStringLiteral("999,9")}, messages)
                .close);
    QCOMPARE(count(QStringLiteral("SELECT max(zavaznost) FROM zavaznost")), 9999);

    // The other scales keep their own wording.
    save("frmPravdepodobnostGrd", EditMode::New, {QString(), QString()},
         {QStringLiteral("Častá"), QStringLiteral("x")}, messages);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Hodnota pravděpodobnosti musí být číslo (0-999.9) !!!"));
    save("frmFrekvenceGrd", EditMode::New, {QString(), QString()},
         {QStringLiteral("Denně"), QStringLiteral("1000,1")}, messages);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Hodnota frekvence nesmí být větší než 999,9 !!!"));

    // A new value alone asks nothing and leaves the risks' values alone.
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, zavaznost_popis, riziko) VALUES "
                                 "(1, 'Vážný', 42)"));
    ScriptedMessages quiet;
    QVERIFY(save("frmZavaznostGrd", EditMode::Edit,
                 {QStringLiteral("Vážný"), QStringLiteral("12,5")},
                 {QStringLiteral("Vážný"), QStringLiteral("30")}, quiet)
                .close);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(count(QStringLiteral("SELECT zavaznost FROM zavaznost WHERE zavaznost_popis = "
                                  "'Vážný'")),
             300);
    QCOMPARE(count(QStringLiteral("SELECT riziko FROM rizika")), 42);

    // Deleting a rating used by an open risk is refused.
    quiet.answers = {true};
    QVERIFY(!save("frmZavaznostGrd", EditMode::Delete,
                  {QStringLiteral("Vážný"), QStringLiteral("30")},
                  {QStringLiteral("Vážný"), QStringLiteral("30")}, quiet)
                 .close);
    QCOMPARE(quiet.lastText(), QStringLiteral("Tato závažnost nelze smazat (je zavedena v "
                                              "neuzavřených položkách rizik) !!! "));
    QVERIFY(save("frmZavaznostGrd", EditMode::New, {QString(), QString()},
                 {QStringLiteral("Vážný"), QStringLiteral("5")}, quiet)
                .focus == 0);
    QCOMPARE(quiet.lastText(), QStringLiteral("Tento popis závažnosti již existuje !"));
}

void TestCodeLists::levelsHaveWholeThresholds()
{
    ScriptedMessages messages;
    const QStringList none{QString(), QString()};
    QVERIFY(save("frmUrovneGrd", EditMode::New, none,
                 {QStringLiteral("Vysoké"), QStringLiteral("200")}, messages)
                .close);
    EditorOutcome r = save("frmUrovneGrd", EditMode::New, none,
                           {QStringLiteral("Střední"), QStringLiteral("10,5")}, messages);
    QVERIFY(!r.close);
    QCOMPARE(messages.lastText(), QStringLiteral("Hodnota úrovně musí být celé číslo !!!"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Úroveň rizika"));
    save("frmUrovneGrd", EditMode::New, none, {QStringLiteral("Střední"), QString()}, messages);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Hodnota úrovně musí být celé číslo (0-999999) !!!"));
    save("frmUrovneGrd", EditMode::New, none, {QStringLiteral("Jiné"), QStringLiteral("200")},
         messages);
    QCOMPARE(messages.lastText(), QStringLiteral("Tato úroveň rizika již existuje !"));
    // Two levels may share a name, not a threshold.
    QVERIFY(save("frmUrovneGrd", EditMode::New, none,
                 {QStringLiteral("Vysoké"), QStringLiteral("400")}, messages)
                .close);
    r = save("frmUrovneGrd", EditMode::Edit, {QStringLiteral("Vysoké"), QStringLiteral("400")},
             {QStringLiteral("Extrémní"), QStringLiteral("500")}, messages);
    QCOMPARE(r.activeKey, QStringList{QStringLiteral("500")});
    QCOMPARE(load(*m_db, member("frmUrovneGrd"), {QStringLiteral("500")}),
             (QStringList{QStringLiteral("Extrémní"), QStringLiteral("500")}));
    QVERIFY(save("frmUrovneGrd", EditMode::Delete,
                 {QStringLiteral("Vysoké"), QStringLiteral("200")},
                 {QStringLiteral("Vysoké"), QStringLiteral("200")}, messages)
                .close);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM urovne_rizika")), 1);
}

void TestCodeLists::hazardCatalogueRules()
{
    m_db->execute(QStringLiteral("INSERT INTO nebezpeci_kategorie VALUES ('Mechanické')"));
    m_db->execute(QStringLiteral("INSERT INTO nebezpeci_kategorie VALUES ('Fyzikální')"));
    m_db->execute(QStringLiteral("INSERT INTO nebezpeci_kategorie_druh VALUES ('Pořezání', "
                                 "'Mechanické')"));
    m_db->execute(QStringLiteral("INSERT INTO nebezpeci_kategorie_druh VALUES ('Náraz', "
                                 "'Mechanické')"));
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, nebezpeci_kategorie, "
                                 "nebezpeci_druh) VALUES (1, 'Mechanické', 'Náraz')"));

    // A kind moved to another category: the risk keeps its category text.
    ScriptedMessages messages;
    QVERIFY(save("frmNebezpeciDruhGrd", EditMode::Edit,
                 {QStringLiteral("Náraz"), QStringLiteral("Mechanické")},
                 {QStringLiteral("Náraz"), QStringLiteral("Fyzikální")}, messages)
                .close);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT nebezpeci_kategorie FROM rizika")),
             QStringLiteral("Mechanické"));
    QCOMPARE(save("frmNebezpeciDruhGrd", EditMode::New, {QString(), QString()},
                  {QStringLiteral("Náraz"), QStringLiteral("Fyzikální")}, messages)
                 .focus,
             0);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Tento druh nebezpečí v příslušné kategorii již existuje !"));
    save("frmNebezpeciDruhGrd", EditMode::New, {QString(), QString()},
         {QStringLiteral("Hluk"), QString()}, messages);
    QCOMPARE(messages.lastText(), QStringLiteral("Pole kategorie je nutno zvolit !"));

    // A category with kinds but no open risk: one question, then it goes with its kinds.
    m_db->execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = '2024-05-01'"));
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(save("frmNebezpeciKateGrd", EditMode::Delete, {QStringLiteral("Mechanické")},
                 {QStringLiteral("Mechanické")}, yes)
                .close);
    QCOMPARE(yes.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM nebezpeci_kategorie_druh WHERE "
                                  "nebezpeci_kategorie = 'Mechanické'")),
             0);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM nebezpeci_kategorie_druh")), 1);

    // Equipment of a closed risk: renamed with the risk, never deleted.
    m_db->execute(QStringLiteral("INSERT INTO oop VALUES ('Brýle')"));
    m_db->execute(QStringLiteral("INSERT INTO oop_rizika VALUES (1, 'Brýle', 'a')"));
    ScriptedMessages rename;
    rename.answers = {true};
    QVERIFY(save("frmOOPGrd", EditMode::Edit, {QStringLiteral("Brýle")},
                 {QStringLiteral("Ochranné brýle")}, rename)
                .close);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT oop FROM oop_rizika")),
             QStringLiteral("Ochranné brýle"));
    ScriptedMessages refused;
    QVERIFY(!save("frmOOPGrd", EditMode::Delete, {QStringLiteral("Ochranné brýle")},
                  {QStringLiteral("Ochranné brýle")}, refused)
                 .close);
    QCOMPARE(refused.lastText(),
             QStringLiteral("Toto OOP nelze smazat (je použito v položkách rizik) !!! "));
    QCOMPARE(refused.shown.last().title, QStringLiteral("OOP"));
    save("frmOOPGrd", EditMode::New, {QString()}, {QStringLiteral(" ")}, refused);
    QCOMPARE(refused.lastText(), QStringLiteral("OOP je nutno vyplnit !"));

    // A damaged object of closed risks only: deleted without a question.
    m_db->execute(QStringLiteral("INSERT INTO poskozeni VALUES ('Oči')"));
    m_db->execute(QStringLiteral("UPDATE rizika SET poskozeni_cast_tela = 'Oči'"));
    ScriptedMessages quiet;
    QVERIFY(save("frmPoskozeniGrd", EditMode::Delete, {QStringLiteral("Oči")},
                 {QStringLiteral("Oči")}, quiet)
                .close);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM poskozeni")), 0);
}

QTEST_GUILESS_MAIN(TestCodeLists)
#include "tst_codelists.moc"

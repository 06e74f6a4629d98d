#include "CodeListSaves.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/Systems.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::systems;

class TestSystems : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void treeHasRootsThenChildrenThenUnassigned();
    void damagedTreesEndUnderUnassignedWithoutHanging();
    void namesThatReadAsNumbers();
    void newSystemsAreCheckedBeforeAnythingIsWritten();
    void pathsOfSixtyCharactersAreTooLong();
    void renameCascadesIntoOpenRisksAndChildren();
    void renameAsksOnlyWhenRisksUseTheName();
    void moveBelowItselfIsRefused();
    void deleteClosesOpenRisksAfterYes();
    void staffingKeepsOthersAndWorkersOfOpenRisks();
    void failedSavesLeaveEveryTableAsItWas();
    void aSystemChangedMeanwhileIsNotOverwritten_data();
    void aSystemChangedMeanwhileIsNotOverwritten();

private:
    void addSystem(const QString &name, const QString &parent = QString())
    {
        m_db->execute(
            QStringLiteral("INSERT INTO systemy (system, system_nadrazeny) VALUES (?, ?)"),
            {name, parent});
    }
    // Each "parent/system", or "system" for a root.
    void addSystems(std::initializer_list<const char *> rows)
    {
        for (const char *row : rows) {
            const QStringList names = s(row).split(QLatin1Char('/'));
            addSystem(names.last(), names.size() > 1 ? names.first() : QString());
        }
    }
    void addStaff(const char *system, std::initializer_list<const char *> workers)
    {
        for (const char *worker : workers)
            m_db->execute(
                QStringLiteral("INSERT INTO system_pracovnik (system, pracovnik) VALUES (?, ?)"),
                {s(system), s(worker)});
    }
    void addRisk(int id, const QString &system, bool closed, const char *worker = "ostatní",
                 const char *path = "stará/cesta")
    {
        m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik, cesta, "
                                     "opatreni_splneno, napravna_opatreni) VALUES (?,?,?,?,?,?)"),
                      {id, system, s(worker), s(path),
                       closed ? QVariant(QDate(2024, 1, 31)) : QVariant(), s("původní")});
    }
    QString riskText(int id, const char *field)
    {
        return m_db->scalarText(QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko = ?")
                                    .arg(QString::fromUtf8(field)),
                                {id});
    }
    QStringList staffOf(const char *system) { return workersOf(*m_db, s(system)); }
    // Every row of the tables a save touches, for comparing before and after.
    QStringList dump() { return storedRows(*m_db, {"systemy", "system_pracovnik", "rizika"}); }
    // "A (B, C (D))": the names of the nodes, each with its children in brackets.
    static QString outline(const std::vector<TreeNode> &nodes)
    {
        QStringList parts;
        for (const TreeNode &node : nodes)
            parts << (node.children.empty()
                          ? node.name
                          : node.name + s(" (") + outline(node.children) + s(")"));
        return parts.join(s(", "));
    }
    static QString s(const char *text) { return QString::fromUtf8(text); }
    static ParentMap parentsOf(const QVector<SystemRow> &rows)
    {
        ParentMap parents;
        for (const SystemRow &row : rows)
            parents.insert(row.name, row.parent);
        return parents;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestSystems::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, QStringLiteral("s%1.mdb").arg(++m_counter));
}

void TestSystems::treeHasRootsThenChildrenThenUnassigned()
{
    // "Sirotek"'s parent row was deleted; it has a child of its own.
    addSystems({"Závod", "Závod/Hala", "Závod/Chodba", "Závod/Cvičiště", "Hala/Lis 2",
                "Administrativa", "Smazaný/Sirotek", "Sirotek/Pod sirotkem"});
    const Tree tree = loadTree(*m_db);
    // Czech order: "ch" after "h", "č" after "c".
    QCOMPARE(outline(tree), s("Administrativa, Závod (Cvičiště, Hala (Lis 2), Chodba), "
                              "nezařazené (Sirotek (Pod sirotkem))"));
    QVERIFY(!tree[0].unassigned && tree[2].unassigned);

    // A sound tree has no "nezařazené" node; an empty one has no node at all.
    QVERIFY(buildTree({}).empty());
    QCOMPARE(outline(buildTree({{s("A"), {}}, {s("B"), s("A")}})), s("A (B)"));
}

void TestSystems::damagedTreesEndUnderUnassignedWithoutHanging()
{
    // A -> B -> C -> A is a cycle, D hangs below C, S is its own parent.
    const QVector<SystemRow> rows{{s("R"), {}},     {s("A"), s("B")}, {s("B"), s("C")},
                                  {s("C"), s("A")}, {s("D"), s("C")}, {s("S"), s("S")},
                                  {s("E"), s("D")}};
    // Every system of a cycle directly under "nezařazené", what hangs below them under them.
    QCOMPARE(outline(buildTree(rows)), s("R, nezařazené (A, B, C (D (E)), S)"));
    // A path walks up until it meets a system again, a missing parent or a name no system has.
    QCOMPARE(path(s("A"), parentsOf(rows)), s("C/B/A"));
    QCOMPARE(path(s("E"), parentsOf(rows)), s("B/A/C/D/E"));
    QCOMPARE(path(s("S"), parentsOf(rows)), s("S"));
    QCOMPARE(path(s("Neznámý"), parentsOf(rows)), s("Neznámý"));

    // No limit of a thousand systems, and a long chain is no trouble.
    QVector<SystemRow> chain{{s("s0"), {}}};
    for (int i = 1; i <= 20000; ++i)
        chain.append({QStringLiteral("s%1").arg(i), QStringLiteral("s%1").arg(i - 1)});
    chain.append({s("x0"), s("x20000")}); // a long cycle of another 20001 systems
    for (int i = 1; i <= 20000; ++i)
        chain.append({QStringLiteral("x%1").arg(i), QStringLiteral("x%1").arg(i - 1)});
    QElapsedTimer timer;
    timer.start();
    const Tree deep = buildTree(chain);
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(deep.size(), size_t(2));
    int depth = 0;
    for (const TreeNode *node = &deep[0]; !node->children.empty(); node = &node->children[0])
        ++depth;
    QCOMPARE(depth, 20000);
    QCOMPARE(deep[1].children.size(), size_t(20001));
    const QString longPath = path(s("s20000"), parentsOf(chain));
    QVERIFY(longPath.startsWith(s("s0/s1/s2/")));
    QCOMPARE(longPath.count(QLatin1Char('/')), 20000);
}

void TestSystems::namesThatReadAsNumbers()
{
    for (const char *number : {"123", " 7 ", "12,5", "12.5", "-3", "+4", "1 000", ",5", "0"})
        QVERIFY2(readsAsNumber(s(number)), number);
    for (const char *name : {"123a", "a123", "Hala 2", "1.2.3", "2-3", "", "e", "1e5", "§ 5"})
        QVERIFY2(!readsAsNumber(s(name)), name);
}

void TestSystems::newSystemsAreCheckedBeforeAnythingIsWritten()
{
    addSystem(s("Hala"));
    const QStringList before = dump();
    ScriptedMessages messages;

    SaveResult r = saveNew(*m_db, {s("123"), s("Hala"), {}}, messages);
    QCOMPARE(r.outcome, Outcome::Refused);
    QVERIFY(r.focusName);
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QCOMPARE(messages.lastText(), s("Název systému musí obsahovat alespoň 1 nenumerický znak! "));
    QCOMPARE(saveNew(*m_db, {s("   "), s("Hala"), {}}, messages).outcome, Outcome::Refused);
    QCOMPARE(messages.lastText(), s("Název systému musí být vyplněn!"));
    QCOMPARE(saveNew(*m_db, {s("Hala"), QString(), {}}, messages).outcome, Outcome::Refused);
    QCOMPARE(messages.lastText(), s("Systém 'Hala' již existuje!!!"));
    QCOMPARE(saveNew(*m_db, {s("Sklad"), s("Zbořená"), {}}, messages).outcome, Outcome::Refused);
    QCOMPARE(dump(), before);

    // Digits followed by a letter are a name; the name is trimmed, "ostatní" always staffed.
    messages.shown.clear();
    r = saveNew(*m_db, {s(" 123a "), s("Hala"), {s("Svářeč")}}, messages);
    QVERIFY(r.saved());
    QCOMPARE(r.system, s("123a"));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(loadSystem(*m_db, s("123a")).parent, s("Hala"));
    QCOMPARE(staffOf("123a"), (QStringList{s("ostatní"), s("Svářeč")}));
    // A letter-case variant is another name.
    QVERIFY(saveNew(*m_db, {s("hala"), QString(), {}}, messages).saved());
    QCOMPARE(loadSystem(*m_db, s("hala")).parent, QString());
}

void TestSystems::pathsOfSixtyCharactersAreTooLong()
{
    const QString child(30, QLatin1Char('b'));
    addSystem(s("A"));
    addSystem(child, s("A"));
    addSystem(QString(26, QLatin1Char('c')), child);
    ScriptedMessages messages;
    // 1 + 1 + 30 + 1 + 26 = 59: fits.
    QVERIFY(checkPathLengths(*m_db, messages));
    QVERIFY(messages.shown.isEmpty());

    const QString grandchild(27, QLatin1Char('c'));
    addSystem(grandchild, child);
    QVERIFY(!checkPathLengths(*m_db, messages));
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QCOMPARE(messages.shown.last().title, s("Systém"));
    QCOMPARE(messages.lastText(), s("Strom systémů se systémem '") + grandchild +
                                      s("' přesahuje maximální povolenou délku. Upravte "
                                        "systém/strom systémů."));

    // A path over the stored size is cut to it, so a save never fails on it.
    const QString longer(40, QLatin1Char('d'));
    addSystem(longer, child);
    addRisk(1, longer, false);
    QCOMPARE(refreshOpenRiskPaths(*m_db, longer), 1);
    QCOMPARE(riskText(1, "cesta"), (s("A/") + child + s("/") + longer).left(60));
}

void TestSystems::renameCascadesIntoOpenRisksAndChildren()
{
    addSystems({"Závod", "Závod/Hala", "Hala/Lis", "Lis/Jeřáb"});
    addStaff("Hala", {"ostatní", "Svářeč"});
    addRisk(1, s("Hala"), false, "Svářeč");
    addRisk(2, s("Hala"), true, "Svářeč");
    addRisk(3, s("Lis"), false);
    addRisk(4, s("Lis"), false);
    addRisk(5, s("Jeřáb"), false);
    // A risk closed by its programme is closed too.
    m_db->execute(QStringLiteral("UPDATE rizika SET program_splneno = '2024-02-01' WHERE "
                                 "id_riziko = 4"));

    // A refresh of one system reaches none below it.
    QCOMPARE(refreshOpenRiskPaths(*m_db, s("Hala")), 1);
    QCOMPARE(riskText(1, "cesta"), s("Závod/Hala"));
    QCOMPARE(riskText(3, "cesta"), s("stará/cesta"));

    ScriptedMessages messages;
    messages.answers = {true};
    const SystemData loaded = loadSystem(*m_db, s("Hala"));
    QCOMPARE(loaded.workers, (QStringList{s("ostatní"), s("Svářeč")}));
    const SaveResult r = saveChanges(
        *m_db, loaded, {s("Hala A"), s("Závod"), {s("ostatní"), s("Svářeč"), s("Jeřábník")}},
        messages);
    QVERIFY(r.saved());
    QCOMPARE(r.system, s("Hala A"));
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(messages.lastText(), s("Pozor, tento systém je používán!!! Pokud budete se změnou "
                                    "souhlasit, bude provedena ve všech neuzavřených položkách "
                                    "rizik.)"));

    QVERIFY(loadSystem(*m_db, s("Hala")).name.isEmpty());
    QCOMPARE(loadSystem(*m_db, s("Hala A")).parent, s("Závod"));
    QCOMPARE(loadSystem(*m_db, s("Lis")).parent, s("Hala A"));
    QCOMPARE(staffOf("Hala"), QStringList());
    QCOMPARE(staffOf("Hala A"), (QStringList{s("Jeřábník"), s("ostatní"), s("Svářeč")}));
    // Open risks follow the name and the path, also below the system.
    QCOMPARE(riskText(1, "system"), s("Hala A"));
    QCOMPARE(riskText(1, "cesta"), s("Závod/Hala A"));
    QCOMPARE(riskText(3, "cesta"), s("Závod/Hala A/Lis"));
    QCOMPARE(riskText(5, "cesta"), s("Závod/Hala A/Lis/Jeřáb"));
    // Closed ones keep what they had.
    QCOMPARE(riskText(2, "system"), s("Hala"));
    QCOMPARE(riskText(2, "cesta"), s("stará/cesta"));
    QCOMPARE(riskText(4, "cesta"), s("stará/cesta"));

    // A change of letter case alone is a rename, not a duplicate.
    messages.answers = {true};
    const SystemData renamed = loadSystem(*m_db, s("Hala A"));
    QVERIFY(
        saveChanges(*m_db, renamed, {s("HALA A"), s("Závod"), renamed.workers}, messages).saved());
    QCOMPARE(riskText(1, "system"), s("HALA A"));
    // Another system's name is refused.
    QCOMPARE(
        saveChanges(*m_db, loadSystem(*m_db, s("Lis")), {s("Závod"), s("HALA A"), {}}, messages)
            .outcome,
        Outcome::Refused);
    QCOMPARE(messages.lastText(), s("Systém 'Závod' již existuje!!!"));
}

void TestSystems::renameAsksOnlyWhenRisksUseTheName()
{
    addSystems({"Hala", "Sklad"});
    addRisk(1, s("Sklad"), true);
    ScriptedMessages messages;

    // No risk: no question.
    QVERIFY(saveChanges(*m_db, loadSystem(*m_db, s("Hala")), {s("Dílna"), QString(), {}}, messages)
                .saved());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(staffOf("Dílna"), QStringList{s("ostatní")});

    // Only a closed risk: the question comes; No changes nothing.
    const QStringList before = dump();
    const SaveResult no =
        saveChanges(*m_db, loadSystem(*m_db, s("Sklad")), {s("Sklady"), QString(), {}}, messages);
    QCOMPARE(no.outcome, Outcome::Cancelled);
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(dump(), before);
    // "123" is refused in an edit too.
    QCOMPARE(saveChanges(*m_db, loadSystem(*m_db, s("Sklad")), {s("123"), QString(), {}}, messages)
                 .outcome,
             Outcome::Refused);
    QCOMPARE(dump(), before);
}

void TestSystems::moveBelowItselfIsRefused()
{
    addSystems({"Závod", "Závod/Hala", "Hala/Lis", "Sklad"});
    addRisk(1, s("Lis"), false);
    ScriptedMessages messages;
    const QStringList before = dump();
    const SystemData hala = loadSystem(*m_db, s("Hala"));
    for (const char *below : {"Hala", "Lis"}) {
        QCOMPARE(saveChanges(*m_db, hala, {s("Hala"), s(below), {}}, messages).outcome,
                 Outcome::Refused);
        QCOMPARE(messages.lastText(),
                 s("Systém nelze přesunout pod sebe sama ani pod svůj podřízený systém!"));
    }
    QCOMPARE(dump(), before);

    // A move elsewhere refreshes the paths of the branch.
    QVERIFY(saveChanges(*m_db, hala, {s("Hala"), s("Sklad"), {}}, messages).saved());
    QCOMPARE(loadSystem(*m_db, s("Hala")).parent, s("Sklad"));
    QCOMPARE(riskText(1, "cesta"), s("Sklad/Hala/Lis"));
    QVERIFY(saveChanges(*m_db, loadSystem(*m_db, s("Hala")), {s("Hala"), QString(), {}}, messages)
                .saved());
    QCOMPARE(riskText(1, "cesta"), s("Hala/Lis"));

    // A system of a cycle keeps its stored parent unless another one is chosen.
    m_db->execute(QStringLiteral("UPDATE systemy SET system_nadrazeny = 'Lis' WHERE system = "
                                 "'Hala'"));
    const SystemData cyclic = loadSystem(*m_db, s("Hala"));
    QVERIFY(saveChanges(*m_db, cyclic, {s("Hala"), s("Lis"), {s("Kovář")}}, messages).saved());
    QCOMPARE(loadSystem(*m_db, s("Hala")).parent, s("Lis"));
    QVERIFY(saveChanges(*m_db, loadSystem(*m_db, s("Hala")), {s("Hala"), QString(), {}}, messages)
                .saved());
    QCOMPARE(loadSystem(*m_db, s("Hala")).parent, QString());
}

void TestSystems::deleteClosesOpenRisksAfterYes()
{
    addSystems({"Závod", "Závod/Hala", "Závod/Sklad"});
    addStaff("Hala", {"ostatní", "Svářeč"});
    addRisk(1, s("Hala"), false, "Svářeč", "Závod/Hala");
    addRisk(2, s("Hala"), true);
    addRisk(3, s("Závod"), false);
    ScriptedMessages messages;

    // A system with systems below is refused.
    const QStringList before = dump();
    QCOMPARE(deleteSystem(*m_db, loadSystem(*m_db, s("Závod")), messages).outcome,
             Outcome::Refused);
    QCOMPARE(dump(), before);

    // No: nothing changes.
    messages.shown.clear();
    const SystemData hala = loadSystem(*m_db, s("Hala"));
    QCOMPARE(deleteSystem(*m_db, hala, messages).outcome, Outcome::Cancelled);
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(messages.lastText(), s("Tento systém obsahuje neuzavřená rizika! Chcete přesto "
                                    "tento systém zrušit (všechna rizika budou uzavřena)? "));
    QCOMPARE(dump(), before);

    messages.answers = {true};
    QVERIFY(deleteSystem(*m_db, hala, messages).saved());
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM systemy")), 2);
    QCOMPARE(staffOf("Hala"), QStringList());
    QCOMPARE(riskText(1, "opatreni_splneno"), QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(riskText(1, "napravna_opatreni"), s("zrušení systému"));
    QCOMPARE(riskText(1, "system"), s("Hala"));
    QCOMPARE(riskText(1, "cesta"), s("Závod/Hala"));
    // The risk closed earlier and another system's risk stay as they were.
    QCOMPARE(riskText(2, "napravna_opatreni"), s("původní"));
    QCOMPARE(riskText(3, "napravna_opatreni"), s("původní"));

    // Without open risks there is no question.
    messages.shown.clear();
    QVERIFY(deleteSystem(*m_db, loadSystem(*m_db, s("Sklad")), messages).saved());
    QVERIFY(messages.shown.isEmpty());
}

void TestSystems::staffingKeepsOthersAndWorkersOfOpenRisks()
{
    QCOMPARE(withOthers({s("Svářeč"), QString(), s("Svářeč"), s("  ")}),
             (QStringList{s("ostatní"), s("Svářeč")}));
    QCOMPARE(withOthers({s("Svářeč"), s("ostatní")}), (QStringList{s("Svářeč"), s("ostatní")}));

    for (const char *worker : {"Svářeč", "Chemik", "Hasič", "ostatní"})
        m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES (?)"), {s(worker)});
    QCOMPARE(possibleWorkers(*m_db, {s("ostatní"), s("Svářeč")}),
             (QStringList{s("Hasič"), s("Chemik")}));

    addSystems({"Hala", "Sklad"});
    addStaff("Hala", {"ostatní", "Svářeč", "Chemik", "Hasič"});
    addRisk(1, s("Hala"), false, "Svářeč");
    addRisk(2, s("Hala"), true, "Chemik");
    addRisk(3, s("Sklad"), false, "Hasič");

    ScriptedMessages messages;
    QVERIFY(!mayRemoveWorker(*m_db, s("Hala"), s("ostatní"), messages));
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(!mayRemoveWorker(*m_db, s("Hala"), s("Svářeč"), messages));
    QCOMPARE(messages.shown.last().kind, QStringLiteral("warn"));
    QCOMPARE(messages.shown.last().title, s("Pracovník/činnost"));
    QCOMPARE(messages.lastText(), s("Pracovníka/činnost Svářeč z tohoto systému nelze odebrat (je "
                                    "zavedena v neuzavřených položkách rizik) !!! "));

    // The save holds to the same rule and always keeps "ostatní"; closed risks and other
    // systems' risks hold no worker.
    const SystemData hala = loadSystem(*m_db, s("Hala"));
    messages.shown.clear();
    QCOMPARE(saveChanges(*m_db, hala, {s("Hala"), QString(), {s("Chemik")}}, messages).outcome,
             Outcome::Refused);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(staffOf("Hala"), hala.workers);
    QVERIFY(saveChanges(*m_db, hala, {s("Hala"), QString(), {s("Svářeč")}}, messages).saved());
    QCOMPARE(staffOf("Hala"), (QStringList{s("ostatní"), s("Svářeč")}));
}

void TestSystems::failedSavesLeaveEveryTableAsItWas()
{
    addSystems({"Závod", "Závod/Hala", "Hala/Lis"});
    addStaff("Hala", {"ostatní"});
    addStaff("Lis", {"ostatní"});
    addRisk(1, s("Hala"), false);
    addRisk(2, s("Lis"), false);
    const QStringList before = dump();
    ScriptedMessages messages;
    messages.answers = {true, true};

    // A worker longer than the staffing field fails after the rename has been written.
    const QString tooLong(31, QLatin1Char('w'));
    SaveResult r = saveChanges(*m_db, loadSystem(*m_db, s("Hala")),
                               {s("Hala 2"), s("Závod"), {tooLong}}, messages);
    QCOMPARE(r.outcome, Outcome::Failed);
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QVERIFY(messages.lastText().contains(QStringLiteral("(chyba ")));
    QCOMPARE(dump(), before);
    QCOMPARE(m_db->transactionDepth(), 0);

    r = saveNew(*m_db, {s("Sklad"), s("Závod"), {tooLong}}, messages);
    QCOMPARE(r.outcome, Outcome::Failed);
    QCOMPARE(dump(), before);

    // The last statement of a delete fails: the risks stay open, the system stays.
    m_db->execute(QStringLiteral("CREATE TRIGGER fail_staff BEFORE DELETE ON system_pracovnik "
                                 "BEGIN SELECT RAISE(ABORT, 'zkouška'); END"));
    r = deleteSystem(*m_db, loadSystem(*m_db, s("Lis")), messages);
    QCOMPARE(r.outcome, Outcome::Failed);
    QCOMPARE(dump(), before);
    QCOMPARE(m_db->transactionDepth(), 0);
}

void TestSystems::aSystemChangedMeanwhileIsNotOverwritten_data()
{
    QTest::addColumn<QStringList>("meanwhile"); // what another copy does while a question is open
    QTest::addColumn<QString>("outcome");       // "saved", "changed", or the refusal's text
    const auto row = [](const char *name, const QStringList &sql, const char *outcome) {
        QTest::newRow(name) << sql << s(outcome);
    };
    row("nothing", {}, "saved");
    row("moved", {s("UPDATE systemy SET system_nadrazeny = '' WHERE system = 'Hala'")}, "changed");
    row("restaffed", {s("INSERT INTO system_pracovnik VALUES ('Hala', 'Jeřábník')")}, "changed");
    row("deleted",
        {s("DELETE FROM system_pracovnik WHERE system = 'Hala'"),
         s("DELETE FROM systemy WHERE system = 'Hala'")},
        "changed");
    // Not the system itself: the rules on the other systems hold again inside the transaction.
    row("the new name taken", {s("INSERT INTO systemy VALUES ('Hala 2', '')")},
        "Systém 'Hala 2' již existuje!!!");
    row("the new parent deleted", {s("DELETE FROM systemy WHERE system = 'Sklad'")},
        "Nadřazený systém 'Sklad' již neexistuje!");
    row("the new parent moved below it",
        {s("UPDATE systemy SET system_nadrazeny = 'Hala' WHERE system = 'Sklad'")},
        "Systém nelze přesunout pod sebe sama ani pod svůj podřízený systém!");
}

void TestSystems::aSystemChangedMeanwhileIsNotOverwritten()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(QString, outcome);
    addSystems({"Závod", "Závod/Hala", "Sklad"});
    addStaff("Hala", {"ostatní", "Svářeč"});
    addRisk(1, s("Hala"), false, "Svářeč"); // renaming and deleting ask first
    const SystemData loaded = loadSystem(*m_db, s("Hala"));

    // Another copy of the program writes while the first question is open.
    struct : ScriptedMessages
    {
        std::function<void()> meanwhile;
        bool ask(const QString &title, const QString &text, Tone tone) override
        {
            if (meanwhile)
                std::exchange(meanwhile, {})();
            return ScriptedMessages::ask(title, text, tone);
        }
    } messages;
    auto other = Database::open(m_db->path());
    QStringList before;
    messages.meanwhile = [&] {
        for (const QString &sql : meanwhile)
            other->execute(sql);
        before = dump();
    };
    messages.answers = {true, true};

    const SystemData edited{s("Hala 2"), s("Sklad"), loaded.workers};
    if (outcome == s("changed")) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, saveChanges(*m_db, loaded, edited, messages));
        QCOMPARE(dump(), before);
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, deleteSystem(*m_db, loaded, messages));
        QCOMPARE(dump(), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else if (outcome == s("saved")) {
        QVERIFY(saveChanges(*m_db, loaded, edited, messages).saved());
        QCOMPARE(loadSystem(*other, s("Hala 2")).parent, s("Sklad"));
    } else {
        const SaveResult r = saveChanges(*m_db, loaded, edited, messages);
        QCOMPARE(r.outcome, Outcome::Refused);
        QCOMPARE(messages.lastText(), outcome);
        QCOMPARE(dump(), before);
    }
}

QTEST_GUILESS_MAIN(TestSystems)
#include "tst_systems.moc"

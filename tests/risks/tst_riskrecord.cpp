#include "CodeListSaves.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "app/DemoDatabase.h"
#include "db/Schema.h"
#include "risks/RiskFields.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestRiskRecord : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyFieldInItsColumn();
    void duplicatesAndUnchangedEdits();
    void attachmentsCopiesAndDeletes();
    void closingAsksAndRecordsTheFormula();
    void aRiskChangedMeanwhileIsNotOverwritten_data();
    void aRiskChangedMeanwhileIsNotOverwritten();

private:
    // A valid risk of the demo register's code lists.
    RiskRecord sample() const
    {
        RiskRecord r;
        r.system = QStringLiteral("Lis CKW 400");
        r.worker = QStringLiteral("Lisař");
        r.category = QStringLiteral("Mechanické nebezpečí");
        r.kind = QStringLiteral("Pořezání, píchnutí");
        r.source = QStringLiteral("Ostré hrany výlisků");
        r.damaged = QStringLiteral("Prsty");
        r.character = QStringLiteral("Řezné rány");
        r.severity = QStringLiteral("Vážný úraz");
        r.probability = QStringLiteral("Zcela možná");
        r.frequency = QStringLiteral("Často (denně)");
        return r;
    }
    // The editor's main button: the check, its prompts answered by `messages`, the commit.
    struct Outcome
    {
        enum Kind { Refused, Unchanged, Saved };
        Kind outcome = Refused;
        QString focus; // after a refusal
        RiskCommit commit;
    };
    Outcome save(EditMode mode, const RiskRecord &opened, const RiskRecord &now,
                 ScriptedMessages &messages)
    {
        const RiskSaveCheck check = checkRiskSave(*m_db, mode, opened, now);
        const PromptResult answer = showPrompts(messages, check.prompts);
        if (answer != PromptResult::Accepted) {
            const QString focus = answer == PromptResult::Refused ? check.focus : QString();
            return {Outcome::Refused, focus, {}};
        }
        if (check.unchanged)
            return {Outcome::Unchanged, QString(), {}};
        return {Outcome::Saved, QString(), commitRiskSave(*m_db, mode, opened, check.risk)};
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestRiskRecord::init()
{
    m_db.reset();
    const QString path = m_dir.filePath(QStringLiteral("r%1.mdb").arg(++m_counter));
    demo::writeDemoDatabase(path, 0);
    m_db = Database::open(path);
}

void TestRiskRecord::everyFieldInItsColumn()
{
    // The list of fields names the columns of the schema catalogue, each once; their kinds
    // and positions in the overview show in the stored row below and in tst_columnsetdialogs.
    QStringList listed;
    for (const RiskField &f : riskFields())
        listed << f.column;
    QStringList columns = schema::table(QStringLiteral("rizika")).fieldNames();
    listed.sort();
    columns.sort();
    QCOMPARE(listed, columns);

    // Each member of a new risk lands in its own column and comes back; numbers run on.
    ScriptedMessages messages;
    messages.answers = {true}; // closing
    RiskRecord r = sample();
    r.measures = QStringLiteral("Kryt lisu");
    r.corrective = QStringLiteral("Nový kryt");
    r.correctiveResponsible = QStringLiteral("J. Novák");
    r.correctiveDue = QDate(2025, 1, 2);
    r.correctiveDone = QDate(2025, 1, 3);
    r.requirementId = 4;
    r.goal = QStringLiteral("Bez úrazu");
    r.target = QStringLiteral("0 úrazů");
    r.resources = QStringLiteral("10 000 Kč");
    r.programmeResponsible = QStringLiteral("P. Svoboda");
    r.programmeDue = QDate(2025, 1, 4);
    r.programmeDone = QDate(2025, 1, 5);
    r.notes = QStringLiteral("Poznámka");
    r.breach = true;
    QCOMPARE(save(EditMode::New, {}, r, messages).commit.id, 1);
    const Rows row = m_db->query(QStringLiteral("SELECT * FROM rizika WHERE id_riziko = 1"));
    const std::pair<const char *, QVariant> stored[] = {
        {"system", r.system},
        {"pracovnik", r.worker},
        {"nebezpeci_kategorie", r.category},
        {"nebezpeci_druh", r.kind},
        {"nebezpeci_zdroj", r.source},
        {"poskozeni_cast_tela", r.damaged},
        {"poskozeni_charakter", r.character},
        {"bezpecnostni_opatreni", r.measures},
        {"zavaznost_popis", r.severity},
        {"pravdepodobnost_popis", r.probability},
        {"frekvence_popis", r.frequency},
        {"riziko", 126.0}, // 7 * 3 * 6 by the active formula
        {"napravna_opatreni", r.corrective},
        {"opatreni_zodpovida", r.correctiveResponsible},
        {"opatreni_termin", QStringLiteral("2025-01-02")},
        {"opatreni_splneno", QStringLiteral("2025-01-03")},
        {"pozadavek_id", 4},
        {"cil", r.goal},
        {"cilova_hodnota", r.target},
        {"zdroje", r.resources},
        {"program_zodpovida", r.programmeResponsible},
        {"program_termin", QStringLiteral("2025-01-04")},
        {"program_splneno", QStringLiteral("2025-01-05")},
        {"poznamky", r.notes},
        {"legislativa", QStringLiteral("a")},
        {"cesta", QString()}, // closed at once: only open risks follow the tree
        {"pozadavek", QStringLiteral("ano")},
        {"dilci_ukoly", QStringLiteral("ne")},
        {"oopp_poskytnute", QStringLiteral("ne")},
        {"oopp_chybejici", QStringLiteral("ne")},
    };
    for (const auto &[column, value] : stored)
        QCOMPARE(row.value(0, QString::fromLatin1(column)).toString(), value.toString());
    r.value = QStringLiteral("126");
    QCOMPARE(loadRisk(*m_db, 1)->fields(), r.fields());

    RiskRecord second = sample();
    second.source = QStringLiteral("Stříhání plechu");
    QCOMPARE(save(EditMode::New, {}, second, messages).commit.id, 2);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT cesta FROM rizika WHERE id_riziko = 2")),
             QStringLiteral("Strojírny Hradec a.s./Lisovna/Lis CKW 400"));
    QCOMPARE(valueText(4.5), QStringLiteral("4,5"));
    QCOMPARE(valueText(1200), QStringLiteral("1200"));
}

void TestRiskRecord::duplicatesAndUnchangedEdits()
{
    ScriptedMessages messages;
    QCOMPARE(save(EditMode::New, {}, sample(), messages).outcome, Outcome::Saved);
    const Outcome twin = save(EditMode::New, {}, sample(), messages);
    QCOMPARE(twin.outcome, Outcome::Refused);
    QCOMPARE(twin.focus, QStringLiteral("system"));
    QCOMPARE(messages.lastText(),
             QStringLiteral("Toto riziko již existuje ! Změňte některou položku záložky Riziko."));

    // A twin written behind the editor's back: only a change of the seven fields checks.
    m_db->execute(QStringLiteral("CREATE TEMP TABLE twin AS SELECT * FROM rizika"));
    m_db->execute(QStringLiteral("UPDATE twin SET id_riziko = 2"));
    m_db->execute(QStringLiteral("INSERT INTO rizika SELECT * FROM twin"));
    const RiskRecord opened = *loadRisk(*m_db, 1);
    RiskRecord same = opened;
    same.notes = QStringLiteral("  ");
    ScriptedMessages quiet;
    QCOMPARE(save(EditMode::Edit, opened, same, quiet).outcome, Outcome::Unchanged);
    RiskRecord notes = opened;
    notes.notes = QStringLiteral("Prověřeno při auditu");
    QCOMPARE(save(EditMode::Edit, opened, notes, quiet).outcome, Outcome::Saved);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(loadRisk(*m_db, 1)->notes, QStringLiteral("Prověřeno při auditu"));

    // Both closed: the same seven fields in an open risk are accepted...
    m_db->execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = '2024-05-01'"));
    QCOMPARE(save(EditMode::New, {}, sample(), messages).commit.id, 3);
    // ...and so is one closed on other dates, but not on the same ones.
    RiskRecord closedAlike = sample();
    closedAlike.correctiveDone = QDate(2024, 5, 2);
    messages.answers = {true, false};
    QCOMPARE(save(EditMode::New, {}, closedAlike, messages).commit.id, 4);
    closedAlike.correctiveDone = QDate(2024, 5, 1);
    messages.answers = {true};
    QCOMPARE(save(EditMode::New, {}, closedAlike, messages).outcome, Outcome::Refused);
}

void TestRiskRecord::attachmentsCopiesAndDeletes()
{
    ScriptedMessages messages;
    RiskRecord r = sample();
    r.equipment = {{QStringLiteral("Pracovní rukavice"), Provided},
                   {QStringLiteral("Ochranné brýle"), Provided},
                   {QStringLiteral("Obličejový štít"), Missing},
                   {QStringLiteral("Ochranné brýle"), Missing}};
    r.requirementId = 2;
    r.breach = true;
    const Outcome saved = save(EditMode::New, {}, r, messages);
    QCOMPARE(saved.outcome, Outcome::Saved);
    // Provided and missing at once: the first line is kept and the user is told.
    QCOMPARE(saved.commit.skippedEquipment, QStringList{QStringLiteral("Ochranné brýle")});
    QVERIFY(skippedEquipmentNotice(saved.commit.skippedEquipment)
                .text.endsWith(QStringLiteral(": Ochranné brýle")));
    QCOMPARE(
        m_db->scalarText(QStringLiteral("SELECT oopp_poskytnute || oopp_chybejici || "
                                        "dilci_ukoly || pozadavek || legislativa FROM rizika")),
        QStringLiteral("anoanoneanoa"));

    // Sub-tasks come and go with the risk's save.
    RiskRecord opened = *loadRisk(*m_db, 1);
    QCOMPARE(opened.equipment, r.equipment.first(3));
    RiskRecord withTask = opened;
    withTask.subTasks = {
        {QStringLiteral("Proškolit obsluhu"), QDate(2025, 3, 1), QStringLiteral("J. Novák")}};
    QCOMPARE(save(EditMode::Edit, opened, withTask, messages).outcome, Outcome::Saved);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT dilci_ukoly FROM rizika")),
             QStringLiteral("ano"));
    QCOMPARE(loadRisk(*m_db, 1)->subTasks, withTask.subTasks);

    // A copy saved unchanged is the same risk again; changed, it keeps the attachments.
    RiskRecord copy = *loadRisk(*m_db, 1);
    QCOMPARE(save(EditMode::New, {}, copy, messages).outcome, Outcome::Refused);
    copy.worker = QStringLiteral("Seřizovač");
    QCOMPARE(save(EditMode::New, {}, copy, messages).commit.id, 2);
    const RiskRecord stored = *loadRisk(*m_db, 2);
    QCOMPARE(stored.equipment, withTask.equipment);
    QCOMPARE(stored.subTasks, withTask.subTasks);

    const RiskRecord doomed = *loadRisk(*m_db, 1);
    QCOMPARE(save(EditMode::Delete, doomed, doomed, messages).outcome, Outcome::Saved);
    QVERIFY(!loadRisk(*m_db, 1));
    // Its attachments go with it; the copy's stay.
    QCOMPARE(
        m_db->scalarText(QStringLiteral("SELECT group_concat(id_riziko) FROM (SELECT id_riziko "
                                        "FROM oop_rizika UNION ALL SELECT id_riziko FROM "
                                        "dilci_ukoly)")),
        QStringLiteral("2,2,2,2"));
}

void TestRiskRecord::closingAsksAndRecordsTheFormula()
{
    ScriptedMessages messages;
    RiskRecord r = sample();
    r.equipment = {{QStringLiteral("Pracovní rukavice"), Provided}};
    save(EditMode::New, {}, r, messages);
    const RiskRecord opened = *loadRisk(*m_db, 1);
    RiskRecord changed = opened;
    changed.equipment = {{QStringLiteral("Ochranné brýle"), Missing}};
    changed.notes = QStringLiteral("Změněno");
    changed.correctiveDone = QDate(2025, 2, 2);

    ScriptedMessages no;
    QCOMPARE(save(EditMode::Edit, opened, changed, no).outcome, Outcome::Refused);
    QCOMPARE(no.shown.last().title, QStringLiteral("Uzavření rizika"));
    // The closing record is the last statement; when it cannot be written, nothing is.
    ScriptedMessages yes;
    yes.answers = {true, true};
    m_db->execute(QStringLiteral("ALTER TABLE rizika_uzavrene RENAME TO pryc"));
    QVERIFY_THROWS_EXCEPTION(DbError, save(EditMode::Edit, opened, changed, yes));
    m_db->execute(QStringLiteral("ALTER TABLE pryc RENAME TO rizika_uzavrene"));
    // Neither the answer No nor the failed save changed anything.
    const RiskRecord after = *loadRisk(*m_db, 1);
    QCOMPARE(after.fields(), opened.fields());
    QCOMPARE(after.equipment, opened.equipment);
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika_uzavrene")), 0);
    QCOMPARE(m_db->transactionDepth(), 0);

    // Either completion date closes the risk.
    changed.correctiveDone = QDate();
    changed.programmeDone = QDate(2025, 6, 30);
    const Outcome closed = save(EditMode::Edit, opened, changed, yes);
    QCOMPARE(closed.outcome, Outcome::Saved);
    QVERIFY(closed.commit.closedNow);
    QVERIFY(loadRisk(*m_db, 1)->closed());
    QCOMPARE(closingFormula(*m_db, 1), QStringLiteral("Z*P*F"));
}

void TestRiskRecord::aRiskChangedMeanwhileIsNotOverwritten_data()
{
    QTest::addColumn<QStringList>("meanwhile"); // what another copy does after the load
    QTest::addColumn<bool>("refused");
    const auto row = [](const char *name, QStringList sql, bool refused) {
        QTest::newRow(name) << sql << refused;
    };
    row("nothing", {}, false);
    row("a field", {QStringLiteral("UPDATE rizika SET bezpecnostni_opatreni = 'Kryt'")}, true);
    row("the value, recomputed", {QStringLiteral("UPDATE rizika SET riziko = 1")}, true);
    row("a sub-task", {QStringLiteral("UPDATE dilci_ukoly SET zodpovida = 'K. Černý'")}, true);
    row("equipment", {QStringLiteral("INSERT INTO oop_rizika VALUES (1, 'Ochranné brýle', 'n')")},
        true);
    row("deleted", {QStringLiteral("DELETE FROM rizika")}, true);
    // Only the fields the program keeps itself: not what the user loaded.
    row("the path", {QStringLiteral("UPDATE rizika SET cesta = 'Jinde'")}, false);
}

void TestRiskRecord::aRiskChangedMeanwhileIsNotOverwritten()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    ScriptedMessages messages;
    RiskRecord r = sample();
    r.subTasks = {{QStringLiteral("Opravit kryt"), QDate(2025, 1, 31), QStringLiteral("J. Novák")}};
    QCOMPARE(save(EditMode::New, {}, r, messages).commit.id, 1);
    const RiskRecord opened = *loadRisk(*m_db, 1);

    // Another copy of the program, with its own connection.
    auto other = Database::open(m_db->path());
    for (const QString &sql : meanwhile)
        other->execute(sql);
    const auto stored = [&] { return storedRows(*other, {"rizika", "dilci_ukoly"}); };
    const QStringList before = stored();

    RiskRecord edited = opened;
    edited.notes = QStringLiteral("Moje poznámka");
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, save(EditMode::Edit, opened, edited, messages));
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile,
                                 save(EditMode::Delete, opened, opened, messages));
        QCOMPARE(stored(), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else {
        QCOMPARE(save(EditMode::Edit, opened, edited, messages).outcome, Outcome::Saved);
        QCOMPARE(loadRisk(*other, 1)->notes, edited.notes);
    }
}

QTEST_GUILESS_MAIN(TestRiskRecord)
#include "tst_riskrecord.moc"

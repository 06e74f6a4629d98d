#include "CodeListSaves.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/Regulations.h"
#include "codelists/Requirements.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::codelists;
using namespace Qt::StringLiterals;

class TestRegulations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void typesAreRenamedIntoRegulationsAndKeptWhileUsed();
    void regulationsTakeTheFirstFreeNumber();
    void regulationSaveReplacesItsDocumentsAndDeleteTakesThem();
    void documentsComeFromTheDocumentsFolder();
    void emptyCatalogueAndDuplicateRequirements();
    void requirementsOfClosedRisksAreNotEdited();
    void aRegulationChangedMeanwhileIsNotOverwritten_data();
    void aRegulationChangedMeanwhileIsNotOverwritten();
    void aRequirementChangedMeanwhileIsNotOverwritten_data();
    void aRequirementChangedMeanwhileIsNotOverwritten();

private:
    EditorOutcome saveType(EditMode mode, const QStringList &old, const QStringList &now,
                           ScriptedMessages &messages)
    {
        return runPlan(*m_db, memberByBrowser(u"frmTypGrd"_s)->check(*m_db, mode, old, now),
                       messages);
    }
    EditorOutcome saveRegulation(EditMode mode, const Regulation &old, const Regulation &now,
                                 ScriptedMessages &messages)
    {
        return runPlan(*m_db, checkRegulation(*m_db, mode, old, now), messages);
    }
    Regulation regulation(const char *number, const QStringList &documents = {})
    {
        Regulation r;
        r.type = u"Zákon"_s;
        r.number = QString::fromUtf8(number);
        r.title = u"Název "_s + r.number;
        r.issued = QDate(2006, 4, 21);
        r.documents = documents;
        return r;
    }
    qint64 count(const QString &sql) { return m_db->scalarInt(sql); }
    // Another copy of the program, with its own connection, after running `sql`.
    std::unique_ptr<Database> other(const QStringList &sql)
    {
        auto db = Database::open(m_db->path());
        for (const QString &statement : sql)
            db->execute(statement);
        return db;
    }
    static void meanwhileRows() // what another copy does after the load; refused or not
    {
        QTest::addColumn<QStringList>("meanwhile");
        QTest::addColumn<bool>("refused");
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestRegulations::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, u"r%1.mdb"_s.arg(++m_counter));
    m_db->execute(u"INSERT INTO typ VALUES ('Zákon', 'ZA')"_s);
}

void TestRegulations::typesAreRenamedIntoRegulationsAndKeptWhileUsed()
{
    ScriptedMessages messages;
    QVERIFY(saveRegulation(EditMode::New, {}, regulation("262/2006 Sb."), messages).close);

    QVERIFY(!saveType(EditMode::New, {QString(), QString()}, {u"ZA"_s, u"x"_s}, messages).close);
    QCOMPARE(messages.lastText(), u"Tato zkratka již existuje !"_s);
    QCOMPARE(messages.shown.last().title, u"Zkratka"_s);
    saveType(EditMode::New, {QString(), QString()}, {u"NV"_s, QString()}, messages);
    QCOMPARE(messages.lastText(), u"Typ předpisu musí být vyplněn !"_s);

    QVERIFY(
        !saveType(EditMode::Delete, {u"ZA"_s, u"Zákon"_s}, {u"ZA"_s, u"Zákon"_s}, messages).close);
    QCOMPARE(messages.lastText(),
             u"Tento typ nelze smazat (je použít v aktuálních předpisech) !!! "_s);

    messages.answers = {true};
    const EditorOutcome renamed =
        saveType(EditMode::Edit, {u"ZA"_s, u"Zákon"_s}, {u"ZK"_s, u"Zákony"_s}, messages);
    QVERIFY(renamed.close);
    QCOMPARE(renamed.activeKey, QStringList{u"ZK"_s});
    QCOMPARE(m_db->scalarText(u"SELECT typ FROM predpisy"_s), u"Zákony"_s);
    QCOMPARE(m_db->scalarText(u"SELECT zkratka FROM typ"_s), u"ZK"_s);
}

void TestRegulations::regulationsTakeTheFirstFreeNumber()
{
    for (int id : {1, 2, 4})
        m_db->execute(u"INSERT INTO predpisy VALUES (?, 'Zákon', ?, 'x', NULL, '')"_s,
                      {id, QString::number(id)});
    ScriptedMessages messages;
    const EditorOutcome r = saveRegulation(EditMode::New, {}, regulation("309/2006 Sb."), messages);
    QCOMPARE(r.activeKey, QStringList{u"3"_s});
    QCOMPARE(freeRegulationId(*m_db), 5);

    // Required number and type, unique number.
    QCOMPARE(saveRegulation(EditMode::New, {}, regulation("  "), messages).focus, int(NumberField));
    QCOMPARE(messages.lastText(), u"Číslo musí být vyplněno !!!"_s);
    Regulation untyped = regulation("1/2000");
    untyped.type.clear();
    QCOMPARE(saveRegulation(EditMode::New, {}, untyped, messages).focus, int(TypeField));
    QCOMPARE(messages.lastText(), u"Položka typ musí být zvolena !!!"_s);
    const EditorOutcome duplicate =
        saveRegulation(EditMode::New, {}, regulation("309/2006 Sb."), messages);
    QVERIFY(!duplicate.close && duplicate.selectAll);
    QCOMPARE(messages.lastText(), u"Tento predpis (číslo) již existuje !"_s);
}

void TestRegulations::regulationSaveReplacesItsDocumentsAndDeleteTakesThem()
{
    ScriptedMessages messages;
    saveRegulation(EditMode::New, {}, regulation("1/2020", {u"a.pdf"_s, u"b.doc"_s}), messages);
    const Regulation stored = *loadRegulation(*m_db, 1);
    QCOMPARE(stored.documents, (QStringList{u"a.pdf"_s, u"b.doc"_s}));

    // Nothing changed: closes and writes nothing.
    QVERIFY(saveRegulation(EditMode::Edit, stored, stored, messages).close);

    Regulation changed = stored;
    changed.documents = {u"c.xlsx"_s};
    changed.issued = QDate();
    QVERIFY(saveRegulation(EditMode::Edit, stored, changed, messages).close);
    const Regulation again = *loadRegulation(*m_db, 1);
    QCOMPARE(again.documents, QStringList{u"c.xlsx"_s});
    QVERIFY(!again.issued.isValid());
    QVERIFY(messages.shown.isEmpty());

    // Requirements keep seeing their regulations: a named one stays with its documents.
    Requirement requirement;
    requirement.parts = {u"Nosit přilbu"_s, QString(), QString(), QString()};
    requirement.regulations = {1};
    QCOMPARE(saveRequirement(*m_db, {}, requirement, messages), 1);
    QVERIFY(!saveRegulation(EditMode::Delete, again, again, messages).close);
    QCOMPARE(messages.lastText(),
             u"Tento předpis nelze smazat (je uveden u požadavků č. 1) !!! "_s);
    QCOMPARE(count(u"SELECT count(*) FROM dokumenty"_s), 1);

    // Once free, deleting takes its documents along.
    m_db->execute(u"DELETE FROM pozadavky_predpisy"_s);
    QVERIFY(saveRegulation(EditMode::Delete, again, again, messages).close);
    QCOMPARE(count(u"SELECT count(*) FROM predpisy"_s), 0);
    QCOMPARE(count(u"SELECT count(*) FROM dokumenty"_s), 0);
}

void TestRegulations::documentsComeFromTheDocumentsFolder()
{
    QTemporaryDir documents;
    QTemporaryDir elsewhere;
    ScriptedMessages messages;
    QVERIFY(!requireDocumentsFolder(u"  "_s, messages));
    QCOMPARE(messages.lastText(), u"Není nastavena cesta k dokumentům!"_s);
    QCOMPARE(messages.shown.last().title, u"Dokumenty"_s);
    QVERIFY(requireDocumentsFolder(documents.path(), messages));

    QCOMPARE(documentToAdd(elsewhere.filePath(u"zakon.pdf"_s), documents.path(), {}, messages),
             QString());
    QCOMPARE(messages.lastText(), u"Zvolen chybný adresář"_s);
    QCOMPARE(messages.shown.last().title, u"Chybný adresář"_s);
    QCOMPARE(documentToAdd(documents.filePath(u"zakon.pdf"_s), documents.path(), {}, messages),
             u"zakon.pdf"_s);
    QCOMPARE(documentToAdd(documents.filePath(u"zakon.pdf"_s), documents.path(), {u"zakon.pdf"_s},
                           messages),
             QString());

    QCOMPARE(documentToOpen(documents.path(), u"smazany.pdf"_s, messages), QString());
    QCOMPARE(messages.lastText(),
             u"Soubor nelze najít! Překontrolujte cestu ve volbě Nastavení, Dokumenty"_s);
    QFile file(documents.filePath(u"zakon.pdf"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(documentToOpen(documents.path(), u"zakon.pdf"_s, messages),
             documents.filePath(u"zakon.pdf"_s));
}

void TestRegulations::emptyCatalogueAndDuplicateRequirements()
{
    ScriptedMessages messages;
    Requirement empty;
    empty.parts = {u" "_s, QString(), QString(), QString()};
    QVERIFY(!saveRequirement(*m_db, {}, empty, messages));
    QCOMPARE(messages.lastText(), u"Požadavek musí být vyplněn!!!"_s);
    QCOMPARE(messages.shown.last().kind, u"fail"_s);

    Requirement first;
    first.parts = {u"A"_s, u"B"_s, QString(), QString()};
    first.regulations = {7, 7, 3};
    QCOMPARE(saveRequirement(*m_db, {}, first, messages), 1);
    QCOMPARE(loadRequirement(*m_db, 1)->regulations.size(), 2);
    QVERIFY(!saveRequirement(*m_db, {}, first, messages));
    QCOMPARE(messages.lastText(), u"Tento požadavek již existuje"_s);
    // The same text in another order of parts is another requirement.
    Requirement swapped;
    swapped.parts = {u"B"_s, u"A"_s, QString(), QString()};
    QCOMPARE(saveRequirement(*m_db, {}, swapped, messages), 2);
    QCOMPARE(requirementText(loadRequirement(*m_db, 2)->parts), u"BA"_s);
}

void TestRegulations::requirementsOfClosedRisksAreNotEdited()
{
    ScriptedMessages messages;
    Requirement requirement;
    requirement.parts = {u"Chrániče sluchu"_s, QString(), QString(), QString()};
    QCOMPARE(saveRequirement(*m_db, {}, requirement, messages), 1);
    m_db->execute(u"INSERT INTO rizika (id_riziko, pozadavek_id, opatreni_splneno) VALUES (1, 1, "
                  "'2024-02-01')"_s);

    requirement = *loadRequirement(*m_db, 1);
    Requirement edited = requirement;
    edited.parts[0] = u"Chrániče sluchu nad 85 dB"_s;
    QVERIFY(!saveRequirement(*m_db, requirement, edited, messages));
    QCOMPARE(messages.lastText(),
             u"Tento požadavek nelze upravovat (je zavedena v uzavřených položkách rizik) !!! "_s);

    // No open risk uses it: it can be deleted after the question.
    messages.answers = {true};
    QVERIFY(deleteRequirement(*m_db, requirement, messages));
    QCOMPARE(messages.lastText(), u"Opravdu chcete vymazat tento požadavek? "_s);
    QVERIFY(requirementIds(*m_db).isEmpty());

    // An open risk blocks the deletion and asks before a change.
    QCOMPARE(saveRequirement(*m_db, {}, edited, messages), 1);
    m_db->execute(u"UPDATE rizika SET opatreni_splneno = NULL"_s);
    requirement = *loadRequirement(*m_db, 1);
    QVERIFY(!deleteRequirement(*m_db, requirement, messages));
    QCOMPARE(messages.lastText(),
             u"Tento požadavek nelze smazat (je zavedena v odpovídajících položkách rizik) !!! "_s);
    edited.parts[0] = u"Nové znění"_s;
    ScriptedMessages no;
    QVERIFY(!saveRequirement(*m_db, requirement, edited, no));
    QCOMPARE(no.shown.last().kind, u"ask"_s);
    QCOMPARE(loadRequirement(*m_db, 1)->parts.first(), u"Chrániče sluchu nad 85 dB"_s);
}

void TestRegulations::aRegulationChangedMeanwhileIsNotOverwritten_data()
{
    meanwhileRows();
    QTest::newRow("nothing") << QStringList() << false;
    QTest::newRow("a field") << QStringList{u"UPDATE predpisy SET nazev = 'Jiný'"_s} << true;
    QTest::newRow("a document") << QStringList{u"INSERT INTO dokumenty VALUES (1, 'c.pdf')"_s}
                                << true;
    QTest::newRow("deleted") << QStringList{u"DELETE FROM dokumenty"_s, u"DELETE FROM predpisy"_s}
                             << true;
}

void TestRegulations::aRegulationChangedMeanwhileIsNotOverwritten()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    ScriptedMessages messages;
    saveRegulation(EditMode::New, {}, regulation("1/2020", {u"a.pdf"_s, u"b.doc"_s}), messages);
    const Regulation loaded = *loadRegulation(*m_db, 1);
    Regulation edited = loaded;
    edited.note = u"Moje poznámka"_s;
    const SavePlan edit = checkRegulation(*m_db, EditMode::Edit, loaded, edited);
    const SavePlan remove = checkRegulation(*m_db, EditMode::Delete, loaded, loaded);

    auto colleague = other(meanwhile);
    const QStringList before = storedRows(*colleague, {"predpisy", "dokumenty"});
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, commitSave(*m_db, edit));
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, commitSave(*m_db, remove));
        QCOMPARE(storedRows(*colleague, {"predpisy", "dokumenty"}), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else {
        QVERIFY(commitSave(*m_db, edit));
        QVERIFY(loadRegulation(*colleague, 1) == edited);
    }
}

void TestRegulations::aRequirementChangedMeanwhileIsNotOverwritten_data()
{
    meanwhileRows();
    QTest::newRow("nothing") << QStringList() << false;
    QTest::newRow("a part") << QStringList{u"UPDATE pozadavky SET pozadavek2 = 'v hale'"_s} << true;
    QTest::newRow("a regulation") << QStringList{u"INSERT INTO pozadavky_predpisy VALUES (1, 8)"_s}
                                  << true;
    QTest::newRow("deleted") << QStringList{u"DELETE FROM pozadavky_predpisy"_s,
                                            u"DELETE FROM pozadavky"_s}
                             << true;
}

void TestRegulations::aRequirementChangedMeanwhileIsNotOverwritten()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    ScriptedMessages messages;
    Requirement requirement;
    requirement.parts = {u"Nosit přilbu"_s, QString(), QString(), QString()};
    requirement.regulations = {7};
    QCOMPARE(saveRequirement(*m_db, {}, requirement, messages), 1);
    const Requirement loaded = *loadRequirement(*m_db, 1);
    Requirement edited = loaded;
    edited.parts[1] = u" ve skladu"_s;
    edited.regulations = {7, 9};

    auto colleague = other(meanwhile);
    const QStringList before = storedRows(*colleague, {"pozadavky", "pozadavky_predpisy"});
    messages.answers = {true}; // deleting asks first
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile,
                                 saveRequirement(*m_db, loaded, edited, messages));
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, deleteRequirement(*m_db, loaded, messages));
        QCOMPARE(storedRows(*colleague, {"pozadavky", "pozadavky_predpisy"}), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else {
        QCOMPARE(saveRequirement(*m_db, loaded, edited, messages), 1);
        QCOMPARE(loadRequirement(*colleague, 1)->regulations, (QVector<qint64>{7, 9}));
    }
}

QTEST_GUILESS_MAIN(TestRegulations)
#include "tst_regulations.moc"

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

class TestRegulations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void typesAreRenamedIntoRegulationsAndKeptWhileUsed();
    void regulationsTakeTheFirstFreeNumber();
    void regulationSaveReplacesItsDocuments();
    void regulationNamedByARequirementIsKept();
    void documentsComeFromTheDocumentsFolder();
    void emptyCatalogueAndDuplicateRequirements();
    void requirementsOfClosedRisksAreNotEdited();

private:
    EditorOutcome saveType(EditMode mode, const QStringList &old, const QStringList &now,
                           ScriptedMessages &messages)
    {
        return runPlan(*m_db,
                       memberByBrowser(QStringLiteral("frmTypGrd"))->check(*m_db, mode, old, now),
                       messages);
    }
    EditorOutcome saveRegulation(Database &db, EditMode mode, const Regulation &old,
                                 const Regulation &now, ScriptedMessages &messages)
    {
        return runPlan(db, checkRegulation(db, mode, old, now), messages);
    }
    Regulation regulation(const char *number, const QStringList &documents = {})
    {
        Regulation r;
        r.type = QStringLiteral("Zákon");
        r.number = QString::fromUtf8(number);
        r.title = QStringLiteral("Název ") + r.number;
        r.issued = QDate(2006, 4, 21);
        r.documents = documents;
        return r;
    }
    qint64 count(const QString &sql) { return m_db->scalarInt(sql); }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestRegulations::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, QStringLiteral("r%1.mdb").arg(++m_counter));
    m_db->execute(QStringLiteral("INSERT INTO typ VALUES ('Zákon', 'ZA')"));
}

void TestRegulations::typesAreRenamedIntoRegulationsAndKeptWhileUsed()
{
    ScriptedMessages messages;
    QVERIFY(saveRegulation(*m_db, EditMode::New, {}, regulation("262/2006 Sb."), messages).close);

    QVERIFY(!saveType(EditMode::New, {QString(), QString()},
                      {QStringLiteral("ZA"), QStringLiteral("x")}, messages)
                 .close);
    QCOMPARE(messages.lastText(), QStringLiteral("Tato zkratka již existuje !"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Zkratka"));
    saveType(EditMode::New, {QString(), QString()}, {QStringLiteral("NV"), QString()}, messages);
    QCOMPARE(messages.lastText(), QStringLiteral("Typ předpisu musí být vyplněn !"));

    QVERIFY(!saveType(EditMode::Delete, {QStringLiteral("ZA"), QStringLiteral("Zákon")},
                      {QStringLiteral("ZA"), QStringLiteral("Zákon")}, messages)
                 .close);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Tento typ nelze smazat (je použít v aktuálních předpisech) !!! "));

    messages.answers = {true};
    const EditorOutcome renamed =
        saveType(EditMode::Edit, {QStringLiteral("ZA"), QStringLiteral("Zákon")},
                 {QStringLiteral("ZK"), QStringLiteral("Zákony")}, messages);
    QVERIFY(renamed.close);
    QCOMPARE(renamed.activeKey, QStringList{QStringLiteral("ZK")});
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT typ FROM predpisy")),
             QStringLiteral("Zákony"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT zkratka FROM typ")), QStringLiteral("ZK"));
}

void TestRegulations::regulationsTakeTheFirstFreeNumber()
{
    for (int id : {1, 2, 4})
        m_db->execute(QStringLiteral("INSERT INTO predpisy VALUES (?, 'Zákon', ?, 'x', NULL, '')"),
                      {id, QString::number(id)});
    QCOMPARE(freeRegulationId(*m_db), 3);
    ScriptedMessages messages;
    const EditorOutcome r =
        saveRegulation(*m_db, EditMode::New, {}, regulation("309/2006 Sb."), messages);
    QCOMPARE(r.activeKey, QStringList{QStringLiteral("3")});
    QCOMPARE(freeRegulationId(*m_db), 5);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT vydano FROM predpisy WHERE predpis_id = 3")),
             QStringLiteral("2006-04-21"));

    // Required number and type, unique number.
    QCOMPARE(saveRegulation(*m_db, EditMode::New, {}, regulation("  "), messages).focus,
             int(NumberField));
    QCOMPARE(messages.lastText(), QStringLiteral("Číslo musí být vyplněno !!!"));
    Regulation untyped = regulation("1/2000");
    untyped.type.clear();
    QCOMPARE(saveRegulation(*m_db, EditMode::New, {}, untyped, messages).focus, int(TypeField));
    QCOMPARE(messages.lastText(), QStringLiteral("Položka typ musí být zvolena !!!"));
    const EditorOutcome duplicate =
        saveRegulation(*m_db, EditMode::New, {}, regulation("309/2006 Sb."), messages);
    QVERIFY(!duplicate.close && duplicate.selectAll);
    QCOMPARE(messages.lastText(), QStringLiteral("Tento predpis (číslo) již existuje !"));
}

void TestRegulations::regulationSaveReplacesItsDocuments()
{
    ScriptedMessages messages;
    saveRegulation(*m_db, EditMode::New, {},
                   regulation("1/2020", {QStringLiteral("a.pdf"), QStringLiteral("b.doc")}),
                   messages);
    const Regulation stored = *loadRegulation(*m_db, 1);
    QCOMPARE(stored.documents, (QStringList{QStringLiteral("a.pdf"), QStringLiteral("b.doc")}));

    // Nothing changed: closes and writes nothing.
    QVERIFY(saveRegulation(*m_db, EditMode::Edit, stored, stored, messages).close);

    Regulation changed = stored;
    changed.documents = {QStringLiteral("c.xlsx")};
    changed.issued = QDate();
    QVERIFY(saveRegulation(*m_db, EditMode::Edit, stored, changed, messages).close);
    const Regulation again = *loadRegulation(*m_db, 1);
    QCOMPARE(again.documents, QStringList{QStringLiteral("c.xlsx")});
    QVERIFY(!again.issued.isValid());
    QVERIFY(messages.shown.isEmpty());

    // Deleting takes its documents along.
    QVERIFY(saveRegulation(*m_db, EditMode::Delete, again, again, messages).close);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM predpisy")), 0);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM dokumenty")), 0);
}

void TestRegulations::regulationNamedByARequirementIsKept()
{
    ScriptedMessages messages;
    saveRegulation(*m_db, EditMode::New, {}, regulation("1/2020", {QStringLiteral("a.pdf")}),
                   messages);
    Requirement requirement;
    requirement.parts = {QStringLiteral("Nosit přilbu"), QString(), QString(), QString()};
    requirement.regulations = {1};
    QCOMPARE(saveRequirement(*m_db, requirement, messages), 1);
    const Regulation stored = *loadRegulation(*m_db, 1);
    QVERIFY(!saveRegulation(*m_db, EditMode::Delete, stored, stored, messages).close);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Tento předpis nelze smazat (je uveden u požadavků č. 1) !!! "));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM dokumenty")), 1);
}

void TestRegulations::documentsComeFromTheDocumentsFolder()
{
    QTemporaryDir documents;
    QTemporaryDir elsewhere;
    ScriptedMessages messages;
    QVERIFY(!requireDocumentsFolder(QStringLiteral("  "), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Není nastavena cesta k dokumentům!"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Dokumenty"));
    QVERIFY(requireDocumentsFolder(documents.path(), messages));

    QCOMPARE(documentToAdd(elsewhere.filePath(QStringLiteral("zakon.pdf")), documents.path(), {},
                           messages),
             QString());
    QCOMPARE(messages.lastText(), QStringLiteral("Zvolen chybný adresář"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Chybný adresář"));
    QCOMPARE(documentToAdd(documents.filePath(QStringLiteral("zakon.pdf")), documents.path(), {},
                           messages),
             QStringLiteral("zakon.pdf"));
    QCOMPARE(documentToAdd(documents.filePath(QStringLiteral("zakon.pdf")), documents.path(),
                           {QStringLiteral("zakon.pdf")}, messages),
             QString());

    QCOMPARE(documentToOpen(documents.path(), QStringLiteral("smazany.pdf"), messages), QString());
    QCOMPARE(messages.lastText(), QStringLiteral("Soubor nelze najít! Překontrolujte cestu ve "
                                                 "volbě Nastavení, Dokumenty"));
    QFile file(documents.filePath(QStringLiteral("zakon.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(documentToOpen(documents.path(), QStringLiteral("zakon.pdf"), messages),
             documents.filePath(QStringLiteral("zakon.pdf")));
}

void TestRegulations::emptyCatalogueAndDuplicateRequirements()
{
    QVERIFY(requirementIds(*m_db).isEmpty());
    QCOMPARE(freeRequirementId(*m_db), 1);
    ScriptedMessages messages;
    Requirement empty;
    empty.parts = {QStringLiteral(" "), QString(), QString(), QString()};
    QVERIFY(!saveRequirement(*m_db, empty, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Požadavek musí být vyplněn!!!"));
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));

    Requirement first;
    first.parts = {QStringLiteral("A"), QStringLiteral("B"), QString(), QString()};
    first.regulations = {7, 7, 3};
    QCOMPARE(saveRequirement(*m_db, first, messages), 1);
    QCOMPARE(loadRequirement(*m_db, 1)->regulations.size(), 2);
    QVERIFY(!saveRequirement(*m_db, first, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Tento požadavek již existuje"));
    // The same text in another order of parts is another requirement.
    Requirement swapped;
    swapped.parts = {QStringLiteral("B"), QStringLiteral("A"), QString(), QString()};
    QCOMPARE(saveRequirement(*m_db, swapped, messages), 2);
    QCOMPARE(requirementText(loadRequirement(*m_db, 2)->parts), QStringLiteral("BA"));
}

void TestRegulations::requirementsOfClosedRisksAreNotEdited()
{
    ScriptedMessages messages;
    Requirement requirement;
    requirement.parts = {QStringLiteral("Chrániče sluchu"), QString(), QString(), QString()};
    QCOMPARE(saveRequirement(*m_db, requirement, messages), 1);
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, pozadavek_id, opatreni_splneno) "
                                 "VALUES (1, 1, '2024-02-01')"));

    requirement.id = 1;
    requirement.parts[0] = QStringLiteral("Chrániče sluchu nad 85 dB");
    QVERIFY(!saveRequirement(*m_db, requirement, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Tento požadavek nelze upravovat (je zavedena v "
                                                 "uzavřených položkách rizik) !!! "));

    // No open risk uses it: it can be deleted after the question.
    messages.answers = {true};
    QVERIFY(deleteRequirement(*m_db, 1, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Opravdu chcete vymazat tento požadavek? "));
    QVERIFY(requirementIds(*m_db).isEmpty());

    // An open risk blocks the deletion and asks before a change.
    requirement.id = 0;
    QCOMPARE(saveRequirement(*m_db, requirement, messages), 1);
    m_db->execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = NULL"));
    QVERIFY(!deleteRequirement(*m_db, 1, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Tento požadavek nelze smazat (je zavedena v "
                                                 "odpovídajících položkách rizik) !!! "));
    requirement.id = 1;
    requirement.parts[0] = QStringLiteral("Nové znění");
    ScriptedMessages no;
    QVERIFY(!saveRequirement(*m_db, requirement, no));
    QCOMPARE(no.shown.last().kind, QStringLiteral("ask"));
    QCOMPARE(loadRequirement(*m_db, 1)->parts.first(), QStringLiteral("Chrániče sluchu nad 85 dB"));
}

QTEST_GUILESS_MAIN(TestRegulations)
#include "tst_regulations.moc"

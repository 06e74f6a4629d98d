#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;

class TestDatabaseFiles : public QObject
{
    Q_OBJECT

private slots:
    void namesFollowTheMdbRule();
    void createAsksBeforeReplacingAndRefusesFilesInUse();
    void failedCreationLeavesNothingBehind();
    void copyIsConsistentWhileOthersWrite();
    void copyRefusesItselfAndReportsFailures();
    void leftoversOfKilledRunsAreRemoved_data();
    void leftoversOfKilledRunsAreRemoved();
    void clearRisksAsksTwiceAndDeletesAllFourTables();
    void clearRisksOnABusyDatabaseDeletesNothing();
};

static const QString InUse = QStringLiteral(
    "Databáze je používána ! překontrolujte, zda nejste k této databázi přihlášeni.");

static qint64 count(Database &db, const QString &table)
{
    return db.scalarInt(QStringLiteral("SELECT count(*) FROM ") + table);
}

// One risk with equipment, a sub-task and a closing record.
static void addRisk(Database &db, int id)
{
    for (const char *sql :
         {"INSERT INTO rizika (id_riziko, system) VALUES (?, 'Lisovna')",
          "INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) VALUES (?, 'Brýle', 'a')",
          "INSERT INTO dilci_ukoly (id_riziko, termin, zodpovida, ukol) VALUES (?, '2024-05-01', "
          "'Novák', 'Školení')",
          "INSERT INTO rizika_uzavrene (id_riziko, algoritmus) VALUES (?, 'Z*P*F')"})
        db.execute(QString::fromUtf8(sql), {id});
}

void TestDatabaseFiles::namesFollowTheMdbRule()
{
    QCOMPARE(files::withMdbExtension(QStringLiteral("abc")), QStringLiteral("abc"));
    QCOMPARE(files::withMdbExtension(QStringLiteral("abcd")), QStringLiteral("abcd.mdb"));
    QCOMPARE(files::withMdbExtension(QStringLiteral("x.mdb")), QStringLiteral("x.mdb"));
    QCOMPARE(files::withMdbExtension(QStringLiteral("/x/STARA.MDB")),
             QStringLiteral("/x/STARA.MDB"));
}

void TestDatabaseFiles::createAsksBeforeReplacingAndRefusesFilesInUse()
{
    QTemporaryDir dir;

    // A new name: created without a question, with ".mdb" appended.
    ScriptedMessages messages;
    const QString created =
        files::createDatabase(dir.filePath(QStringLiteral("nova")), QString(), messages);
    QCOMPARE(created, dir.filePath(QStringLiteral("nova.mdb")));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(count(*Database::open(created), QStringLiteral("uzivatele")), 1);

    // An existing file and the answer No: nothing changes.
    auto current = Database::open(created);
    addRisk(*current, 1);
    ScriptedMessages no;
    no.answers = {false};
    QVERIFY(files::createDatabase(created, QString(), no).isEmpty());
    QCOMPARE(no.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(no.shown[0].title, QStringLiteral("Již existující databáze"));
    QCOMPARE(no.shown[0].text, QStringLiteral("Databáze již existuje! Chcete ji přepsat?"));
    QCOMPARE(count(*current, QStringLiteral("rizika")), 1);

    // A file another connection holds a lock on cannot be replaced (the program's own current
    // database neither: tst_sharedfile).
    {
        Transaction holding(*current);
        ScriptedMessages yesAgain;
        yesAgain.answers = {true};
        QVERIFY(files::createDatabase(created, QString(), yesAgain).isEmpty());
        QCOMPARE(yesAgain.lastText(), InUse);
    }
    current.reset();

    // A file nobody uses is replaced by a fresh database on Yes.
    ScriptedMessages replace;
    replace.answers = {true};
    QCOMPARE(files::createDatabase(created, QString(), replace), created);
    QCOMPARE(count(*Database::open(created), QStringLiteral("rizika")), 0);
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("nova.mdb")});
}

void TestDatabaseFiles::failedCreationLeavesNothingBehind()
{
    QTemporaryDir dir;

    // A folder that does not exist (a plain file in its place takes the same way).
    ScriptedMessages messages;
    const QString missingFolder = dir.filePath(QStringLiteral("neni/nova.mdb"));
    QVERIFY(files::createDatabase(missingFolder, QString(), messages).isEmpty());
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
    QVERIFY(messages.lastText().contains(missingFolder));
    QCOMPARE(folderEntries(dir.path()), QStringList());
    // Without the replace flag an existing file is refused: tst_commandline.
}

void TestDatabaseFiles::copyIsConsistentWhileOthersWrite()
{
    QTemporaryDir dir;
    auto current = newDatabase(dir, QStringLiteral("rizika.mdb"));
    addRisk(*current, 1);

    // Another copy of the program is in the middle of a change.
    auto other = Database::open(current->path());
    Transaction writing(*other);
    addRisk(*other, 2);

    const QString target = files::proposedCopyName(current->path());
    {
        // An older file of the same name is replaced.
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("stará kopie");
    }
    ScriptedMessages messages;
    QVERIFY(files::copyDatabase(*current, target, messages));
    QVERIFY(messages.shown.isEmpty());
    writing.commit();

    // The copy holds what was committed when it was taken, whole.
    auto copy = Database::open(target);
    QCOMPARE(count(*copy, QStringLiteral("rizika")), 1);
    QCOMPARE(count(*copy, QStringLiteral("oop_rizika")), 1);
    QCOMPARE(count(*copy, QStringLiteral("uzivatele")), 1);
    QCOMPARE(copy->scalarInt(QStringLiteral("PRAGMA application_id")), 0x54414D56);
    // The current database stayed open and sees the other user's change.
    QCOMPARE(count(*current, QStringLiteral("rizika")), 2);
    QCOMPARE(folderEntries(dir.path()),
             (QStringList{QStringLiteral("rizika.mdb"), QStringLiteral("rizika_cp.mdb")}));
}

void TestDatabaseFiles::copyRefusesItselfAndReportsFailures()
{
    QTemporaryDir dir;
    auto current = newDatabase(dir, QStringLiteral("rizika.mdb"));
    addRisk(*current, 1);
    const QByteArray before = fileBytes(current->path());

    ScriptedMessages itself;
    QVERIFY(!files::copyDatabase(*current, current->path(), itself));
    QCOMPARE(itself.kinds(), QStringList{QStringLiteral("warn")});
    QCOMPARE(fileBytes(current->path()), before);

    ScriptedMessages failed;
    QVERIFY(!files::copyDatabase(*current, dir.filePath(QStringLiteral("neni/kopie.mdb")), failed));
    QCOMPARE(failed.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(failed.shown[0].title, QStringLiteral("Kopie databáze"));
    // The current database is still open and usable.
    addRisk(*current, 2);
    QCOMPARE(count(*current, QStringLiteral("rizika")), 2);
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("rizika.mdb")});
}

void TestDatabaseFiles::leftoversOfKilledRunsAreRemoved_data()
{
    QTest::addColumn<bool>("copy");
    QTest::newRow("Vytvoření databáze") << false;
    QTest::newRow("Kopie databáze") << true;
}

// Temporary files of a process that is gone are removed when a database is written into
// their folder; those of a running process or of another machine stay.
void TestDatabaseFiles::leftoversOfKilledRunsAreRemoved()
{
    QFETCH(bool, copy);
    QTemporaryDir dir;
    auto current = newDatabase(dir, QStringLiteral("rizika.mdb"));
    const QString target = dir.filePath(QStringLiteral("novy.mdb"));

    QProcess finished, running;
    finished.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(finished.waitForStarted() && running.waitForStarted());
    const qint64 dead = finished.processId();
    finished.kill();
    QVERIFY(finished.waitForFinished());
    const qint64 own = QCoreApplication::applicationPid();
    QVERIFY(!files::isProcessRunning(dead));
    QVERIFY(files::isProcessRunning(own));
    QVERIFY(files::isProcessRunning(running.processId()));
    for (qint64 invalid : {0, -1})
        QVERIFY(!files::isProcessRunning(invalid));

    const QString host = QSysInfo::machineHostName();
    const auto part = [&](const QString &name, const QString &on, qint64 pid, const char *end) {
        return files::temporaryPrefix(dir.filePath(name), on, pid) + QLatin1String(end);
    };
    const QString novy = QStringLiteral("novy.mdb");
    const QStringList removed = {part(novy, host, dead, "0.part"),
                                 part(novy, host, dead, "0.part-journal"),
                                 part(QStringLiteral("Rizika.xlsx"), host, dead, "aBcDeF.part")};
    const QStringList kept = {part(novy, host, own, "0.part"),
                              part(novy, host, running.processId(), "0.part-journal"),
                              part(novy, host + QStringLiteral("-jiny"), dead, "0.part"),
                              dir.filePath(QStringLiteral(".novy.mdb.part"))};
    for (const QString &path : removed + kept) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    ScriptedMessages messages;
    if (copy)
        QVERIFY(files::copyDatabase(*current, target, messages));
    else
        QCOMPARE(files::createDatabase(target, current->path(), messages), target);
    QVERIFY(messages.shown.isEmpty());
    // The own file of the same name was not taken over either.
    QCOMPARE(fileBytes(kept[0]), QByteArray());
    QStringList expected{QStringLiteral("novy.mdb"), QStringLiteral("rizika.mdb")};
    for (const QString &path : kept)
        expected << QFileInfo(path).fileName();
    expected.sort();
    QCOMPARE(folderEntries(dir.path()), expected);
}

void TestDatabaseFiles::clearRisksAsksTwiceAndDeletesAllFourTables()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const QString success = QStringLiteral("Vymazání záznamů přehledu rizik úspěšně dokončeno.");

    // An empty register: both questions, then success.
    ScriptedMessages empty;
    empty.answers = {true, true};
    QVERIFY(files::clearRisks(*db, empty));
    QCOMPARE(empty.kinds(),
             (QStringList{QStringLiteral("ask"), QStringLiteral("ask"), QStringLiteral("inform")}));
    QCOMPARE(empty.shown[0].text, QStringLiteral("Pozor!!! Zvolili jste vymazání všech záznamů "
                                                 "přehledu rizik. Chcete pokračovat?"));
    QCOMPARE(empty.shown[1].text,
             QStringLiteral("Potvrzením této volby dojde k nevratnému vymazání všech záznamů "
                            "tabulky rizik. Chcete pokračovat?"));
    QCOMPARE(empty.shown[2].title, QStringLiteral("Vymazání tabulky rizik"));
    QCOMPARE(empty.shown[2].text, success);

    addRisk(*db, 1);
    addRisk(*db, 2);
    db->execute(QStringLiteral("INSERT INTO oop (oop) VALUES (?)"), {QStringLiteral("Brýle")});

    // No to either question deletes nothing.
    for (const QList<bool> &answers : {QList<bool>{false}, QList<bool>{true, false}}) {
        ScriptedMessages refuse;
        refuse.answers = answers;
        QVERIFY(!files::clearRisks(*db, refuse));
        QCOMPARE(refuse.shown.size(), answers.size());
        QCOMPARE(count(*db, QStringLiteral("rizika")), 2);
    }

    ScriptedMessages confirm;
    confirm.answers = {true, true};
    QVERIFY(files::clearRisks(*db, confirm));
    QCOMPARE(confirm.lastText(), success);
    for (const char *table : {"rizika", "oop_rizika", "dilci_ukoly", "rizika_uzavrene"})
        QCOMPARE(count(*db, QString::fromUtf8(table)), 0);
    // Code lists, users and settings stay.
    QCOMPARE(count(*db, QStringLiteral("oop")), 1);
    QCOMPARE(count(*db, QStringLiteral("uzivatele")), 1);
    QCOMPARE(count(*db, QStringLiteral("uzivatelske_nastaveni")), 2);
}

void TestDatabaseFiles::clearRisksOnABusyDatabaseDeletesNothing()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    addRisk(*db, 1);
    db->setBusyTimeout(50);

    auto other = Database::open(db->path());
    const auto refusedWhileHeld = [&](const QString &held) {
        ScriptedMessages messages;
        messages.answers = {true, true};
        QVERIFY2(!files::clearRisks(*db, messages), qPrintable(held));
        QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
        QCOMPARE(messages.shown.last().title, QStringLiteral("Chyba při mazání rizik"));
        QCOMPARE(messages.lastText(), QStringLiteral("Tabulka rizik nebyla vymazána! Databáze je "
                                                     "používaná i jiným uživatelem."));
        QCOMPARE(db->transactionDepth(), 0);
    };

    // Another user is writing: the deletion cannot start.
    {
        Transaction writing(*other);
        refusedWhileHeld(QStringLiteral("writer"));
    }
    // Another user is reading: the deletion cannot be committed, and is undone whole.
    other->execute(QStringLiteral("BEGIN"));
    QCOMPARE(count(*other, QStringLiteral("rizika")), 1);
    refusedWhileHeld(QStringLiteral("reader"));
    other->execute(QStringLiteral("COMMIT"));

    for (const char *table : {"rizika", "oop_rizika", "dilci_ukoly", "rizika_uzavrene"})
        QCOMPARE(count(*db, QString::fromUtf8(table)), 1);
}

QTEST_GUILESS_MAIN(TestDatabaseFiles)
#include "tst_databasefiles.moc"

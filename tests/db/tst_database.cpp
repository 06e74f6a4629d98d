#include "TestDatabase.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace tamvel;

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void openRefusesWhatIsNotADatabase();
    void boundValuesKeepTheirMeaning();
    void czechOrderAndExactEquality();
    void transactionsAreAllOrNothing();
    void busyDatabaseIsReportedAsBusy();
    void errorsAreToldInCzechWithTheEngineNumber();
    void damageIsFoundBeforeItIsShown();
};

// The error a call threw; its code is SQLITE_OK when it threw none.
static DbError errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const DbError &e) {
        return e;
    }
    return DbError(SQLITE_OK, QString());
}

static int openCode(const QString &path)
{
    return errorOf([&] { Database::open(path); }).code();
}

void TestDatabase::openRefusesWhatIsNotADatabase()
{
    QTemporaryDir dir;

    // A mistyped path: refused, and nothing appears there.
    QVERIFY(openCode(dir.filePath(QStringLiteral("preklep.mdb"))) != SQLITE_OK);
    QCOMPARE(folderEntries(dir.path()), QStringList());

    // A folder.
    QVERIFY(openCode(dir.path()) != SQLITE_OK);

    // A text file and an empty one: refused as "not a database", their bytes kept.
    const QString text = dir.filePath(QStringLiteral("text.mdb"));
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    for (const QString &path : {text, empty}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (path == text)
            f.write(QByteArray("Toto není databáze, jen text.\n").repeated(200));
    }
    const QByteArray before = fileBytes(text);
    const DbError notADatabase = errorOf([&] { Database::open(text); });
    QCOMPARE(notADatabase.code() & 0xff, SQLITE_NOTADB);
    // Told in Czech, the engine's words below.
    QCOMPARE(notADatabase.describe().section(u'\n', 0, 0),
             QStringLiteral("Soubor není databáze programu Tamvel."));
    QVERIFY(!notADatabase.text().isEmpty());
    QCOMPARE(fileBytes(text), before);
    QCOMPARE(openCode(empty), SQLITE_NOTADB);
    QCOMPARE(QFileInfo(empty).size(), 0);

    // A damaged database: tst_import's "poskozeny.mdb", damaged where only the check on
    // opening finds it.
}

void TestDatabase::boundValuesKeepTheirMeaning()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);

    // Apostrophes and SQL in values are data, never code.
    const QString tricky = QStringLiteral("O'Brien'); DROP TABLE oop; --");
    QCOMPARE(db->execute(QStringLiteral("INSERT INTO oop (oop) VALUES (?)"), {tricky}), 1);
    QCOMPARE(db->scalarText(QStringLiteral("SELECT oop FROM oop")), tricky);

    // Czech text, dates and missing dates cross the boundary unchanged.
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
    db->execute(QStringLiteral("INSERT INTO dilci_ukoly VALUES (?, ?, ?, ?), (?, ?, ?, ?)"),
                {7, QDate(2024, 3, 5), czech, QString(), 8, QDate(), QStringLiteral("x"),
                 QStringLiteral("y")});
    const Rows rows =
        db->query(QStringLiteral("SELECT id_riziko, termin, zodpovida, ukol FROM dilci_ukoly "
                                 "ORDER BY id_riziko"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.integer(0, QStringLiteral("id_riziko")), 7);
    QCOMPARE(rows.date(0, QStringLiteral("termin")), QDate(2024, 3, 5));
    QCOMPARE(rows.text(0, QStringLiteral("zodpovida")), czech);
    // A null QString is stored as an empty text, not as no value.
    QVERIFY(!rows.isNull(0, QStringLiteral("ukol")));
    QCOMPARE(rows.text(0, QStringLiteral("ukol")), QString());
    QVERIFY(rows.isNull(1, QStringLiteral("termin")));
    QVERIFY(!rows.date(1, QStringLiteral("termin")).isValid());

    // Scalars of an empty result.
    QVERIFY(!db->scalar(QStringLiteral("SELECT oop FROM oop WHERE oop = ?"), {QStringLiteral("x")})
                 .isValid());
    QVERIFY(!db->exists(QStringLiteral("SELECT 1 FROM pracovnici")));
}

// Empty dates stored as no value are checked with the bound values above.
void TestDatabase::czechOrderAndExactEquality()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system) VALUES (1, 'chemie'), "
                               "(2, 'hala'), (3, 'čistírna'), (4, 'cesta'), (5, 'Hala'), "
                               "(6, 'ilustrace')"));

    // Czech order: "č" after "c", "ch" after "h" and before "i".
    QCOMPARE(db->scalarText(QStringLiteral("SELECT group_concat(system, ' ') FROM (SELECT system "
                                           "FROM rizika ORDER BY system COLLATE CS)")),
             QStringLiteral("cesta čistírna hala Hala chemie ilustrace"));

    // Equality is exact: letter case counts.
    const QString equal = QStringLiteral("SELECT count(*) FROM rizika WHERE system = ?");
    QCOMPARE(db->scalarInt(equal, {QStringLiteral("hala")}), 1);
    QCOMPARE(db->scalarInt(equal, {QStringLiteral("HALA")}), 0);
}

void TestDatabase::transactionsAreAllOrNothing()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const QString insert = QStringLiteral("INSERT INTO oop (oop) VALUES (?)");

    // A failed statement inside a transaction leaves nothing of the earlier ones.
    const DbError duplicate = errorOf([&] {
        inTransaction(*db, [&] {
            db->execute(insert, {QStringLiteral("Brýle")});
            db->execute(insert, {QStringLiteral("Brýle")}); // key violation
        });
    });
    QCOMPARE(duplicate.code() & 0xff, SQLITE_CONSTRAINT);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 0);
    QCOMPARE(db->transactionDepth(), 0);

    // A nested failure undoes only the inner part when the outer one handles it.
    inTransaction(*db, [&] {
        db->execute(insert, {QStringLiteral("Přilba")});
        try {
            inTransaction(*db, [&] {
                db->execute(insert, {QStringLiteral("Rukavice")});
                throw DbError(SQLITE_ERROR, QStringLiteral("stop"));
            });
        } catch (const DbError &) {
        }
        QCOMPARE(db->transactionDepth(), 1);
    });
    QCOMPARE(db->scalarText(QStringLiteral("SELECT group_concat(oop) FROM oop")),
             QStringLiteral("Přilba"));

    // A guard that is not committed rolls back, whatever ended its scope.
    {
        Transaction t(*db);
        db->execute(insert, {QStringLiteral("Vesta")});
    }
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 1);

    // What a committed transaction wrote is seen by another connection.
    {
        Transaction t(*db);
        db->execute(insert, {QStringLiteral("Obuv")});
        t.commit();
    }
    auto other = Database::open(db->path());
    QCOMPARE(other->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 2);
}

void TestDatabase::busyDatabaseIsReportedAsBusy()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    auto other = Database::open(db->path());
    db->setBusyTimeout(50);

    Transaction holding(*other);
    other->execute(QStringLiteral("INSERT INTO oop (oop) VALUES ('x')"));
    const DbError busy = errorOf([&] { Transaction t(*db); });
    QVERIFY(busy.isBusy());
    QCOMPARE(busy.describe(), QStringLiteral("Databázi právě upravuje jiný uživatel. Nic nebylo "
                                             "uloženo, zkuste to znovu.\n") +
                                  busy.text() + QStringLiteral(" (chyba 5)"));
    QCOMPARE(db->transactionDepth(), 0);
    QVERIFY(Database::isLockedByOther(db->path()));
    holding.commit();
    QVERIFY(!Database::isLockedByOther(db->path()));
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 1);
}

void TestDatabase::errorsAreToldInCzechWithTheEngineNumber()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const auto firstLine = [](const DbError &e) { return e.describe().section(u'\n', 0, 0); };
    const auto engineLine = [](const DbError &e) { return e.describe().section(u'\n', 1); };

    const DbError tooLong = errorOf([&] {
        db->execute(QStringLiteral("INSERT INTO pracovnici (pracovnik) VALUES (?)"),
                    {QString(31, QLatin1Char('x'))});
    });
    QCOMPARE(tooLong.code(), SQLITE_CONSTRAINT_CHECK);
    QVERIFY(firstLine(tooLong).startsWith(QStringLiteral("Údaje porušují pravidla databáze")));
    QVERIFY(engineLine(tooLong).endsWith(QStringLiteral("(chyba 275)")));

    // A file that may only be read, and a full disk (a page limit stands in for it).
    auto other = Database::open(db->path());
    other->execute(QStringLiteral("PRAGMA query_only = 1"));
    const DbError readOnly =
        errorOf([&] { other->execute(QStringLiteral("INSERT INTO oop (oop) VALUES ('y')")); });
    QVERIFY(firstLine(readOnly).startsWith(QStringLiteral("Do databáze nelze zapisovat")));
    db->query(QStringLiteral("PRAGMA max_page_count = %1")
                  .arg(db->scalarInt(QStringLiteral("PRAGMA page_count"))));
    const DbError full = errorOf([&] {
        for (int i = 0; i < 1000; ++i)
            db->execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni (uzivatel, typ, polozka, "
                                       "hodnota1) VALUES ('u', 't', ?, ?)"),
                        {QString::number(i), QString(250, u'z')});
    });
    QCOMPARE(firstLine(full), QStringLiteral("Na disku není místo. Nic nebylo uloženo."));

    // Another program's database: tables the program needs are missing.
    const DbError foreign = errorOf([&] { db->query(QStringLiteral("SELECT * FROM neexistuje")); });
    QCOMPARE(foreign.code(), SQLITE_ERROR);
    QCOMPARE(firstLine(foreign),
             QStringLiteral("Soubor je databáze jiného programu nebo jiné struktury."));
    QVERIFY(engineLine(foreign).contains(QStringLiteral("neexistuje")));

    // The program's own failures are Czech already and stay one line.
    QCOMPARE(DbError(SQLITE_CANTOPEN, QStringLiteral("Soubor 'a' již existuje.")).describe(),
             QStringLiteral("Soubor 'a' již existuje. (chyba 14)"));
    // Every engine failure above says something in Czech before the engine's text.
    for (const DbError &e : {tooLong, readOnly, full, foreign})
        QVERIFY2(e.describe().contains(u'\n'), qPrintable(e.describe()));
}

// Opening reads every page only after a copy ended without closing; otherwise a damaged page
// fails the read that reaches it, never shows anything of it.
void TestDatabase::damageIsFoundBeforeItIsShown()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.mdb"));
    {
        auto db = newDatabase(dir, QStringLiteral("deep.mdb"));
        Transaction transaction(*db);
        for (int id = 1; id <= 3000; ++id)
            db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, napravna_opatreni, cil) "
                                       "VALUES (?, ?, ?)"),
                        {id, QString(250, QLatin1Char('a' + id % 26)),
                         QString(250, QLatin1Char('b'))});
        transaction.commit();
    }
    // Garbage over a page of risks in the middle of the file, far from every table's first.
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.size() > 1'000'000);
        f.seek(f.size() / 2 / 4096 * 4096);
        f.write(QByteArray(4096, '\xA5'));
    }
    const auto readAll = [&] {
        auto db = Database::open(path);
        db->forEach(QStringLiteral("SELECT * FROM rizika"), {}, [](const RowView &) {});
    };
    QCOMPARE(errorOf(readAll).code() & 0xff, SQLITE_CORRUPT);

    // A mark nobody holds: the last copy was killed with the file open.
    QFile mark(path + QStringLiteral("-inuse"));
    QVERIFY(mark.open(QIODevice::WriteOnly));
    mark.close();
    const DbError refused = errorOf([&] { Database::open(path); });
    QCOMPARE(refused.code() & 0xff, SQLITE_CORRUPT);
    QVERIFY2(refused.describe().contains(QStringLiteral("poškozen")),
             qPrintable(refused.describe()));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"

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
    void nullTestsCzechOrderAndExactEquality();
    void transactionsAreAllOrNothing();
    void busyDatabaseIsReportedAsBusy();
    void errorsCarryTheEngineNumber();
};

static int codeOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const DbError &e) {
        return e.code();
    }
    return SQLITE_OK;
}

void TestDatabase::openRefusesWhatIsNotADatabase()
{
    QTemporaryDir dir;

    // A mistyped path: refused, and nothing appears there.
    const QString missing = dir.filePath(QStringLiteral("preklep.mdb"));
    QVERIFY(codeOf([&] { Database::open(missing); }) != SQLITE_OK);
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(folderEntries(dir.path()), QStringList());

    // A folder.
    QVERIFY(codeOf([&] { Database::open(dir.path()); }) != SQLITE_OK);

    // A text file: refused as "not a database", and its bytes stay as they were.
    const QString text = dir.filePath(QStringLiteral("text.mdb"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Toto není databáze, jen text.\n").repeated(200));
    }
    const QByteArray before = fileBytes(text);
    try {
        Database::open(text);
        QFAIL("a text file was opened");
    } catch (const DbError &e) {
        QCOMPARE(e.code() & 0xff, SQLITE_NOTADB);
        QVERIFY(!e.text().isEmpty());
    }
    QCOMPARE(fileBytes(text), before);

    // An empty file is no database either.
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    {
        QFile f(empty);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(codeOf([&] { Database::open(empty); }), SQLITE_NOTADB);
    QCOMPARE(QFileInfo(empty).size(), 0);

    // A damaged database: a good file with garbage written over its pages.
    const QString damaged = dir.filePath(QStringLiteral("damaged.mdb"));
    newDatabase(dir, QStringLiteral("damaged.mdb"));
    {
        QFile f(damaged);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        QVERIFY(size > 8192);
        f.seek(4096);
        f.write(QByteArray(int(size - 4096), '\xA5'));
    }
    const int damagedCode = codeOf([&] { Database::open(damaged); });
    QVERIFY2(damagedCode != SQLITE_OK, "a damaged database was opened");

    // A sound one opens.
    newDatabase(dir, QStringLiteral("good.mdb"));
    QVERIFY(Database::open(dir.filePath(QStringLiteral("good.mdb"))) != nullptr);
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
    db->execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, termin, zodpovida, ukol) "
                               "VALUES (?, ?, ?, ?)"),
                {7, QDate(2024, 3, 5), czech, QString()});
    db->execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, termin, zodpovida, ukol) "
                               "VALUES (?, ?, ?, ?)"),
                {8, QDate(), QStringLiteral("x"), QStringLiteral("y")});
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

    // Dates compare as dates when bound.
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM dilci_ukoly WHERE termin = ?"),
                           {QDate(2024, 3, 5)}),
             1);

    // Rows affected: an update of several rows, and of none.
    QCOMPARE(db->execute(QStringLiteral("UPDATE dilci_ukoly SET ukol = ?"), {QStringLiteral("z")}),
             2);
    QCOMPARE(db->execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE id_riziko = ?"), {99}), 0);

    // Scalars of an empty result.
    QVERIFY(!db->scalar(QStringLiteral("SELECT oop FROM oop WHERE oop = ?"), {QStringLiteral("x")})
                 .isValid());
    QVERIFY(!db->exists(QStringLiteral("SELECT 1 FROM pracovnici")));
}

void TestDatabase::nullTestsCzechOrderAndExactEquality()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);

    const QString insert =
        QStringLiteral("INSERT INTO rizika (id_riziko, system, opatreni_splneno, program_splneno) "
                       "VALUES (?, ?, ?, ?)");
    db->execute(insert, {1, QStringLiteral("chemie"), QDate(), QDate()});
    db->execute(insert, {2, QStringLiteral("hala"), QDate(2024, 1, 2), QDate()});
    db->execute(insert, {3, QStringLiteral("čistírna"), QDate(), QDate(2024, 1, 3)});
    db->execute(insert, {4, QStringLiteral("cesta"), QDate(), QDate()});
    db->execute(insert, {5, QStringLiteral("Hala"), QDate(), QDate()});
    db->execute(insert, {6, QStringLiteral("ilustrace"), QDate(), QDate()});

    // Open risks: both completion dates missing.
    const Rows open = db->query(QStringLiteral(
        "SELECT id_riziko FROM rizika WHERE opatreni_splneno IS NULL AND program_splneno IS NULL "
        "ORDER BY id_riziko"));
    QCOMPARE(open.size(), 4);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE "
                                          "NOT (opatreni_splneno IS NULL AND program_splneno IS "
                                          "NULL)")),
             2);

    // Czech order: "č" after "c", "ch" after "h" and before "i".
    const Rows ordered =
        db->query(QStringLiteral("SELECT system FROM rizika ORDER BY system COLLATE CS"));
    QStringList names;
    for (int i = 0; i < ordered.size(); ++i)
        names << ordered.text(i, QStringLiteral("system"));
    QCOMPARE(names, (QStringList{QStringLiteral("cesta"), QStringLiteral("čistírna"),
                                 QStringLiteral("hala"), QStringLiteral("Hala"),
                                 QStringLiteral("chemie"), QStringLiteral("ilustrace")}));

    // Equality is exact: letter case counts.
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE system = ?"),
                           {QStringLiteral("hala")}),
             1);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE system = ?"),
                           {QStringLiteral("HALA")}),
             0);
}

void TestDatabase::transactionsAreAllOrNothing()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const QString insert = QStringLiteral("INSERT INTO oop (oop) VALUES (?)");

    // A failed statement inside a transaction leaves nothing of the earlier ones.
    try {
        inTransaction(*db, [&] {
            db->execute(insert, {QStringLiteral("Brýle")});
            db->execute(insert, {QStringLiteral("Brýle")}); // key violation
        });
        QFAIL("the duplicate key was accepted");
    } catch (const DbError &) {
    }
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
    try {
        Transaction t(*db);
        QFAIL("a second writer got the lock");
    } catch (const DbError &e) {
        QVERIFY(e.isBusy());
    }
    QCOMPARE(db->transactionDepth(), 0);
    QVERIFY(Database::isLockedByOther(db->path()));
    holding.commit();
    QVERIFY(!Database::isLockedByOther(db->path()));
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 1);
}

void TestDatabase::errorsCarryTheEngineNumber()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    try {
        db->execute(QStringLiteral("INSERT INTO pracovnici (pracovnik) VALUES (?)"),
                    {QString(31, QLatin1Char('x'))});
        QFAIL("an over-long text was stored");
    } catch (const DbError &e) {
        QCOMPARE(e.code(), SQLITE_CONSTRAINT_CHECK);
        QVERIFY(e.describe().contains(QStringLiteral("chyba 275")));
    }
    try {
        db->query(QStringLiteral("SELECT * FROM neexistuje"));
        QFAIL("a missing table was read");
    } catch (const DbError &e) {
        QCOMPARE(e.code(), SQLITE_ERROR);
        QVERIFY(e.text().contains(QStringLiteral("neexistuje")));
    }
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"

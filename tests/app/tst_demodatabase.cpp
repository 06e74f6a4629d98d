#include "TestDatabase.h"

#include "app/DemoDatabase.h"
#include "codelists/SystemPaths.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tamvel;

class TestDemoDatabase : public QObject
{
    Q_OBJECT

private slots:
    void registerIsConsistent();
    void sameCountGivesTheSameDatabase();
};

// Each query counts the rows that break one rule of the register.
static const char *const Violations[] = {
    // links of a risk to its code lists
    "SELECT count(*) FROM rizika WHERE system NOT IN (SELECT system FROM systemy)",
    "SELECT count(*) FROM rizika r WHERE NOT EXISTS (SELECT 1 FROM system_pracovnik s WHERE "
    "s.system = r.system AND s.pracovnik = r.pracovnik)",
    "SELECT count(*) FROM rizika r WHERE NOT EXISTS (SELECT 1 FROM nebezpeci_kategorie_druh d "
    "WHERE d.nebezpeci_druh = r.nebezpeci_druh AND d.nebezpeci_kategorie = "
    "r.nebezpeci_kategorie)",
    "SELECT count(*) FROM rizika WHERE poskozeni_cast_tela NOT IN (SELECT cast_tela FROM "
    "poskozeni)",
    "SELECT count(*) FROM rizika WHERE zavaznost_popis NOT IN (SELECT zavaznost_popis FROM "
    "zavaznost) OR pravdepodobnost_popis NOT IN (SELECT pravdepodobnost_popis FROM "
    "pravdepodobnost) OR frekvence_popis NOT IN (SELECT frekvence_popis FROM frekvence)",
    // the value is the active formula Z*P*F over the scales (stored in tenths)
    "SELECT count(*) FROM rizika r WHERE abs(r.riziko - (SELECT zavaznost FROM zavaznost z WHERE "
    "z.zavaznost_popis = r.zavaznost_popis) * (SELECT pravdepodobnost FROM pravdepodobnost p "
    "WHERE p.pravdepodobnost_popis = r.pravdepodobnost_popis) * (SELECT frekvence FROM "
    "frekvence f WHERE f.frekvence_popis = r.frekvence_popis) / 1000.0) > 1e-9",
    // summary fields agree with the attachments
    "SELECT count(*) FROM rizika r WHERE oopp_poskytnute <> CASE WHEN EXISTS (SELECT 1 FROM "
    "oop_rizika o WHERE o.id_riziko = r.id_riziko AND oop_poskytnuto = 'a') THEN 'ano' ELSE "
    "'ne' END",
    "SELECT count(*) FROM rizika r WHERE oopp_chybejici <> CASE WHEN EXISTS (SELECT 1 FROM "
    "oop_rizika o WHERE o.id_riziko = r.id_riziko AND oop_poskytnuto = 'n') THEN 'ano' ELSE "
    "'ne' END",
    "SELECT count(*) FROM rizika r WHERE dilci_ukoly <> CASE WHEN EXISTS (SELECT 1 FROM "
    "dilci_ukoly d WHERE d.id_riziko = r.id_riziko) THEN 'ano' ELSE 'ne' END",
    "SELECT count(*) FROM rizika WHERE pozadavek <> CASE WHEN pozadavek_id <> 0 THEN 'ano' ELSE "
    "'ne' END",
    "SELECT count(*) FROM rizika WHERE pozadavek_id <> 0 AND pozadavek_id NOT IN (SELECT "
    "pozadavek_id FROM pozadavky)",
    "SELECT count(*) FROM rizika WHERE legislativa NOT IN ('a', 'n') OR (legislativa = 'a' AND "
    "pozadavek_id = 0)",
    "SELECT count(*) FROM oop_rizika WHERE oop NOT IN (SELECT oop FROM oop) OR oop_poskytnuto "
    "NOT IN ('a', 'n')",
    // closed risks, and only they, have a closing record
    "SELECT count(*) FROM rizika r WHERE (opatreni_splneno IS NULL AND program_splneno IS NULL) "
    "= EXISTS (SELECT 1 FROM rizika_uzavrene u WHERE u.id_riziko = r.id_riziko)",
    "SELECT count(*) FROM rizika_uzavrene WHERE id_riziko NOT IN (SELECT id_riziko FROM rizika)",
    // code lists
    "SELECT count(*) FROM systemy s WHERE NOT EXISTS (SELECT 1 FROM system_pracovnik p WHERE "
    "p.system = s.system AND p.pracovnik = 'ostatní')",
    "SELECT count(*) FROM system_pracovnik WHERE pracovnik NOT IN (SELECT pracovnik FROM "
    "pracovnici)",
    "SELECT count(*) FROM pozadavky_predpisy WHERE predpis_id NOT IN (SELECT predpis_id FROM "
    "predpisy)",
    "SELECT count(*) FROM predpisy WHERE typ NOT IN (SELECT typ FROM typ)",
};

void TestDemoDatabase::registerIsConsistent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    demo::writeDemoDatabase(path, 400);
    auto db = Database::open(path);

    for (const char *sql : Violations)
        QVERIFY2(db->scalarInt(QString::fromUtf8(sql)) == 0, sql);

    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 400);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT max(id_riziko) FROM rizika")), 400);
    const qint64 closed = db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika_uzavrene"));
    QVERIFY(closed > 40 && closed < 200);
    QVERIFY(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop_rizika")) > 100);
    QVERIFY(db->scalarInt(QStringLiteral("SELECT count(*) FROM dilci_ukoly")) > 50);
    QVERIFY(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE pozadavek_id <> 0")) >
            50);

    // Paths: the tree's path of each risk's system, never too long; three levels.
    const systems::ParentMap parents = systems::loadParents(*db);
    const Rows risks = db->query(QStringLiteral("SELECT system, cesta FROM rizika"));
    for (int i = 0; i < risks.size(); ++i) {
        const QString cesta = risks.text(i, QStringLiteral("cesta"));
        QCOMPARE(cesta, systems::path(risks.text(i, QStringLiteral("system")), parents));
        QVERIFY(cesta.size() <= systems::MaxPathLength);
    }
    int deepest = 0;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it)
        deepest = std::max(deepest, int(systems::path(it.key(), parents).count(QLatin1Char('/'))));
    QCOMPARE(deepest, 2);

    // The values above were computed with the formula the register keeps as active.
    QCOMPARE(db->scalarText(QStringLiteral("SELECT group_concat(algoritmus) FROM algoritmy WHERE "
                                           "aktivni = 1")),
             QStringLiteral("Z*P*F"));

    // The initial rows are there as in any new database: the administrator can log in.
    QCOMPARE(db->scalarText(QStringLiteral("SELECT heslo FROM uzivatele WHERE uzivatel = "
                                           "'Administrator'")),
             QStringLiteral(" "));
}

static QString dump(const QString &path)
{
    auto db = Database::open(path);
    QString text;
    for (const char *table : {"systemy", "system_pracovnik", "rizika", "oop_rizika", "dilci_ukoly",
                              "rizika_uzavrene", "pozadavky_predpisy"}) {
        const Rows rows = db->query(
            QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(QString::fromUtf8(table)));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows.columnCount(); ++c)
                text += rows.at(r, c).toString() + QLatin1Char('|');
    }
    return text;
}

void TestDemoDatabase::sameCountGivesTheSameDatabase()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mdb"));
    const QString b = dir.filePath(QStringLiteral("b.mdb"));
    const QString c = dir.filePath(QStringLiteral("c.mdb"));
    demo::writeDemoDatabase(a, 80);
    demo::writeDemoDatabase(b, 80);
    demo::writeDemoDatabase(c, 0);
    QCOMPARE(dump(a), dump(b));
    QCOMPARE(Database::open(c)->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 0);

    // An existing file is never overwritten.
    const QByteArray before = fileBytes(a);
    try {
        demo::writeDemoDatabase(a, 5);
        QFAIL("the demo database replaced an existing file");
    } catch (const DbError &) {
    }
    QCOMPARE(fileBytes(a), before);
}

QTEST_GUILESS_MAIN(TestDemoDatabase)
#include "tst_demodatabase.moc"

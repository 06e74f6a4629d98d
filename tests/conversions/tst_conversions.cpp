#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "conversions/Conversions.h"
#include "db/Schema.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using namespace tamvel;

namespace {

const QString Blank = QStringLiteral("  ");

QString longNote(int length)
{
    QString text;
    while (text.size() < length)
        text += QStringLiteral("Poznámka č. %1; ").arg(text.size());
    return text.left(length);
}

// Every value of every table, with the layout, in a stable order: what "unchanged" means.
QStringList contents(Database &db)
{
    QStringList lines;
    const Rows tables = db.query(
        QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type IN ('table','index') "
                       "ORDER BY name"));
    for (int t = 0; t < tables.size(); ++t) {
        const QString name = tables.text(t, QStringLiteral("name"));
        lines << tables.text(t, QStringLiteral("sql"));
        if (!tables.text(t, QStringLiteral("sql")).startsWith(QStringLiteral("CREATE TABLE")))
            continue;
        const Rows rows = db.query(QStringLiteral("SELECT * FROM %1").arg(name));
        QStringList tableLines;
        for (int r = 0; r < rows.size(); ++r) {
            QStringList values;
            for (int c = 0; c < rows.columnCount(); ++c)
                values << (rows.at(r, c).isValid() ? rows.at(r, c).toString()
                                                   : QStringLiteral("<null>"));
            tableLines << name + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
        tableLines.sort();
        lines << tableLines;
    }
    return lines;
}

// Inserts a risk with the fields given; the others stay empty.
void insertRisk(Database &db, const QList<std::pair<const char *, QVariant>> &fields)
{
    QStringList names, marks;
    Values values;
    for (const auto &[name, value] : fields) {
        names << QString::fromUtf8(name);
        marks << QStringLiteral("?");
        values << value;
    }
    db.execute(QStringLiteral("INSERT INTO rizika (%1) VALUES (%2)")
                   .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
               values);
}

// A register as an earlier version kept it: a tree with an orphan, four risks of every kind.
void fillOldRegister(Database &db, int version)
{
    const auto exec = [&](const char *sql, const Values &values) {
        db.execute(QString::fromUtf8(sql), values);
    };
    for (const auto &[system, parent] :
         {std::pair{"Závod", ""}, {"Lisovna", "Závod"}, {"Stará lakovna", "Zrušená hala"}})
        exec("INSERT INTO systemy VALUES (?, ?)",
             {QString::fromUtf8(system), QString::fromUtf8(parent)});
    // 1: open, every field, blanks around a text, a note too long for the later layout.
    insertRisk(db, {{"id_riziko", 1},
                    {"system", QStringLiteral(" Lisovna ")},
                    {"pracovnik", QStringLiteral("lisař")},
                    {"nebezpeci_kategorie", QStringLiteral("Mechanické")},
                    {"nebezpeci_zdroj", QStringLiteral("lis")},
                    {"nebezpeci_druh", QStringLiteral("stlačení")},
                    {"poskozeni_cast_tela", QStringLiteral("ruce")},
                    {"poskozeni_charakter", QStringLiteral("rozdrcení")},
                    {"bezpecnostni_opatreni", QStringLiteral("kryt")},
                    {"zavaznost_popis", QStringLiteral("velká")},
                    {"pravdepodobnost_popis", QStringLiteral("možná")},
                    {"frekvence_popis", QStringLiteral("denně")},
                    {"riziko", 2.5},
                    {"napravna_opatreni", QStringLiteral("světelná závora")},
                    {"opatreni_zodpovida", QStringLiteral("Novák")},
                    {"opatreni_termin", QDate(2024, 3, 31)},
                    {"pozadavek_id", 7},
                    {"cil", QStringLiteral("bez úrazů")},
                    {"cilova_hodnota", QStringLiteral("0")},
                    {"zdroje", QStringLiteral("5 000 Kč")},
                    {"program_zodpovida", QStringLiteral("Dvořáková")},
                    {"program_termin", QDate(2024, 6, 30)},
                    {"poznamky",
                     version == 2 ? QStringLiteral("krátká poznámka") : Blank + longNote(120)}});
    // 2: open, nothing but the key and the system; no requirement, no value.
    insertRisk(db, {{"id_riziko", 2}, {"system", QStringLiteral("Závod")}});
    // 3: closed by its measures; 4: closed by its programme, in the orphan system.
    insertRisk(db, {{"id_riziko", 3},
                    {"system", QStringLiteral("Lisovna")},
                    {"pracovnik", QStringLiteral("údržbář")},
                    {"riziko", 0.0},
                    {"opatreni_splneno", QDate(2023, 1, 20)},
                    {"pozadavek_id", 0},
                    {"poznamky", QStringLiteral("it's \"100 %\" & more")}});
    insertRisk(db, {{"id_riziko", 4},
                    {"system", QStringLiteral("Stará lakovna")},
                    {"pracovnik", QStringLiteral("lakýrník")},
                    {"riziko", 0.4 * 3}, // kept with binary noise by an older version
                    {"pozadavek_id", 3},
                    {"program_splneno", QDate(2024, 10, 10)}});
    for (const auto &[risk, item, provided] :
         {std::tuple{1, "rukavice", "a"}, {1, "štít", "n"}, {3, "brýle", "a"}})
        exec("INSERT INTO oop_rizika VALUES (?, ?, ?)",
             {risk, QString::fromUtf8(item), QString::fromUtf8(provided)});
    for (int i = 0; i < 2; ++i)
        exec("INSERT INTO dilci_ukoly VALUES (?, ?, ?, ?)",
             {1, QDate(2024, 2, 1), QStringLiteral("Novák"), QStringLiteral("školení")});
    exec("INSERT INTO dilci_ukoly VALUES (?, ?, ?, ?)",
         {4, QVariant(), QVariant(), QStringLiteral("revize")});
    exec("INSERT INTO poskozeni VALUES (?)", {QStringLiteral("ruce")});
    exec("INSERT INTO poskozeni VALUES (?)", {QStringLiteral("oči")});
    // The oldest list had no key: a name twice and a row without one.
    if (version == 0) {
        exec("INSERT INTO poskozeni VALUES (?)", {QStringLiteral("ruce")});
        exec("INSERT INTO poskozeni VALUES (?)", {QVariant()});
    }
    if (version == 2)
        db.execute(QStringLiteral("UPDATE rizika SET oopp_poskytnute = '?', oopp_chybejici = '?', "
                                  "pozadavek = '?', dilci_ukoly = '?', cesta = 'stará cesta'"));
}

std::unique_ptr<Database> oldRegister(const QTemporaryDir &dir, int version)
{
    const QString path = dir.filePath(QStringLiteral("v%1.mdb").arg(version));
    files::writeNewDatabase(
        path, false, [&](Database &db) { fillOldRegister(db, version); }, version);
    return Database::open(path);
}

QVariant field(Database &db, qint64 id, const char *name)
{
    return db.scalar(
        QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko = ?").arg(QString::fromUtf8(name)),
        {id});
}

QString versionRow(Database &db)
{
    return db.scalarText(QStringLiteral("SELECT group_concat(hodnota1) FROM uzivatelske_nastaveni "
                                        "WHERE uzivatel = 'administrator' AND typ = 'rizika' AND "
                                        "polozka = 'verze'"));
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void structureIsReadFromTheRegisterLayout();
    void stepsCarryEveryFieldToTheCurrentStructure();
    void lastStepRefreshesOnlyOpenRiskPaths();
    void longNotesAreSavedBeforeTheyAreShortened();
    void wrongStructureOrNoAnswerChangesNothing();
    void failureHalfWayLeavesTheDatabaseAsItWas();
};

void TestConversions::structureIsReadFromTheRegisterLayout()
{
    QTemporaryDir dir;
    for (int version = schema::OldestStructure; version <= StructureVersion; ++version) {
        const QString path = dir.filePath(QStringLiteral("%1.mdb").arg(version));
        files::writeNewDatabase(path, false, {}, version);
        auto db = Database::open(path);
        // The version row does not decide: a wrong row is ignored.
        db->execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE polozka = 'verze'"));
        QCOMPARE(conversions::detectStructure(*db), version);
    }
    auto db = newDatabase(dir, QStringLiteral("foreign.mdb"));
    db->execute(QStringLiteral("ALTER TABLE rizika ADD COLUMN navic TEXT"));
    QCOMPARE(conversions::detectStructure(*db), -1);
    db->execute(QStringLiteral("DROP TABLE rizika"));
    QCOMPARE(conversions::detectStructure(*db), -1);
}

void TestConversions::stepsCarryEveryFieldToTheCurrentStructure()
{
    QTemporaryDir dir;
    auto db = oldRegister(dir, 0);

    QCOMPARE(conversions::convertStep(*db, 0), 4);
    QCOMPARE(conversions::detectStructure(*db), 1);
    QCOMPARE(versionRow(*db), QStringLiteral("1"));
    // The keyed list keeps each damaged object once and drops the row without a name.
    QCOMPARE(db->query(QStringLiteral("SELECT cast_tela FROM poskozeni ORDER BY 1")).size(), 2);
    QCOMPARE(field(*db, 1, "poznamky").toString(), longNote(120).trimmed());

    QCOMPARE(conversions::convertStep(*db, 1), 4);
    QCOMPARE(conversions::detectStructure(*db), 2);
    QCOMPARE(versionRow(*db), QStringLiteral("2"));
    QCOMPARE(conversions::convertStep(*db, 2), 4);
    QCOMPARE(conversions::detectStructure(*db), 3);
    QCOMPARE(versionRow(*db), QStringLiteral("3"));
    QVERIFY(!db->exists(
        QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name IN ('rizika1', 'poskozeni1')")));
    // The table is rebuilt exactly as a new database has it, lookup index included.
    QTemporaryDir fresh;
    auto current = newDatabase(fresh);
    const QString layout =
        QStringLiteral("SELECT group_concat(sql, ';') FROM sqlite_schema WHERE tbl_name = ?");
    for (const QString &table : {QStringLiteral("rizika"), QStringLiteral("poskozeni")})
        QCOMPARE(db->scalarText(layout, {table}), current->scalarText(layout, {table}));

    // Risk 1: texts trimmed, everything else as it was; summary fields from its attachments.
    QCOMPARE(contents(*db).filter(QRegularExpression(QStringLiteral("^rizika:1\\|"))),
             QStringList{QStringLiteral("rizika:1|Lisovna|lisař|Mechanické|lis|stlačení|ruce|"
                                        "rozdrcení|kryt|velká|možná|denně|2.5|světelná závora|"
                                        "Novák|2024-03-31|<null>|7|bez úrazů|0|5 000 Kč|Dvořáková|"
                                        "2024-06-30|<null>|") +
                         longNote(50).trimmed() +
                         QStringLiteral("|ano|ano|ano|ano|Závod/Lisovna|n")});

    // Risk 2: no requirement becomes 0 and "ne"; no value, no texts and no dates stay empty.
    QCOMPARE(field(*db, 2, "pozadavek_id").toLongLong(), 0);
    for (const char *name : {"pozadavek", "oopp_poskytnute", "oopp_chybejici", "dilci_ukoly"})
        QCOMPARE(field(*db, 2, name).toString(), QStringLiteral("ne"));
    for (const char *name : {"riziko", "pracovnik", "opatreni_termin", "program_splneno"})
        QVERIFY2(!field(*db, 2, name).isValid(), name);
    QCOMPARE(field(*db, 2, "cesta").toString(), QStringLiteral("Závod"));

    // Closed risks keep their paths, quotes and percent signs are plain text.
    QCOMPARE(field(*db, 3, "poznamky").toString(), QStringLiteral("it's \"100 %\" & more"));
    QCOMPARE(field(*db, 3, "oopp_poskytnute").toString(), QStringLiteral("ano"));
    QCOMPARE(field(*db, 3, "oopp_chybejici").toString(), QStringLiteral("ne"));
    QCOMPARE(field(*db, 3, "pozadavek").toString(), QStringLiteral("ne"));
    QCOMPARE(field(*db, 3, "cesta").toString(), QStringLiteral("Závod/Lisovna"));
    QCOMPARE(field(*db, 4, "cesta").toString(), QStringLiteral("Zrušená hala/Stará lakovna"));
    QCOMPARE(field(*db, 4, "dilci_ukoly").toString(), QStringLiteral("ano"));
    QCOMPARE(field(*db, 4, "program_splneno").toString(), QStringLiteral("2024-10-10"));
    QCOMPARE(QString::number(field(*db, 4, "riziko").toDouble(), 'g', 17), QStringLiteral("1.2"));
}

void TestConversions::lastStepRefreshesOnlyOpenRiskPaths()
{
    QTemporaryDir dir;
    auto db = oldRegister(dir, 2);
    // A tree changed after the risks were closed.
    db->execute(QStringLiteral("UPDATE systemy SET system_nadrazeny = '' WHERE system = "
                               "'Lisovna'"));
    ScriptedMessages messages;
    messages.answers = {true};
    QVERIFY(conversions::runStep(*db, 2, messages));
    QCOMPARE(messages.kinds(), QStringList({QStringLiteral("ask"), QStringLiteral("inform")}));
    QCOMPARE(messages.lastText(),
             QStringLiteral("Databáze byla převedena na strukturu x.3.x. Převedeno rizik: 4."));
    QCOMPARE(field(*db, 1, "cesta").toString(), QStringLiteral("Lisovna"));
    QCOMPARE(field(*db, 3, "cesta").toString(), QStringLiteral("stará cesta"));
    QCOMPARE(field(*db, 4, "cesta").toString(), QStringLiteral("stará cesta"));
    // The summary fields are computed again, not kept.
    for (const char *name : {"pozadavek", "oopp_poskytnute", "oopp_chybejici", "dilci_ukoly"}) {
        QCOMPARE(field(*db, 1, name).toString(), QStringLiteral("ano"));
        QCOMPARE(field(*db, 2, name).toString(), QStringLiteral("ne"));
    }
}

void TestConversions::longNotesAreSavedBeforeTheyAreShortened()
{
    QTemporaryDir dir;
    auto db = oldRegister(dir, 1);
    db->execute(QStringLiteral("UPDATE rizika SET poznamky = ? WHERE id_riziko = 4"),
                {longNote(160)});
    const QStringList before = contents(*db);

    // No to the notes question: nothing written anywhere.
    ScriptedMessages no;
    no.answers = {true, false};
    QVERIFY(!conversions::runStep(*db, 1, no));
    QCOMPARE(no.kinds(), QStringList({QStringLiteral("ask"), QStringLiteral("ask")}));
    QCOMPARE(no.shown[0].text, QStringLiteral("Převést databázi ze struktury x.1.x na x.2.x?"));
    QVERIFY(no.shown[1].text.startsWith(QStringLiteral("Poznámky 2 rizik jsou delší než 50")));
    QCOMPARE(contents(*db), before);
    QCOMPARE(folderEntries(dir.path()), QStringList({QStringLiteral("v1.mdb")}));

    // A file of that name already exists and must stay as it is.
    QFile existing(dir.filePath(QStringLiteral("v1_poznamky.txt")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("cizí");
    existing.close();

    ScriptedMessages yes;
    yes.answers = {true, true};
    QVERIFY(conversions::runStep(*db, 1, yes));
    const QString notesFile = dir.filePath(QStringLiteral("v1_poznamky_2.txt"));
    QCOMPARE(yes.shown.last().kind, QStringLiteral("inform"));
    QCOMPARE(yes.shown.last().text,
             QStringLiteral("Databáze byla převedena na strukturu x.2.x. Převedeno rizik: 4.\n"
                            "Plné znění zkrácených poznámek je uloženo v souboru '%1'.")
                 .arg(QDir::toNativeSeparators(notesFile)));
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("v1_poznamky.txt"))), QByteArray("cizí"));
    const QString saved = QString::fromUtf8(fileBytes(notesFile));
    QVERIFY(
        saved.contains(QStringLiteral("Riziko 1\n") + longNote(120).trimmed() + QLatin1Char('\n')));
    QVERIFY(
        saved.contains(QStringLiteral("Riziko 4\n") + longNote(160).trimmed() + QLatin1Char('\n')));
    QVERIFY(!saved.contains(QStringLiteral("Riziko 3")));
    QCOMPARE(field(*db, 1, "poznamky").toString(), longNote(50).trimmed());
    QCOMPARE(field(*db, 4, "poznamky").toString(), longNote(50).trimmed());
}

void TestConversions::wrongStructureOrNoAnswerChangesNothing()
{
    QTemporaryDir dir;
    auto db = oldRegister(dir, 2);
    const QStringList before = contents(*db);
    for (int step : {0, 1}) {
        ScriptedMessages messages;
        messages.answers = {true, true};
        QVERIFY(!conversions::runStep(*db, step, messages));
        QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
        QCOMPARE(messages.lastText(),
                 QStringLiteral("Databáze má strukturu x.2.x, tento převod je určen pro strukturu "
                                "x.%1.x. Databáze nebyla změněna.")
                     .arg(step));
        QCOMPARE(contents(*db), before);
    }
    ScriptedMessages no;
    QVERIFY(!conversions::runStep(*db, 2, no));
    QCOMPARE(no.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(contents(*db), before);
}

void TestConversions::failureHalfWayLeavesTheDatabaseAsItWas()
{
    QTemporaryDir dir;
    auto db = oldRegister(dir, 1);
    // The version row is written last, after the register has been rebuilt.
    db->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON uzivatelske_nastaveni "
                               "WHEN NEW.polozka = 'verze' BEGIN SELECT RAISE(ABORT, 'zamítnuto'); "
                               "END"));
    const QStringList before = contents(*db);
    ScriptedMessages messages;
    messages.answers = {true, true};
    QVERIFY(!conversions::runStep(*db, 1, messages));
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QVERIFY(messages.lastText().startsWith(
        QStringLiteral("Databáze nebyla převedena a zůstala beze změny.\nÚdaje porušují")));
    QVERIFY(messages.lastText().contains(QStringLiteral("\nzamítnuto (chyba ")));
    QCOMPARE(contents(*db), before);
    // The notes file was written before the step; it goes with the failed step.
    QCOMPARE(folderEntries(dir.path()), QStringList({QStringLiteral("v1.mdb")}));
    QCOMPARE(conversions::detectStructure(*db), 1);

    // Another program holding the file: busy, and still nothing changed.
    db->execute(QStringLiteral("DROP TRIGGER refuse"));
    const QStringList unlocked = contents(*db);
    auto other = Database::open(db->path());
    Transaction holding(*other);
    db->setBusyTimeout(10);
    ScriptedMessages busy;
    busy.answers = {true, true};
    QVERIFY(!conversions::runStep(*db, 1, busy));
    QCOMPARE(busy.lastText(), QStringLiteral("Databáze nebyla převedena! Databáze je používaná i "
                                             "jiným uživatelem."));
    QCOMPARE(contents(*db), unlocked);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"

#include "TestDatabase.h"

#include "db/Schema.h"
#include "db/Version.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace tamvel;

// The register's layout as the owner of the data defines it: table, fields in creation
// order (T<size> text, R single, I identifier, D date, "!" required; key fields are
// always required) and the key.
static const char *const ExpectedLayout = R"(
skupiny: skupina T20!, prava T250 | skupina
uzivatele: uzivatel T15!, heslo T10, skupina T20 | uzivatel
pracovnici: pracovnik T30! | pracovnik
systemy: system T50!, system_nadrazeny T50 | system
system_pracovnik: system T50!, pracovnik T30! | system, pracovnik
nebezpeci_kategorie: nebezpeci_kategorie T50! | nebezpeci_kategorie
nebezpeci_kategorie_druh: nebezpeci_druh T50!, nebezpeci_kategorie T50! | nebezpeci_druh, nebezpeci_kategorie
poskozeni: cast_tela T50! | cast_tela
zavaznost: zavaznost_popis T75!, zavaznost R | zavaznost_popis
pravdepodobnost: pravdepodobnost_popis T75!, pravdepodobnost R | pravdepodobnost_popis
frekvence: frekvence_popis T75!, frekvence R | frekvence_popis
urovne_rizika: limitni_uroven_rizika T50, riziko_od R! | riziko_od
algoritmy: algoritmus T50!, aktivni R | algoritmus
oop: oop T50! | oop
typ: typ T20!, zkratka T2 | typ
predpisy: predpis_id I!, typ T20!, cislo T15!, nazev T250!, vydano D, poznamka T250! | predpis_id
dokumenty: predpis_id I!, soubor T250! |
pozadavky: pozadavek_id I!, pozadavek1 T250!, pozadavek2 T250!, pozadavek3 T250!, pozadavek4 T250! | pozadavek_id
pozadavky_predpisy: pozadavek_id I!, predpis_id I! | pozadavek_id, predpis_id
rizika: id_riziko I!, system T50, pracovnik T30, nebezpeci_kategorie T50, nebezpeci_zdroj T150, nebezpeci_druh T50, poskozeni_cast_tela T50, poskozeni_charakter T200, bezpecnostni_opatreni T200, zavaznost_popis T75, pravdepodobnost_popis T75, frekvence_popis T75, riziko R, napravna_opatreni T250, opatreni_zodpovida T15, opatreni_termin D, opatreni_splneno D, pozadavek_id I, cil T250, cilova_hodnota T200, zdroje T50, program_zodpovida T15, program_termin D, program_splneno D, poznamky T50, oopp_poskytnute T3, oopp_chybejici T3, pozadavek T3, dilci_ukoly T3, cesta T60, legislativa T1 | id_riziko
rizika_uzavrene: id_riziko I!, algoritmus T150 | id_riziko
uzivatelske_nastaveni: uzivatel T15!, typ T50!, polozka T50!, hodnota1 T250, hodnota2 T250, hodnota3 T250, filtr1 T250, filtr2 T250, filtr3 T250, filtr4 T250 | uzivatel, typ, polozka
oop_rizika: id_riziko I!, oop T50!, oop_poskytnuto T1 | id_riziko, oop
dilci_ukoly: id_riziko I, termin D, zodpovida T50, ukol T250 |
)";

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void eachStructureHasItsLayout();
    void newDatabaseHoldsExactlyTheFourRows();
    void engineEnforcesTypesSizesRequiredAndKeys();
};

// Describes the tables of an opened file in the notation of ExpectedLayout.
static QStringList layoutOf(Database &db)
{
    QStringList lines;
    const Rows tables = db.query(
        QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY rowid"));
    for (int t = 0; t < tables.size(); ++t) {
        const QString name = tables.text(t, QStringLiteral("name"));
        const QString sql = tables.text(t, QStringLiteral("sql"));
        const Rows columns = db.query(QStringLiteral("SELECT name, type, \"notnull\", pk FROM "
                                                     "pragma_table_info(?) ORDER BY cid"),
                                      {name});
        QStringList fields;
        QMap<int, QString> key;
        for (int c = 0; c < columns.size(); ++c) {
            const QString field = columns.text(c, QStringLiteral("name"));
            const QString type = columns.text(c, QStringLiteral("type"));
            QString code;
            if (type == QStringLiteral("REAL")) {
                code = QStringLiteral("R");
            } else if (type == QStringLiteral("INT") || type == QStringLiteral("INTEGER")) {
                code = QStringLiteral("I");
            } else if (sql.contains(QStringLiteral("date(%1, '+0 days') IS %1").arg(field))) {
                code = QStringLiteral("D");
            } else {
                const QRegularExpression size(
                    QStringLiteral("length\\(%1\\) <= (\\d+)").arg(field));
                code = QStringLiteral("T") + size.match(sql).captured(1);
            }
            if (columns.integer(c, QStringLiteral("notnull")) != 0)
                code += QLatin1Char('!');
            fields << field + QLatin1Char(' ') + code;
            if (const int pk = int(columns.integer(c, QStringLiteral("pk"))); pk > 0)
                key.insert(pk, field);
        }
        lines << QStringLiteral("%1: %2 |%3")
                     .arg(name, fields.join(QStringLiteral(", ")),
                          key.isEmpty() ? QString()
                                        : QLatin1Char(' ') +
                                              QStringList(key.values()).join(QStringLiteral(", ")));
    }
    return lines;
}

// The current structure, and what the earlier program versions created: the register without
// its later fields and with another size of notes; the oldest also had a shorter, unkeyed list
// of damaged objects.
void TestSchema::eachStructureHasItsLayout()
{
    const QStringList current =
        QString::fromUtf8(ExpectedLayout).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString risks = current.filter(QRegularExpression(QStringLiteral("^rizika:"))).first();
    const QString upToNotes = risks.left(risks.indexOf(QStringLiteral(" T50, oopp_poskytnute")));
    const QString damaged = QStringLiteral("poskozeni: cast_tela T50! | cast_tela");
    const struct
    {
        int version;
        QString risks;
        QString damaged;
        QString versionRow; // empty: no version row
    } layouts[] = {
        {StructureVersion, risks, damaged, QString::number(StructureVersion)},
        {0, upToNotes + QStringLiteral(" T150 | id_riziko"),
         QStringLiteral("poskozeni: cast_tela T30 |"), QString()},
        {1, upToNotes + QStringLiteral(" T160 | id_riziko"), damaged, QStringLiteral("1")},
        {2,
         risks.left(risks.indexOf(QStringLiteral(", legislativa"))) +
             QStringLiteral(" | id_riziko"),
         damaged, QStringLiteral("2")},
    };
    QTemporaryDir dir;
    for (const auto &o : layouts) {
        const QString path = dir.filePath(QStringLiteral("v%1.mdb").arg(o.version));
        files::writeNewDatabase(path, false, {}, o.version);
        auto db = Database::open(path);
        QStringList expected = current;
        expected.replaceInStrings(QRegularExpression(QStringLiteral("^rizika:.*")), o.risks);
        expected.replaceInStrings(QRegularExpression(QStringLiteral("^poskozeni:.*")), o.damaged);
        QCOMPARE(layoutOf(*db), expected);
        QCOMPARE(db->scalarText(QStringLiteral("SELECT group_concat(hodnota1) FROM "
                                               "uzivatelske_nastaveni WHERE polozka = 'verze'")),
                 o.versionRow);
        QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatele")), 1);
    }
}

void TestSchema::newDatabaseHoldsExactlyTheFourRows()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);

    qint64 total = 0;
    for (const schema::Table &t : schema::tables())
        total += db->scalarInt(QStringLiteral("SELECT count(*) FROM ") + t.name);
    QCOMPARE(total, 4);

    // The structure version, then the overview's default columns (a missing value would
    // drop its row).
    QCOMPARE(db->scalarText(QStringLiteral(
                 "SELECT group_concat(uzivatel || '|' || typ || '|' || polozka || '|' || hodnota1 "
                 "|| '|' || hodnota2 || '|' || hodnota3, ';') FROM (SELECT * FROM "
                 "uzivatelske_nastaveni ORDER BY typ)")),
             QStringLiteral("administrator|rizika|verze|%1||;administrator|rizikagrd|default|"
                            "Systém#1200#Pracovník/činnost#1365#Kategorie nebezpečí#2385#"
                            "Druh nebezpečí#1845#Závažnost#1320#Pravděpodobnost#1995#"
                            "Frekvence#1455#Riziko#1200#||")
                 .arg(StructureVersion));
    // The account is "Administrator" with one blank as password; the group grants all.
    QCOMPARE(db->scalarText(QStringLiteral("SELECT uzivatel || '|' || heslo || '|' || skupina FROM "
                                           "uzivatele")),
             QStringLiteral("Administrator| |admin"));
    QCOMPARE(db->scalarText(QStringLiteral("SELECT skupina || '|' || prava FROM skupiny")),
             QStringLiteral("admin|") + QString(51, QLatin1Char('1')));

    // The file is marked as the program's and uses a rollback journal.
    QCOMPARE(db->scalarInt(QStringLiteral("PRAGMA application_id")), 0x54414D56);
    QCOMPARE(db->scalarText(QStringLiteral("PRAGMA journal_mode")), QStringLiteral("delete"));
}

void TestSchema::engineEnforcesTypesSizesRequiredAndKeys()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const auto refused = [&](const QString &sql, const Values &values) {
        try {
            db->execute(sql, values);
        } catch (const DbError &e) {
            return (e.code() & 0xff) == SQLITE_CONSTRAINT;
        }
        return false;
    };

    // Tables without a key take duplicate rows (a refused row would throw).
    db->execute(QStringLiteral("INSERT INTO dokumenty VALUES (1, 'a.pdf'), (1, 'a.pdf')"));
    db->execute(QStringLiteral("INSERT INTO dilci_ukoly VALUES (1, '2024-01-01', 'Novák', 'Úkol'), "
                               "(1, '2024-01-01', 'Novák', 'Úkol')"));

    // Sizes count characters: 60 Czech letters fit `cesta`, 61 do not.
    const QString risk = QStringLiteral("INSERT INTO rizika (id_riziko, cesta) VALUES (?, ?)");
    db->execute(risk, {1, QString(60, QChar(0x0159))});
    QVERIFY(refused(risk, {2, QString(61, QChar(0x0159))}));

    // A risk needs its identifier (an INT key is no rowid that would fill itself in); a required
    // text may be empty.
    QVERIFY(refused(risk, {QVariant(), QStringLiteral("x")}));
    db->execute(QStringLiteral("INSERT INTO predpisy (predpis_id, typ, cislo, nazev, vydano, "
                               "poznamka) VALUES (1, 'Zákon', '1/2000', 'Název', NULL, '')"));

    // Types: dates are real calendar dates, numbers are numbers.
    const QString due = QStringLiteral("UPDATE rizika SET opatreni_termin = ? WHERE id_riziko = 1");
    QVERIFY(refused(due, {QStringLiteral("05.03.2024")}));
    QVERIFY(refused(due, {QStringLiteral("2023-02-29")}));
    db->execute(due, {QDate(2024, 2, 29)});
    QVERIFY(!refused(QStringLiteral("UPDATE rizika SET riziko = ?"), {2.5}));
    QVERIFY(refused(QStringLiteral("UPDATE rizika SET riziko = ?"), {QStringLiteral("abc")}));
    QCOMPARE(db->scalar(QStringLiteral("SELECT riziko FROM rizika")).toDouble(), 2.5);
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"

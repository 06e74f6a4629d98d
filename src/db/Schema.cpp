#include "db/Schema.h"

#include "db/Database.h"
#include "db/Version.h"

namespace tamvel::schema {

namespace {

constexpr bool Req = true;
constexpr bool ZL = true;

Field text(const char *name, int size, int ord, int attr, bool required = false,
           bool zeroLength = false)
{
    return {QString::fromUtf8(name), FieldType::Text, size, ord, attr, required, zeroLength};
}

Field single(const char *name, int size, int ord, int attr, bool required = false)
{
    return {QString::fromUtf8(name), FieldType::Single, size, ord, attr, required, false};
}

Field date(const char *name, int ord, int attr, bool required = false, bool zeroLength = false)
{
    return {QString::fromUtf8(name), FieldType::Date, 8, ord, attr, required, zeroLength};
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result << QString::fromUtf8(name);
    return result;
}

Table makeTable(const char *name, QVector<Field> fields, std::initializer_list<const char *> key,
                QVector<QStringList> indexes = {})
{
    return {QString::fromUtf8(name), std::move(fields), names(key), std::move(indexes)};
}

QVector<Table> buildCurrentTables()
{
    QVector<Table> t;
    t << makeTable("skupiny", {text("skupina", 20, 1, 2), text("prava", 250, 2, 2)}, {"skupina"});
    t << makeTable("uzivatele",
                   {text("uzivatel", 15, 1, 2), text("heslo", 10, 2, 2), text("skupina", 20, 3, 2)},
                   {"uzivatel"});
    t << makeTable("pracovnici", {text("pracovnik", 30, 1, 2)}, {"pracovnik"});
    t << makeTable("systemy",
                   {text("system", 50, 1, 2), text("system_nadrazeny", 50, 2, 2, false, ZL)},
                   {"system"});
    t << makeTable("system_pracovnik", {text("system", 50, 1, 2), text("pracovnik", 30, 2, 2)},
                   {"system", "pracovnik"});
    t << makeTable("nebezpeci_kategorie", {text("nebezpeci_kategorie", 50, 1, 2)},
                   {"nebezpeci_kategorie"});
    t << makeTable("nebezpeci_kategorie_druh",
                   {text("nebezpeci_druh", 50, 1, 2), text("nebezpeci_kategorie", 50, 2, 2)},
                   {"nebezpeci_druh", "nebezpeci_kategorie"});
    t << makeTable("poskozeni", {text("cast_tela", 50, 1, 2)}, {"cast_tela"});
    t << makeTable("zavaznost", {text("zavaznost_popis", 75, 1, 2), single("zavaznost", 4, 2, 2)},
                   {"zavaznost_popis"});
    t << makeTable("pravdepodobnost",
                   {text("pravdepodobnost_popis", 75, 1, 2), single("pravdepodobnost", 4, 2, 2)},
                   {"pravdepodobnost_popis"});
    t << makeTable("frekvence", {text("frekvence_popis", 75, 1, 2), single("frekvence", 4, 2, 2)},
                   {"frekvence_popis"});
    t << makeTable("urovne_rizika",
                   {text("limitni_uroven_rizika", 50, 1, 2), single("riziko_od", 7, 2, 2)},
                   {"riziko_od"});
    t << makeTable("algoritmy", {text("algoritmus", 50, 1, 2), single("aktivni", 1, 2, 2)},
                   {"algoritmus"});
    t << makeTable("oop", {text("oop", 50, 1, 2)}, {"oop"});
    t << makeTable("typ", {text("typ", 20, 1, 2), text("zkratka", 2, 2, 2)}, {"typ"});
    t << makeTable("predpisy",
                   {single("predpis_id", 4, 1, 1, Req), text("typ", 20, 2, 1, Req),
                    text("cislo", 15, 3, 1, Req), text("nazev", 250, 4, 1, Req),
                    date("vydano", 5, 1, false, ZL), text("poznamka", 250, 6, 1, Req, ZL)},
                   {"predpis_id"});
    t << makeTable("dokumenty",
                   {single("predpis_id", 4, 1, 1, Req), text("soubor", 250, 2, 1, Req)}, {},
                   {names({"predpis_id"})});
    t << makeTable("pozadavky",
                   {single("pozadavek_id", 4, 1, 1, Req), text("pozadavek1", 250, 3, 1, Req),
                    text("pozadavek2", 250, 4, 1, Req), text("pozadavek3", 250, 5, 1, Req),
                    text("pozadavek4", 250, 6, 1, Req)},
                   {"pozadavek_id"});
    t << makeTable("pozadavky_predpisy",
                   {single("pozadavek_id", 4, 1, 1, Req), single("predpis_id", 4, 2, 1, Req)},
                   {"pozadavek_id", "predpis_id"});
    t << makeTable("rizika",
                   {single("id_riziko", 4, 1, 1, Req),
                    text("system", 50, 3, 1),
                    text("pracovnik", 30, 4, 1),
                    text("nebezpeci_kategorie", 50, 5, 1),
                    text("nebezpeci_zdroj", 150, 6, 1),
                    text("nebezpeci_druh", 50, 2, 1),
                    text("poskozeni_cast_tela", 50, 7, 1),
                    text("poskozeni_charakter", 200, 8, 1),
                    text("bezpecnostni_opatreni", 200, 9, 1),
                    text("zavaznost_popis", 75, 10, 1),
                    text("pravdepodobnost_popis", 75, 11, 1),
                    text("frekvence_popis", 75, 12, 1),
                    single("riziko", 4, 13, 1),
                    text("napravna_opatreni", 250, 14, 1),
                    text("opatreni_zodpovida", 15, 15, 1),
                    date("opatreni_termin", 16, 1),
                    date("opatreni_splneno", 17, 1),
                    single("pozadavek_id", 4, 18, 1),
                    text("cil", 250, 19, 1),
                    text("cilova_hodnota", 200, 20, 1),
                    text("zdroje", 50, 21, 1),
                    text("program_zodpovida", 15, 22, 1),
                    date("program_termin", 23, 1),
                    date("program_splneno", 24, 1),
                    text("poznamky", 50, 25, 1),
                    text("oopp_poskytnute", 3, 26, 3),
                    text("oopp_chybejici", 3, 27, 1),
                    text("pozadavek", 3, 28, 1),
                    text("dilci_ukoly", 3, 29, 1),
                    text("cesta", 60, 30, 1),
                    text("legislativa", 1, 31, 1)},
                   {"id_riziko"}, {names({"system"})});
    t << makeTable("rizika_uzavrene", {single("id_riziko", 4, 1, 1), text("algoritmus", 150, 2, 2)},
                   {"id_riziko"});
    t << makeTable("uzivatelske_nastaveni",
                   {text("uzivatel", 15, 1, 2), text("typ", 50, 2, 2), text("polozka", 50, 3, 2),
                    text("hodnota1", 250, 4, 2, false, ZL), text("hodnota2", 250, 5, 2, false, ZL),
                    text("hodnota3", 250, 6, 2, false, ZL), text("filtr1", 250, 6, 2, false, ZL),
                    text("filtr2", 250, 6, 2, false, ZL), text("filtr3", 250, 6, 2, false, ZL),
                    text("filtr4", 250, 6, 2, false, ZL)},
                   {"uzivatel", "typ", "polozka"});
    t << makeTable(
        "oop_rizika",
        {single("id_riziko", 4, 1, 1), text("oop", 50, 2, 2), text("oop_poskytnuto", 1, 3, 2)},
        {"id_riziko", "oop"});
    t << makeTable("dilci_ukoly",
                   {single("id_riziko", 4, 1, 1), date("termin", 2, 1), text("zodpovida", 50, 3, 2),
                    text("ukol", 250, 4, 2)},
                   {}, {names({"id_riziko"})});
    return t;
}

// How each older structure differs from the current one. Only the risk register and, in
// the oldest structure, the damaged-objects list changed between versions.
struct Layout
{
    int version;
    int riskFieldCount; // the first fields of the current `rizika`
    int notesSize;      // size of `poznamky`
    int damagedSize;    // size of `poskozeni.cast_tela`
    bool damagedKeyed;  // whether `poskozeni` has its key
};

constexpr Layout Layouts[] = {
    {0, 25, 150, 30, false},
    {1, 25, 160, 50, true},
    {2, 30, 50, 50, true},
    {3, 31, 50, 50, true},
};

QVector<Table> buildTables(const Layout &layout)
{
    QVector<Table> t = buildCurrentTables();
    for (Table &table : t) {
        if (table.name == QStringLiteral("rizika")) {
            table.fields.resize(layout.riskFieldCount);
            for (Field &f : table.fields)
                if (f.name == QStringLiteral("poznamky"))
                    f.size = layout.notesSize;
        } else if (table.name == QStringLiteral("poskozeni")) {
            table.fields[0].size = layout.damagedSize;
            if (!layout.damagedKeyed)
                table.key.clear();
        }
    }
    return t;
}

bool isIdentifier(const QString &name)
{
    return name == QStringLiteral("id_riziko") || name == QStringLiteral("predpis_id") ||
           name == QStringLiteral("pozadavek_id");
}

} // namespace

const Field *Table::field(const QString &fieldName) const
{
    for (const Field &f : fields)
        if (f.name == fieldName)
            return &f;
    return nullptr;
}

QStringList Table::fieldNames() const
{
    QStringList result;
    for (const Field &f : fields)
        result << f.name;
    return result;
}

const QVector<Table> &tables(int version)
{
    static const QVector<QVector<Table>> all = [] {
        QVector<QVector<Table>> result;
        for (const Layout &layout : Layouts)
            result << buildTables(layout);
        return result;
    }();
    if (version < OldestStructure || version > StructureVersion)
        qFatal("Unknown structure version %d", version);
    return all[version];
}

const Table &table(const QString &name, int version)
{
    for (const Table &t : tables(version))
        if (t.name == name)
            return t;
    qFatal("Unknown table %s", qPrintable(name));
}

QString sqlType(const Field &field)
{
    switch (field.type) {
    case FieldType::Single:
        // "INT", not "INTEGER": an INTEGER key would become the rowid, which turns a missing
        // identifier into a generated one instead of refusing it.
        return isIdentifier(field.name) ? QStringLiteral("INT") : QStringLiteral("REAL");
    case FieldType::Text:
    case FieldType::Date:
        break;
    }
    return QStringLiteral("TEXT");
}

QString createTableSql(const Table &table)
{
    QStringList parts;
    for (const Field &f : table.fields) {
        QString column = f.name + QLatin1Char(' ') + sqlType(f);
        if (f.required)
            column += QStringLiteral(" NOT NULL");
        if (f.type == FieldType::Text)
            column += QStringLiteral(" CHECK (length(%1) <= %2)").arg(f.name).arg(f.size);
        else if (f.type == FieldType::Date)
            // The modifier makes the engine normalise the date, so 2023-02-29 fails.
            column +=
                QStringLiteral(" CHECK (%1 IS NULL OR date(%1, '+0 days') IS %1)").arg(f.name);
        parts << column;
    }
    if (!table.key.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(table.key.join(QLatin1Char(',')));
    return QStringLiteral("CREATE TABLE %1 (\n  %2\n) STRICT")
        .arg(table.name, parts.join(QStringLiteral(",\n  ")));
}

QStringList createIndexSql(const Table &table)
{
    QStringList result;
    for (const QStringList &columns : table.indexes)
        result << QStringLiteral("CREATE INDEX %1_%2 ON %1 (%3)")
                      .arg(table.name, columns.join(QLatin1Char('_')),
                           columns.join(QLatin1Char(',')));
    return result;
}

QString defaultColumnSet()
{
    return QStringLiteral("Systém#1200#Pracovník/činnost#1365#Kategorie nebezpečí#2385#"
                          "Druh nebezpečí#1845#Závažnost#1320#Pravděpodobnost#1995#"
                          "Frekvence#1455#Riziko#1200#");
}

QString adminRights()
{
    return QString(51, QLatin1Char('1'));
}

void createStructure(Database &db, int version)
{
    inTransaction(db, [&] {
        for (const Table &t : tables(version)) {
            db.execute(createTableSql(t));
            for (const QString &sql : createIndexSql(t))
                db.execute(sql);
        }
        const QString settings = QStringLiteral(
            "INSERT INTO uzivatelske_nastaveni (uzivatel,typ,polozka,hodnota1,hodnota2,hodnota3) "
            "VALUES (?,?,?,?,?,?)");
        const QString admin = QStringLiteral("administrator");
        // The oldest program wrote no version row; its registers have none.
        if (version > OldestStructure)
            db.execute(settings, {admin, QStringLiteral("rizika"), QStringLiteral("verze"),
                                  QString::number(version), QString(), QString()});
        db.execute(settings, {admin, QStringLiteral("rizikagrd"), QStringLiteral("default"),
                              defaultColumnSet(), QString(), QString()});
        // One blank: login compares trimmed values, so the account logs in with no password.
        db.execute(QStringLiteral("INSERT INTO uzivatele (uzivatel,heslo,skupina) VALUES (?,?,?)"),
                   {QStringLiteral("Administrator"), QStringLiteral(" "), QStringLiteral("admin")});
        db.execute(QStringLiteral("INSERT INTO skupiny (skupina,prava) VALUES (?,?)"),
                   {QStringLiteral("admin"), adminRights()});
    });
}

} // namespace tamvel::schema

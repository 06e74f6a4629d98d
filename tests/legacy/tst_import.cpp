#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "app/Login.h"
#include "conversions/Conversions.h"
#include "db/Schema.h"
#include "legacy/AccessFile.h"
#include "legacy/Import.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace tamvel;
using namespace tamvel::legacy;

namespace {

const QString Fixtures = QStringLiteral(TAMVEL_LEGACY_FIXTURES);

QString copyFixture(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile::copy(Fixtures + QLatin1Char('/') + name, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString text(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("<null>");
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(Qt::ISODate);
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

using Row = QHash<QString, QString>; // field -> value as text

// The rows of a table of the Access file, by field name in lower case.
QVector<Row> sourceRows(const AccessFile &file, const QString &table)
{
    QVector<Row> rows;
    const std::optional<AccessTable> layout = file.table(table);
    if (!layout)
        return rows;
    const Result<void> read = file.readRows(table, [&](const QVector<QVariant> &values) {
        Row row;
        for (int i = 0; i < values.size(); ++i)
            row.insert(layout->columns[i].name.toLower(), text(values[i]));
        rows << row;
    });
    if (!read)
        qWarning("%s", qPrintable(read.error()));
    return rows;
}

QVector<Row> targetRows(Database &db, const QString &table)
{
    QVector<Row> rows;
    const Rows result = db.query(QStringLiteral("SELECT * FROM ") + table);
    for (int r = 0; r < result.size(); ++r) {
        Row row;
        for (int c = 0; c < result.columnCount(); ++c)
            row.insert(result.columns()[c], text(result.at(r, c)));
        rows << row;
    }
    return rows;
}

// Rows as sorted lines of the fields given, for comparing tables without keys.
QStringList lines(const QVector<Row> &rows, const QStringList &fields)
{
    QStringList result;
    for (const Row &row : rows) {
        QStringList values;
        for (const QString &f : fields)
            values << row.value(f, QStringLiteral("<null>"));
        result << values.join(QLatin1Char('|'));
    }
    result.sort();
    return result;
}

bool isVersionRow(const Row &row)
{
    return row.value(QStringLiteral("uzivatel")) == QStringLiteral("administrator") &&
           row.value(QStringLiteral("typ")) == QStringLiteral("rizika") &&
           row.value(QStringLiteral("polozka")) == QStringLiteral("verze");
}

// An Access file with rows added, a table hidden, a table and a field of `oop` the program
// does not know.
class AlteredSource : public TableSource
{
public:
    AlteredSource(const AccessFile &file, QHash<QString, QVector<QVector<QVariant>>> extra)
        : m_file(file), m_extra(std::move(extra))
    {
    }
    QStringList tableNames() const override
    {
        QStringList names = m_file.tableNames();
        names.removeAll(QStringLiteral("dokumenty"));
        return names << Foreign;
    }
    std::optional<AccessTable> table(const QString &name) const override
    {
        const AccessColumn text{QStringLiteral("text"), AccessColumn::Type::Text, 50, false};
        if (name == Foreign)
            return AccessTable{Foreign, {text}, {}};
        std::optional<AccessTable> layout = m_file.table(name);
        if (name == QStringLiteral("oop"))
            layout->columns.prepend(text);
        return layout;
    }
    Result<void>
    readRows(const QString &table,
             const std::function<void(const QVector<QVariant> &)> &onRow) const override
    {
        // The unknown first field of `oop` holds a text in every row.
        const auto give = [&](QVector<QVariant> row) {
            if (table == QStringLiteral("oop"))
                row.prepend(QStringLiteral("navíc"));
            onRow(row);
        };
        if (table != Foreign) {
            const Result<void> read = m_file.readRows(table, give);
            if (!read)
                return read;
        }
        for (const QVector<QVariant> &row : m_extra.value(table))
            give(row);
        return {};
    }

    static inline const QString Foreign = QStringLiteral("poznamky_stare");

private:
    const AccessFile &m_file;
    QHash<QString, QVector<QVector<QVariant>>> m_extra;
};

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void everyTableAndRowReachesTheCurrentStructure_data();
    void everyTableAndRowReachesTheCurrentStructure();
    void refusedSourcesNameTheReason_data();
    void refusedSourcesNameTheReason();
    void rowsThatCannotBeStoredAreAskedAbout();
    void progressIsToldAndStornoCreatesNothing();

private:
    QTemporaryDir m_sources, m_targets;
};

void TestImport::everyTableAndRowReachesTheCurrentStructure_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("structure");
    QTest::newRow("x.0") << QStringLiteral("legacy-v0.mdb") << 0;
    QTest::newRow("x.1") << QStringLiteral("legacy-v1.mdb") << 1;
    QTest::newRow("x.2") << QStringLiteral("legacy-v2.mdb") << 2;
    QTest::newRow("x.3") << QStringLiteral("legacy-v3.mdb") << 3;
}

void TestImport::everyTableAndRowReachesTheCurrentStructure()
{
    QFETCH(QString, fixture);
    QFETCH(int, structure);
    QTemporaryDir dir;
    const QString source = copyFixture(dir, fixture);
    const QByteArray original = fileBytes(source);
    const QString target = dir.filePath(QStringLiteral("novy.mdb"));

    ScriptedMessages messages;
    messages.answers = {true};
    const std::optional<ImportResult> result = importAccess(source, target, false, messages);
    QVERIFY(result);
    QCOMPARE(result->structure, structure);
    QCOMPARE(result->steps.size(), StructureVersion - structure);
    QCOMPARE(fileBytes(source), original);

    auto db = Database::open(target);
    QCOMPARE(conversions::detectStructure(*db), StructureVersion);
    ScriptedMessages login;
    checkStructureVersion(*db, login);
    QVERIFY(login.shown.isEmpty());

    const auto file = AccessFile::open(source);
    QVERIFY2(file, qPrintable(file.error()));
    for (const schema::Table &table : schema::tables()) {
        QStringList fields = table.fieldNames();
        QVector<Row> expected = sourceRows(*file, table.name);
        QVector<Row> actual = targetRows(*db, table.name);
        if (table.name == QStringLiteral("rizika") && structure < StructureVersion) {
            // What the conversions compute or change is checked in tst_conversions.
            for (const char *converted :
                 {"pozadavek", "oopp_poskytnute", "oopp_chybejici", "dilci_ukoly", "cesta",
                  "pozadavek_id", "poznamky", "legislativa"})
                fields.removeOne(QString::fromUtf8(converted));
        } else if (table.name == QStringLiteral("uzivatelske_nastaveni")) {
            // The one version row of the current structure: the login check above.
            expected.removeIf(isVersionRow);
            actual.removeIf(isVersionRow);
        }
        QVERIFY2(!actual.isEmpty(), qPrintable(table.name));
        const QStringList want = lines(expected, fields), got = lines(actual, fields);
        for (int i = 0; i < std::max(want.size(), got.size()); ++i)
            QCOMPARE(table.name + QLatin1Char(':') + got.value(i),
                     table.name + QLatin1Char(':') + want.value(i));
    }
    if (structure == 1) {
        QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
        const QString notes = QString::fromUtf8(fileBytes(result->notesFile));
        QVERIFY(notes.contains(QStringLiteral("Riziko 2\n")));
        QVERIFY(notes.contains(
            sourceRows(*file, QStringLiteral("rizika"))[1].value(QStringLiteral("poznamky"))));
    } else {
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(result->notesFile.isEmpty());
    }
}

void TestImport::refusedSourcesNameTheReason_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // how the message begins

    const QDir dir(m_sources.path());
    const auto file = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    };
    const auto said = [](const QString &path, const char *text) {
        return QString::fromUtf8(text).arg(QDir::toNativeSeparators(path));
    };
    const QString novy = m_targets.filePath(QStringLiteral("novy.mdb"));

    const QString missing = dir.filePath(QStringLiteral("chybi.mdb"));
    QTest::newRow("missing") << missing << novy << said(missing, "Soubor '%1' nebyl nalezen.");
    const QString folder = dir.filePath(QStringLiteral("slozka.mdb"));
    dir.mkdir(QStringLiteral("slozka.mdb"));
    QTest::newRow("folder") << folder << novy
                            << said(folder, "Soubor '%1' nelze přečíst: je to složka.");
#ifdef Q_OS_UNIX
    const QString pipe = dir.filePath(QStringLiteral("roura.mdb"));
    mkfifo(QFile::encodeName(pipe).constData(), 0600);
    QTest::newRow("pipe") << pipe << novy
                          << said(pipe, "Soubor '%1' nelze přečíst: není to obyčejný soubor.");
#endif
#ifdef Q_OS_LINUX
    // A file that opens but whose reading fails (the memory of this process at address 0).
    const QString failing = QStringLiteral("/proc/self/mem");
    QTest::newRow("read error") << failing << novy << said(failing, "Soubor '%1' nelze přečíst: ");
#endif
    const QString empty = file("prazdny.mdb", {});
    const QString text = file("text.mdb", "Seznam rizik\n");
    for (const QString &path : {empty, text})
        QTest::newRow(qPrintable(QFileInfo(path).fileName()))
            << path << novy << said(path, "Soubor '%1' není databáze ve formátu Access.");

    const QString tamvel = dir.filePath(QStringLiteral("tamvel.mdb"));
    files::writeNewDatabase(tamvel);
    QTest::newRow("Tamvel") << tamvel << novy
                            << said(tamvel, "Soubor '%1' už je databáze programu Tamvel.");
    const QString other = dir.filePath(QStringLiteral("jiny.mdb"));
    {
        auto db = Database::create(other);
        db->execute(QStringLiteral("PRAGMA application_id = 0"));
        db->execute(QStringLiteral("CREATE TABLE adresy (jmeno TEXT)"));
    }
    QTest::newRow("another program") << other << novy
                                     << said(other, "Soubor '%1' je databáze SQLite jiného "
                                                    "programu, není to registr ve formátu Access.");
    // The header alone, and a sound file with the head of its table's page overwritten.
    const QString header = file("hlavicka.mdb", QByteArray("SQLite format 3\0", 16) + "xyz");
    QByteArray broken = fileBytes(other);
    broken.replace(broken.size() - 4096, 16, QByteArray(16, '\xff'));
    for (const QString &path : {header, file("poskozeny.mdb", broken)})
        QTest::newRow(qPrintable(QFileInfo(path).fileName()))
            << path << novy << said(path, "Soubor '%1' je poškozená databáze SQLite.\n");

    const QString truncated = copyFixture(m_sources, QStringLiteral("legacy-v2.mdb"));
    QFile::resize(truncated, 3 * 4096);
    QTest::newRow("damaged Access file")
        << truncated << novy << said(truncated, "Soubor '%1' nelze přečíst: ");
    // The original is never the target.
    const QString original = copyFixture(m_sources, QStringLiteral("legacy-v3.mdb"));
    QTest::newRow("itself") << original << original
                            << said(original, "Nová databáze nesmí nahradit původní soubor '%1'.");
}

void TestImport::refusedSourcesNameTheReason()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const bool regular = QFileInfo(source).isFile();
    const QByteArray original = regular ? fileBytes(source) : QByteArray();
    const QStringList sources = folderEntries(m_sources.path());

    ScriptedMessages messages;
    QVERIFY(!importAccess(source, target, true, messages));
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
    QVERIFY2(messages.lastText().startsWith(reason), qPrintable(messages.lastText()));
    QVERIFY(messages.lastText().endsWith(QStringLiteral("\nNová databáze nebyla vytvořena.")));
    QCOMPARE(folderEntries(m_targets.path()), QStringList());
    QCOMPARE(folderEntries(m_sources.path()), sources);
    if (regular)
        QCOMPARE(fileBytes(source), original);
}

void TestImport::rowsThatCannotBeStoredAreAskedAbout()
{
    QTemporaryDir dir;
    const QString source = copyFixture(dir, QStringLiteral("legacy-v1.mdb"));
    const auto file = AccessFile::open(source);
    QVERIFY(file);
    const AlteredSource withBadRows(
        *file, {{QStringLiteral("oop"), {{QString(60, QLatin1Char('x'))}}},
                {QStringLiteral("pracovnici"), {{QVariant()}}},
                {QStringLiteral("typ"), {{QStringLiteral("zákon"), QStringLiteral("Zx")}}},
                {QStringLiteral("predpisy"),
                 {{1.5, QStringLiteral("zákon"), QStringLiteral("1/2000"), QStringLiteral("n"),
                   QVariant(), QString()}}}});
    const QString target = dir.filePath(QStringLiteral("novy.mdb"));

    ScriptedMessages no;
    QVERIFY(!importTables(withBadRows, source, target, false, no));
    QCOMPARE(no.kinds(), QStringList({QStringLiteral("ask"), QStringLiteral("inform")}));
    QVERIFY(no.shown[0].text.startsWith(QStringLiteral("4 řádků nelze uložit:\n")));
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("legacy-v1.mdb")});

    ScriptedMessages yes;
    yes.answers = {true, true};
    const std::optional<ImportResult> result =
        importTables(withBadRows, source, target, false, yes);
    QVERIFY(result);
    QCOMPARE(result->rejectedRows, 4);
    QCOMPARE(result->rejectedFile, dir.filePath(QStringLiteral("novy_neprevedene.txt")));
    const QString report = QString::fromUtf8(fileBytes(result->rejectedFile));
    for (const QString &reason :
         {QStringLiteral("oop: text pole oop je delší než 50 znaků\n  navíc | ") +
              QString(60, QLatin1Char('x')),
          QStringLiteral("pracovnici: chybí povinná hodnota pole pracovnik\n  (prázdné)"),
          QStringLiteral("typ: řádek se stejným klíčem už byl převeden\n  zákon | Zx"),
          QStringLiteral("predpisy: pole predpis_id neobsahuje celé číslo")})
        QVERIFY2(report.contains(reason), qPrintable(reason));
    auto db = Database::open(target);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM oop")), 6);
    QCOMPARE(db->scalarText(QStringLiteral("SELECT zkratka FROM typ WHERE typ = 'zákon'")),
             QStringLiteral("Z"));

    // The report names the structure, the steps, the missing and the unknown table.
    QCOMPARE(result->missingTables, QStringList{QStringLiteral("dokumenty")});
    const QStringList reported = reportText(source, target, *result).split(QLatin1Char('\n'));
    QCOMPARE(reported.value(2),
             QStringLiteral("Převody struktury: x.1.x na x.2.x, x.2.x na x.3.x."));
    QCOMPARE(reported.mid(3, 3),
             QStringList({QStringLiteral("Počty řádků v nové databázi:"),
                          QStringLiteral("    skupiny: 3"), QStringLiteral("    uzivatele: 3")}));
    QVERIFY(reported.contains(QStringLiteral("    dokumenty: 0")));
    QVERIFY(reported.contains(
        QStringLiteral("V původní databázi chyběly tabulky (vytvořeny prázdné): dokumenty.")));
    QVERIFY(reported.contains(
        QStringLiteral("Nepřevedeno, program je nezná: tabulka poznamky_stare, pole oop.text.")));
    // The known field is read from its own column, not from the unknown one before it.
    QVERIFY(db->exists(QStringLiteral("SELECT 1 FROM oop WHERE oop = 'ochranné brýle'")));
    QVERIFY(!db->exists(QStringLiteral("SELECT 1 FROM oop WHERE oop = 'navíc'")));
    QVERIFY(reported.contains(QStringLiteral("Nepřevedené řádky (4) jsou vypsány v souboru '%1'.")
                                  .arg(result->rejectedFile)));
}

void TestImport::progressIsToldAndStornoCreatesNothing()
{
    QTemporaryDir dir;
    const QString source = copyFixture(dir, QStringLiteral("legacy-v1.mdb"));
    const QString target = dir.filePath(QStringLiteral("novy.mdb"));
    QStringList told;
    int lastStep = -1, count = 0;
    bool ordered = true;
    const auto record = [&](const QString &text, int current, int steps) {
        if (told.isEmpty() || told.last() != text)
            told << text;
        ordered = ordered && current >= lastStep && current < steps;
        lastStep = current;
        count = steps;
        return true;
    };
    ScriptedMessages messages;
    messages.answers = {true};
    const std::optional<ImportResult> result =
        importAccess(source, target, false, messages, record);
    QVERIFY(result);
    // Every table of the file's structure, then the two steps, each told once and in order.
    QCOMPARE(count, 24 + 2);
    QCOMPARE(told.size(), count);
    QCOMPARE(told.first(), QStringLiteral("Převod tabulky skupiny ..."));
    QCOMPARE(told.last(), QStringLiteral("Převod struktury x.2.x na x.3.x ..."));
    QCOMPARE(lastStep, count - 1);
    QVERIFY(ordered);

    // Storno while the risks are copied: nothing is created, and the user is told.
    QFile::remove(target);
    QFile::remove(result->notesFile);
    ScriptedMessages cancelled;
    QVERIFY(!importAccess(source, target, false, cancelled, [](const QString &text, int, int) {
        return text != QStringLiteral("Převod tabulky rizika ...");
    }));
    QCOMPARE(cancelled.kinds(), QStringList{QStringLiteral("inform")});
    QCOMPARE(cancelled.lastText(),
             QStringLiteral("Převod byl zrušen, nová databáze nebyla vytvořena."));
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("legacy-v1.mdb")});
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"

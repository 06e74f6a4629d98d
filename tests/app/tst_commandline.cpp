#include "TestDatabase.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "conversions/Conversions.h"
#include "db/Version.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace tamvel;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void optionsAreParsedOrRefused();
    void databasesAreCreatedOrTheErrorIsOneLine();
    void firstRunSelectsTheDemoOnlyWhenNothingIsSelected();

private:
    QTemporaryDir m_home;
};

void TestCommandLine::initTestCase()
{
    // Keep the user's own settings and data out of reach.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    QCoreApplication::setOrganizationName(QStringLiteral("Tamvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tamvel"));
}

void TestCommandLine::optionsAreParsedOrRefused()
{
    using Action = CommandLine::Action;
    const auto parse = [](const char *line) {
        return parseCommandLine(
            QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts));
    };
    QCOMPARE(parse("").action, Action::Gui);
    const CommandLine given = parse("--first-run registr.mdb");
    QCOMPARE(given.action, Action::Gui);
    QCOMPARE(given.path, QStringLiteral("registr.mdb"));
    QCOMPARE(parse("--help").action, Action::Help);
    QVERIFY(parse("--first-run").firstRun);

    const CommandLine create = parse("--create-database /tmp/x.mdb");
    QCOMPARE(create.action, Action::CreateDatabase);
    QCOMPARE(create.path, QStringLiteral("/tmp/x.mdb"));
    QCOMPARE(create.structure, -1);
    QCOMPARE(parse("--create-database /tmp/x.mdb --structure 0").structure, 0);

    const CommandLine demo = parse("--demo-database d.mdb --risks 1200");
    QCOMPARE(demo.action, Action::DemoDatabase);
    QCOMPARE(demo.risks, 1200);
    QCOMPARE(parse("--demo-database d.mdb").risks, 60);

    const CommandLine import = parse("--import-mdb stary.mdb novy.mdb");
    QCOMPARE(import.action, Action::ImportMdb);
    QCOMPARE(import.path, QStringLiteral("stary.mdb"));
    QCOMPARE(import.target, QStringLiteral("novy.mdb"));

    for (const char *bad : {"--import-mdb stary.mdb",
                            "--import-mdb",
                            "--import-mdb a.mdb b.mdb --create-database c.mdb",
                            "--create-database c.mdb --import-mdb a.mdb b.mdb",
                            "a.mdb b.mdb",
                            "--create-database a.mdb extra",
                            "-x",
                            "--bogus",
                            "--create-database",
                            "--create-database --risks 3",
                            "--demo-database d.mdb --risks",
                            "--demo-database d.mdb --risks -5",
                            "--demo-database d.mdb --risks many",
                            "--risks 5",
                            "--create-database a.mdb --demo-database b.mdb",
                            "--first-run --create-database a.mdb",
                            "--create-database a.mdb --structure 4",
                            "--create-database a.mdb --structure -1",
                            "--create-database a.mdb --structure",
                            "--demo-database a.mdb --structure 1",
                            "--structure 2"}) {
        const CommandLine c = parse(bad);
        QVERIFY2(c.action == Action::Invalid, bad);
        QVERIFY2(!c.error.isEmpty() && !c.error.contains(QLatin1Char('\n')), bad);
    }
}

void TestCommandLine::databasesAreCreatedOrTheErrorIsOneLine()
{
    QTemporaryDir dir;
    QString out, err;
    QTextStream outStream(&out), errStream(&err);

    CommandLine create;
    create.action = CommandLine::Action::CreateDatabase;
    create.path = dir.filePath(QStringLiteral("prazdna.mdb"));
    QCOMPARE(runCommand(create, outStream, errStream), 0);
    QCOMPARE(Database::open(create.path)
                 ->scalarInt(QStringLiteral("SELECT count(*) FROM "
                                            "uzivatelske_nastaveni")),
             2);

    // The same path again: refused, the file kept.
    const QByteArray before = fileBytes(create.path);
    QCOMPARE(runCommand(create, outStream, errStream), 2);
    QCOMPARE(fileBytes(create.path), before);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY(err.contains(create.path));

    // An older structure for support staff: the register as that version kept it.
    create.path = dir.filePath(QStringLiteral("stara.mdb"));
    create.structure = 1;
    QCOMPARE(runCommand(create, outStream, errStream), 0);
    QCOMPARE(conversions::detectStructure(*Database::open(create.path)), 1);

    // A folder that does not exist.
    err.clear();
    CommandLine demo;
    demo.action = CommandLine::Action::DemoDatabase;
    demo.path = dir.filePath(QStringLiteral("neni/demo.mdb"));
    QCOMPARE(runCommand(demo, outStream, errStream), 2);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);

    demo.path = dir.filePath(QStringLiteral("demo.mdb"));
    demo.risks = 7;
    QCOMPARE(runCommand(demo, outStream, errStream), 0);
    QCOMPARE(Database::open(demo.path)->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")),
             7);

    // An Access-format register: questions answered "go on", the report on the terminal.
    CommandLine import;
    import.action = CommandLine::Action::ImportMdb;
    import.path = dir.filePath(QStringLiteral("stary.mdb"));
    import.target = dir.filePath(QStringLiteral("prevedeny.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/legacy-v1.mdb"), import.path));
    out.clear();
    err.clear();
    QCOMPARE(runCommand(import, outStream, errStream), 0);
    QVERIFY(out.contains(QStringLiteral("Chcete pokračovat? ano\n")));
    QVERIFY(out.contains(QStringLiteral("Nalezená struktura: x.1.x.\n")));
    QCOMPARE(err, QString());
    QCOMPARE(conversions::detectStructure(*Database::open(import.target)), StructureVersion);
    // The target exists now: refused with exit code 1 and kept as it is.
    const QByteArray converted = fileBytes(import.target);
    QCOMPARE(runCommand(import, outStream, errStream), 1);
    QVERIFY(err.startsWith(QStringLiteral("tamvel: ")));
    QCOMPARE(fileBytes(import.target), converted);
    // Not an Access file.
    err.clear();
    import.path = create.path;
    import.target = dir.filePath(QStringLiteral("z-tamvel.mdb"));
    QCOMPARE(runCommand(import, outStream, errStream), 1);
    QVERIFY(err.contains(QStringLiteral("už je databáze programu Tamvel")));
    QVERIFY(!QFileInfo::exists(import.target));

    CommandLine help;
    help.action = CommandLine::Action::Help;
    QCOMPARE(runCommand(help, outStream, errStream), 0);
    QVERIFY(out.contains(QStringLiteral("--demo-database")));
    QVERIFY(out.contains(QStringLiteral("--import-mdb")));
}

void TestCommandLine::firstRunSelectsTheDemoOnlyWhenNothingIsSelected()
{
    // Nothing selected: the demo is created in the data folder and selected.
    settings::setDatabasePath(QString());
    QCOMPARE(ensureDatabaseSelected(), QString());
    const QString demo = settings::databasePath();
    QCOMPARE(demo, settings::defaultDemoPath());
    QVERIFY(demo.startsWith(m_home.path()));
    QVERIFY(QFileInfo(demo).isFile());

    // A selected database that exists is kept.
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("vlastni.mdb"));
    files::writeNewDatabase(own);
    settings::setDatabasePath(own);
    QCOMPARE(ensureDatabaseSelected(), QString());
    QCOMPARE(settings::databasePath(), own);

    // A database given at start is selected when it exists ("registr" finds registr.mdb).
    const QString given = dir.filePath(QStringLiteral("registr.mdb"));
    files::writeNewDatabase(given);
    QCOMPARE(selectGivenDatabase(dir.filePath(QStringLiteral("registr"))), QString());
    QCOMPARE(settings::databasePath(), given);
    QVERIFY(selectGivenDatabase(dir.filePath(QStringLiteral("neni.mdb")))
                .contains(QStringLiteral("nenalezena")));
    QCOMPARE(settings::databasePath(), given);
    settings::setDatabasePath(own);

    // A selected database that vanished: the existing demo is selected again, not rebuilt.
    auto db = Database::open(demo);
    db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 1"));
    db.reset();
    settings::setDatabasePath(dir.filePath(QStringLiteral("smazana.mdb")));
    QCOMPARE(ensureDatabaseSelected(), QString());
    QCOMPARE(settings::databasePath(), demo);
    QCOMPARE(Database::open(demo)->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 59);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

#include "TestDatabase.h"
#include "TestSettings.h"

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "conversions/Conversions.h"
#include "db/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace tamvel;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void optionsAreParsedOrRefused();
    void databasesAreCreatedOrTheErrorIsOneLine();
    void firstRunSelectsTheDemoOnlyWhenNothingIsSelected();
    void killedRunsLeaveNothingForLong_data();
    void killedRunsLeaveNothingForLong();

private:
    IsolatedSettings m_home;
};

static CommandLine parse(const char *line)
{
    return parseCommandLine(QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

// The options the commands take are checked where they run, in the next test.
void TestCommandLine::optionsAreParsedOrRefused()
{
    using Action = CommandLine::Action;
    QCOMPARE(parse("").action, Action::Gui);
    const CommandLine given = parse("--first-run registr.mdb");
    QCOMPARE(given.action, Action::Gui);
    QCOMPARE(given.path, QStringLiteral("registr.mdb"));
    QVERIFY(given.firstRun);
    QVERIFY(!parse("registr.mdb").firstRun);
    QCOMPARE(parse("--create-database x.mdb --structure 0").structure, 0);
    QCOMPARE(parse("--demo-database d.mdb").risks, 60);

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
    // Parsed and run as the program does, paths given apart so that no blank splits them.
    const auto run = [&](const char *options, const QString &path, const QString &target = {}) {
        QStringList args = QString::fromUtf8(options).split(QLatin1Char(' '));
        args.insert(1, path);
        if (!target.isEmpty())
            args.insert(2, target);
        return runCommand(parseCommandLine(args), outStream, errStream);
    };
    const auto structureOf = [](const QString &path) {
        return conversions::detectStructure(*Database::open(path));
    };

    const QString created = dir.filePath(QStringLiteral("prazdna.mdb"));
    QCOMPARE(run("--create-database", created), 0);
    QCOMPARE(structureOf(created), StructureVersion);

    // The same path again: refused, the file kept.
    const QByteArray before = fileBytes(created);
    QCOMPARE(run("--create-database", created), 2);
    QCOMPARE(fileBytes(created), before);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY(err.contains(created));

    // An older structure for support staff: the register as that version kept it.
    const QString old = dir.filePath(QStringLiteral("stara.mdb"));
    QCOMPARE(run("--create-database --structure 1", old), 0);
    QCOMPARE(structureOf(old), 1);

    // A folder that does not exist.
    err.clear();
    QCOMPARE(run("--demo-database", dir.filePath(QStringLiteral("neni/demo.mdb"))), 2);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);

    const QString demo = dir.filePath(QStringLiteral("demo.mdb"));
    QCOMPARE(run("--demo-database --risks 7", demo), 0);
    QCOMPARE(Database::open(demo)->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 7);

    // An Access-format register: questions answered "go on", the report on the terminal.
    const QString access = dir.filePath(QStringLiteral("stary.mdb"));
    const QString converted = dir.filePath(QStringLiteral("prevedeny.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/legacy-v1.mdb"), access));
    out.clear();
    err.clear();
    QCOMPARE(run("--import-mdb", access, converted), 0);
    QVERIFY(out.contains(QStringLiteral("Chcete pokračovat? ano\n")));
    QVERIFY(out.contains(QStringLiteral("Nalezená struktura: x.1.x.\n")));
    QCOMPARE(err, QString());
    QCOMPARE(structureOf(converted), StructureVersion);
    // The target exists now: refused with exit code 1 and kept as it is.
    const QByteArray kept = fileBytes(converted);
    QCOMPARE(run("--import-mdb", access, converted), 1);
    QVERIFY(err.startsWith(QStringLiteral("tamvel: ")));
    QCOMPARE(fileBytes(converted), kept);
    QCOMPARE(runCommand(parse("--help"), outStream, errStream), 0);
    QVERIFY(out.contains(QStringLiteral("--demo-database")));
    QVERIFY(out.contains(QStringLiteral("--import-mdb")));
    QCOMPARE(runCommand(parse("--bogus"), outStream, errStream), 2);
}

void TestCommandLine::firstRunSelectsTheDemoOnlyWhenNothingIsSelected()
{
    // Nothing selected: the demo is created in the data folder and selected.
    settings::setDatabasePath(QString());
    QVERIFY(ensureDatabaseSelected().ok());
    const QString demo = settings::databasePath();
    QCOMPARE(demo, settings::defaultDemoPath());
    QVERIFY(demo.startsWith(m_home.path()));
    QVERIFY(QFileInfo(demo).isFile());

    // A selected database that exists is kept.
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("vlastni.mdb"));
    files::writeNewDatabase(own);
    settings::setDatabasePath(own);
    QVERIFY(ensureDatabaseSelected().ok());
    QCOMPARE(settings::databasePath(), own);

    // A database given at start is selected when it exists ("registr" finds registr.mdb).
    const QString given = dir.filePath(QStringLiteral("registr.mdb"));
    files::writeNewDatabase(given);
    QVERIFY(selectGivenDatabase(dir.filePath(QStringLiteral("registr"))).ok());
    QCOMPARE(settings::databasePath(), given);
    QVERIFY(selectGivenDatabase(dir.filePath(QStringLiteral("neni.mdb")))
                .error()
                .contains(QStringLiteral("nenalezena")));
    QCOMPARE(settings::databasePath(), given);
    settings::setDatabasePath(own);

    // A selected database that vanished: the existing demo is selected again, not rebuilt.
    auto db = Database::open(demo);
    db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 1"));
    db.reset();
    settings::setDatabasePath(dir.filePath(QStringLiteral("smazana.mdb")));
    QVERIFY(ensureDatabaseSelected().ok());
    QCOMPARE(settings::databasePath(), demo);
    QCOMPARE(Database::open(demo)->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 59);
}

void TestCommandLine::killedRunsLeaveNothingForLong_data()
{
    QTest::addColumn<QString>("next");
    QTest::newRow("start, the current database's folder") << QStringLiteral("start");
    QTest::newRow("start, the demo folder") << QStringLiteral("start, demo");
    QTest::newRow("--import-mdb") << QStringLiteral("--import-mdb");
}

// A copy of the program killed while it writes a large register leaves its temporary file
// and journal; the next start, creation or import in that folder removes them, but not
// the file of a process that still runs (this one).
void TestCommandLine::killedRunsLeaveNothingForLong()
{
    QFETCH(QString, next);
    QTemporaryDir dir;
    const QString folder = next == QStringLiteral("start, demo")
                               ? QFileInfo(settings::defaultDemoPath()).absolutePath()
                               : dir.path();
    QVERIFY(QDir().mkpath(folder));
    const QString large = folder + QStringLiteral("/velka.mdb");
    const auto leftovers = [&] {
        return QDir(folder).entryList({QStringLiteral(".velka.mdb.*")}, QDir::Files | QDir::Hidden);
    };

    QProcess killed;
    killed.start(QStringLiteral(TAMVEL_PROGRAM),
                 {QStringLiteral("--demo-database"), large, QStringLiteral("--risks"),
                  QStringLiteral("200000")});
    QVERIFY2(killed.waitForStarted(), qPrintable(killed.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!leftovers().isEmpty(), 30000);
    killed.kill();
    QVERIFY(killed.waitForFinished());
    QVERIFY(!leftovers().isEmpty());
    QVERIFY(!QFile::exists(large));
    const QString own =
        files::temporaryPrefix(folder + QStringLiteral("/jina.mdb")) + QStringLiteral("0.part");
    QFile ownFile(own);
    QVERIFY(ownFile.open(QIODevice::WriteOnly));

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    if (next.startsWith(QStringLiteral("start"))) {
        settings::setDatabasePath(
            next == QStringLiteral("start") ? folder + QStringLiteral("/registr.mdb") : QString());
        removeLeftoversAtStart();
    } else {
        QStringList args{next};
        if (next == QStringLiteral("--import-mdb")) {
            args << folder + QStringLiteral("/stary.mdb");
            QVERIFY(QFile::copy(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/legacy-v3.mdb"), args[1]));
        }
        args << folder + QStringLiteral("/nova.mdb");
        QCOMPARE(runCommand(parseCommandLine(args), outStream, errStream), 0);
    }
    QCOMPARE(leftovers(), QStringList());
    QVERIFY(QFile::exists(own));
    QFile::remove(own);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

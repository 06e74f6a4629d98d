// Several copies of the program on one file, as separate processes.
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "app/DemoDatabase.h"
#include "conversions/Conversions.h"
#include "db/DatabaseFiles.h"
#include "risks/RiskRecord.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;

namespace {

const QString InUse = QStringLiteral(
    "Databáze je používána ! překontrolujte, zda nejste k této databázi přihlášeni.");

// Another copy that has the file open and does nothing, until it is let go or killed.
struct Holder
{
    QProcess process;
    explicit Holder(const QString &path)
    {
        process.start(QStringLiteral(TAMVEL_SHARED_WORKER), {path, QStringLiteral("hold")});
        if (!process.waitForReadyRead(20000) || process.readLine().trimmed() != "open")
            qFatal("the holding copy did not open the file");
    }
    void letGo()
    {
        process.closeWriteChannel();
        process.waitForFinished(20000);
    }
    void kill()
    {
        process.kill();
        process.waitForFinished(20000);
    }
};

} // namespace

class TestSharedFile : public QObject
{
    Q_OBJECT

private slots:
    void concurrentEditsLoseNothing_data();
    void concurrentEditsLoseNothing();
    void fileOpenElsewhereIsNotReplacedClearedOrConverted();

private:
    QTemporaryDir m_dir;
};

void TestSharedFile::concurrentEditsLoseNothing_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("edits");
    QTest::newRow("two copies") << 2 << 300;
    QTest::newRow("four copies") << 4 << 150;
}

void TestSharedFile::concurrentEditsLoseNothing()
{
    QFETCH(int, copies);
    QFETCH(int, edits);
    const QString path = m_dir.filePath(QStringLiteral("edits%1.mdb").arg(copies));
    demo::writeDemoDatabase(path, 5);
    const qint64 id = Database::open(path)->scalarInt(
        QStringLiteral("SELECT min(id_riziko) FROM rizika WHERE opatreni_splneno IS NULL AND "
                       "program_splneno IS NULL"));
    // Each copy its own field of the same risk.
    const QStringList fields = {QStringLiteral("poznamky"), QStringLiteral("bezpecnostni_opatreni"),
                                QStringLiteral("napravna_opatreni"), QStringLiteral("cil")};
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < copies; ++i) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->start(
            QStringLiteral(TAMVEL_SHARED_WORKER),
            {path, QStringLiteral("edit"), QString::number(id), fields[i], QString::number(edits)});
    }
    int refusals = 0;
    for (int i = 0; i < copies; ++i) {
        QProcess &worker = *workers[size_t(i)];
        QVERIFY(worker.waitForFinished(180000));
        const QStringList lines = QString::fromUtf8(worker.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // Every edit was told stored once; a refusal was told and tried again.
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^saved "))).size(), edits);
        QVERIFY2(lines.filter(QStringLiteral("lost")).isEmpty(), qPrintable(fields[i]));
        QCOMPARE(worker.exitCode(), 0);
        refusals += int(lines.filter(QRegularExpression(QStringLiteral("^refused "))).size());
    }
    // What each copy was last told stored is in the row.
    const auto db = Database::open(path);
    const Rows row = db->query(QStringLiteral("SELECT * FROM rizika WHERE id_riziko = ?"), {id});
    for (int i = 0; i < copies; ++i)
        QCOMPARE(row.text(0, fields[i]), QStringLiteral("%1-%2").arg(fields[i]).arg(edits));
    QCOMPARE(db->scalarText(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    qInfo("%d copies, %d refusals told and tried again", copies, refusals);
}

void TestSharedFile::fileOpenElsewhereIsNotReplacedClearedOrConverted()
{
    const QString path = m_dir.filePath(QStringLiteral("stara.mdb"));
    files::writeNewDatabase(path, false, {}, 2);
    auto db = Database::open(path);
    db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system) VALUES (1, 'Hala')"));
    const QByteArray before = fileBytes(path);

    // Another copy has it open and is idle: no lock a probe could see.
    auto holder = std::make_unique<Holder>(path);
    QVERIFY(!Database::isLockedByOther(path));
    QVERIFY(Database::isInUse(path));
    QVERIFY(db->isOpenElsewhere());
    ScriptedMessages messages;
    messages.answers = {true};
    QVERIFY(files::createDatabase(path, QString(), messages).isEmpty());
    QCOMPARE(messages.lastText(), InUse);
    messages.answers = {true, true};
    QVERIFY(!files::clearRisks(*db, messages));
    QCOMPARE(messages.lastText(),
             QStringLiteral("Tabulka rizik nebyla vymazána! Databáze je používaná i jiným "
                            "uživatelem."));
    messages.answers = {true};
    QVERIFY(!conversions::runStep(*db, 2, messages));
    QCOMPARE(messages.lastText(),
             QStringLiteral("Databáze nebyla převedena! Databáze je používaná i jiným "
                            "uživatelem."));
    QCOMPARE(conversions::detectStructure(*db), 2);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 1);

    // Killed: its mark went with it.
    holder->kill();
    QVERIFY(!db->isOpenElsewhere());
    messages.answers = {true};
    QVERIFY(conversions::runStep(*db, 2, messages));
    QCOMPARE(conversions::detectStructure(*db), 3);

    // Let go after its work: the same.
    holder = std::make_unique<Holder>(path);
    messages.answers = {true, true};
    QVERIFY(!files::clearRisks(*db, messages));
    holder->letGo();
    messages.answers = {true, true};
    QVERIFY(files::clearRisks(*db, messages));
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), 0);

    // This copy's own use counts only where the file is its current database.
    messages.answers = {true};
    QVERIFY(files::createDatabase(path, path, messages).isEmpty());
    QCOMPARE(messages.lastText(), InUse);
    db.reset();
    QVERIFY(!Database::isInUse(path));
    messages.answers = {true};
    QCOMPARE(files::createDatabase(path, QString(), messages), path);
    QVERIFY(fileBytes(path) != before);
    // The last copy to close takes the mark file along.
    QVERIFY(!QFileInfo::exists(path + QStringLiteral("-inuse")));
}

QTEST_GUILESS_MAIN(TestSharedFile)
#include "tst_sharedfile.moc"

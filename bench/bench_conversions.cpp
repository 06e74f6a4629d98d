// The three structure conversions on a large register kept in the oldest structure, beside
// the floor any rebuild has to pay: the engine copying `rizika` into a new table and
// dropping the old one, three times, with no other work.
//
// A and B alternate (Alternate.h), each on a fresh copy.
//
//   build/bench/bench_conversions [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"

#include "app/DemoDatabase.h"
#include "conversions/Conversions.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int g_risks = 100000;
QString g_oldRegister;
QString g_work;

// The demo register in the oldest structure: every table copied over, the risks without
// the fields that structure lacked.
void writeOldRegister(const QString &demo, const QString &path)
{
    using namespace tamvel;
    files::writeNewDatabase(
        path, false,
        [&](Database &db) {
            db.execute(QStringLiteral("ATTACH DATABASE ? AS demo"), {demo});
            inTransaction(db, [&] {
                for (const schema::Table &table : schema::tables(0)) {
                    const QString columns = table.fieldNames().join(QLatin1Char(','));
                    db.execute(QStringLiteral("DELETE FROM ") + table.name);
                    db.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM demo.%1")
                                   .arg(table.name, columns));
                }
            });
            db.execute(QStringLiteral("DETACH DATABASE demo"));
        },
        0);
}

std::unique_ptr<tamvel::Database> freshCopy()
{
    QFile::remove(g_work);
    QFile::copy(g_oldRegister, g_work);
    return tamvel::Database::open(g_work);
}

bool convertAllSteps(tamvel::Database &db)
{
    bool right = true;
    for (int step = tamvel::conversions::FirstStep; step <= tamvel::conversions::LastStep; ++step)
        right = tamvel::conversions::convertStep(db, step) == g_risks && right;
    return right;
}

void rebuildFloor(tamvel::Database &db)
{
    for (int i = 0; i < 3; ++i)
        tamvel::inTransaction(db, [&] {
            db.execute(QStringLiteral("CREATE TABLE rizika1 AS SELECT * FROM rizika"));
            db.execute(QStringLiteral("DROP TABLE rizika"));
            db.execute(QStringLiteral("CREATE TABLE rizika AS SELECT * FROM rizika1"));
            db.execute(QStringLiteral("DROP TABLE rizika1"));
        });
}

} // namespace

int main(int argc, char **argv)
{
    g_risks = risksArgument(argc, argv, g_risks);
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    const QString demo = dir.filePath(QStringLiteral("demo.mdb"));
    tamvel::demo::writeDemoDatabase(demo, g_risks);
    g_oldRegister = dir.filePath(QStringLiteral("old.mdb"));
    writeOldRegister(demo, g_oldRegister);
    g_work = dir.filePath(QStringLiteral("work.mdb"));

    // Each run on a fresh copy of the old register, copied untimed.
    std::unique_ptr<tamvel::Database> db;
    bool wrong = false;
    const bench::Ratios ratios = bench::alternate(
        "conversions / rebuilds", bench::pairsArgument(argc, argv),
        [&] { wrong = !convertAllSteps(*db) || wrong; }, [&] { rebuildFloor(*db); },
        [&] {
            db.reset();
            db = freshCopy();
        },
        [&] {
            db.reset();
            db = freshCopy();
        });
    db.reset();
    if (wrong) {
        std::fprintf(stderr, "a conversion did not carry every risk\n");
        return 1;
    }
    std::printf("\nConversion of %d risks from x.0.x to x.3.x / three bare table rebuilds, CPU "
                "min/median: %.2f / %.2f (A %.3f s, B %.3f s; goal <= 3.00)\n",
                g_risks, ratios.minCpu, ratios.medianCpu, ratios.medianCpuA, ratios.medianCpuB);
    return 0;
}

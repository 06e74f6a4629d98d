// Engine benchmarks: reading the register through Database against the raw engine,
// creating a database and generating demo registers.
//
//   build/bench/bench_db [--risks N] [--register FILE] [--pairs N]
//
// --risks: size of the generated register (default 100000); --register: read this
// database instead of generating one.
//
// The reads are alternated with the raw read (Alternate.h), which gives the ratios; creating
// a database and generating the demo register are plain Google Benchmark timings.

#include "Alternate.h"
#include "BenchArguments.h"
#include "GoogleBenchmark.h"
#include "app/DemoDatabase.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

int g_risks = 100000;
QString g_register; // a demo database of g_risks risks, made once
QTemporaryDir *g_dir = nullptr;

const char *const ReadAll = "SELECT * FROM rizika ORDER BY nebezpeci_kategorie COLLATE CS";

// Every value read as a Qt value, nothing kept; the row count.
int readThroughDatabase(tamvel::Database &db)
{
    int rows = 0;
    size_t touched = 0;
    db.forEach(QString::fromUtf8(ReadAll), {}, [&](const tamvel::RowView &row) {
        ++rows;
        for (int i = 0; i < row.columnCount(); ++i)
            touched += size_t(row.value(i).isValid());
    });
    benchmark::DoNotOptimize(touched);
    return rows;
}

// The same read kept whole in memory, as Rows.
int queryThroughDatabase(tamvel::Database &db)
{
    const tamvel::Rows rows = db.query(QString::fromUtf8(ReadAll));
    benchmark::DoNotOptimize(rows.at(0, 0));
    return rows.size();
}

int readRaw(sqlite3 *db)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, ReadAll, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    int rows = 0;
    size_t touched = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                touched += size_t(sqlite3_column_int64(stmt, i));
                break;
            case SQLITE_FLOAT:
                touched += size_t(sqlite3_column_double(stmt, i));
                break;
            case SQLITE_TEXT:
                touched +=
                    size_t(sqlite3_column_bytes(stmt, i)) + size_t(*sqlite3_column_text(stmt, i));
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(touched);
    return rows;
}

void createDatabase(benchmark::State &state)
{
    int n = 0;
    for (auto _ : state) {
        const QString path = g_dir->filePath(QStringLiteral("new-%1.mdb").arg(n++));
        tamvel::files::writeNewDatabase(path);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}

void generateDemo(benchmark::State &state)
{
    const int risks = g_risks;
    int n = 0;
    for (auto _ : state) {
        const QString path = g_dir->filePath(QStringLiteral("demo-%1.mdb").arg(n++));
        tamvel::demo::writeDemoDatabase(path, risks);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * risks);
}

} // namespace

BENCHMARK(createDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(generateDemo)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    const char *given = nullptr;
    g_risks = risksArgument(argc, argv, g_risks);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--register") == 0)
            given = argv[i + 1];
    QCoreApplication app(argc, argv);
    initializeBenchmark(&argc, &argv);

    QTemporaryDir dir;
    g_dir = &dir;
    if (given) {
        g_register = QString::fromLocal8Bit(given);
        g_risks = int(tamvel::Database::open(g_register)
                          ->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")));
    } else {
        g_register = dir.filePath(QStringLiteral("register.mdb"));
        tamvel::demo::writeDemoDatabase(g_register, g_risks);
    }

    benchmark::RunSpecifiedBenchmarks();

    const int pairs = bench::pairsArgument(argc, argv);
    auto db = tamvel::Database::open(g_register);
    sqlite3 *raw = nullptr;
    sqlite3_open_v2(g_register.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    tamvel::Database::registerExtensions(raw);
    bool wrong = false;
    const auto check = [&](int rows) { wrong = wrong || rows != g_risks; };
    const bench::Ratios streamed = bench::alternate(
        "forEach / raw", pairs, [&] { check(readThroughDatabase(*db)); },
        [&] { check(readRaw(raw)); });
    const bench::Ratios kept = bench::alternate(
        "query / raw", pairs, [&] { check(queryThroughDatabase(*db)); },
        [&] { check(readRaw(raw)); });
    sqlite3_close(raw);
    if (wrong) {
        std::fprintf(stderr, "a read did not see every risk\n");
        return 1;
    }
    std::printf("\nRead of %d risks / raw engine, CPU min/median: through Database::forEach "
                "%.2f / %.2f (A %.3f s, B %.3f s; goal <= 1.50), kept whole as Rows %.2f / %.2f "
                "(A %.3f s)\n",
                g_risks, streamed.minCpu, streamed.medianCpu, streamed.medianCpuA,
                streamed.medianCpuB, kept.minCpu, kept.medianCpu, kept.medianCpuA);
    benchmark::Shutdown();
    return 0;
}

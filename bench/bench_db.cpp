// Engine benchmarks: reading the register through Database against the raw engine,
// creating a database and generating demo registers.
//
//   build/bench/bench_db [--risks N] [--register FILE]
//
// --risks: size of the generated register (default 100000); --register: read this
// database instead of generating one.
//
// After the runs it prints the ratio of the Database read to the raw read.

#include "BenchArguments.h"
#include "GoogleBenchmark.h"
#include "app/DemoDatabase.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

int g_risks = 100000;
QString g_register; // a demo database of g_risks risks, made once
QTemporaryDir *g_dir = nullptr;

const char *const ReadAll = "SELECT * FROM rizika ORDER BY nebezpeci_kategorie COLLATE CS";

void readThroughDatabase(benchmark::State &state)
{
    auto db = tamvel::Database::open(g_register);
    for (auto _ : state) {
        int rows = 0;
        size_t touched = 0;
        db->forEach(QString::fromUtf8(ReadAll), {}, [&](const tamvel::RowView &row) {
            ++rows;
            for (int i = 0; i < row.columnCount(); ++i)
                touched += size_t(row.value(i).isValid());
        });
        if (rows != g_risks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(touched);
    }
    state.SetItemsProcessed(state.iterations() * g_risks);
}

// The same read kept whole in memory, as Rows.
void queryThroughDatabase(benchmark::State &state)
{
    auto db = tamvel::Database::open(g_register);
    for (auto _ : state) {
        const tamvel::Rows rows = db->query(QString::fromUtf8(ReadAll));
        if (rows.size() != g_risks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows.at(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * g_risks);
}

void readRaw(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_register.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    tamvel::Database::registerExtensions(db);
    for (auto _ : state) {
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
                    touched += size_t(sqlite3_column_bytes(stmt, i)) +
                               size_t(*sqlite3_column_text(stmt, i));
                    break;
                default:
                    break;
                }
            }
        }
        sqlite3_finalize(stmt);
        if (rows != g_risks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(touched);
    }
    state.SetItemsProcessed(state.iterations() * g_risks);
    sqlite3_close(db);
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

BENCHMARK(readThroughDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(queryThroughDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(readRaw)->Unit(benchmark::kMillisecond);
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

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const double r = reporter.ratio("readThroughDatabase", "readRaw"); r > 0)
        std::printf("\nRead of %d risks through Database / raw engine: %.2f (goal <= 1.50)\n",
                    g_risks, r);
    if (const double r = reporter.ratio("queryThroughDatabase", "readRaw"); r > 0)
        std::printf("Kept whole in memory (Rows) / raw engine: %.2f\n", r);
    benchmark::Shutdown();
    return 0;
}

// The risk overview on a large register: FillRiskGrid (query and rows ready to show)
// beside the raw engine reading the same query, for the first view and for a sort by a
// text column; and the peak memory of a process that holds the filled overview.
//
//   build/bench/bench_overview [--risks N]   (default 100000)

#include "BenchArguments.h"
#include "RatioReporter.h"

#include "app/DemoDatabase.h"
#include "db/Database.h"
#include "risks/RiskGrid.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>

namespace {

int g_risks = 100000;
QString g_register;
const QString SortCaption = QStringLiteral("Kategorie nebezpečí");

void fill(benchmark::State &state, const QString &sortCaption)
{
    auto db = tamvel::Database::open(g_register);
    for (auto _ : state) {
        const tamvel::risks::RiskGrid grid =
            tamvel::risks::fillRiskGrid(*db, QString(), {}, sortCaption, false);
        if (grid.rowCount() != g_risks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(grid.cells.data());
    }
}

void raw(benchmark::State &state, const QString &sortCaption)
{
    const tamvel::risks::GridQuery query =
        tamvel::risks::gridQuery(tamvel::risks::parseColumnSet(QString()), {}, sortCaption, false);
    const QByteArray sql = query.sql.toUtf8();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_register.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    tamvel::Database::registerExtensions(db);
    for (auto _ : state) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        size_t touched = 0;
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int i = 0; i < columns; ++i)
                touched += size_t(sqlite3_column_bytes(stmt, i));
        }
        sqlite3_finalize(stmt);
        if (rows != g_risks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(touched);
    }
    sqlite3_close(db);
}

void openOverview(benchmark::State &state)
{
    fill(state, QString());
}
void openOverviewRaw(benchmark::State &state)
{
    raw(state, QString());
}
void sortOverview(benchmark::State &state)
{
    fill(state, SortCaption);
}
void sortOverviewRaw(benchmark::State &state)
{
    raw(state, SortCaption);
}

} // namespace

BENCHMARK(openOverview)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(openOverviewRaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(sortOverview)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(sortOverviewRaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    g_risks = risksArgument(argc, argv, g_risks);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir dir;
    g_register = dir.filePath(QStringLiteral("register.mdb"));
    tamvel::demo::writeDemoDatabase(g_register, g_risks);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nOverview of %d risks / raw engine: first view %.2f, sorted by a text column "
                "%.2f (goal <= 2.00)\n",
                g_risks, reporter.ratio("openOverview", "openOverviewRaw"),
                reporter.ratio("sortOverview", "sortOverviewRaw"));

    // The memory of a process holding one filled overview.
    {
        auto db = tamvel::Database::open(g_register);
        const tamvel::risks::RiskGrid grid =
            tamvel::risks::fillRiskGrid(*db, QString(), {}, QString(), false);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("Peak memory with the overview of %d risks filled: %.0f MB (goal < 150 MB)\n",
                    grid.rowCount(), double(usage.ru_maxrss) / 1024.0);
    }
    benchmark::Shutdown();
    return 0;
}

// Formula benchmarks: recomputing the open risks of a register against one UPDATE that
// computes the same values inside the engine, and the evaluator on its own.
//
//   build/bench/bench_formula [--risks N] [--pairs N]
//
// --risks: size of the generated register (default 100000); every risk is made open.
//
// The recomputation and the UPDATE are alternated (Alternate.h) for their ratio; the
// evaluator's timings are plain Google Benchmark runs.

#include "BenchArguments.h"
#include "GoogleBenchmark.h"
#include "app/DemoDatabase.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/RiskState.h"
#include "risks/Formula.h"
#include "risks/RiskValue.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "Alternate.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

int g_risks = 100000;
QString g_register;     // a demo database of g_risks risks, all open, made once
bool g_plusOne = false; // the register holds the values of PlusOne, else of Plain

const QString Plain = QStringLiteral("Z*P*F");
const QString PlusOne = QStringLiteral("Z*P*F+1");

// The same values as Plain (+ 0) or PlusOne (+ 1) computed by the engine, kept as the
// Single the recomputation stores.
const QString EngineUpdate =
    QStringLiteral("UPDATE rizika SET riziko = single_value("
                   "coalesce((SELECT zavaznost / 10.0 FROM zavaznost "
                   "WHERE zavaznost_popis = trim(rizika.zavaznost_popis)), 0) * "
                   "coalesce((SELECT pravdepodobnost / 10.0 FROM pravdepodobnost "
                   "WHERE pravdepodobnost_popis = trim(rizika.pravdepodobnost_popis)), 0) * "
                   "coalesce((SELECT frekvence / 10.0 FROM frekvence "
                   "WHERE frekvence_popis = trim(rizika.frekvence_popis)), 0) + ?) "
                   "WHERE ") +
    tamvel::OpenRiskCondition;

class CountingMessages : public tamvel::Messages
{
public:
    int shown = 0;
    void inform(const QString &, const QString &) override { ++shown; }
    void warn(const QString &, const QString &) override { ++shown; }
    void fail(const QString &, const QString &) override { ++shown; }
    bool ask(const QString &, const QString &, Tone) override { return ++shown, false; }
};

void activate(tamvel::Database &db, const QString &formula)
{
    db.execute(QStringLiteral("UPDATE algoritmy SET aktivni = CASE WHEN algoritmus = ? THEN 1 "
                              "ELSE 0 END"),
               {formula});
}

// The formulas take turns, so that every run really changes every value.
void switchFormula(tamvel::Database &db)
{
    g_plusOne = !g_plusOne;
    activate(db, g_plusOne ? PlusOne : Plain);
}

bool recompute(tamvel::Database &db, CountingMessages &messages)
{
    const tamvel::RecomputeResult result = tamvel::recomputeOpenRisks(db, messages);
    return result.updated == g_risks && messages.shown == 0;
}

bool engineUpdate(tamvel::Database &db)
{
    g_plusOne = !g_plusOne;
    qint64 changed = 0;
    tamvel::inTransaction(db, [&] { changed = db.execute(EngineUpdate, {int(g_plusOne)}); });
    return changed == g_risks;
}

// A formula parsed once, evaluated for many ratings.
void evaluateParsed(benchmark::State &state)
{
    const tamvel::Formula formula(QStringLiteral("(Z + P) * F / 3 - 1"));
    double z = 0.5;
    for (auto _ : state) {
        z += 0.1;
        benchmark::DoNotOptimize(formula.evaluate({z, 6, 7}));
    }
    state.SetItemsProcessed(state.iterations());
}

// The same formula substituted and parsed at each evaluation.
void evaluateSubstituted(benchmark::State &state)
{
    const QString formula = QStringLiteral("(Z + P) * F / 3 - 1");
    double z = 0.5;
    for (auto _ : state) {
        z += 0.1;
        benchmark::DoNotOptimize(
            tamvel::evaluateExpression(tamvel::substituteRatings(formula, {z, 6, 7})));
    }
    state.SetItemsProcessed(state.iterations());
}

// Makes every risk open and checks that the recomputation and the engine's UPDATE agree.
bool prepareRegister()
{
    auto db = tamvel::Database::open(g_register);
    db->execute(
        QStringLiteral("UPDATE rizika SET opatreni_splneno = NULL, program_splneno = NULL"));
    db->execute(QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, 0)"),
                {PlusOne});
    CountingMessages messages;
    activate(*db, PlusOne);
    tamvel::recomputeOpenRisks(*db, messages);
    db->execute(
        QStringLiteral("CREATE TEMP TABLE computed AS SELECT id_riziko, riziko FROM rizika"));
    db->execute(EngineUpdate, {1});
    const qint64 differ =
        db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika JOIN computed USING (id_riziko) "
                                     "WHERE rizika.riziko IS NOT computed.riziko"));
    activate(*db, Plain);
    tamvel::recomputeOpenRisks(*db, messages);
    if (differ != 0 || messages.shown != 0) {
        std::fprintf(stderr, "Recomputation and engine UPDATE differ in %lld risks\n",
                     static_cast<long long>(differ));
        return false;
    }
    return true;
}

} // namespace

BENCHMARK(evaluateParsed);
BENCHMARK(evaluateSubstituted);

int main(int argc, char **argv)
{
    g_risks = risksArgument(argc, argv, g_risks);
    QCoreApplication app(argc, argv);
    initializeBenchmark(&argc, &argv);

    QTemporaryDir dir;
    g_register = dir.filePath(QStringLiteral("register.mdb"));
    tamvel::demo::writeDemoDatabase(g_register, g_risks);
    if (!prepareRegister())
        return 1;

    benchmark::RunSpecifiedBenchmarks();

    auto db = tamvel::Database::open(g_register);
    CountingMessages messages;
    bool wrong = false;
    const bench::Ratios ratios = bench::alternate(
        "recomputeOpenRisks / engine UPDATE", bench::pairsArgument(argc, argv),
        [&] { wrong = wrong || !recompute(*db, messages); },
        [&] { wrong = wrong || !engineUpdate(*db); }, [&] { switchFormula(*db); });
    if (wrong) {
        std::fprintf(stderr, "not every risk was recomputed or updated\n");
        return 1;
    }
    std::printf("\nRecomputation of %d open risks / one engine UPDATE, CPU min/median: %.2f / "
                "%.2f (A %.3f s, B %.3f s; goal <= 3.00)\n",
                g_risks, ratios.minCpu, ratios.medianCpu, ratios.medianCpuA, ratios.medianCpuB);
    benchmark::Shutdown();
    return 0;
}

// Saving one risk with the overview open: the editor's save (checks, then the commit) and
// the overview's refill when it comes to the front again, to the painted grid; alternated
// with the raw engine reading the listed rows.
//
//   build/bench/bench_save [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "ProgramHarness.h"

#include "risks/RiskRecord.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 100000);
    const int pairs = bench::pairsArgument(argc, argv);
    const bench::DemoHome home(risks);
    const QString &path = home.path;

    QApplication app(argc, argv);
    bench::nameApplication();
    bench::Program program(path);
    tamvel::risks::FrmRizikaGrd *overview = program.openOverview();
    tamvel::Database &db = *program.session.database();
    const qint64 id = overview->currentId();
    bench::RawReader raw(path);
    const tamvel::risks::GridQuery query = bench::overviewQuery(QString(), false);

    // As the editor holds it: the risk as opened and as typed, a different note each time.
    tamvel::risks::RiskRecord opened;
    tamvel::risks::RiskRecord typed;
    int saves = 0;
    bool failed = false;
    long rawRows = 0;
    const bench::Ratios ratios = bench::alternate(
        "save and refill", pairs,
        [&] {
            const tamvel::risks::RiskSaveCheck check =
                tamvel::risks::checkRiskSave(db, tamvel::EditMode::Edit, opened, typed);
            if (check.unchanged || (!check.prompts.isEmpty() &&
                                    check.prompts.last().kind == tamvel::Prompt::Kind::Refuse)) {
                failed = true;
                return;
            }
            const tamvel::risks::RiskCommit commit =
                tamvel::risks::commitRiskSave(db, tamvel::EditMode::Edit, opened, check.risk);
            // What the main window does with the editor's "saved", then the overview's
            // activation when the editor has closed.
            program.session.overview.selectedId = commit.id;
            overview->activated();
            program.paint();
        },
        [&] { rawRows = raw.read(query); },
        [&] {
            opened = *tamvel::risks::loadRisk(db, id);
            typed = opened;
            typed.notes = QStringLiteral("Uloženo v měření č. %1").arg(++saves);
        });
    if (failed || overview->currentId() != id || overview->rows().rowCount() != rawRows ||
        program.messages.shown > 0) {
        std::fprintf(stderr, "the save or the refill went wrong\n");
        return 1;
    }
    std::printf("\nSave of one risk with the overview of %ld open risks (of %d) open, to the "
                "painted grid / raw read of the listed rows: CPU min %.2f, median %.2f (A %.3f "
                "s, B %.3f s; goal <= 2.00)\n",
                rawRows, risks, ratios.minCpu, ratios.medianCpu, ratios.medianCpuA,
                ratios.medianCpuB);
    return 0;
}

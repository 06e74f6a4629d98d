// The overview's quick search on a large register as the user meets it: the real main window
// (offscreen), logged in, "Přehled rizik" chosen from the menu with every risk listed, and one
// more character typed into the search box until the narrowed grid is painted; alternated
// with the narrowing alone (GridSearch over the same rows). Then, for information, the first
// character after a fill, which folds the cells once.
//
//   build/bench/bench_search [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "ProgramHarness.h"

#include "risks/GridSearch.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 100000);
    const int pairs = bench::pairsArgument(argc, argv);
    const bench::DemoHome home(risks);

    QApplication app(argc, argv);
    bench::nameApplication();
    bench::Program program(home.path);
    tamvel::risks::FrmRizikaGrd *overview = program.openOverview();
    overview->clearFilter(); // every risk listed
    program.paint();
    auto *search = overview->findChild<QLineEdit *>(QStringLiteral("txtHledat"));
    const tamvel::risks::RiskGrid &grid = overview->rows();
    std::printf("Register of %d risks, %d listed\n", risks, grid.rowCount());

    // "s" lists most risks; the "v" typed after it narrows them to the welders and welding.
    const QString first = QStringLiteral("s"), typed = QStringLiteral("sv");
    tamvel::risks::GridSearch raw;
    qsizetype rawRows = 0;
    const bench::Ratios ratios = bench::alternate(
        "one more character", pairs,
        [&] {
            QTest::keyClick(search, Qt::Key_V);
            program.paint();
        },
        [&] { rawRows = raw.rowsContaining(grid, typed).size(); },
        [&] {
            search->setText(first);
            program.paint();
        },
        [&] { raw.rowsContaining(grid, first); });
    if (search->text() != typed || overview->listedIds().size() != rawRows || rawRows == 0) {
        std::fprintf(stderr, "the overview lists %lld rows for \"%s\", the narrowing %lld\n",
                     qlonglong(overview->listedIds().size()), qUtf8Printable(search->text()),
                     qlonglong(rawRows));
        return 1;
    }

    const bench::Absolute afterFill = bench::repeat(
        "first character after a fill", pairs,
        [&] {
            QTest::keyClick(search, Qt::Key_S);
            program.paint();
        },
        [&] {
            search->clear();
            overview->activated();
            program.paint();
        });

    std::printf("\nQuick search over %d listed risks, CPU time:\n"
                "  one more character to the painted grid: median %.4f s, wall median %.4f s; "
                "the narrowing alone %.4f s; A/B min %.2f median %.2f "
                "(%lld rows left; goal < 0.1 s)\n"
                "  the first character after a fill (the cells folded): median %.4f s (min "
                "%.4f), wall median %.4f s\n",
                grid.rowCount(), ratios.medianCpuA, ratios.medianWallA, ratios.medianCpuB,
                ratios.minCpu, ratios.medianCpu, qlonglong(rawRows), afterFill.medianCpu,
                afterFill.minCpu, afterFill.medianWall);
    if (program.messages.shown > 0) {
        std::fprintf(stderr, "the program showed %d messages\n", program.messages.shown);
        return 1;
    }
    return 0;
}

// The risk overview of a large register as the user meets it: the real main window
// (offscreen), logged in, "Přehled rizik" chosen from the menu until the grid is painted,
// and a click on a text column's header until the sorted grid is painted; each alternated
// with the raw engine reading the same rows in the same order and collation. Then the peak
// memory of the process with the overview open.
//
//   build/bench/bench_overview [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "ProgramHarness.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <cstdio>

namespace {

const QString SortCaption = QStringLiteral("Kategorie nebezpečí");

int columnOf(const tamvel::risks::RiskGrid &grid, const QString &caption)
{
    for (int c = 0; c < grid.columns.size(); ++c)
        if (grid.columns[c].caption == caption)
            return c;
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 100000);
    const int pairs = bench::pairsArgument(argc, argv);
    const bench::DemoHome home(risks);
    const QString &path = home.path;

    QApplication app(argc, argv);
    bench::nameApplication();
    bench::Program program(path);
    bench::RawReader raw(path);

    const tamvel::risks::GridQuery firstQuery = bench::overviewQuery(QString(), false);
    const long openRisks = raw.read(firstQuery);
    std::printf("Register of %d risks, %ld of them open (the first view lists those)\n", risks,
                openRisks);

    long rawRows = 0;
    const bench::Ratios first = bench::alternate(
        "first view", pairs, [&] { program.openOverview(); },
        [&] { rawRows = raw.read(firstQuery); }, [&] { program.closeOverview(); });
    tamvel::risks::FrmRizikaGrd *overview = program.overview();
    if (!overview || overview->rows().rowCount() != rawRows) {
        std::fprintf(stderr, "the overview lists %d rows, the raw read %ld\n",
                     overview ? overview->rows().rowCount() : -1, rawRows);
        return 1;
    }
    const double peakFirst = bench::peakMegabytes();
    const double residentFirst = bench::residentMegabytes();

    // For information, where the first view's time goes: the count and the rows made ready
    // to show (fillRiskGrid), the rest being the window's model and its painting.
    tamvel::Database &db = *program.session.database();
    const bench::Absolute counted = bench::repeat("  of it: count(*)", pairs, [&] {
        db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika"));
    });
    const bench::Absolute filled = bench::repeat("  of it: fillRiskGrid", pairs, [&] {
        tamvel::risks::fillRiskGrid(db, QString(), tamvel::risks::RiskFilter::openOnly(), QString(),
                                    false);
    });

    // A click on the header sorts ascending by that column (the first view is descending).
    const int column = columnOf(overview->rows(), SortCaption);
    if (column < 0) {
        std::fprintf(stderr, "no column %s in the overview\n", qUtf8Printable(SortCaption));
        return 1;
    }
    const tamvel::risks::GridQuery sortQuery = bench::overviewQuery(SortCaption, true);
    const bench::Ratios sorted = bench::alternate(
        "sort by a header click", pairs,
        [&] {
            QHeaderView *header = program.overview()->grid()->horizontalHeader();
            const QPoint middle(header->sectionViewportPosition(column) +
                                    header->sectionSize(column) / 2,
                                header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
            program.paint();
        },
        [&] { rawRows = raw.read(sortQuery); },
        [&] {
            program.closeOverview();
            program.openOverview();
        });
    overview = program.overview();
    if (program.session.overview.sortCaption != SortCaption ||
        !program.session.overview.ascending || overview->rows().rowCount() != rawRows) {
        std::fprintf(stderr, "the header click did not sort the overview\n");
        return 1;
    }

    std::printf("\nOverview of %ld open risks (of %d) / raw engine, CPU time min/median:\n"
                "  first view      %.2f / %.2f  (A %.3f s, B %.3f s; goal <= 2.00)\n"
                "  header sort     %.2f / %.2f  (A %.3f s, B %.3f s; goal <= 2.00)\n",
                openRisks, risks, first.minCpu, first.medianCpu, first.medianCpuA, first.medianCpuB,
                sorted.minCpu, sorted.medianCpu, sorted.medianCpuA, sorted.medianCpuB);
    std::printf("  of the first view (CPU median): count(*) %.3f s, fillRiskGrid (count "
                "included) %.3f s, the window's model and painting the rest\n",
                counted.medianCpu, filled.medianCpu);
    std::printf("Memory with the overview open: peak %.0f MB after the first views, %.0f MB "
                "after the sorts; resident now %.0f MB (after the first views %.0f MB) "
                "(goal: peak < 150 MB at 200k, < 400 MB at 1M)\n",
                peakFirst, bench::peakMegabytes(), bench::residentMegabytes(), residentFirst);
    if (program.messages.shown > 0) {
        std::fprintf(stderr, "the program showed %d messages\n", program.messages.shown);
        return 1;
    }
    return 0;
}

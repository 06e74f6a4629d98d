// The filter's value list for a field whose every value differs: the notes of every risk made
// distinct first, then risks::filterValues for "Poznámky" and the filter window choosing that
// field until its value box is filled, both as absolute times, and filterValues alternated
// with the raw engine reading the same distinct values in the same collation.
//
//   build/bench/bench_filter [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "ProgramHarness.h"

#include "risks/FrmRizikaFiltr.h"
#include "risks/RiskFilter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>

#include <cstdio>

namespace {

const QString Caption = QStringLiteral("Poznámky");

} // namespace

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 100000);
    const int pairs = bench::pairsArgument(argc, argv);
    const bench::DemoHome home(risks);
    const QString &path = home.path;

    QApplication app(argc, argv);
    bench::nameApplication();
    auto db = tamvel::Database::open(path);
    db->execute(QStringLiteral("UPDATE rizika SET poznamky = 'Poznámka k riziku č. ' || "
                               "id_riziko"));
    const qint64 distinct =
        db->scalarInt(QStringLiteral("SELECT count(DISTINCT poznamky) FROM rizika"));
    // Written back into the file, so that the reads do not go through the log.
    db.reset();
    db = tamvel::Database::open(path);
    std::printf("Register of %d risks, %lld distinct notes\n", risks,
                static_cast<long long>(distinct));

    int listed = 0;
    const bench::Absolute values = bench::repeat("filterValues", pairs, [&] {
        listed = int(tamvel::risks::filterValues(*db, Caption).size());
    });
    if (listed != distinct) {
        std::fprintf(stderr, "the value list holds %d values, not %lld\n", listed,
                     static_cast<long long>(distinct));
        return 1;
    }

    // The window as the overview's filter button opens it, the field chosen in its first row.
    bench::PrintedMessages messages;
    std::unique_ptr<tamvel::risks::FrmRizikaFiltr> window;
    const bench::Absolute windowTimes = bench::repeat(
        "filter window, field chosen", pairs,
        [&] {
            window->pickField(0, Caption);
            QCoreApplication::processEvents();
        },
        [&] {
            window = std::make_unique<tamvel::risks::FrmRizikaFiltr>(*db, messages,
                                                                     tamvel::risks::FilterChoice());
            window->QWidget::show();
            QCoreApplication::processEvents();
        });
    QComboBox *box = nullptr;
    for (QComboBox *b : window->findChildren<QComboBox *>())
        if (!box || b->count() > box->count())
            box = b;
    if (!box || box->count() != listed || messages.shown > 0) {
        std::fprintf(stderr, "the value box holds %d values, not %d\n", box ? box->count() : 0,
                     listed);
        return 1;
    }
    // For information: the filled box's list opened, as a click on its arrow opens it.
    const bench::Absolute popup = bench::repeat(
        "value list opened", pairs,
        [&] {
            box->showPopup();
            QCoreApplication::processEvents();
            box->view()->viewport()->grab();
        },
        [&] {
            box->hidePopup();
            QCoreApplication::processEvents();
        });
    box->hidePopup();
    window.reset();

    // For information: the engine alone reading the distinct values in the same order.
    bench::RawReader raw(path);
    const tamvel::risks::GridQuery distinctQuery{
        QStringLiteral("SELECT DISTINCT poznamky FROM rizika ORDER BY poznamky COLLATE CS"), {}};
    const bench::Ratios ratios = bench::alternate(
        "filterValues / raw distinct read", pairs,
        [&] { listed = int(tamvel::risks::filterValues(*db, Caption).size()); },
        [&] { raw.read(distinctQuery); });

    std::printf("\nValue list of %d distinct notes: filterValues %.3f s CPU median (min %.3f), "
                "the window to the filled box %.3f s CPU median (min %.3f), wall %.3f s "
                "(goal < 0.5 s); its list opened %.3f s CPU median; filterValues / raw distinct "
                "read %.2f min, %.2f median\n",
                listed, values.medianCpu, values.minCpu, windowTimes.medianCpu, windowTimes.minCpu,
                windowTimes.medianWall, popup.medianCpu, ratios.minCpu, ratios.medianCpu);
    return 0;
}

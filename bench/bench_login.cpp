// The login on a large register: from opening the database to the main window logged in
// (the first activation of MDITamvel, which logs in with the saved name), after a clean end
// and, for information, after an unclean one (a "<database>-inuse" file left with nobody
// holding it: every page is read).
//
//   build/bench/bench_login [--risks N] [--pairs N]   (default 500000 risks, 5 runs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "ProgramHarness.h"

#include "db/OpenMark.h"

#include <QApplication>

#include <cstdio>

namespace {

// A main window not yet activated over a fresh session.
struct Start
{
    tamvel::Session session;
    bench::PrintedMessages messages;
    bench::NoFiles files;
    bench::AdministratorLogin login;
    std::unique_ptr<tamvel::MDITamvel> window;

    Start()
    {
        session.startUp();
        window = std::make_unique<tamvel::MDITamvel>(session,
                                                     tamvel::Interaction{messages, files, login});
    }
    ~Start() { window.reset(); }
};

} // namespace

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 500000);
    const int runs = bench::pairsArgument(argc, argv);
    const bench::DemoHome home(risks);
    const QString &path = home.path;

    QApplication app(argc, argv);
    bench::nameApplication();
    tamvel::settings::setDatabasePath(path);
    tamvel::settings::setLastLogin(QString());

    std::unique_ptr<Start> start;
    bool failed = false;
    const auto logIn = [&] {
        start->window->activate();
        failed = failed || !start->session.loggedIn || start->messages.shown > 0;
    };
    const auto fresh = [&] {
        start.reset();
        start = std::make_unique<Start>();
    };
    const bench::Absolute clean = bench::repeat("login after a clean end", runs, logIn, fresh);
    const bench::Absolute unclean = bench::repeat("login after an unclean end", runs, logIn, [&] {
        fresh();
        QFile mark(tamvel::OpenMark::markPath(path));
        if (!mark.open(QIODevice::WriteOnly))
            failed = true;
    });
    start.reset();
    if (failed) {
        std::fprintf(stderr, "a login failed\n");
        return 1;
    }
    std::printf("\nLogin on %d risks, to the main window logged in: %.3f s CPU median (min "
                "%.3f), wall %.3f s (goal < 0.3 s); after an unclean end %.3f s CPU median "
                "(min %.3f), wall %.3f s\n",
                risks, clean.medianCpu, clean.minCpu, clean.medianWall, unclean.medianCpu,
                unclean.minCpu, unclean.medianWall);
    return 0;
}

// The demo register as "tamvel --demo-database" writes it: wall and CPU time.
//
//   build/bench/bench_demo [--risks N] [--pairs N]   (default 1000000 risks, 1 run)

#include "Alternate.h"
#include "BenchArguments.h"

#include "app/DemoDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 1000000);
    const int runs = bench::pairsArgument(argc, argv, 1);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    const bench::Absolute times = bench::repeat(
        "demo register", runs, [&] { tamvel::demo::writeDemoDatabase(path, risks); },
        [&] { QFile::remove(path); }, false);
    std::printf("\nDemo register of %d risks: %.1f s wall, %.1f s CPU (median of %d; goal < "
                "60 s)\n",
                risks, times.medianWall, times.medianCpu, runs);
    return 0;
}

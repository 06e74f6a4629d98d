#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

// benchmark::Initialize with a minimum time of two seconds a benchmark unless the command
// line sets one: the CI runs pass --benchmark_min_time=0.01 only to keep every benchmark
// running, which a MinTime() fixed in the code would override.
inline void initializeBenchmark(int *argc, char ***argv)
{
    static std::vector<char *> args;
    static char longRuns[] = "--benchmark_min_time=2";
    args.assign(*argv, *argv + *argc);
    bool given = false;
    for (int i = 1; i < *argc; ++i)
        given = given || std::strncmp((*argv)[i], "--benchmark_min_time", 20) == 0;
    if (!given)
        args.push_back(longRuns);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    benchmark::Initialize(argc, *argv);
}

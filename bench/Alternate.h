#pragma once

// Runs two variants alternated in one process (A B A B ...) after one warm-up of each, so
// that a noisy shared machine slows both alike, and prints the CPU time of the whole process
// and the wall time of every run, the ratio A/B of each pair and their minimum and median.

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

namespace bench {

struct Clock
{
    double cpu = 0;  // seconds of CPU of every thread of the process
    double wall = 0; // seconds

    static Clock now()
    {
        timespec c{};
        timespec w{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c);
        clock_gettime(CLOCK_MONOTONIC, &w);
        return {double(c.tv_sec) + double(c.tv_nsec) * 1e-9,
                double(w.tv_sec) + double(w.tv_nsec) * 1e-9};
    }
    Clock operator-(const Clock &o) const { return {cpu - o.cpu, wall - o.wall}; }
};

inline Clock timed(const std::function<void()> &run)
{
    const Clock start = Clock::now();
    run();
    return Clock::now() - start;
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double minimum(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// The value after "--pairs N", at least 5 unless asked for fewer explicitly.
inline int pairsArgument(int argc, char **argv, int fallback = 5)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--pairs") == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    return fallback;
}

struct Ratios
{
    double minCpu = 0, medianCpu = 0, minWall = 0, medianWall = 0;
    double medianCpuA = 0, medianCpuB = 0, medianWallA = 0, medianWallB = 0;
};

// `setUp` runs untimed before every A (e.g. to close what the previous A opened), `setUpB`
// before every B.
inline Ratios alternate(
    const char *name, int pairs, const std::function<void()> &a, const std::function<void()> &b,
    const std::function<void()> &setUp = [] {}, const std::function<void()> &setUpB = [] {})
{
    const auto runA = [&] {
        setUp();
        return timed(a);
    };
    const auto runB = [&] {
        setUpB();
        return timed(b);
    };
    runA(); // warm-up: caches, fonts, first allocations
    runB();
    std::vector<double> cpuA, cpuB, wallA, wallB, cpuRatio, wallRatio;
    std::printf("%s: pair  A cpu/wall s   B cpu/wall s   A/B cpu  A/B wall\n", name);
    for (int i = 0; i < pairs; ++i) {
        const Clock ta = runA();
        const Clock tb = runB();
        cpuA.push_back(ta.cpu);
        cpuB.push_back(tb.cpu);
        wallA.push_back(ta.wall);
        wallB.push_back(tb.wall);
        cpuRatio.push_back(tb.cpu > 0 ? ta.cpu / tb.cpu : 0);
        wallRatio.push_back(tb.wall > 0 ? ta.wall / tb.wall : 0);
        std::printf("%s: %4d  %7.3f/%7.3f  %7.3f/%7.3f  %7.2f  %8.2f\n", name, i + 1, ta.cpu,
                    ta.wall, tb.cpu, tb.wall, cpuRatio.back(), wallRatio.back());
    }
    Ratios r{minimum(cpuRatio), median(cpuRatio), minimum(wallRatio), median(wallRatio),
             median(cpuA),      median(cpuB),     median(wallA),      median(wallB)};
    std::printf("%s: A/B cpu min %.2f median %.2f; wall min %.2f median %.2f "
                "(median A %.3f s cpu, B %.3f s cpu)\n",
                name, r.minCpu, r.medianCpu, r.minWall, r.medianWall, r.medianCpuA, r.medianCpuB);
    std::fflush(stdout);
    return r;
}

struct Absolute
{
    double minCpu = 0, medianCpu = 0, minWall = 0, medianWall = 0;
};

// One warm-up, then `runs` timed runs of one action; prints min and median.
inline Absolute repeat(
    const char *name, int runs, const std::function<void()> &action,
    const std::function<void()> &setUp = [] {}, bool warmUp = true)
{
    if (warmUp) {
        setUp();
        action();
    }
    std::vector<double> cpu, wall;
    for (int i = 0; i < runs; ++i) {
        setUp();
        const Clock t = timed(action);
        cpu.push_back(t.cpu);
        wall.push_back(t.wall);
        std::printf("%s: run %d  cpu %.3f s  wall %.3f s\n", name, i + 1, t.cpu, t.wall);
    }
    Absolute r{minimum(cpu), median(cpu), minimum(wall), median(wall)};
    std::printf("%s: cpu min %.3f median %.3f s; wall min %.3f median %.3f s\n", name, r.minCpu,
                r.medianCpu, r.minWall, r.medianWall);
    std::fflush(stdout);
    return r;
}

// The peak resident memory of the process so far, in MB.
inline double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace bench

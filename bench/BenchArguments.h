#pragma once

#include <cstdlib>
#include <cstring>

// The value after "--risks N" on a benchmark's command line, or the fallback.
inline int risksArgument(int argc, char **argv, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--risks") == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

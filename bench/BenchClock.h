// Process CPU time for the benchmarks, beside their wall-clock figures.
#pragma once

#include <ctime>

inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

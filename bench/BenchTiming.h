#pragma once
// What the benchmarks measure with: the median of several timed runs, and the peak memory.
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <vector>

// Median of runs, in milliseconds; prepare runs untimed before each.
inline double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The process's peak resident memory in MB.
inline double PeakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;   // kilobytes on Linux
}

// Minimum, median and maximum of a benchmark's timed runs.
#pragma once

#include <QList>
#include <algorithm>

struct Stats {
    double min = 0, median = 0, max = 0;
};

inline Stats stats(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return { ms.first(), ms.at(ms.size() / 2), ms.last() };
}

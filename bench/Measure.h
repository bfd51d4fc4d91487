#pragma once
// Clocks, medians and the process's memory figures.
#include <vector>

namespace bench {

// Seconds on a monotonic clock; after UseCpuTime, the CPU time of the
// process's threads (user and system), which other programs on a busy
// machine do not lengthen.
double Now();
void UseCpuTime();
double Median(std::vector<double> values);
// Resident set size now and at its peak, in KiB, from /proc/self/status.
long RssKiB();
long PeakRssKiB();

}  // namespace bench

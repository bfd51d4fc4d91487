#pragma once
// Clocks, medians and the process's memory figures.
#include <vector>

namespace bench {

// Seconds on a monotonic clock.
double Now();
double Median(std::vector<double> values);
// Resident set size now and at its peak, in KiB, from /proc/self/status.
long RssKiB();
long PeakRssKiB();

}  // namespace bench

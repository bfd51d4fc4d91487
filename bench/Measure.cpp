#include "Measure.h"

#include <ctime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace bench {

namespace {
bool g_bCpuTime = false;
}  // namespace

void UseCpuTime() { g_bCpuTime = true; }

double Now() {
  if (g_bCpuTime) {
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  }
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

namespace {

long StatusField(const char* name) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long value = -1;
  const std::size_t len = std::strlen(name);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, name, len) == 0 && line[len] == ':') {
      std::sscanf(line + len + 1, "%ld", &value);
      break;
    }
  std::fclose(f);
  return value;
}

}  // namespace

long RssKiB() { return StatusField("VmRSS"); }
long PeakRssKiB() { return StatusField("VmHWM"); }

}  // namespace bench

// quillory_bench N [N...] [--runs R] [--dir FOLDER] [--load-only]
// For each N: makes corpora of N mixed MP3 files and prints the medians of R
// runs of Open Folder, Update list and Save all to disk on the real main
// window, the same work done with plain id3lib (the floor), their ratios, and
// the memory the loaded table takes.
#include "Corpus.h"
#include "Floor.h"
#include "Measure.h"
#include "WindowRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Files loaded before the measured loads, so that start-up costs (fonts,
// icons, id3lib's tables, the allocator's first arenas) are not counted per row.
constexpr int kWarmUpFiles = 250;

struct Samples {
  std::vector<double> browser, open, floorLoad, update, save, floorWrite, floorSave;
};

void PrintRate(const char* what, double seconds, int n, double floorSeconds) {
  std::printf("  %-34s %8.3f s %9.0f files/s", what, seconds, seconds > 0 ? n / seconds : 0.0);
  if (floorSeconds > 0)
    std::printf("   %5.2f x floor time\n", seconds / floorSeconds);
  else
    std::printf("\n");
}

int RunOne(int n, int runs, const std::string& base, bool loadOnly) {
  const std::string windowFolder = base + "/window";
  const std::string floorFolder = base + "/floor";
  const bench::RuleValues rule;
  bench::CWindowRun window;
  QApplication::processEvents();
  const long rssStart = bench::RssKiB();
  // The warm-up does once what every run does, on a small folder; the first
  // measured load then replaces its rows.
  const int warmUp = n > kWarmUpFiles ? kWarmUpFiles : 0;
  if (warmUp > 0) {
    unsigned long warmSum = 0;
    bench::MakeCorpus(windowFolder, warmUp);
    bench::MakeCorpus(floorFolder, warmUp);
    bench::FloorLoad(floorFolder, &warmSum);
    window.OpenFolder(windowFolder);
  }
  const long rssBefore = bench::RssKiB();
  long rssFirstLoad = 0, peakFirstLoad = 0, rssLastLoad = 0;
  int rowsLoaded = 0, rowsSaved = 0, floorFiles = 0;
  std::string totals;
  unsigned long checksum = 0;
  Samples s;

  for (int run = 0; run < runs; ++run) {
    bench::MakeCorpus(windowFolder, n);
    bench::MakeCorpus(floorFolder, n);

    double t = bench::Now();
    floorFiles = bench::FloorLoad(floorFolder, &checksum);
    s.floorLoad.push_back(bench::Now() - t);

    const bench::OpenTimes open = window.OpenFolder(windowFolder);
    s.browser.push_back(open.dBrowser);
    s.open.push_back(open.dLoad);
    rowsLoaded = window.Rows();
    totals = window.TotalsText();
    rssLastLoad = bench::RssKiB();
    if (run == 0) {
      rssFirstLoad = rssLastLoad;
      peakFirstLoad = bench::PeakRssKiB();
    }

    if (loadOnly) {
      std::fprintf(stderr, "  run %d of %d: open %.3f s, floor load %.3f s\n", run + 1, runs, s.open.back(),
                   s.floorLoad.back());
      continue;
    }
    s.update.push_back(window.UpdateList(rule));
    s.save.push_back(window.SaveAll());
    rowsSaved = window.RowsWithArtist(rule.strArtist);

    t = bench::Now();
    bench::FloorWrite(floorFolder, rule);
    s.floorWrite.push_back(bench::Now() - t);
    // The floor's reload is the same work as its load, so that run's load
    // time stands for it (reading 5,000 files once more would cost ~25 s).
    s.floorSave.push_back(s.floorWrite.back() + s.floorLoad.back());
    std::fprintf(stderr, "  run %d of %d: open %.3f s, save %.3f s, floor load %.3f s, floor save %.3f s\n",
                 run + 1, runs, s.open.back(), s.save.back(), s.floorLoad.back(), s.floorSave.back());
  }
  bench::RemoveFolder(windowFolder);
  bench::RemoveFolder(floorFolder);

  using bench::Median;
  std::printf("N = %d files (%d kinds mixed), medians of %d runs\n", n,
              static_cast<int>(bench::CorpusKinds().size()), runs);
  PrintRate("floor: id3lib Link+15 frames+header", Median(s.floorLoad), floorFiles, 0);
  PrintRate("Open Folder (count, load, totals)", Median(s.open), n, Median(s.floorLoad));
  std::printf("  %-34s %8.3f s (not counted above)\n", "  folder browser until OK", Median(s.browser));
  PrintRate("Update list (rule on every row)", Median(s.update), n, 0);
  PrintRate("floor: id3lib Link+Update per file", Median(s.floorWrite), n, 0);
  PrintRate("floor: write + load again", Median(s.floorSave), n, 0);
  PrintRate("Save all to disk (with reload)", Median(s.save), n, Median(s.floorSave));
  std::printf("  rows loaded %d, totals \"%s\"; after save %d rows carry the new artist\n", rowsLoaded,
              totals.c_str(), rowsSaved);
  std::printf("  RSS at start %.1f MiB, after loading %d warm-up files %.1f MiB, after first load %.1f MiB"
              " (peak %.1f MiB), after last load %.1f MiB\n",
              rssStart / 1024.0, warmUp, rssBefore / 1024.0, rssFirstLoad / 1024.0, peakFirstLoad / 1024.0,
              rssLastLoad / 1024.0);
  // The extra rows of the first load over the warm-up's share what they cost:
  // the marginal memory of a row, without the fixed start-up costs.
  std::printf("  memory per row (marginal: first load of %d rows over %d warm-up rows) %.2f KiB\n\n", n, warmUp,
              n > warmUp ? static_cast<double>(rssFirstLoad - rssBefore) / (n - warmUp) : 0.0);
  std::fflush(stdout);
  return rowsLoaded == n ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::vector<int> sizes;
  int runs = 0;
  bool loadOnly = false;  // for profiling the load alone
  std::string base = "/tmp/quillory-bench-" + std::to_string(::getpid());
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
      base = argv[++i];
    else if (std::strcmp(argv[i], "--load-only") == 0)
      loadOnly = true;
    else if (std::atoi(argv[i]) > 0)
      sizes.push_back(std::atoi(argv[i]));
    else {
      std::fprintf(stderr, "usage: %s N [N...] [--runs R] [--dir FOLDER] [--load-only]\n", argv[0]);
      return 2;
    }
  }
  if (sizes.empty()) sizes = {1000};
  int failures = 0;
  for (int n : sizes) failures += RunOne(n, runs > 0 ? runs : n <= 1000 ? 5 : 3, base, loadOnly);
  bench::RemoveFolder(base);
  return failures ? 1 : 0;
}

// quillory_bench N [N...] [--runs R] [--dir FOLDER] [--load-only]
// For each N: makes corpora of N mixed MP3 files and prints the medians of R
// runs of Open Folder, Save all to disk of a one-field change and Update list
// on the real main window; the same reading and saving done by mutagen (the
// peer) and by id3lib in memory (the floor), with Quillory's ratios to both;
// Save all once more with its flushes skipped; Open Folder on the same files as
// ID3v2.3 and as ID3v2.4; and the memory the loaded table takes.
#include "Corpus.h"
#include "Floor.h"
#include "FlushSwitch.h"
#include "Measure.h"
#include "Peer.h"
#include "WindowRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Files loaded before the measured loads, so that start-up costs (fonts,
// icons, id3lib's tables, the allocator's first arenas) are not counted per row.
constexpr int kWarmUpFiles = 250;

struct Samples {
  std::vector<double> browser, open, floorLoad, peerLoad, openV23, openV24;
  std::vector<double> save, saveUnflushed, floorRender, peerSave, update;
};

void PrintTime(const char* what, double seconds, int n) {
  std::printf("  %-40s %8.3f s %9.0f files/s", what, seconds, seconds > 0 ? n / seconds : 0.0);
}

void PrintRatio(double seconds, double base, const char* of) {
  if (base > 0) std::printf("  %5.2f x %s", seconds / base, of);
}

int RunOne(int n, int runs, const std::string& base, bool loadOnly) {
  const std::string windowFolder = base + "/window";
  const std::string peerFolder = base + "/peer";
  const std::string v23Folder = base + "/v23";
  const std::string v24Folder = base + "/v24";
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
    bench::FloorLoad(windowFolder, &warmSum);
    window.OpenFolder(windowFolder);
  }
  const long rssBefore = bench::RssKiB();
  long rssFirstLoad = 0, peakFirstLoad = 0, rssLastLoad = 0;
  int rowsLoaded = 0, rowsSaved = 0, rowsUnflushed = 0;
  std::string totals;
  unsigned long checksum = 0;
  Samples s;
  // Both made by mutagen from the same corpus, so they differ in the version only.
  const int v24Tagged = loadOnly ? 0 : bench::MakeVersionCorpus(v24Folder, n, 4);
  if (!loadOnly) bench::MakeVersionCorpus(v23Folder, n, 3);

  for (int run = 0; run < runs; ++run) {
    bench::MakeCorpus(windowFolder, n);

    double t = bench::Now();
    bench::FloorLoad(windowFolder, &checksum);
    s.floorLoad.push_back(bench::Now() - t);
    if (!loadOnly) s.peerLoad.push_back(bench::PeerLoad(windowFolder));

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

    window.SetEveryArtist(rule.strArtist);
    s.save.push_back(window.SaveAll());
    rowsSaved = window.RowsWithArtist(rule.strArtist);
    // The same save of the same files once more, with its flushes skipped.
    bench::MakeCorpus(windowFolder, n);
    window.OpenFolder(windowFolder);
    window.SetEveryArtist(rule.strArtist);
    bench::SkipFlushes(true);
    s.saveUnflushed.push_back(window.SaveAll());
    bench::SkipFlushes(false);
    rowsUnflushed = window.RowsWithArtist(rule.strArtist);
    s.update.push_back(window.UpdateList(rule));

    bench::MakeCorpus(peerFolder, n);
    t = bench::Now();
    bench::FloorRender(peerFolder, rule, &checksum);
    s.floorRender.push_back(bench::Now() - t);
    s.peerSave.push_back(bench::PeerSave(peerFolder, rule.strArtist));

    s.openV23.push_back(window.OpenFolder(v23Folder).dLoad);
    s.openV24.push_back(window.OpenFolder(v24Folder).dLoad);
    std::fprintf(stderr, "  run %d of %d: open %.3f s, save %.3f s, mutagen load %.3f s, save %.3f s\n", run + 1,
                 runs, s.open.back(), s.save.back(), s.peerLoad.back(), s.peerSave.back());
  }
  for (const std::string& folder : {windowFolder, peerFolder, v23Folder, v24Folder}) bench::RemoveFolder(folder);

  using bench::Median;
  const double floorLoad = Median(s.floorLoad), peerLoad = Median(s.peerLoad), openTime = Median(s.open);
  std::printf("N = %d files (%d kinds mixed), medians of %d runs\n", n,
              static_cast<int>(bench::CorpusKinds().size()), runs);
  PrintTime("floor: id3lib parse in memory, no window", floorLoad, n);
  std::printf("\n");
  if (!loadOnly) {
    PrintTime("mutagen: read tags and MPEG facts", peerLoad, n);
    std::printf("\n");
  }
  PrintTime("Open Folder (count, load, totals)", openTime, n);
  PrintRatio(openTime, floorLoad, "floor");
  PrintRatio(openTime, peerLoad, "mutagen");
  std::printf("\n  %-40s %8.3f s (not counted above)\n", "  folder browser until OK", Median(s.browser));
  if (!loadOnly) {
    // The save's floor reads, renders and reads again (the reload); it writes nothing.
    const double floorSave = Median(s.floorRender) + floorLoad, peerSave = Median(s.peerSave);
    const double save = Median(s.save), unflushed = Median(s.saveUnflushed);
    PrintTime("floor: parse, set, render, parse again", floorSave, n);
    std::printf("\n");
    PrintTime("mutagen: set artist, save as ID3v2.3", peerSave, n);
    std::printf("\n");
    PrintTime("Save all (one field, with its reload)", save, n);
    PrintRatio(save, floorSave, "floor");
    PrintRatio(save, peerSave, "mutagen");
    std::printf("\n");
    PrintTime("  the same, fsync/fdatasync skipped", unflushed, n);
    PrintRatio(unflushed, floorSave, "floor");
    PrintRatio(unflushed, peerSave, "mutagen");
    std::printf("\n  %-40s %8.3f s (%.2f ms a file)\n", "  so flushing costs", save - unflushed,
                (save - unflushed) * 1000 / n);
    PrintTime("Update list (rule on every row)", Median(s.update), n);
    std::printf("\n");
    const double v23 = Median(s.openV23), v24 = Median(s.openV24);
    PrintTime("Open Folder, tags rewritten as ID3v2.3", v23, n);
    std::printf("\n");
    PrintTime("Open Folder, the same as ID3v2.4", v24, n);
    PrintRatio(v24, v23, "ID3v2.3");
    std::printf(" (%d files tagged)\n", v24Tagged);
    std::printf("  rows loaded %d, totals \"%s\"; after save %d rows carry the new artist\n", rowsLoaded,
                totals.c_str(), rowsSaved);
  }
  std::printf("  RSS at start %.1f MiB, after loading %d warm-up files %.1f MiB, after first load %.1f MiB"
              " (peak %.1f MiB), after last load %.1f MiB\n",
              rssStart / 1024.0, warmUp, rssBefore / 1024.0, rssFirstLoad / 1024.0, peakFirstLoad / 1024.0,
              rssLastLoad / 1024.0);
  // The extra rows of the first load over the warm-up's share what they cost:
  // the marginal memory of a row, without the fixed start-up costs.
  std::printf("  memory per row (marginal: first load of %d rows over %d warm-up rows) %.2f KiB\n\n", n, warmUp,
              n > warmUp ? static_cast<double>(rssFirstLoad - rssBefore) / (n - warmUp) : 0.0);
  std::fflush(stdout);
  const bool saved = loadOnly || (rowsSaved == n && rowsUnflushed == n);
  return rowsLoaded == n && saved && checksum > 0 ? 0 : 1;
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
  try {
    for (int n : sizes) failures += RunOne(n, runs > 0 ? runs : n <= 1000 ? 5 : 3, base, loadOnly);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillory_bench: %s\n", e.what());
    failures = 1;
  }
  bench::RemoveFolder(base);
  return failures ? 1 : 0;
}

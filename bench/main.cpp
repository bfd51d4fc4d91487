// quillory_bench N [N...] [--runs R] [--dir FOLDER] [--subfolders K] [--load-only | --save-only] [--cpu-time]
// For each N: makes corpora of N mixed MP3 files (with --subfolders, in
// subfolders of K files, opened with "Include subfolders") and prints the
// medians of R runs of Open Folder, Save all to disk of a one-field change,
// Update list and a header-click sort on the real main window, with the
// longest time the window went without answering during the load and the
// save; the same reading and saving done by mutagen and by kid3-cli (the
// peers) and by id3lib in memory (the floor), with Quillory's ratios to them;
// Save all once more with its flushes skipped, and once without the journal of saves;
// the size of its journal entry; Open Folder on the same files
// as ID3v2.3 and as ID3v2.4; the same load and save through the folder
// session alone, without a window; and the memory the loaded table takes.
#include "Corpus.h"
#include "Floor.h"
#include "FlushSwitch.h"
#include "Measure.h"
#include "Peer.h"
#include "SessionRun.h"
#include "WindowRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Files loaded before the measured loads, so that start-up costs (fonts,
// icons, id3lib's tables, the allocator's first arenas) are not counted per row.
constexpr int kWarmUpFiles = 250;

// The bytes of the newest entry in the journal of saves kept in dir.
long long NewestJournalEntry(const std::string& dir) {
  std::error_code ignored;
  auto newest = std::filesystem::file_time_type::min();
  long long bytes = 0;
  for (const auto& item : std::filesystem::recursive_directory_iterator(dir, ignored))
    if (item.path().extension() == ".entry" && item.last_write_time(ignored) >= newest) {
      newest = item.last_write_time(ignored);
      bytes = static_cast<long long>(item.file_size(ignored));
    }
  return bytes;
}

struct Samples {
  std::vector<double> browser, open, floorLoad, peerLoad, kid3Load, openV23, openV24, gapLoad, gapReload, gapSave;
  std::vector<double> save, saveUnflushed, saveUnjournalled, floorRender, peerSave, kid3Save, update, sortUp, sortDown;
  std::vector<double> sessionOpen, sessionSave;  // the folder session alone
};

struct Options {
  int nRuns = 0;  // 0: by N
  std::string strBase;
  int nPerFolder = 0;
  bool bLoadOnly = false;
  bool bSaveOnly = false;  // Quillory's own load and saves, no peers
};

void PrintTime(const char* what, double seconds, int n) {
  std::printf("  %-40s %8.3f s %9.0f files/s", what, seconds, seconds > 0 ? n / seconds : 0.0);
}

void PrintRatio(double seconds, double base, const char* of) {
  if (base > 0) std::printf("  %5.2f x %s", seconds / base, of);
}

void PrintRatios(double seconds, double floor, double mutagen, double kid3) {
  PrintRatio(seconds, floor, "floor");
  PrintRatio(seconds, mutagen, "mutagen");
  PrintRatio(seconds, kid3, "kid3-cli");
  std::printf("\n");
}

int RunOne(int n, const Options& options) {
  const double began = bench::Now();
  const std::string& base = options.strBase;
  const bool loadOnly = options.bLoadOnly;
  const bool peers = !loadOnly && !options.bSaveOnly;
  const int perFolder = options.nPerFolder;
  const bool subfolders = perFolder > 0;
  const int runs = options.nRuns > 0 ? options.nRuns : n <= 1000 ? 5 : n < 50000 ? 3 : 1;
  std::fprintf(stderr, "N = %d%s: the corpora take %.0f MiB each, %.1f GiB for the four at once\n", n,
               subfolders ? " in subfolders" : "", bench::CorpusBytes(n) / 1048576.0,
               4 * bench::CorpusBytes(n) / 1073741824.0);
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
    bench::MakeCorpus(windowFolder, warmUp, perFolder);
    bench::FloorLoad(windowFolder, &warmSum);
    window.OpenFolder(windowFolder, subfolders);
  }
  const long rssBefore = bench::RssKiB();
  long rssFirstLoad = 0, peakFirstLoad = 0, rssLastLoad = 0;
  int rowsLoaded = 0, rowsSaved = 0, rowsUnflushed = 0, sessionRows = 0, sessionWritten = 0;
  long long journalBytes = 0;
  std::string totals;
  unsigned long checksum = 0;
  Samples s;
  // Both made by mutagen from the same corpus, so they differ in the version only.
  const int v24Tagged = peers ? bench::MakeVersionCorpus(v24Folder, n, 4, perFolder) : 0;
  if (peers) bench::MakeVersionCorpus(v23Folder, n, 3, perFolder);

  for (int run = 0; run < runs; ++run) {
    bench::MakeCorpus(windowFolder, n, perFolder);

    double t = bench::Now();
    bench::FloorLoad(windowFolder, &checksum);
    s.floorLoad.push_back(bench::Now() - t);
    if (peers) s.peerLoad.push_back(bench::PeerLoad(windowFolder));
    if (peers) s.kid3Load.push_back(bench::Kid3Load(windowFolder));

    const bench::OpenTimes open = window.OpenFolder(windowFolder, subfolders);
    s.browser.push_back(open.dBrowser);
    s.open.push_back(open.dLoad);
    s.gapLoad.push_back(open.dGap);
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
    const bench::SaveTimes save = window.SaveAll();
    journalBytes = NewestJournalEntry(std::getenv("XDG_STATE_HOME"));
    s.save.push_back(save.dSave);
    s.gapSave.push_back(save.dGap);
    rowsSaved = window.RowsWithArtist(rule.strArtist);
    // The same save of the same files once more, with its flushes skipped.
    bench::MakeCorpus(windowFolder, n, perFolder);
    // Opened over the loaded table, whose rows it clears first.
    s.gapReload.push_back(window.OpenFolder(windowFolder, subfolders).dGap);
    window.SetEveryArtist(rule.strArtist);
    bench::SkipFlushes(true);
    s.saveUnflushed.push_back(window.SaveAll().dSave);
    bench::SkipFlushes(false);
    rowsUnflushed = window.RowsWithArtist(rule.strArtist);
    // And once more without the journal of saves, so that its cost shows.
    bench::MakeCorpus(windowFolder, n, perFolder);
    window.OpenFolder(windowFolder, subfolders);
    window.SetEveryArtist(rule.strArtist);
    s.saveUnjournalled.push_back(window.SaveAll(true).dSave);
    s.update.push_back(window.UpdateList(rule));
    // The Length column sorts by number; a second click sorts it the other
    // way. (After the saves: Save all ends with a whole reload when the
    // table is no longer in the folder's order.)
    constexpr int kLengthColumn = 10;
    s.sortUp.push_back(window.SortByHeader(kLengthColumn));
    s.sortDown.push_back(window.SortByHeader(kLengthColumn));
    // The floor of the saves: the same render in memory, on the same corpus.
    bench::MakeCorpus(windowFolder, n, perFolder);
    t = bench::Now();
    bench::FloorRender(windowFolder, rule, &checksum);
    s.floorRender.push_back(bench::Now() - t);
    // The same load and save through the folder session alone, no window.
    bench::MakeCorpus(windowFolder, n, perFolder);
    const bench::SessionTimes session = bench::RunSession(windowFolder, subfolders, rule.strArtist);
    s.sessionOpen.push_back(session.dOpen);
    s.sessionSave.push_back(session.dSave);
    sessionRows = session.nRows;
    sessionWritten = session.nWritten;
    if (!peers) {
      std::fprintf(stderr, "  run %d of %d: open %.3f s, save %.3f s\n", run + 1, runs, s.open.back(), s.save.back());
      continue;
    }

    bench::MakeCorpus(peerFolder, n, perFolder);
    s.peerSave.push_back(bench::PeerSave(peerFolder, rule.strArtist));
    bench::MakeCorpus(peerFolder, n, perFolder);
    s.kid3Save.push_back(bench::Kid3Save(peerFolder, rule.strArtist));

    s.openV23.push_back(window.OpenFolder(v23Folder, subfolders).dLoad);
    s.openV24.push_back(window.OpenFolder(v24Folder, subfolders).dLoad);
    std::fprintf(stderr, "  run %d of %d: open %.3f s, save %.3f s, mutagen load %.3f s, save %.3f s\n", run + 1,
                 runs, s.open.back(), s.save.back(), s.peerLoad.back(), s.peerSave.back());
  }
  for (const std::string& folder : {windowFolder, peerFolder, v23Folder, v24Folder}) bench::RemoveFolder(folder);

  using bench::Median;
  const double floorLoad = Median(s.floorLoad), peerLoad = Median(s.peerLoad), openTime = Median(s.open);
  // Absent (-1) when kid3-cli is not installed.
  const double kid3Load = peers ? Median(s.kid3Load) : -1, kid3Save = peers ? Median(s.kid3Save) : -1;
  std::printf("N = %d files (%d kinds mixed)", n, static_cast<int>(bench::CorpusKinds().size()));
  if (subfolders) std::printf(" in %d subfolders of %d, opened with subfolders", (n + perFolder - 1) / perFolder, perFolder);
  std::printf(", medians of %d runs\n", runs);
  PrintTime("floor: id3lib parse in memory, no window", floorLoad, n);
  std::printf("\n");
  if (peers) {
    PrintTime("mutagen: read tags and MPEG facts", peerLoad, n);
    std::printf("\n");
    if (kid3Load >= 0) {
      PrintTime("kid3-cli: select all, get all", kid3Load, n);
      std::printf("\n");
    }
  }
  PrintTime("Open Folder (count, load, totals)", openTime, n);
  PrintRatios(openTime, floorLoad, peerLoad, kid3Load);
  std::printf("  %-40s %8.3f s (not counted above)\n", "  folder browser until OK", Median(s.browser));
  std::printf("  %-40s %8.1f ms\n", "  longest the window did not answer", Median(s.gapLoad) * 1000);
  if (!loadOnly) {
    std::printf("  %-40s %8.1f ms\n", "  the same, opened over a loaded table", Median(s.gapReload) * 1000);
    std::printf("  %-40s %8.3f s, %.3f s the other way\n", "Header click: sort by Length", Median(s.sortUp),
                Median(s.sortDown));
    // The save's floor reads, renders and reads again (the reload); it writes nothing.
    const double floorSave = Median(s.floorRender) + floorLoad, peerSave = Median(s.peerSave);
    const double save = Median(s.save), unflushed = Median(s.saveUnflushed);
    PrintTime("floor: parse, set, render, parse again", floorSave, n);
    std::printf("\n");
    if (peers) {
      PrintTime("mutagen: set artist, save as ID3v2.3", peerSave, n);
      std::printf("\n");
    }
    if (kid3Save >= 0) {
      PrintTime("kid3-cli: set artist, save", kid3Save, n);
      std::printf("\n");
    }
    PrintTime("Save all (one field, with its reload)", save, n);
    PrintRatios(save, floorSave, peerSave, kid3Save);
    PrintTime("  the same, fsync/fdatasync skipped", unflushed, n);
    PrintRatios(unflushed, floorSave, peerSave, kid3Save);
    std::printf("  %-40s %8.3f s (%.2f ms a file)\n", "  so flushing costs", save - unflushed,
                (save - unflushed) * 1000 / n);
    const double unjournalled = Median(s.saveUnjournalled);
    PrintTime("  the same, without the journal of saves", unjournalled, n);
    PrintRatios(unjournalled, floorSave, peerSave, kid3Save);
    std::printf("  %-40s %8.3f s (%.2f ms a file)\n", "  so the journal costs", save - unjournalled,
                (save - unjournalled) * 1000 / n);
    std::printf("  %-40s %8.1f ms\n", "  longest the window did not answer", Median(s.gapSave) * 1000);
    std::printf("  %-40s %8.1f KiB (%.0f bytes a file)\n", "  its entry in the journal of saves", journalBytes / 1024.0,
                static_cast<double>(journalBytes) / n);
    PrintTime("Session alone: Open (no window)", Median(s.sessionOpen), n);
    PrintRatios(Median(s.sessionOpen), floorLoad, peerLoad, kid3Load);
    PrintTime("Session alone: Save (no window, no reload)", Median(s.sessionSave), n);
    PrintRatios(Median(s.sessionSave), floorSave, peerSave, kid3Save);
    std::printf("  %-40s %d rows read, %d files written\n", "  session", sessionRows, sessionWritten);
    PrintTime("Update list (rule on every row)", Median(s.update), n);
    std::printf("\n");
    const double v23 = Median(s.openV23), v24 = Median(s.openV24);
    if (peers) {
      PrintTime("Open Folder, tags rewritten as ID3v2.3", v23, n);
      std::printf("\n");
      PrintTime("Open Folder, the same as ID3v2.4", v24, n);
      PrintRatio(v24, v23, "ID3v2.3");
      std::printf(" (%d files tagged)\n", v24Tagged);
    }
    std::printf("  rows loaded %d, totals \"%s\"; after save %d rows carry the new artist\n", rowsLoaded,
                totals.c_str(), rowsSaved);
  }
  std::printf("  RSS at start %.1f MiB, after loading %d warm-up files %.1f MiB, after first load %.1f MiB"
              " (peak %.1f MiB), after last load %.1f MiB\n",
              rssStart / 1024.0, warmUp, rssBefore / 1024.0, rssFirstLoad / 1024.0, peakFirstLoad / 1024.0,
              rssLastLoad / 1024.0);
  // The extra rows of the first load over the warm-up's share what they cost:
  // the marginal memory of a row, without the fixed start-up costs.
  std::printf("  memory per row (marginal: first load of %d rows over %d warm-up rows) %.2f KiB\n", n, warmUp,
              n > warmUp ? static_cast<double>(rssFirstLoad - rssBefore) / (n - warmUp) : 0.0);
  std::printf("  this N took %.1f minutes in all\n\n", (bench::Now() - began) / 60);
  std::fflush(stdout);
  const bool saved = loadOnly || (rowsSaved == n && rowsUnflushed == n);
  return rowsLoaded == n && saved && checksum > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The window's remembered choices stay the benchmark's own.
  const std::string base = "/tmp/quillory-bench-" + std::to_string(::getpid());
  ::setenv("XDG_CONFIG_HOME", (base + "-config").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (base + "-state").c_str(), 1);
  QApplication app(argc, argv);
  std::vector<int> sizes;
  Options options;
  options.strBase = base;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      options.nRuns = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
      options.strBase = argv[++i];
    else if (std::strcmp(argv[i], "--subfolders") == 0 && i + 1 < argc)
      options.nPerFolder = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--load-only") == 0)  // for profiling the load alone
      options.bLoadOnly = true;
    else if (std::strcmp(argv[i], "--save-only") == 0)  // for profiling the saves
      options.bSaveOnly = true;
    else if (std::strcmp(argv[i], "--cpu-time") == 0)  // on a busy machine: the work, not the waits
      bench::UseCpuTime();
    else if (std::atoi(argv[i]) > 0)
      sizes.push_back(std::atoi(argv[i]));
    else {
      std::fprintf(stderr, "usage: %s N [N...] [--runs R] [--dir FOLDER] [--subfolders K] [--load-only | --save-only] [--cpu-time]\n", argv[0]);
      return 2;
    }
  }
  if (sizes.empty()) sizes = {1000};
  int failures = 0;
  try {
    for (int n : sizes) failures += RunOne(n, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillory_bench: %s\n", e.what());
    failures = 1;
  }
  bench::RemoveFolder(options.strBase);
  bench::RemoveFolder(base + "-config");
  bench::RemoveFolder(base + "-state");
  return failures ? 1 : 0;
}

// quillory_format_bench N [--runs R] [--dir FOLDER] [--only NAME]
// For each format the folder session reads besides MP3 (FLAC, Ogg Vorbis,
// Ogg Opus, MP4 with AAC and with ALAC): a folder of N copies of the test
// fixture of that format (several values, custom keys, two pictures), then
// the medians of R runs of the session's Open and of its Save of a
// one-field change to every file (durable and journalled), beside mutagen
// reading and saving the same files (without flushing: mutagen never syncs)
// and kid3-cli doing the same, with the ratios. --only keeps the formats
// whose name contains NAME ("Vorbis", "MP4").
#include "FlushSwitch.h"
#include "Measure.h"
#include "Peer.h"
#include "SessionRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Format {
  const char* name;
  const char* fixture;
};

constexpr Format kFormats[] = {{"FLAC", "tagged.flac"},
                               {"Ogg Vorbis", "tagged_vorbis.ogg"},
                               {"Ogg Opus", "tagged.opus"},
                               {"MP4 AAC (index at end)", "tagged_moov_end.m4a"},
                               {"MP4 ALAC", "tagged_alac.m4a"}};

void MakeFolder(const std::string& folder, const Format& format, int n) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path fixture = fs::path(QUILLORY_FIXTURES_DIR) / format.fixture;
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d", i);
    fs::copy_file(fixture, fs::path(folder) / (name + fixture.extension().string()));
  }
}

void Row(const char* what, double seconds, int n, double mutagen = -1, double kid3 = -1) {
  std::printf("  %-44s %8.3f s %8.0f files/s", what, seconds, seconds > 0 ? n / seconds : 0.0);
  if (mutagen > 0) std::printf("  %5.2f x mutagen", seconds / mutagen);
  if (kid3 > 0) std::printf("  %5.2f x kid3-cli", seconds / kid3);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  int n = 1000, runs = 3;
  std::string base = "/tmp/quillory-format-bench-" + std::to_string(::getpid());
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
      base = argv[++i];
    else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
      only = argv[++i];
    else if (std::atoi(argv[i]) > 0)
      n = std::atoi(argv[i]);
    else {
      std::fprintf(stderr, "usage: %s N [--runs R] [--dir FOLDER] [--only NAME]\n", argv[0]);
      return 2;
    }
  }
  // The journal of saves stays the benchmark's own.
  ::setenv("XDG_STATE_HOME", (base + "-state").c_str(), 1);
  const std::string folder = base + "/files";
  int failures = 0;
  std::printf("N = %d files of one format, medians of %d runs\n", n, runs);
  for (const Format& format : kFormats) {
    if (std::string(format.name).find(only) == std::string::npos) continue;
    std::vector<double> open, save, unflushed, peerLoad, peerSave, kid3Load, kid3Save;
    int rows = 0, written = 0;
    for (int run = 0; run < runs; ++run) {
      MakeFolder(folder, format, n);
      peerLoad.push_back(bench::PeerLoadAny(folder));
      kid3Load.push_back(bench::Kid3Load(folder));
      const bench::SessionTimes times = bench::RunSession(folder, false, "Bench Artist");
      open.push_back(times.dOpen);
      save.push_back(times.dSave);
      rows = times.nRows;
      written = times.nWritten;
      MakeFolder(folder, format, n);
      bench::SkipFlushes(true);
      unflushed.push_back(bench::RunSession(folder, false, "Bench Artist").dSave);
      bench::SkipFlushes(false);
      MakeFolder(folder, format, n);
      ::sync();
      peerSave.push_back(bench::PeerSaveAny(folder, "Bench Artist"));
      MakeFolder(folder, format, n);
      ::sync();
      kid3Save.push_back(bench::Kid3Save(folder, "Bench Artist"));
    }
    using bench::Median;
    const double mLoad = Median(peerLoad), mSave = Median(peerSave), kLoad = Median(kid3Load), kSave = Median(kid3Save);
    std::printf("%s (%s):\n", format.name, format.fixture);
    Row("mutagen: read every key and the stream facts", mLoad, n);
    if (kLoad > 0) Row("kid3-cli: select all, get all", kLoad, n);
    Row("session Open (walk, read, rows)", Median(open), n, mLoad, kLoad);
    Row("mutagen: set artist, save (no flush)", mSave, n);
    if (kSave > 0) Row("kid3-cli: set artist, save", kSave, n);
    Row("session Save (durable, journalled)", Median(save), n, mSave, kSave);
    Row("  the same, fsync/fdatasync skipped", Median(unflushed), n, mSave, kSave);
    std::printf("  rows read %d, files written %d\n", rows, written);
    if (rows != n || written != n) ++failures;
  }
  std::fflush(stdout);
  fs::remove_all(base);
  fs::remove_all(base + "-state");
  return failures ? 1 : 0;
}

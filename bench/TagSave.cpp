// quillory_tag_bench N [N...] [--runs R] [--dir FOLDER]
// The tag library's part of Save all, without the window: for each N, on a
// corpus of N mixed MP3 files, the medians of R runs (default 3) of
//   - the floor: id3lib parses each file in memory, sets the artist, renders
//     the tag and parses the file again (what the window's benchmark calls
//     "parse, set, render, parse again"); it writes nothing;
//   - a save through the file value: read, set the artist, take the save
//     record, save (in a batch, flushes skipped), the value then showing the
//     file's fields;
//   - the same save as the window makes it through the cursor: link, set,
//     record, cancel; link again, set, match the record, write; the row's
//     fields read back;
// with each save's ratio to the floor. The flushes are skipped so that the
// figures are of the work, not of the disk.
#include "Corpus.h"
#include "Floor.h"
#include "FlushSwitch.h"
#include "Measure.h"

#include <tags/MyMP3Tags.h>
#if __has_include(<tags/TagFile.h>)
#include <tags/TagFile.h>
#define QUILLORY_HAS_TAG_FILE 1
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Files = std::vector<std::string>;

// What a row shows after its save: every field, read from the object.
unsigned long RowSum(CMyMP3Tags& tags) {
  unsigned long sum = 0;
  for (const CString& text : {tags.GetArtist(), tags.GetAlbum(), tags.GetTitle(), tags.GetComment(), tags.GetTrack(),
                              tags.GetYear(), tags.GetComposer(), tags.GetCopyright(), tags.GetEncodedBy(),
                              tags.GetOriginalArtist(), tags.GetURL(), tags.GetBand(), tags.GetPublisher(),
                              tags.GetConductor(), tags.GetGenre(), tags.GetTagVersion()})
    sum += text.GetLength();
  return sum + static_cast<unsigned long>(tags.GetFileSize());
}

int CursorSave(const Files& files, const bench::RuleValues& values, unsigned long* checksum) {
  CMyMP3Tags tags;
  std::vector<std::vector<unsigned char>> records;
  for (const std::string& path : files) {
    tags.Link(path.c_str());
    tags.BeginUpdate();
    tags.SetArtist(values.strArtist.c_str());
    records.push_back(tags.PrepareSaveUndo());
    tags.CancelUpdate();
    tags.Reset();
  }
  int saved = 0;
  tags.BeginBatch();
  for (std::size_t i = 0; i < files.size(); ++i) {
    tags.Link(files[i].c_str());
    tags.BeginUpdate();
    tags.SetArtist(values.strArtist.c_str());
    if (!tags.MatchSaveUndo(records[i])) tags.CancelUpdate();
    tags.EndUpdate();
    saved += tags.GetLastWriteError().IsEmpty();
    *checksum += RowSum(tags) + static_cast<unsigned long>(tags.GetFileIdentity().nSize);
    tags.Reset();
    if (tags.IsBatchFull()) tags.CommitBatch();
  }
  for (const CWriteOutcome& outcome : tags.EndBatch()) saved -= !outcome.strError.IsEmpty();
  return saved;
}

#ifdef QUILLORY_HAS_TAG_FILE
int ValueSave(const Files& files, const bench::RuleValues& values, unsigned long* checksum) {
  int saved = 0;
  CSaveBatch batch;
  for (const std::string& path : files) {
    const std::unique_ptr<CTagFile> file = CTagFile::Read(path.c_str());
    file->Set(TagField::Artist, values.strArtist.c_str());
    CString reason;
    *checksum += file->SaveRecord(&reason).size();
    saved += file->Save(&reason, &batch);
    for (int field = 0; field <= static_cast<int>(TagField::Genre); ++field)
      *checksum += file->Get(static_cast<TagField>(field)).GetLength();
    *checksum += static_cast<unsigned long>(file->Identity().nSize) + file->TagVersion().GetLength();
    if (batch.IsFull()) batch.Commit();
  }
  for (const CWriteOutcome& outcome : batch.Commit()) saved -= !outcome.strError.IsEmpty();
  return saved;
}
#endif

void Print(const char* what, double seconds, int n, double floor) {
  std::printf("  %-46s %8.3f s %9.0f files/s", what, seconds, n / seconds);
  if (floor > 0) std::printf("  %5.2f x floor", seconds / floor);
  std::printf("\n");
}

int RunOne(int n, int runs, const std::string& folder) {
  const bench::RuleValues values;
  std::vector<double> floor, value, cursor;
  unsigned long checksum = 0;
  int failures = 0;
  bench::SkipFlushes(true);
  for (int run = 0; run < runs; ++run) {
    bench::MakeCorpus(folder, n);
    const Files files = bench::Mp3Files(folder);
    double t = bench::Now();
    bench::FloorRender(folder, values, &checksum);
    bench::FloorLoad(folder, &checksum);
    floor.push_back(bench::Now() - t);
#ifdef QUILLORY_HAS_TAG_FILE
    t = bench::Now();
    failures += ValueSave(files, values, &checksum) != n;
    value.push_back(bench::Now() - t);
    bench::MakeCorpus(folder, n);
#endif
    t = bench::Now();
    failures += CursorSave(files, values, &checksum) != n;
    cursor.push_back(bench::Now() - t);
  }
  bench::SkipFlushes(false);
  bench::RemoveFolder(folder);
  const double base = bench::Median(floor);
  std::printf("N = %d files, medians of %d runs, flushes skipped%s\n", n, runs, failures ? " (SOME FILES NOT SAVED)" : "");
  Print("floor: parse, set, render, parse again", base, n, 0);
  if (!value.empty()) Print("file value: read, set, record, save", bench::Median(value), n, base);
  Print("cursor: record, cancel, relink, match, save", bench::Median(cursor), n, base);
  std::fflush(stdout);
  return failures == 0 && checksum > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  int runs = 3;
  std::string base = "/tmp/quillory-tag-bench-" + std::to_string(::getpid());
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
      base = argv[++i];
    else if (std::atoi(argv[i]) > 0)
      sizes.push_back(std::atoi(argv[i]));
    else {
      std::fprintf(stderr, "usage: %s N [N...] [--runs R] [--dir FOLDER]\n", argv[0]);
      return 2;
    }
  }
  if (sizes.empty()) sizes = {5000};
  int failures = 0;
  for (int n : sizes) failures += RunOne(n, runs, base + "/corpus");
  bench::RemoveFolder(base);
  return failures ? 1 : 0;
}

// How large the records of saves are: tags_undo_figures [N] [P] saves one
// field of N files of the benchmark's mix of kinds, and of P files with a
// 300 KB cover (and then their covers), in batches as Save all does, with
// a record for each; prints the records' sizes, restores every file in a
// batch and says how many came back byte for byte. Then one line per kind of
// fixture: the record of an artist, a genre and a cover change.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>

namespace {

using Change = std::function<void(CMyMP3Tags&)>;

// Saves each file with one change, restores them all; prints the figures.
void Measure(const char* what, const std::vector<CString>& paths, const Change& change) {
  std::vector<std::string> before;
  std::vector<std::vector<unsigned char>> records;
  CMyMP3Tags tags;
  tags.BeginBatch();
  for (const CString& path : paths) {
    before.push_back(test::ReadFile(path));
    tags.Link(path);
    tags.BeginUpdate();
    change(tags);
    records.push_back(tags.PrepareSaveUndo());
    tags.EndUpdate();
    tags.Reset();
    if (tags.IsBatchFull()) tags.CommitBatch();
  }
  tags.EndBatch();
  std::vector<std::size_t> sizes;
  for (const auto& record : records) sizes.push_back(record.size());
  std::sort(sizes.begin(), sizes.end());
  tags.BeginBatch();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    tags.RestoreSave(paths[i], records[i]);
    if (tags.IsBatchFull()) tags.CommitBatch();
  }
  tags.EndBatch();
  std::size_t same = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) same += test::ReadFile(paths[i]) == before[i];
  std::printf("%-34s %5zu files: record %zu / %zu / %zu bytes (min / median / max), %zu in all; %zu of %zu restored byte for byte\n",
              what, paths.size(), sizes.front(), sizes[sizes.size() / 2], sizes.back(),
              std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}), same, paths.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int p = argc > 2 ? std::atoi(argv[2]) : 100;
  // The benchmark's corpus: kinds of file and how many of every 28 they are.
  const std::pair<const char*, int> mix[] = {
      {"cbr_v23_latin1.mp3", 5}, {"cbr_v23_utf16.mp3", 2},    {"cbr_v23_utf16_v1.mp3", 2}, {"id3lib_written.mp3", 2},
      {"two_comments.mp3", 1},   {"v1_only.mp3", 2},          {"v1_genre141.mp3", 1},      {"v1_genre200.mp3", 1},
      {"untagged.mp3", 2},       {"vbr_mpeg1_stereo.mp3", 2}, {"vbr_mpeg2_mono.mp3", 1},   {"vbr_mpeg25_mono.mp3", 1},
      {"cbr_mpeg2_mono.mp3", 2}, {"Upper.MP3", 2}};
  std::vector<const char*> kinds;
  for (const auto& [file, weight] : mix) kinds.insert(kinds.end(), weight, file);
  test::TempDir dir;
  std::vector<CString> corpus, covered;
  for (int i = 0; i < n; ++i) {
    corpus.push_back(dir.Path() + CString::Formatted("/%05d.mp3", i));
    test::WriteFile(corpus.back(), test::ReadFile(test::FixturePath(kinds[i % kinds.size()])));
  }
  for (int i = 0; i < p; ++i) {
    covered.push_back(dir.Path() + CString::Formatted("/cover%03d.mp3", i));
    test::WriteFile(covered.back(), test::FileWithBigCover(i + 1));
  }
  const std::string png = test::ReadFile(test::FixturePath("cover_back.png"));
  const Change artist = [](CMyMP3Tags& t) { t.SetArtist("A changed artist"); };
  const Change genre = [](CMyMP3Tags& t) { t.SetGenre("Jazz"); };
  const Change cover = [&png](CMyMP3Tags& t) { t.SetFrontCover(png); };
  Measure("benchmark mix, artist", corpus, artist);
  Measure("300 KB cover, artist", covered, artist);
  Measure("300 KB cover, cover replaced", covered, cover);
  std::printf("\nOne file of each kind (artist / genre / cover set):\n");
  for (const char* kind : {"v1_only.mp3", "untagged.mp3", "cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v23_compressed.mp3",
                           "v23_duplicates.mp3", "v22_full.mp3", "covers_v22.mp3", "v24_full.mp3", "v24_footer.mp3",
                           "v24_footer_v1.mp3", "v24_itunes.mp3", "covers_v23.mp3", "covers_v24.mp3"}) {
    std::printf("  %-22s", kind);
    for (const Change& change : {artist, genre, cover}) {
      const CString path = dir.CopyFixture(kind, "kind.mp3");
      CMyMP3Tags tags;
      tags.Link(path);
      tags.BeginUpdate();
      change(tags);
      const std::size_t size = tags.PrepareSaveUndo().size();
      tags.CancelUpdate();
      std::printf(" %6zu", size);
    }
    std::printf("\n");
  }
  return 0;
}

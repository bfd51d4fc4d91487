// How large the records of saves are: tags_undo_figures [N] [P] saves the
// artist of N files of the benchmark's mix of kinds, and of P files with a
// 300 KB cover (then their covers), in a batch as Save all does, with a
// record each; prints the records' sizes, restores the files in a batch and
// counts those back byte for byte.
#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

void Measure(const char* what, const std::vector<CString>& paths, const std::function<void(CMyMP3Tags&)>& change) {
  std::vector<std::string> before;
  std::vector<std::vector<unsigned char>> records;
  std::vector<std::size_t> sizes;
  CMyMP3Tags tags;
  tags.BeginBatch();
  for (const CString& path : paths) {
    before.push_back(test::ReadFile(path));
    tags.Link(path);
    tags.BeginUpdate();
    change(tags);
    records.push_back(tags.PrepareSaveUndo());
    sizes.push_back(records.back().size());
    tags.Reset();
  }
  tags.EndBatch();
  tags.BeginBatch();
  for (std::size_t i = 0; i < paths.size(); ++i) tags.RestoreSave(paths[i], records[i]);
  tags.EndBatch();
  std::size_t same = 0, total = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) same += test::ReadFile(paths[i]) == before[i], total += sizes[i];
  std::sort(sizes.begin(), sizes.end());
  std::printf("%-30s %5zu files: records of %zu / %zu / %zu bytes (min / median / max), %zu in all; %zu restored byte for byte\n",
              what, paths.size(), sizes.front(), sizes[sizes.size() / 2], sizes.back(), total, same);
}

}  // namespace

int main(int argc, char** argv) {
  // The benchmark's corpus: each kind as often as in every 28 of its files.
  const std::pair<const char*, int> mix[] = {
      {"cbr_v23_latin1.mp3", 5}, {"cbr_v23_utf16.mp3", 2},    {"cbr_v23_utf16_v1.mp3", 2}, {"id3lib_written.mp3", 2},
      {"two_comments.mp3", 1},   {"v1_only.mp3", 2},          {"v1_genre141.mp3", 1},      {"v1_genre200.mp3", 1},
      {"untagged.mp3", 2},       {"vbr_mpeg1_stereo.mp3", 2}, {"vbr_mpeg2_mono.mp3", 1},   {"vbr_mpeg25_mono.mp3", 1},
      {"cbr_mpeg2_mono.mp3", 2}, {"Upper.MP3", 2}};
  std::vector<const char*> kinds;
  for (const auto& [file, weight] : mix) kinds.insert(kinds.end(), weight, file);
  test::TempDir dir;
  std::vector<CString> corpus, covered;
  for (int i = 0; i < (argc > 1 ? std::atoi(argv[1]) : 1000); ++i) {
    corpus.push_back(dir.Path() + CString::Formatted("/%05d.mp3", i));
    test::WriteFile(corpus.back(), test::ReadFile(test::FixturePath(kinds[i % kinds.size()])));
  }
  for (int i = 0; i < (argc > 2 ? std::atoi(argv[2]) : 100); ++i) {
    covered.push_back(dir.Path() + CString::Formatted("/cover%03d.mp3", i));
    test::WriteFile(covered.back(), test::FileWithBigCover(i + 1));
  }
  const auto artist = [](CMyMP3Tags& t) { t.SetArtist("A changed artist"); };
  const std::string png = test::ReadFile(test::FixturePath("cover_back.png"));
  Measure("benchmark mix, artist", corpus, artist);
  Measure("300 KB cover, artist", covered, artist);
  Measure("300 KB cover, cover replaced", covered, [&png](CMyMP3Tags& t) { t.SetFrontCover(png); });
}

#pragma once
// The corpus: a folder of N real MP3 files of mixed kinds, copied and renamed
// from the test fixtures.
#include <string>
#include <vector>

namespace bench {

// One kind of file and how many of every 26 files are of it.
struct CorpusKind {
  const char* fixture;
  int share;
};

// The kinds the corpus mixes. Left out: compressed_frame.mp3 (it crashes
// id3lib's own reading, so the floor could not read it), empty.mp3 and
// not_mpeg.mp3 (not MP3 files), v22.mp3 and v24.mp3 (read-only to the
// program: Save all would report them unsaved and skip its reload).
const std::vector<CorpusKind>& CorpusKinds();

// Fills folder (made when missing) with n files, and nothing else; returns
// their paths in creation order. With perFolder > 0 the files go into
// subfolders of that many files each ("d0000", "d0001", ...).
std::vector<std::string> MakeCorpus(const std::string& folder, int n, int perFolder = 0);

// The same files with every tag rewritten by mutagen as ID3v2.<version> (3
// or 4; untagged files stay so), to compare loading the two versions. Returns
// the files that have a tag.
int MakeVersionCorpus(const std::string& folder, int n, int version, int perFolder = 0);

// Bytes the files of a corpus of n take.
unsigned long long CorpusBytes(int n);

// Removes the folder with everything in it.
void RemoveFolder(const std::string& folder);

}  // namespace bench

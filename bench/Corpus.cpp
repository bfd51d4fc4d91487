#include "Corpus.h"

#include "Peer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace bench {

const std::vector<CorpusKind>& CorpusKinds() {
  static const std::vector<CorpusKind> kinds = {
      {"cbr_v23_latin1.mp3", 5}, {"cbr_v23_utf16.mp3", 2},   {"cbr_v23_utf16_v1.mp3", 2},
      {"id3lib_written.mp3", 2}, {"two_comments.mp3", 1},    {"v1_only.mp3", 2},
      {"v1_genre141.mp3", 1},    {"v1_genre200.mp3", 1},     {"untagged.mp3", 2},
      {"vbr_mpeg1_stereo.mp3", 2}, {"vbr_mpeg2_mono.mp3", 1}, {"vbr_mpeg25_mono.mp3", 1},
      {"cbr_mpeg2_mono.mp3", 2}, {"Upper.MP3", 2}};
  return kinds;
}

namespace {

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(QUILLORY_FIXTURES_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The kind of the i-th file, spreading each kind evenly over the folder.
const CorpusKind& KindOf(int i) {
  const auto& kinds = CorpusKinds();
  int slot = i % 26;
  for (const CorpusKind& kind : kinds) {
    if (slot < kind.share) return kind;
    slot -= kind.share;
  }
  return kinds.front();
}

// Every 20th name is not ASCII, as in a real collection.
std::string NameOf(int i, const CorpusKind& kind) {
  static const char* const kForeign[] = {"Björk – Jóga ♫", "日本語の歌", "Ånnä Ümlaut", "Чайковский"};
  std::string stem = kind.fixture;
  const std::string ext = stem.substr(stem.size() - 4);
  stem.resize(stem.size() - 4);
  if (i % 20 == 7) stem = kForeign[(i / 20) % 4];
  char number[16];
  std::snprintf(number, sizeof number, "%05d ", i);
  return number + stem + ext;
}

}  // namespace

std::vector<std::string> MakeCorpus(const std::string& folder, int n, int perFolder) {
  // The files are written over those of the corpus before, where there are
  // any, rather than deleted and made anew: thousands of files deleted just
  // before a save make the file system look past each of them for every new
  // file the save makes (ext4 without a journal does so for a minute or
  // more after a deletion), which a folder at rest never asks of it.
  fs::create_directories(folder);
  std::map<std::string, std::string> bytes;
  std::vector<std::string> paths;
  paths.reserve(n);
  for (int i = 0; i < n; ++i) {
    const CorpusKind& kind = KindOf(i);
    auto it = bytes.find(kind.fixture);
    if (it == bytes.end()) it = bytes.emplace(kind.fixture, ReadFixture(kind.fixture)).first;
    std::string sub;
    if (perFolder > 0) {
      char name[16];
      std::snprintf(name, sizeof name, "/d%04d", i / perFolder);
      sub = name;
      if (i % perFolder == 0) fs::create_directories(folder + sub);
    }
    const std::string path = folder + sub + "/" + NameOf(i, kind);
    std::ofstream(path, std::ios::binary).write(it->second.data(), static_cast<std::streamsize>(it->second.size()));
    paths.push_back(path);
  }
  // Whatever else is there (a file of a bigger corpus, a folder of another
  // layout) goes.
  const std::set<fs::path> files(paths.begin(), paths.end());
  std::set<fs::path> folders;
  for (const fs::path& path : files) folders.insert(path.parent_path());
  std::vector<fs::path> others;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_directory() ? !folders.count(entry.path()) : !files.count(entry.path())) others.push_back(entry.path());
  std::error_code ignored;
  for (const fs::path& path : others) fs::remove_all(path, ignored);
  return paths;
}

int MakeVersionCorpus(const std::string& folder, int n, int version, int perFolder) {
  MakeCorpus(folder, n, perFolder);
  return PeerConvert(folder, version);
}

unsigned long long CorpusBytes(int n) {
  unsigned long long total = 0;
  for (int i = 0; i < n; ++i)
    total += fs::file_size(std::string(QUILLORY_FIXTURES_DIR) + "/" + KindOf(i).fixture);
  return total;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace bench

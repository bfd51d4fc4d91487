#pragma once
// The floor: the least work that loading and saving a folder can be, done with
// id3lib on each file's bytes in memory, with no window and no disk writes.
#include <string>
#include <vector>

namespace bench {

// The values the benchmark writes: the one field its save changes.
struct RuleValues {
  std::string strArtist = "Bench Artist";
  std::string strAlbum = "Bench Album";
  std::string strYear = "2024";
};

// The MP3 files of the folder and the folders below it, in name order.
std::vector<std::string> Mp3Files(const std::string& folder);

// Per file: maps it, parses its tags from memory with the program's tag types
// (ID3v1, ID3v2, Lyrics3 v2, MusicMatch), reads the fifteen text frames and
// the MPEG header. Returns the number of files read; *checksum sums what was read.
int FloorLoad(const std::string& folder, unsigned long* checksum);

// Per file: maps and parses it as FloorLoad does, sets the artist and renders
// the ID3v2 tag into a buffer (what a save must do before it writes). Returns
// the files rendered; *checksum sums the rendered sizes.
int FloorRender(const std::string& folder, const RuleValues& values, unsigned long* checksum);

}  // namespace bench

#pragma once
// The floor: the work of loading and saving a folder done directly with
// id3lib, as plainly as a program would do it without our tag library.
#include <string>
#include <vector>

namespace bench {

// The values the benchmark's rule gives a row (see WindowRun): the same ones
// are written by the floor, so both sides change the same frames.
struct RuleValues {
  std::string strArtist = "Bench Artist";
  std::string strAlbum = "Bench Album";
  std::string strYear = "2024";
};

// Lists the folder's MP3 files and, per file, links a fresh tag by name with
// the program's tag types (0x1B), reads the fifteen text frames and the MPEG
// header. Returns the number of files read; *checksum sums what was read.
int FloorLoad(const std::string& folder, unsigned long* checksum);

// Per file: links by name, sets the frames the rule sets (artist, album,
// title from the name, track numbered in folder order, year, original artist
// emptied) and writes them with one Update. Returns the files written.
int FloorWrite(const std::string& folder, const RuleValues& values);

}  // namespace bench

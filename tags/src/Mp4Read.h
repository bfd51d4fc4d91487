#pragma once
// An MP4 file's items and audio track read from its bytes the way TagLib
// reads them (its atom tree, the kind of value each item holds, the first of
// two equal keys, the stream facts), so that a folder of MP4 files is read
// without TagLib building its objects for every file while the table shows
// what it showed when TagLib read them. Writing still goes through TagLib.
#include <tags/AudioTagFile.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct CMp4Read {
  CStreamFacts facts;  // strCodec empty: no AAC or ALAC track
  bool bItems = false;  // the ilst holds at least one item TagLib reads
  // Text items by key (UTF-8: "©ART", "----:com.apple.iTunes:LABEL"), in order.
  std::vector<std::pair<std::string, std::vector<std::string>>> texts;
  // trkn and disk: number and total.
  std::vector<std::pair<std::string, std::pair<int, int>>> pairs;
  // covr's images: their data type (13 JPEG, 14 PNG, ...) and bytes.
  std::vector<std::pair<int, std::string>> covers;

  const std::vector<std::string>* Texts(const std::string& key) const;
  const std::pair<int, int>* Pair(const std::string& key) const;
};

// An item's key as its four Latin-1 bytes name it, in UTF-8 ("©ART").
std::string Mp4KeyOfName(std::string_view name);

// False when TagLib would take the file for damaged (an atom of no length,
// no moov atom).
bool ReadMp4(const unsigned char* data, std::size_t size, CMp4Read* out);

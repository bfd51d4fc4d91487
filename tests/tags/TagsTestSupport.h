#pragma once
// What the tag tests share: an independent reader's view of a file, and
// every value the program shows for one.
#include "support/TestSupport.h"

#include <tags/MyMP3Tags.h>

#include <string>
#include <vector>

namespace test {

// mutagen's view of one frame ("TIT2", "COMM::eng", ...) or of the audio
// ("info"); empty when the frame is missing.
inline std::string Mutagen(const CString& path, const std::string& key) {
  return RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/tags/mutagen_view.py '" + path.Str() + "' '" +
                    key + "'");
}

// The raw frames of a file's ID3v2.3 tag, one string each, header included;
// empty when the file has no tag.
inline std::vector<std::string> RawFrames(const std::string& bytes) {
  std::vector<std::string> frames;
  if (bytes.compare(0, 3, "ID3") != 0 || bytes.size() < 10) return frames;
  const auto b = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
  const std::size_t end = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
  for (std::size_t pos = 10; pos + 10 <= end && bytes[pos] != 0;) {
    const std::size_t size = 10 + (b(pos + 4) << 24 | b(pos + 5) << 16 | b(pos + 6) << 8 | b(pos + 7));
    frames.push_back(bytes.substr(pos, size));
    pos += size;
  }
  return frames;
}

// Every cell the program shows for one file, in one line per value.
inline std::vector<std::string> Row(CMyMP3Tags& tags) {
  std::vector<std::string> row = {
      tags.GetArtist().Str(), tags.GetAlbum().Str(), tags.GetTitle().Str(), tags.GetComment().Str(),
      tags.GetTrack().Str(), tags.GetYear().Str(), tags.GetComposer().Str(), tags.GetCopyright().Str(),
      tags.GetEncodedBy().Str(), tags.GetOriginalArtist().Str(), tags.GetURL().Str(), tags.GetBand().Str(),
      tags.GetPublisher().Str(), tags.GetConductor().Str(), tags.GetGenre().Str(),
      std::to_string(tags.GetFileSize()), std::to_string(tags.isV1Tag()), std::to_string(tags.isV2Tag()),
      std::to_string(tags.isLyricsTag()), std::to_string(tags.GetHeaderInfo())};
  for (CString s : {tags.GetBitRate(), tags.GetSampleRate(), tags.GetDuration(), tags.GetMpegLayer(),
                    tags.GetMpegVer(), tags.GetChannel()})
    row.push_back(s.Str());
  return row;
}

}  // namespace test

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

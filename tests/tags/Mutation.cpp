#include "Mutation.h"

#include "support/TestSupport.h"

#include <tags/MyMP3Tags.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace test {
namespace {

const char* const kTagged[] = {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "v24.mp3", "v22.mp3",
                               "two_comments.mp3", "id3lib_written.mp3", "vbr_mpeg2_mono.mp3", "v1_only.mp3",
                               "compressed_frame.mp3", "v24_full.mp3", "v24_itunes.mp3", "v24_footer.mp3",
                               "v22_full.mp3", "v22_crm.mp3"};

// Reads everything the program shows for a row.
void ReadAll(CMyMP3Tags& tags) {
  tags.GetFileSize();
  tags.isV1Tag();
  tags.isV2Tag();
  tags.isLyricsTag();
  tags.GetArtist(); tags.GetAlbum(); tags.GetTitle(); tags.GetComment(); tags.GetTrack();
  tags.GetYear(); tags.GetComposer(); tags.GetCopyright(); tags.GetEncodedBy();
  tags.GetOriginalArtist(); tags.GetURL(); tags.GetBand(); tags.GetPublisher(); tags.GetConductor();
  tags.GetGenre();
  if (tags.GetHeaderInfo()) {
    tags.GetBitRate(); tags.GetSampleRate(); tags.ConvDuration(tags.GetDuration());
    tags.GetMpegLayer(); tags.GetMpegVer(); tags.GetChannel();
  }
}

}  // namespace

int RunMutations(const CString& folder, unsigned seed, int count) {
  std::mt19937 rng(seed);
  std::vector<std::string> originals;
  for (const char* name : kTagged) originals.push_back(ReadFile(FixturePath(name)));
  const CString path = folder + "/mutant.mp3";
  CMyMP3Tags tags;
  for (int i = 0; i < count; ++i) {
    std::string bytes = originals[rng() % originals.size()];
    // Most damage lands in the tag region, where the parsers work.
    const std::size_t region = std::min<std::size_t>(bytes.size(), 2048);
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = (rng() % 4 == 0) ? rng() % bytes.size() : rng() % region;
      switch (rng() % 4) {
        case 0: bytes[at] = static_cast<char>(rng()); break;
        case 1: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8))); break;
        case 2: bytes[at] = static_cast<char>((rng() % 2) ? 0xFF : 0x80); break;
        default: bytes.resize(std::max<std::size_t>(at, 1)); break;
      }
    }
    WriteFile(path, bytes);
    tags.Link(path);
    ReadAll(tags);
    // Every eighth copy is saved too: a file the object will not write
    // must come through byte for byte.
    if (i % 8 == 0) {
      const bool writable = tags.IsWritable();
      tags.SetTitle("Mutant title");
      if (!writable && ReadFile(path) != bytes) {
        std::fprintf(stderr, "mutation %d: a file refused for writing was changed\n", i);
        std::abort();
      }
    }
    tags.Reset();
  }
  return count;
}

}  // namespace test

#include "Mutation.h"

#include "TagsTestSupport.h"

#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace test {
namespace {

struct Seeds {
  const char* kind;
  std::vector<const char*> files;
};
const Seeds kSeeds[] = {
    {"v1", {"v1_only.mp3", "v1_genre141.mp3", "v1_genre200.mp3"}},
    {"v22", {"v22.mp3", "v22_full.mp3", "v22_crm.mp3", "v22_lnk.mp3", "covers_v22.mp3"}},
    {"v23",
     {"cbr_v23_latin1.mp3", "cbr_v23_utf16_v1.mp3", "two_comments.mp3", "id3lib_written.mp3", "vbr_mpeg2_mono.mp3",
      "id3lib_rewrites.mp3", "itunes_order.mp3", "compressed_frame.mp3", "v23_compressed.mp3",
      "v23_compressed_long.mp3", "v23_encrypted.mp3", "v23_two_artists.mp3", "v23_duplicates.mp3",
      "v23_comments_langs.mp3", "covers_v23.mp3", "cover_other_only.mp3"}},
    {"v24",
     {"v24.mp3", "v24_full.mp3", "v24_itunes.mp3", "v24_footer.mp3", "v24_footer_v1.mp3", "v24_plain_sizes.mp3",
      "v24_sizes_ambiguous.mp3", "v24_ape.mp3", "covers_v24.mp3", "v24_unreadable_first.mp3"}},
};

// What a save edits: the cell that shows it (with its new value; none for
// a cover), the frame it replaces or removes, where it lies in an ID3v1 block.
struct Edit {
  std::function<void(CMyMP3Tags&)> apply;
  int cell;
  const char* value;
  const char* id;
  std::size_t v1From, v1To;
};

// A record of a save with bytes changed here and there, or cut short.
std::vector<unsigned char> Damaged(std::vector<unsigned char> record, std::mt19937& rng) {
  if (record.empty() || rng() % 4 == 0) {
    record.resize(record.empty() ? 0 : rng() % record.size());
    return record;
  }
  for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) record[rng() % record.size()] ^= static_cast<char>(1 + rng() % 255);
  return record;
}

// Reads everything the program shows for a row.
void ReadAll(CMyMP3Tags& tags) {
  Row(tags);
  tags.ConvDuration(tags.GetDuration());
}


// Every frame of the old tag but (at most) one of the edited field's is in
// the new tag byte for byte, as walked here; returns how many were found,
// or -1 (with the identifier of the lost frame in lost).
int FramesKept(const std::string& before, const std::string& after, const Edit& edit, std::string* lost) {
  std::vector<std::string> now = TagFrames(after);
  int kept = 0, replaced = 0;
  for (const std::string& frame : TagFrames(before)) {
    const auto found = std::find(now.begin(), now.end(), frame);
    if (found != now.end()) {
      now.erase(found);
      ++kept;
    } else if (frame.compare(0, 4, edit.id) != 0 || ++replaced > 1) {
      *lost = frame.substr(0, 4);
      return -1;
    }
  }
  return kept;
}

}  // namespace

MutationCounts RunMutations(const CString& folder, const char* kind, unsigned seed, int count) {
  std::mt19937 rng(seed);
  std::vector<std::string> originals;
  for (const Seeds& seeds : kSeeds)
    if (std::strcmp(kind, "all") == 0 || std::strcmp(kind, seeds.kind) == 0)
      for (const char* name : seeds.files) originals.push_back(ReadFile(FixturePath(name)));
  const std::string png = ReadFile(FixturePath("cover_back.png"));
  const Edit edits[] = {{[](CMyMP3Tags& t) { t.SetTitle("Mutant value"); }, kTitle, "Mutant value", "TIT2", 3, 33},
                        {[](CMyMP3Tags& t) { t.SetArtist("Mutant value"); }, kArtist, "Mutant value", "TPE1", 33, 63},
                        {[](CMyMP3Tags& t) { t.SetComment("Mutant value"); }, kComment, "Mutant value", "COMM", 97, 125},
                        {[](CMyMP3Tags& t) { t.SetURL("http://example.com/mutant"); }, kURL, "http://example.com/mutant",
                         "WXXX", 0, 0},
                        {[](CMyMP3Tags& t) { t.SetGenre("Mutant genre"); }, kGenre, "Mutant genre", "TCON", 127, 128},
                        {[&png](CMyMP3Tags& t) { t.SetFrontCover(png); }, kCover, "image/png PNG 32x16 107", "APIC", 0, 0},
                        {[](CMyMP3Tags& t) { t.RemoveFrontCover(); }, -1, nullptr, "APIC", 0, 0}};
  const CString path = folder + "/mutant.mp3";
  MutationCounts counts;
  CMyMP3Tags tags;
  for (int i = 0; i < count; ++i) {
    std::string bytes = originals[rng() % originals.size()];
    // Ends the run, keeping the mutant as it was before the save.
    const auto Fail = [&](int mutation, const std::string& what) {
      const CString kept = folder + CString::Formatted("/mutant-%d.mp3", mutation);
      WriteFile(kept, bytes);
      std::fprintf(stderr, "mutation %d: %s (kept as %s)\n", mutation, what.c_str(), kept.Str().c_str());
      std::abort();
    };
    // Most damage lands in the tag region, where the parsers work.
    const std::size_t region = std::min<std::size_t>(bytes.size(), 2048);
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < changes; ++e) {
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
    ++counts.nRead;
    // Every fourth copy is saved too, with one edit of seven, and put back.
    if (i % 4 == 0) {
      const Edit& edit = edits[rng() % std::size(edits)];
      const bool writable = tags.IsWritable();
      const std::vector<std::string> rowBefore = Row(tags);
      const bool viewed = bytes.compare(0, 3, "ID3") == 0 && bytes[3] == 2 && counts.nSaved % 16 == 0;
      const std::string v2Before = viewed ? Mutagen(path, "v2") : std::string();
      tags.BeginUpdate();
      edit.apply(tags);
      const std::vector<unsigned char> record = tags.PrepareSaveUndo();
      tags.EndUpdate();
      const bool saved = tags.GetLastWriteError().IsEmpty();
      tags.Reset();
      const std::string after = ReadFile(path);
      if (!writable || !saved) {
        ++counts.nRefused;
        if (after != bytes) Fail(i, "a file refused for writing was changed");
      } else if (after != bytes) {
        ++counts.nSaved;
        if (Audio(after) != Audio(bytes)) Fail(i, "a save changed the audio");
        std::string lost;
        const int kept = bytes[3] >= 3 ? FramesKept(bytes, after, edit, &lost) : 0;
        if (kept < 0) Fail(i, std::string("a save lost the frame ") + lost + " editing " + edit.id);
        counts.nFramesKept += kept;
        // An ID3v1 tag keeps every field but the edited one.
        const bool v1 = after.size() >= 128 && after.compare(after.size() - 128, 3, "TAG") == 0;
        // (An ID3v1.0 comment takes the 30 bytes whose last two hold an ID3v1.1 track.)
        const std::size_t v1To = edit.v1To == 125 && bytes.size() >= 3 && bytes[bytes.size() - 3] != 0 ? 127 : edit.v1To;
        if (v1 && bytes.size() >= 128)
          for (std::size_t b = 0; b < 128; ++b)
            if ((b < edit.v1From || b >= v1To) && after[after.size() - 128 + b] != bytes[bytes.size() - 128 + b])
              Fail(i, "a save changed an ID3v1 field it did not edit");
        // A fresh link shows the new value and every other field as before.
        tags.Link(path);
        const std::vector<std::string> rowAfter = Row(tags);
        tags.Reset();
        if (edit.cell >= 0 && rowAfter[edit.cell] != edit.value) Fail(i, "a saved value does not read back");
        for (int cell = kArtist; cell <= kConductor; ++cell)
          if (cell != edit.cell && rowAfter[cell] != rowBefore[cell])
            Fail(i, "a save changed a field it did not edit: '" + rowBefore[cell] + "' became '" + rowAfter[cell] + "'");
        // A v2.2 tag becomes ID3v2.3: its frames as mutagen reads them, now and then.
        if (viewed) {
          const std::vector<std::string> key = {std::string(edit.id) + (edit.id[0] == 'T' ? "=" : "")};
          // (mutagen may read a converted frame it could not read in the v2.2 tag.)
          const std::string now = FramesBut(path, "v2", key);
          std::istringstream lines(Without(v2Before, key));
          for (std::string line; std::getline(lines, line);)
            if (now.find(line + "\n") == std::string::npos) Fail(i, "a v2.2 conversion lost a frame (mutagen): " + line);
          ++counts.nMutagenViews;
        }
      }
      // A damaged record is refused and writes nothing; the save's own puts
      // the mutant back byte for byte.
      if (saved && !record.empty()) {
        const std::string now = ReadFile(path);
        const CRestoreResult damaged = tags.RestoreSave(path, Damaged(record, rng));
        const std::string left = ReadFile(path);
        if (damaged == CRestoreResult::Refused ? left != now : left != bytes)
          Fail(i, "a damaged record wrote the file");
        counts.nDamagedRefused += damaged == CRestoreResult::Refused;
        const CRestoreResult restored = tags.RestoreSave(path, record);
        if (restored == CRestoreResult::Refused || restored == CRestoreResult::Failed || ReadFile(path) != bytes)
          Fail(i, "a save's record did not put the file back: " + tags.GetLastWriteError().Str());
        ++counts.nRestored;
      }
    }
    tags.Reset();
  }
  return counts;
}

}  // namespace test

#include <tags/AudioTagFile.h>

#include "AudioLayout.h"
#include "ByteOrder.h"
#include "Covers.h"
#include "FileIdentity.h"
#include "MappedFile.h"
#include "Mp4Read.h"
#include "Sha256.h"
#include "StoredSummary.h"
#include "TagWriter.h"
#include "XiphWriter.h"


#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4item.h>
#include <taglib/mp4properties.h>
#include <taglib/mp4tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tiostream.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include <sys/stat.h>

namespace {

using TagLib::ByteVector;
using TagLib::String;
using TagLib::StringList;

#if TAGLIB_MAJOR_VERSION >= 2
using StreamOffset = TagLib::offset_t;
using BlockOffset = TagLib::offset_t;
using StreamSize = std::size_t;
#else
using StreamOffset = long;
using BlockOffset = unsigned long;
using StreamSize = unsigned long;
#endif

constexpr std::size_t kFieldCount = kTagFieldCount;
constexpr const char* kJoin = "; ";

// A file's bytes in memory as TagLib reads a file, so that a read costs no
// system call per block and a save never touches the disk.
class CMemoryStream final : public TagLib::IOStream {
 public:
  CMemoryStream(const unsigned char* data, std::size_t size) : m_pData(data), m_nSize(size) {}
  TagLib::FileName name() const override { return ""; }
  ByteVector readBlock(StreamSize length) override {
    const std::size_t n = m_nPos < m_nSize ? std::min<std::size_t>(length, m_nSize - m_nPos) : 0;
    ByteVector bytes(reinterpret_cast<const char*>(m_pData + m_nPos), static_cast<unsigned int>(n));
    m_nPos += n;
    return bytes;
  }
  void writeBlock(const ByteVector&) override {}
  void insert(const ByteVector&, BlockOffset, StreamSize) override {}
  void removeBlock(BlockOffset, StreamSize) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return true; }
  void seek(StreamOffset offset, Position p) override {
    const long long base = p == Beginning ? 0 : p == Current ? static_cast<long long>(m_nPos) : static_cast<long long>(m_nSize);
    const long long to = base + static_cast<long long>(offset);
    m_nPos = to < 0 ? 0 : static_cast<std::size_t>(to);
  }
  StreamOffset tell() const override { return static_cast<StreamOffset>(m_nPos); }
  StreamOffset length() override { return static_cast<StreamOffset>(m_nSize); }
  void truncate(StreamOffset) override {}

 private:
  const unsigned char* m_pData;
  std::size_t m_nSize;
  std::size_t m_nPos = 0;
};

// Each field's key: the Vorbis comment name and the MP4 atom (Latin-1;
// "\xA9" is the copyright sign), after TagLib's property names and
// Picard's tag mapping. The user guide shows this table.
struct CFieldKey {
  TagField eField;
  const char* pszVorbis;
  const char* pszMp4;
  const char* pszVorbisTotal = nullptr;  // a numbered field's total, kept apart as Picard writes it
};
constexpr CFieldKey kFieldKeys[kFieldCount] = {
    {TagField::Artist, "ARTIST", "\xA9" "ART"},
    {TagField::Album, "ALBUM", "\xA9" "alb"},
    {TagField::Title, "TITLE", "\xA9" "nam"},
    {TagField::Comment, "COMMENT", "\xA9" "cmt"},
    {TagField::Track, "TRACKNUMBER", "trkn", "TRACKTOTAL"},
    {TagField::Year, "DATE", "\xA9" "day"},
    {TagField::Composer, "COMPOSER", "\xA9" "wrt"},
    {TagField::Copyright, "COPYRIGHT", "cprt"},
    {TagField::EncodedBy, "ENCODEDBY", "\xA9" "too"},
    {TagField::OriginalArtist, "ORIGINALARTIST", "----:com.apple.iTunes:ORIGINAL ARTIST"},
    {TagField::URL, "WEBSITE", "----:com.apple.iTunes:WEBSITE"},
    {TagField::Band, "ALBUMARTIST", "aART"},
    {TagField::Publisher, "LABEL", "----:com.apple.iTunes:LABEL"},
    {TagField::Conductor, "CONDUCTOR", "----:com.apple.iTunes:CONDUCTOR"},
    {TagField::Genre, "GENRE", "\xA9" "gen"},
    {TagField::Disc, "DISCNUMBER", "disk", "DISCTOTAL"},
    {TagField::Lyrics, "LYRICS", "\xA9" "lyr"},
};
static_assert(sizeof kFieldKeys / sizeof kFieldKeys[0] == kFieldCount);

// MP4 keeps a track or disc as a pair of 16-bit numbers.
bool IsMp4Pair(TagField field) { return field == TagField::Track || field == TagField::Disc; }

bool IsXiph(AudioFormat f) { return f == AudioFormat::Flac || f == AudioFormat::OggVorbis || f == AudioFormat::OggOpus; }
String Mp4Key(const char* key) { return String(key, String::Latin1); }
std::string Utf8(const String& s) { return s.to8Bit(true); }
String FromUtf8(const std::string& s) { return String(s, String::UTF8); }

std::vector<std::string> SplitValues(const std::string& value) {
  std::vector<std::string> values;
  if (value.empty()) return values;
  std::size_t at = 0;
  for (std::size_t sep; (sep = value.find(kJoin, at)) != std::string::npos; at = sep + 2) values.push_back(value.substr(at, sep - at));
  values.push_back(value.substr(at));
  return values;
}

std::string Joined(const std::vector<std::string>& values) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? kJoin : "") + values[i];
  return out;
}

// "3/12" as its numbers; false for anything else.
bool ParseTrack(const std::string& text, int* number, int* total) {
  const auto num = [](const std::string& s, int* out) {
    if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    *out = std::stoi(s);
    return true;
  };
  const std::size_t slash = text.find('/');
  *total = 0;
  if (slash == std::string::npos) return num(text, number);
  return num(text.substr(0, slash), number) && num(text.substr(slash + 1), total);
}

// Why an MP4 track or disc cannot take these values; empty when it can (then
// number and total are set).
CString Mp4PairRefusal(TagField field, const std::vector<std::string>& values, int* number, int* total) {
  const char* name = field == TagField::Disc ? "disc" : "track";
  if (values.size() != 1 || !ParseTrack(values[0], number, total))
    return CString::Formatted("An MP4 %s must be a number or number/total (such as 1 or 1/2)", name);
  // TagLib writes each as 16 bits: a larger one would be stored as another number.
  if (*number > 65535 || *total > 65535) return CString::Formatted("An MP4 %s number cannot be larger than 65535", name);
  return CString();
}

// TagLib's MP4 file over a stream, and its tag when the file is valid.
struct COpened {
  std::unique_ptr<TagLib::MP4::File> file;
  TagLib::MP4::Tag* mp4 = nullptr;
};

COpened OpenMp4(TagLib::IOStream* stream, bool properties) {
  COpened o;
  o.file = std::make_unique<TagLib::MP4::File>(stream, properties, TagLib::AudioProperties::Average);
  if (o.file->isValid()) o.mp4 = o.file->tag();
  return o;
}

const char* FormatName(AudioFormat f) {
  switch (f) {
    case AudioFormat::Flac: return "FLAC";
    case AudioFormat::OggVorbis: return "Ogg Vorbis";
    case AudioFormat::OggOpus: return "Opus";
    case AudioFormat::Mp4: return "MP4";
    default: return "audio";
  }
}

// The record of one save (integers little-endian):
//   "QAU" 1, u64 old size, u64 new size, u64 prefix, u64 suffix   (the bytes both sides share
//   at the start and the end), digest of the new middle, digest of the old middle,
//   u64 n, n bytes: the old middle
constexpr unsigned char kRecordMagic[4] = {'Q', 'A', 'U', 1};

void PutU64(std::vector<unsigned char>* out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

struct CRecord {
  std::uint64_t nOld = 0, nNew = 0, nPrefix = 0, nSuffix = 0;
  CDigest newMiddle{}, oldMiddle{};
  std::string strOldMiddle;
};

std::vector<unsigned char> MakeRecord(const unsigned char* old, std::size_t oldSize, const std::string& now) {
  const auto* fresh = reinterpret_cast<const unsigned char*>(now.data());
  const std::size_t limit = std::min(oldSize, now.size());
  std::size_t prefix = 0;
  while (prefix < limit && old[prefix] == fresh[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < limit - prefix && old[oldSize - 1 - suffix] == fresh[now.size() - 1 - suffix]) ++suffix;
  std::vector<unsigned char> out(kRecordMagic, kRecordMagic + 4);
  for (std::uint64_t v : {std::uint64_t{oldSize}, std::uint64_t{now.size()}, std::uint64_t{prefix}, std::uint64_t{suffix}}) PutU64(&out, v);
  const CDigest newDigest = Sha256(fresh + prefix, now.size() - prefix - suffix);
  const CDigest oldDigest = Sha256(old + prefix, oldSize - prefix - suffix);
  out.insert(out.end(), newDigest.begin(), newDigest.end());
  out.insert(out.end(), oldDigest.begin(), oldDigest.end());
  PutU64(&out, oldSize - prefix - suffix);
  out.insert(out.end(), old + prefix, old + oldSize - suffix);
  return out;
}

bool ParseRecord(const std::vector<unsigned char>& bytes, CRecord* r) {
  const std::size_t fixed = 4 + 32 + 64 + 8;
  if (bytes.size() < fixed || std::memcmp(bytes.data(), kRecordMagic, 4) != 0) return false;
  const unsigned char* p = bytes.data() + 4;
  r->nOld = Le64(p), r->nNew = Le64(p + 8), r->nPrefix = Le64(p + 16), r->nSuffix = Le64(p + 24);
  std::memcpy(r->newMiddle.data(), p + 32, 32);
  std::memcpy(r->oldMiddle.data(), p + 64, 32);
  const std::uint64_t n = Le64(p + 96);
  if (n != bytes.size() - fixed || r->nPrefix + r->nSuffix > std::min(r->nOld, r->nNew) ||
      r->nOld - r->nPrefix - r->nSuffix != n)
    return false;
  r->strOldMiddle.assign(reinterpret_cast<const char*>(bytes.data() + fixed), n);
  return true;
}

long long MtimeNs(const struct stat& st) { return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec; }

// Writes bytes as the whole new content of the file at path, which must
// still be the file read describes, through the one writer: in batch (its
// commit flushes and renames), or at once.
bool WriteWhole(const CString& path, const struct stat& read, const std::string& bytes, CWriteBatch* batch,
                struct stat* written, CString* error) {
  if (batch) return batch->WriteWhole(path, read, bytes, error, written);
  CWriteBatch own;
  if (!own.WriteWhole(path, read, bytes, error, written)) return false;
  const std::vector<CWriteOutcome> outcomes = own.Commit();
  if (outcomes.empty() || outcomes.front().strError.IsEmpty()) return true;
  *error = outcomes.front().strError;
  return false;
}


// An ilst item's key as shown: an atom's name from Latin-1 ("©ART"), a
// free-form item's as stored ("----:com.apple.iTunes:LABEL").
std::string MakeMp4Key(const std::string& stored) {
  return stored.rfind("----", 0) == 0 ? stored : Mp4KeyOfName(stored);
}

// MP4 items TagLib keeps as numbers, shown and set as their number's text,
// with the largest each takes.
struct CMp4Number {
  const char* pszKey;
  int nMax;
};
constexpr CMp4Number kMp4Numbers[] = {{"tmpo", 65535}, {"cpil", 1}, {"pgap", 1}, {"pcst", 1}, {"hdvd", 1},
                                      {"rtng", 255},   {"stik", 255}, {"akID", 255}, {"shwm", 255}};
const CMp4Number* Mp4Number(const std::string& key) {
  for (const CMp4Number& n : kMp4Numbers)
    if (key == n.pszKey) return &n;
  return nullptr;
}

CString CoverSummary(const ByteVector& data, int format) {
  return CString::Formatted("%s, %u bytes", format == TagLib::MP4::CoverArt::PNG ? "image/png" : "image/jpeg",
                            data.size());
}

// The stored fields of one MP4 item (each image of covr apart).
std::vector<CStoredField> Mp4Fields(const std::string& key, const TagLib::MP4::Item& item) {
  CStoredField field;
  field.strKey = key;
  if (key == "covr") {
    std::vector<CStoredField> out;
    for (const TagLib::MP4::CoverArt& art : item.toCoverArtList()) {
      field.strSummary = CoverSummary(art.data(), art.format());
      out.push_back(field);
    }
    return out;
  }
  field.bText = true;
  if (key == "trkn" || key == "disk") {
    const auto pair = item.toIntPair();
    field.values.push_back(pair.second > 0 ? CString::Formatted("%d/%d", pair.first, pair.second)
                                           : CString::Formatted("%d", pair.first));
  } else if (const CMp4Number* number = Mp4Number(key)) {
    const int n = number->nMax == 1 ? item.toBool() : number->nMax == 255 ? item.toByte() : item.toInt();
    field.values.push_back(CString::Formatted("%d", n));
  } else if (!item.toStringList().isEmpty()) {
    for (const String& v : item.toStringList()) field.values.push_back(CString(Utf8(v)));
  } else {
    field.bText = false;
    std::size_t bytes = 0;
    for (const ByteVector& v : item.toByteVectorList()) bytes += v.size();
    field.strSummary = bytes ? BinarySummary(bytes) : CString("binary");
  }
  return {field};
}

// A FLAC picture body's summary ("image/jpeg, front cover, 48213 bytes").
CString FlacPictureSummary(const std::string& body) {
  const CFlacPicture picture = ParseFlacPicture(body);
  if (!picture.bWhole) return BinarySummary(body.size());
  return PictureSummary(CString(std::string(picture.mime)), static_cast<int>(picture.nType), picture.data.size());
}

// The rule for Vorbis comment names; empty when name keeps it.
CString VorbisNameRefusal(const std::string& name) {
  const bool ok = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) <= 0x7D && c != '=';
  });
  return ok ? CString() : CString("A Vorbis comment name is made of the characters 0x20 to 0x7D except =");
}

CString NotText(const std::string& key) {
  return CString::Formatted("%s is not text, so it cannot be set to a value", key.c_str());
}

}  // namespace

struct CAudioTagFile::Impl {
  CString strPath;
  AudioFormat eFormat = AudioFormat::Unknown;
  CFileIdentity identity;
  struct stat st {};
  long nFileSize = 0;
  CString strRefusal;
  CString strTagKind = "-";
  bool bFacts = false;
  CStreamFacts facts;
  std::array<std::vector<std::string>, kFieldCount> fields;  // as read
  bool bCover = false;
  CCoverArt cover;  // the front cover as read, with its bytes

  // The edits: a field's new values (none: removed); the cover.
  std::array<std::optional<std::vector<std::string>>, kFieldCount> edits;
  enum class CoverEdit { None, Set, Remove } eCoverEdit = CoverEdit::None;
  std::string strNewCover;
  // The rendering SaveRecord made and Save writes.
  std::optional<std::string> sealed;

  // Every stored field as read: the Vorbis comment's entries ("KEY=value")
  // and FLAC picture blocks' bodies; the MP4 ilst items' keys in their order.
  std::vector<std::string> entries;
  std::vector<std::string> flacPictures;
  std::vector<std::string> mp4Keys;
  mutable std::optional<std::vector<CStoredField>> mp4Items;  // of those keys, as read, once asked for
  const std::vector<CStoredField>& Mp4Items() const;
  // Edits of stored keys that no field's edit stands for (Vorbis keys in
  // upper case; MP4 keys as named): their new values, none when removed.
  std::vector<std::pair<std::string, std::vector<std::string>>> storedEdits;
  bool bPicturesRemoved = false;  // every picture goes (FLAC blocks, Ogg's, MP4 covr) before a cover set

  const std::vector<std::string>* StoredEdit(const std::string& key) const {
    for (const auto& [k, v] : storedEdits)
      if (k == key) return &v;
    return nullptr;
  }
  void SetStoredEdit(const std::string& key, std::vector<std::string> values, const std::vector<std::string>& read);
  void EraseStoredEdit(const std::string& key) {
    std::erase_if(storedEdits, [&](const auto& e) { return e.first == key; });
  }
  // A field's edit stands for its keys' stored edits (a number's and its total's).
  void EraseFieldKeys(TagField field) {
    const CFieldKey& key = kFieldKeys[static_cast<std::size_t>(field)];
    if (!IsXiph(eFormat) || !key.pszVorbisTotal) return;
    EraseStoredEdit(key.pszVorbis);
    EraseStoredEdit(key.pszVorbisTotal);
  }
  // The Vorbis keys a field's edit writes (a number's total too).
  void FieldKeyEdits(std::size_t i, std::vector<std::pair<std::string, std::vector<std::string>>>* keys) const;
  // The comment's entries as a save would write them (the front cover's with pictures).
  std::vector<std::string> ViewEntries(bool withFields) const;
  std::vector<CStoredField> XiphFields() const;
  std::vector<CStoredField> Mp4View() const;
  // The keys of MP4 items edited (fields' and stored).
  std::vector<std::string> EditedMp4Keys() const;
  CString SetXiph(const std::string& key, const std::vector<std::string>& values);
  CString SetMp4(const std::string& key, const std::vector<std::string>& values);

  void ReadFrom(const unsigned char* data, std::size_t size);
  void ReadXiph(const CAudioLayout& layout);
  CString Refusal() const;
  std::vector<std::string> Values(TagField field) const;
  bool Apply(TagLib::MP4::Tag* tag, CString* error) const;
  // The file's new bytes, rendered from map (the file as it is now, which
  // must still be the one read).
  bool Render(const CMappedFile& map, std::string* out, CString* error) const;
  CXiphEdit XiphEdit(const CAudioLayout& layout) const;
  void KeepIlstOrder(const unsigned char* old, std::size_t oldSize, std::string* now) const;
  static void KeepPaddingFill(const unsigned char* old, std::size_t oldSize, std::string* now);
  // True when every item not edited is in the new ilst byte for byte and
  // the new ilst holds no other item but the edited ones: what VerifyMp4
  // proves, without reading the new bytes through TagLib. False when it
  // cannot tell (a cover or a stored field edited) or it is not so.
  bool KeepsMp4ItemsAsStored(const unsigned char* old, std::size_t oldSize, const unsigned char* now,
                             std::size_t nowSize) const;
  // The key of an item not edited whose bytes the new ilst does not hold
  // (a second item of one key, one TagLib cannot read, which its save
  // drops); empty when there is none. A genre by its number (gnre) is
  // passed over: TagLib keeps it as the genre's name.
  std::string DroppedMp4Item(const unsigned char* old, std::size_t oldSize, const unsigned char* now,
                             std::size_t nowSize) const;
  // itemsRead: the old file's items as TagLib read them for the rendering.
  bool VerifyMp4(const TagLib::MP4::ItemMap& itemsRead, const unsigned char* now, std::size_t nowSize,
                 CString* error) const;
  bool Verify(const unsigned char* old, std::size_t oldSize, const std::string& now, CString* error,
              const TagLib::MP4::ItemMap* itemsRead = nullptr) const;
};

namespace {

// Length and average bit rate from a count of samples, as TagLib works them
// out, so that the table shows what other TagLib-based programs show.
void SetLength(double milliseconds, double streamBytes, CStreamFacts* facts) {
  facts->nMilliseconds = static_cast<int>(milliseconds + 0.5);
  facts->nSeconds = facts->nMilliseconds / 1000;
  facts->nBitRate = static_cast<int>(streamBytes * 8.0 / milliseconds + 0.5) * 1000;
}

// The stream facts of a FLAC or Ogg file from its own headers, which the
// walk of its layout has checked already.
CStreamFacts XiphFacts(AudioFormat format, const CAudioLayout& layout, const unsigned char* data, std::size_t size) {
  CStreamFacts facts;
  if (format == AudioFormat::Flac) {
    facts.strCodec = "FLAC";
    const unsigned char* info = data + layout.blocks.front().nAt;
    const std::size_t flags = Be32(info + 10);
    facts.nSampleRate = static_cast<int>(flags >> 12);
    facts.nChannels = static_cast<int>((flags >> 9 & 7) + 1);
    facts.nBitsPerSample = static_cast<int>((flags >> 4 & 31) + 1);
    const std::uint64_t samples = std::uint64_t{flags & 0xF} << 32 | Be32(info + 14);
    // The audio ends where an ID3v1 block (and no APE tag's footer) starts.
    std::size_t end = size;
    if (size - layout.nAudioStart >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0 &&
        !(size >= 131 && std::memcmp(data + size - 131, "APETAGEX", 8) == 0))
      end = size - 128;
    if (samples > 0 && facts.nSampleRate > 0)
      SetLength(static_cast<double>(samples) * 1000.0 / facts.nSampleRate,
                static_cast<double>(end - layout.nAudioStart), &facts);
    return facts;
  }
  const std::string& ident = layout.headerPackets.front();
  const auto* id = reinterpret_cast<const unsigned char*>(ident.data());
  const std::int64_t start = layout.nFirstGranule, end = layout.nLastGranule;
  double headers = 0;
  for (std::size_t i = 0; i < layout.headerPackets.size(); ++i) headers += static_cast<double>(layout.headerPackets[i].size());
  if (format == AudioFormat::OggOpus) {
    facts.strCodec = "Opus";
    facts.nSampleRate = 48000;
    facts.nChannels = ident.size() > 9 ? static_cast<unsigned char>(ident[9]) : 0;
    const auto preSkip = static_cast<std::int64_t>(ident.size() >= 12 ? Le16(id + 10) : 0);
    if (start >= 0 && end >= 0 && end - start - preSkip > 0)
      SetLength(static_cast<double>(end - start - preSkip) * 1000.0 / 48000.0, static_cast<double>(size) - headers, &facts);
    return facts;
  }
  facts.strCodec = "Vorbis";
  if (ident.size() < 28) return facts;
  facts.nChannels = static_cast<unsigned char>(ident[11]);
  facts.nSampleRate = static_cast<int>(Le32(id + 12));
  const auto nominal = static_cast<std::int32_t>(Le32(id + 20));
  if (start >= 0 && end >= 0 && facts.nSampleRate > 0 && end - start > 0)
    SetLength(static_cast<double>(end - start) * 1000.0 / facts.nSampleRate, static_cast<double>(size) - headers, &facts);
  if (facts.nBitRate == 0 && nominal > 0) facts.nBitRate = static_cast<int>(nominal / 1000.0 + 0.5) * 1000;
  return facts;
}

// A FLAC picture body's parts, by the rules TagLib reads it with (the data
// may be followed by more bytes); false when it does not hold together.
bool ParsePicture(const std::string& body, int* type, std::string* mime, std::string* data) {
  const CFlacPicture picture = ParseFlacPicture(body);
  if (!picture.bWhole) return false;
  *type = static_cast<int>(picture.nType);
  mime->assign(picture.mime);
  data->assign(picture.data);
  return true;
}

}  // namespace

// FLAC and Ogg: the fields and the front cover from the comment's entries
// and the pictures as the layout walk found them, read as TagLib does
// (upper-case keys, entries without a valid key skipped).
void CAudioTagFile::Impl::ReadXiph(const CAudioLayout& layout) {
  strTagKind = "Vorbis comment";
  struct CPicture {
    int type;
    std::string mime, data;
  };
  std::vector<CPicture> pictures;
  std::vector<std::pair<std::string, std::vector<std::string>>> map;  // by key, in order of first use
  const auto valuesOf = [&](const std::string& key) -> const std::vector<std::string>* {
    for (const auto& [k, v] : map)
      if (k == key) return &v;
    return nullptr;
  };
  for (const std::string& entry : layout.comment.entries) {
    const std::size_t eq = entry.find('=');
    if (eq == 0 || eq == std::string::npos) continue;
    const std::string key = CommentKey(entry);
    if (!VorbisNameRefusal(key).IsEmpty()) continue;
    if (key == "METADATA_BLOCK_PICTURE" || key == "COVERART") {
      std::string body;
      if (!Base64Decode(entry.substr(eq + 1), &body) || body.empty()) continue;
      CPicture picture{0, "image/", body};
      if (key[0] == 'M' && !ParsePicture(body, &picture.type, &picture.mime, &picture.data)) continue;
      if (eFormat != AudioFormat::Flac) pictures.push_back(std::move(picture));
      continue;
    }
    std::string value = entry.substr(eq + 1);
    const auto it = std::find_if(map.begin(), map.end(), [&](const auto& kv) { return kv.first == key; });
    if (it == map.end())
      map.push_back({key, {std::move(value)}});
    else
      it->second.push_back(std::move(value));
  }
  if (eFormat == AudioFormat::Flac)
    for (const std::string& body : layout.pictures) {
      CPicture picture{};
      if (ParsePicture(body, &picture.type, &picture.mime, &picture.data)) pictures.push_back(std::move(picture));
    }
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const std::vector<std::string>* values = valuesOf(kFieldKeys[i].pszVorbis);
    if (!values) continue;
    fields[i] = *values;
    // A track or disc total kept apart (as Picard writes it) is shown as "n/total".
    std::vector<std::string>& number = fields[i];
    const std::vector<std::string>* total = kFieldKeys[i].pszVorbisTotal ? valuesOf(kFieldKeys[i].pszVorbisTotal) : nullptr;
    if (number.size() == 1 && number[0].find('/') == std::string::npos && total && total->size() == 1)
      number[0] += "/" + total->front();
  }
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (pictures[i].type != 3) continue;
    const std::string& bytes = pictures[i].data;
    DescribeImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), CString(pictures[i].mime), &cover);
    cover.strData = bytes;
    cover.nType = 3;
    cover.nIndex = static_cast<int>(i);
    cover.nPictures = static_cast<int>(pictures.size());
    bCover = true;
    break;
  }
}

void CAudioTagFile::Impl::ReadFrom(const unsigned char* data, std::size_t size) {
  CAudioLayout layout;
  if (!WalkLayout(data, size, &layout, &strRefusal, false, false)) {
    eFormat = layout.eFormat;
    return;
  }
  eFormat = layout.eFormat;
  entries = layout.comment.entries;
  flacPictures = layout.pictures;
  if (IsXiph(eFormat)) {
    // TagLib's parse of the same comment and headers took half the time of
    // reading a folder of these files.
    bFacts = true;
    facts = XiphFacts(eFormat, layout, data, size);
    ReadXiph(layout);
    return;
  }
  // MP4: read as TagLib reads it, without building TagLib's objects (they
  // were most of the time reading a folder); the stored items' view asks
  // TagLib when it is wanted.
  CMp4Read read;
  if (!ReadMp4(data, size, &read)) {
    strRefusal = "The MP4 file could not be read (its structure is damaged)";
    return;
  }
  if (read.facts.strCodec.IsEmpty()) {
    strRefusal = "The MP4 file holds no AAC or ALAC audio";
    return;
  }
  bFacts = true;
  facts = read.facts;
  strTagKind = read.bItems ? "MP4 ilst" : "none";
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const std::string key = MakeMp4Key(kFieldKeys[i].pszMp4);
    if (const std::pair<int, int>* pair = IsMp4Pair(kFieldKeys[i].eField) ? read.Pair(key) : nullptr)
      fields[i].push_back(pair->second > 0 ? std::to_string(pair->first) + "/" + std::to_string(pair->second)
                                           : std::to_string(pair->first));
    else if (const std::vector<std::string>* texts = read.Texts(key))
      fields[i] = *texts;
  }
  if (!read.covers.empty()) {
    const std::string& bytes = read.covers.front().second;
    const char* mime = read.covers.front().first == TagLib::MP4::CoverArt::PNG ? "image/png" : "image/jpeg";
    DescribeImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), mime, &cover);
    cover.strData = bytes;
    cover.nType = 3;
    cover.nIndex = 0;
    cover.nPictures = static_cast<int>(read.covers.size());
    bCover = true;
  }
  std::size_t at = 0, end = 0;
  std::vector<CIlstItem> items;
  if (FindIlst(data, size, &at, &end, &items))
    for (const CIlstItem& item : items) {
      const std::string key = MakeMp4Key(item.strKey);
      if (std::find(mp4Keys.begin(), mp4Keys.end(), key) == mp4Keys.end()) mp4Keys.push_back(key);
    }
}

// The stored items as TagLib reads them, from the file as it was read (none
// when it has changed since).
const std::vector<CStoredField>& CAudioTagFile::Impl::Mp4Items() const {
  if (mp4Items) return *mp4Items;
  mp4Items.emplace();
  const CMappedFile map(strPath);
  if (!map.IsOpen() || IdentityOfMap(map) != identity) return *mp4Items;
  CMemoryStream stream(map.Data(), map.Size());
  const COpened o = OpenMp4(&stream, false);
  std::size_t at = 0, end = 0;
  std::vector<CIlstItem> items;
  if (!o.mp4 || !FindIlst(map.Data(), map.Size(), &at, &end, &items)) return *mp4Items;
  std::vector<std::string> seen;
  for (const CIlstItem& item : items) {
    const std::string key = MakeMp4Key(item.strKey);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    const auto it = o.mp4->itemMap().find(FromUtf8(key));
    if (it == o.mp4->itemMap().end()) {
      CStoredField field;
      field.strKey = key;
      field.strSummary = BinarySummary(item.nSize);
      mp4Items->push_back(field);
    } else {
      for (CStoredField& field : Mp4Fields(key, it->second)) mp4Items->push_back(std::move(field));
    }
  }
  if (!map.IsIntact()) mp4Items->clear();
  return *mp4Items;
}

CString CAudioTagFile::Impl::Refusal() const {
  if (!strRefusal.IsEmpty()) return strRefusal;
  if (sealed) return "The record of the save was made already";
  return {};
}

// The edits made on TagLib's MP4 tag (FLAC and Ogg are written by XiphWriter).
bool CAudioTagFile::Impl::Apply(TagLib::MP4::Tag* tag, CString* error) const {
  for (const auto& [key, values] : storedEdits) {
    const String atom = FromUtf8(key);
    if (values.empty()) {
      tag->removeItem(atom);
    } else if (const CMp4Number* number = Mp4Number(key)) {
      const int n = std::stoi(values[0]);
      if (number->nMax == 1)
        tag->setItem(atom, TagLib::MP4::Item(n != 0));
      else if (number->nMax == 255)
        tag->setItem(atom, TagLib::MP4::Item(static_cast<unsigned char>(n)));
      else
        tag->setItem(atom, TagLib::MP4::Item(n));
    } else {
      StringList list;
      for (const std::string& v : values) list.append(FromUtf8(v));
      tag->setItem(atom, TagLib::MP4::Item(list));
    }
  }
  if (bPicturesRemoved) tag->removeItem("covr");
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (!edits[i]) continue;
    const CFieldKey& key = kFieldKeys[i];
    const std::vector<std::string>& values = *edits[i];
    const String atom = Mp4Key(key.pszMp4);
    if (values.empty()) {
      tag->removeItem(atom);
    } else if (IsMp4Pair(key.eField)) {
      int number = 0, total = 0;
      if (CString refusal = Mp4PairRefusal(key.eField, values, &number, &total); !refusal.IsEmpty()) {
        *error = refusal;
        return false;
      }
      tag->setItem(atom, TagLib::MP4::Item(number, total));
    } else {
      StringList list;
      for (const std::string& v : values) list.append(FromUtf8(v));
      tag->setItem(atom, TagLib::MP4::Item(list));
    }
  }
  if (eCoverEdit == CoverEdit::None) return true;
  // The front cover is the first of covr's images; the others stay.
  TagLib::MP4::CoverArtList list;
  if (tag->contains("covr")) list = tag->item("covr").toCoverArtList();
  if (!list.isEmpty()) list.erase(list.begin());
  if (eCoverEdit == CoverEdit::Set) {
    const CImageFacts facts = ReadImageFacts(reinterpret_cast<const unsigned char*>(strNewCover.data()), strNewCover.size());
    const bool png = facts.pszFormat && std::strcmp(facts.pszFormat, "PNG") == 0;
    list.prepend(TagLib::MP4::CoverArt(png ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG,
                                       ByteVector(strNewCover.data(), static_cast<unsigned int>(strNewCover.size()))));
  }
  if (list.isEmpty())
    tag->removeItem("covr");
  else
    tag->setItem("covr", TagLib::MP4::Item(list));
  return true;
}

void CAudioTagFile::Impl::FieldKeyEdits(std::size_t i,
                                        std::vector<std::pair<std::string, std::vector<std::string>>>* keys) const {
  const CFieldKey& key = kFieldKeys[i];
  std::vector<std::string> values = *edits[i];
  if (key.pszVorbisTotal) {
    int number = 0, total = 0;
    const bool split = values.size() == 1 && ParseTrack(values[0], &number, &total) && total > 0;
    const std::string totalKey = key.pszVorbisTotal;
    const bool had = std::any_of(entries.begin(), entries.end(),
                                 [&](const std::string& e) { return CommentKey(e) == totalKey; });
    if (split) values[0] = values[0].substr(0, values[0].find('/'));
    keys->emplace_back(key.pszVorbis, values);
    if (split || had) keys->emplace_back(totalKey, split ? std::vector<std::string>{std::to_string(total)}
                                                         : std::vector<std::string>{});
    return;
  }
  keys->emplace_back(key.pszVorbis, values);
}

CXiphEdit CAudioTagFile::Impl::XiphEdit(const CAudioLayout&) const {
  CXiphEdit edit;
  for (std::size_t i = 0; i < kFieldCount; ++i)
    if (edits[i]) FieldKeyEdits(i, &edit.keys);
  for (const auto& stored : storedEdits) edit.keys.push_back(stored);
  edit.bRemovePictures = bPicturesRemoved && eFormat == AudioFormat::Flac;
  if (eCoverEdit == CoverEdit::Remove) edit.eCover = CXiphEdit::Cover::Remove;
  if (eCoverEdit == CoverEdit::Set) {
    const CImageFacts facts = ReadImageFacts(reinterpret_cast<const unsigned char*>(strNewCover.data()), strNewCover.size());
    edit.eCover = CXiphEdit::Cover::Set;
    edit.strImage = strNewCover;
    edit.strMime = facts.pszMime ? facts.pszMime : "image/jpeg";
    edit.nWidth = facts.nWidth;
    edit.nHeight = facts.nHeight;
  }
  return edit;
}

bool CAudioTagFile::Impl::Render(const CMappedFile& map, std::string* out, CString* error) const {
  if (!map.IsOpen() || IdentityOfMap(map) != identity) {
    *error = "The file was changed by another program since it was read";
    return false;
  }
  if (IsXiph(eFormat)) {
    CAudioLayout layout;
    CString reason;
    if (!WalkLayout(map.Data(), map.Size(), &layout, &reason, false)) {
      *error = reason;
      return false;
    }
    if (!RenderXiph(map.Data(), map.Size(), layout, XiphEdit(layout), out, error)) return false;
    if (!map.IsIntact()) {
      *error = kChangedWhileRead;
      return false;
    }
    return Verify(map.Data(), map.Size(), *out, error);
  }
  ByteVector bytes(reinterpret_cast<const char*>(map.Data()), static_cast<unsigned int>(map.Size()));
  TagLib::ByteVectorStream stream(bytes);
  TagLib::MP4::ItemMap itemsRead;
  {
    const COpened o = OpenMp4(&stream, false);
    if (!o.mp4) {
      *error = CString::Formatted("The %s file could not be read again", FormatName(eFormat));
      return false;
    }
    itemsRead = o.mp4->itemMap();  // shared until the edits change a copy of it
    if (!Apply(o.mp4, error)) return false;
    if (!o.file->save()) {
      *error = CString::Formatted("TagLib could not lay out the new %s tag", FormatName(eFormat));
      return false;
    }
  }
  const ByteVector* now = stream.data();
  out->assign(now->data(), now->size());
  KeepIlstOrder(map.Data(), map.Size(), out);
  KeepPaddingFill(map.Data(), map.Size(), out);
  if (!map.IsIntact()) {
    *error = kChangedWhileRead;
    return false;
  }
  return Verify(map.Data(), map.Size(), *out, error, &itemsRead);
}

// TagLib lays ilst out again in the order of its keys. Where the items not
// edited came out as they were stored, the old order (and so the old bytes)
// is put back, edited items in their places and new ones at the end; the
// ilst keeps its size, so the chunk offsets TagLib set stay right.
void CAudioTagFile::Impl::KeepIlstOrder(const unsigned char* old, std::size_t oldSize, std::string* now) const {
  std::size_t oldAt = 0, oldEnd = 0, newAt = 0, newEnd = 0;
  std::vector<CIlstItem> before, after;
  const auto* fresh = reinterpret_cast<const unsigned char*>(now->data());
  if (!FindIlst(old, oldSize, &oldAt, &oldEnd, &before) || !FindIlst(fresh, now->size(), &newAt, &newEnd, &after))
    return;
  const std::vector<std::string> edited = EditedMp4Keys();
  const auto keyOf = [](const CIlstItem& item) {
    // TagLib names the copyright sign in Latin-1; the keys above are UTF-8.
    return MakeMp4Key(item.strKey);
  };
  const auto find = [&](const std::vector<CIlstItem>& items, const std::string& key) {
    return std::count_if(items.begin(), items.end(), [&](const CIlstItem& i) { return keyOf(i) == key; });
  };
  std::string body;
  std::vector<bool> used(after.size(), false);
  for (const CIlstItem& item : before) {
    const std::string key = keyOf(item);
    if (find(before, key) != 1) return;  // a key twice: TagLib's layout stays
    const bool isEdited = std::find(edited.begin(), edited.end(), key) != edited.end();
    const auto it = std::find_if(after.begin(), after.end(), [&](const CIlstItem& i) { return keyOf(i) == key; });
    if (it == after.end()) {
      if (!isEdited) return;  // an item TagLib dropped: the check after says so
      continue;
    }
    used[static_cast<std::size_t>(it - after.begin())] = true;
    const unsigned char* from = isEdited ? fresh + it->nAt : old + item.nAt;
    body.append(reinterpret_cast<const char*>(from), isEdited ? it->nSize : item.nSize);
  }
  for (std::size_t i = 0; i < after.size(); ++i)
    if (!used[i]) body.append(reinterpret_cast<const char*>(fresh + after[i].nAt), after[i].nSize);
  if (body.size() == newEnd - newAt) now->replace(newAt, body.size(), body);
}

// TagLib fills the room it leaves after the ilst with ones; a file whose
// room was filled otherwise (zeros, as most writers leave it) keeps its fill,
// so that a change the room takes alters only the bytes it must and the
// save can write them in place.
void CAudioTagFile::Impl::KeepPaddingFill(const unsigned char* old, std::size_t oldSize, std::string* now) {
  std::size_t oldAt = 0, oldEnd = 0, newAt = 0, newEnd = 0;
  std::vector<CIlstItem> items;
  auto* fresh = reinterpret_cast<unsigned char*>(now->data());
  if (!FindIlst(old, oldSize, &oldAt, &oldEnd, &items) || !FindIlst(fresh, now->size(), &newAt, &newEnd, &items)) return;
  // The free atom right after each ilst: its body's bounds, when it has one.
  const auto freeAfter = [](const unsigned char* data, std::size_t size, std::size_t at, std::size_t* body) {
    if (size - at < 8 || std::memcmp(data + at + 4, "free", 4) != 0) return std::size_t{0};
    const std::size_t length = Be32(data + at);
    if (length < 8 || length > size - at) return std::size_t{0};
    *body = at + 8;
    return length - 8;
  };
  std::size_t oldBody = 0, newBody = 0;
  const std::size_t oldRoom = freeAfter(old, oldSize, oldEnd, &oldBody);
  const std::size_t newRoom = freeAfter(fresh, now->size(), newEnd, &newBody);
  if (oldRoom == 0 || newRoom == 0) return;
  const unsigned char fill = old[oldBody];
  const auto uniform = [](const unsigned char* p, std::size_t n, unsigned char b) {
    return std::all_of(p, p + n, [b](unsigned char c) { return c == b; });
  };
  if (fill != 1 && uniform(old + oldBody, oldRoom, fill) && uniform(fresh + newBody, newRoom, 1))
    std::memset(fresh + newBody, fill, newRoom);
}

// The new bytes must keep everything the edits did not change: a check of
// TagLib's rendering against the file it replaces, so that no save can lose
// a key, a picture or an audio packet.
bool CAudioTagFile::Impl::Verify(const unsigned char* old, std::size_t oldSize, const std::string& now, CString* error,
                                 const TagLib::MP4::ItemMap* itemsRead) const {
  CAudioLayout before, after;
  CString reason;
  const auto* fresh = reinterpret_cast<const unsigned char*>(now.data());
  if (!WalkLayout(old, oldSize, &before, &reason, true) || !WalkLayout(fresh, now.size(), &after, &reason, true) ||
      after.eFormat != eFormat) {
    *error = "The new tag could not be made (" + reason + ")";
    return false;
  }
  const auto lost = [&](const char* what) {
    *error = CString::Formatted("The save would change %s; the file was not written", what);
    return false;
  };
  if (before.strAudio != after.strAudio) return lost("the audio");
  // A page whose checksum was wrong stays so: a save that numbers the pages
  // anew must not give a damaged page a checksum that hides the damage.
  if (after.nBadChecksums != before.nBadChecksums || (after.bSequenceGap && !before.bSequenceGap))
    return lost("the Ogg pages' checksums or numbers");
  if (eFormat == AudioFormat::Mp4 && before.chunkOffsets != after.chunkOffsets) return lost("the audio's chunk offsets");
  if (eFormat == AudioFormat::Mp4) {
    const std::string dropped = DroppedMp4Item(old, oldSize, fresh, now.size());
    if (!dropped.empty()) return lost(("the MP4 item \"" + dropped + "\"").c_str());
  }
  if (eFormat == AudioFormat::Mp4 && KeepsMp4ItemsAsStored(old, oldSize, fresh, now.size())) return true;
  if (eFormat == AudioFormat::Mp4) return itemsRead ? VerifyMp4(*itemsRead, fresh, now.size(), error) : lost("the MP4 items");
  if (before.bComment && before.comment.strVendor != after.comment.strVendor) return lost("the vendor string");
  // Every entry of a key not edited is kept as it was, in its order.
  std::vector<std::string> edited;
  for (const auto& key : XiphEdit(before).keys) edited.push_back(key.first);
  const bool coverEdited = eCoverEdit != CoverEdit::None;
  const auto kept = [&](const std::vector<std::string>& entries) {
    std::vector<std::string> out;
    for (const std::string& e : entries) {
      const std::string key = CommentKey(e);
      if (std::find(edited.begin(), edited.end(), key) != edited.end()) continue;
      if ((coverEdited || bPicturesRemoved) && key == "METADATA_BLOCK_PICTURE") continue;
      out.push_back(e);
    }
    return out;
  };
  if (kept(before.comment.entries) != kept(after.comment.entries)) return lost("keys that were not edited");
  std::vector<std::string> oldPictures = before.pictures, newPictures = after.pictures;
  if (bPicturesRemoved) oldPictures.clear();
  if (coverEdited) {
    // The front cover's block may change; every other picture stays.
    std::erase_if(oldPictures, [](const std::string& p) { return p.size() >= 4 && p[3] == 3 && p[0] == 0 && p[1] == 0 && p[2] == 0; });
    std::erase_if(newPictures, [](const std::string& p) { return p.size() >= 4 && p[3] == 3 && p[0] == 0 && p[1] == 0 && p[2] == 0; });
  }
  if (oldPictures != newPictures) return lost("pictures that were not edited");
  return true;
}

bool CAudioTagFile::Impl::KeepsMp4ItemsAsStored(const unsigned char* old, std::size_t oldSize, const unsigned char* now,
                                                 std::size_t nowSize) const {
  if (!storedEdits.empty() || eCoverEdit != CoverEdit::None || bPicturesRemoved) return false;
  std::size_t at = 0, end = 0;
  std::vector<CIlstItem> before, after;
  if (!FindIlst(old, oldSize, &at, &end, &before) || !FindIlst(now, nowSize, &at, &end, &after)) return false;
  const std::vector<std::string> edited = EditedMp4Keys();
  const auto unedited = [&](const unsigned char* data, const std::vector<CIlstItem>& items) {
    std::vector<std::string_view> out;
    for (const CIlstItem& item : items)
      if (std::find(edited.begin(), edited.end(), MakeMp4Key(item.strKey)) == edited.end())
        out.emplace_back(reinterpret_cast<const char*>(data + item.nAt), item.nSize);
    std::sort(out.begin(), out.end());
    return out;
  };
  return unedited(old, before) == unedited(now, after);
}

std::string CAudioTagFile::Impl::DroppedMp4Item(const unsigned char* old, std::size_t oldSize, const unsigned char* now,
                                                std::size_t nowSize) const {
  std::size_t at = 0, end = 0;
  std::vector<CIlstItem> before, after;
  if (!FindIlst(old, oldSize, &at, &end, &before)) return {};
  if (!FindIlst(now, nowSize, &at, &end, &after)) after.clear();
  const std::vector<std::string> edited = EditedMp4Keys();
  std::multiset<std::string_view> held;
  for (const CIlstItem& item : after) held.emplace(reinterpret_cast<const char*>(now + item.nAt), item.nSize);
  for (const CIlstItem& item : before) {
    const std::string key = MakeMp4Key(item.strKey);
    if (key == "gnre" || std::find(edited.begin(), edited.end(), key) != edited.end()) continue;
    const auto found = held.find(std::string_view(reinterpret_cast<const char*>(old + item.nAt), item.nSize));
    if (found == held.end()) return key;
    held.erase(found);
  }
  return {};
}

// Every MP4 item not edited reads the same from the new bytes as from the
// old (TagLib lays the whole ilst out again).
bool CAudioTagFile::Impl::VerifyMp4(const TagLib::MP4::ItemMap& itemsRead, const unsigned char* now,
                                    std::size_t nowSize, CString* error) const {
  CMemoryStream newStream(now, nowSize);
  const COpened after = OpenMp4(&newStream, false);
  if (!after.mp4) {
    *error = "The new MP4 tag could not be read back; the file was not written";
    return false;
  }
  std::vector<String> edited;
  for (const std::string& key : EditedMp4Keys())
    if (key != "covr") edited.push_back(FromUtf8(key));
  if (bPicturesRemoved) edited.push_back("covr");
  // The front cover edited is the first of covr's images before the save,
  // and after it only when one was set.
  const auto items = [&](const TagLib::MP4::ItemMap& map, bool skipFront) {
    std::map<std::string, std::string> out;
    for (const auto& [key, item] : map) {
      if (std::find(edited.begin(), edited.end(), key) != edited.end()) continue;
      if (key == "covr" && skipFront && item.toCoverArtList().size() <= 1) continue;
      std::string& text = out[Utf8(key)];
      // The number an item holds is read by the getter of its kind; the
      // others read an uninitialised union.
      text = std::to_string(item.atomDataType());
      if (key == "trkn" || key == "disk")
        text += "|" + std::to_string(item.toIntPair().first) + "/" + std::to_string(item.toIntPair().second);
      else if (key == "tmpo")
        text += "|" + std::to_string(item.toInt());
      else if (key == "cpil" || key == "pgap" || key == "pcst" || key == "hdvd")
        text += "|" + std::to_string(item.toBool());
      else if (key == "stik" || key == "rtng" || key == "akID" || key == "shwm")
        text += "|" + std::to_string(item.toByte());
      else if (key == "plID")
        text += "|" + std::to_string(item.toLongLong());
      else if (key == "sfID" || key == "atID" || key == "cnID" || key == "geID" || key == "cmID" || key == "tves" ||
               key == "tvsn")
        text += "|" + std::to_string(item.toUInt());
      for (const String& v : item.toStringList()) text += "|s" + Utf8(v);
      for (const ByteVector& v : item.toByteVectorList()) text += "|b" + std::string(v.data(), v.size());
      const auto covers = item.toCoverArtList();
      unsigned int n = 0;
      for (const auto& c : covers)
        if (key != "covr" || !skipFront || n++ > 0)
          text += "|c" + std::to_string(c.format()) + std::string(c.data().data(), c.data().size());
    }
    return out;
  };
  const auto was = items(itemsRead, eCoverEdit != CoverEdit::None);
  const auto is = items(after.mp4->itemMap(), eCoverEdit == CoverEdit::Set);
  for (const auto& [key, text] : was) {
    const auto it = is.find(key);
    if (it != is.end() && it->second == text) continue;
    *error = CString::Formatted("The save would change the MP4 item '%s', which was not edited; the file was not written",
                                key.c_str());
    return false;
  }
  if (was.size() != is.size()) {
    *error = "The save would add MP4 items that were not edited; the file was not written";
    return false;
  }
  // Each stored item set reads back as it was set.
  for (const auto& [key, values] : storedEdits) {
    const auto it = after.mp4->itemMap().find(FromUtf8(key));
    std::vector<CString> now;
    if (it != after.mp4->itemMap().end())
      for (const CStoredField& field : Mp4Fields(key, it->second)) now.insert(now.end(), field.values.begin(), field.values.end());
    if (now != std::vector<CString>(values.begin(), values.end())) {
      *error = CString::Formatted("The MP4 item '%s' would not hold what was set; the file was not written", key.c_str());
      return false;
    }
  }
  return true;
}

std::vector<std::string> CAudioTagFile::Impl::Values(TagField field) const {
  const std::size_t i = static_cast<std::size_t>(field);
  if (edits[i]) return *edits[i];
  const CFieldKey& key = kFieldKeys[i];
  if (!IsXiph(eFormat) || !key.pszVorbisTotal || (!StoredEdit(key.pszVorbis) && !StoredEdit(key.pszVorbisTotal)))
    return fields[i];
  // A number or its total set as a stored key: the field as a new reading shows it.
  std::vector<std::string> number, total;
  for (const std::string& e : ViewEntries(false)) {
    const std::string k = CommentKey(e);
    const std::string value = e.substr(std::min(e.find('='), e.size() - 1) + 1);
    if (k == key.pszVorbis) number.push_back(value);
    if (k == key.pszVorbisTotal) total.push_back(value);
  }
  if (number.size() == 1 && number[0].find('/') == std::string::npos && total.size() == 1)
    number[0] += "/" + total[0];
  return number;
}

void CAudioTagFile::Impl::SetStoredEdit(const std::string& key, std::vector<std::string> values,
                                        const std::vector<std::string>& read) {
  if (values == read) {
    EraseStoredEdit(key);
    return;
  }
  for (auto& [k, v] : storedEdits)
    if (k == key) {
      v = std::move(values);
      return;
    }
  storedEdits.emplace_back(key, std::move(values));
}

std::vector<std::string> CAudioTagFile::Impl::ViewEntries(bool withFields) const {
  CXiphEdit edit;
  if (withFields) {
    edit = XiphEdit(CAudioLayout{});
  } else {
    edit.keys = storedEdits;
  }
  return EditedEntries(entries, edit, withFields && eFormat != AudioFormat::Flac);
}

std::vector<CStoredField> CAudioTagFile::Impl::XiphFields() const {
  std::vector<CStoredField> out;
  std::vector<std::string> keys;  // upper case, of out's text fields
  for (const std::string& e : ViewEntries(true)) {
    const std::size_t eq = std::min(e.find('='), e.size());
    const std::string key = CommentKey(e);
    const std::string value = eq < e.size() ? e.substr(eq + 1) : std::string();
    if (key == "METADATA_BLOCK_PICTURE") {
      std::string body;
      CStoredField field;
      field.strKey = e.substr(0, eq);
      field.strSummary = Base64Decode(value, &body) ? FlacPictureSummary(body) : BinarySummary(value.size());
      out.push_back(field);
      keys.emplace_back();
      continue;
    }
    const auto it = std::find(keys.begin(), keys.end(), key);
    if (it != keys.end()) {
      out[static_cast<std::size_t>(it - keys.begin())].values.push_back(CString(value));
      continue;
    }
    CStoredField field;
    field.strKey = e.substr(0, eq);
    field.values.push_back(CString(value));
    field.bText = true;
    out.push_back(field);
    keys.push_back(key);
  }
  if (eFormat != AudioFormat::Flac) return out;
  // FLAC's picture blocks, the front cover's as a save would leave it.
  std::vector<std::string> pictures = bPicturesRemoved ? std::vector<std::string>{} : flacPictures;
  CXiphEdit cover = XiphEdit(CAudioLayout{});
  const auto front = std::find_if(pictures.begin(), pictures.end(),
                                  [](const std::string& p) { return ParseFlacPicture(p).nType == 3; });
  if (eCoverEdit == CoverEdit::Remove && front != pictures.end()) pictures.erase(front);
  std::vector<CStoredField> blocks;
  for (const std::string& p : pictures) {
    CStoredField field;
    field.strKey = "PICTURE";
    field.strSummary = FlacPictureSummary(p);
    blocks.push_back(field);
  }
  if (eCoverEdit == CoverEdit::Set) {
    CStoredField field;
    field.strKey = "PICTURE";
    field.strSummary = PictureSummary(CString(cover.strMime), 3, strNewCover.size());
    if (front != pictures.end())
      blocks[static_cast<std::size_t>(front - pictures.begin())] = field;
    else
      blocks.push_back(field);
  }
  out.insert(out.end(), blocks.begin(), blocks.end());
  return out;
}

std::vector<std::string> CAudioTagFile::Impl::EditedMp4Keys() const {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < kFieldCount; ++i)
    if (edits[i]) keys.push_back(Utf8(Mp4Key(kFieldKeys[i].pszMp4)));
  for (const auto& stored : storedEdits) keys.push_back(stored.first);
  if (eCoverEdit != CoverEdit::None || bPicturesRemoved) keys.push_back("covr");
  return keys;
}

std::vector<CStoredField> CAudioTagFile::Impl::Mp4View() const {
  // The items in their stored order, edited ones in their places, new ones after.
  std::vector<std::string> order = mp4Keys;
  const auto add = [&](const std::string& key) {
    if (std::find(order.begin(), order.end(), key) == order.end()) order.push_back(key);
  };
  for (std::size_t i = 0; i < kFieldCount; ++i)
    if (edits[i]) add(Utf8(Mp4Key(kFieldKeys[i].pszMp4)));
  for (const auto& stored : storedEdits) add(stored.first);
  if (eCoverEdit == CoverEdit::Set) add("covr");
  std::vector<CStoredField> out;
  for (const std::string& key : order) {
    std::optional<std::vector<std::string>> values;
    for (std::size_t i = 0; i < kFieldCount; ++i)
      if (edits[i] && Utf8(Mp4Key(kFieldKeys[i].pszMp4)) == key) values = *edits[i];
    if (const std::vector<std::string>* stored = StoredEdit(key)) values = *stored;
    if (key == "covr") {
      std::vector<CStoredField> covers;
      if (!bPicturesRemoved)
        for (const CStoredField& f : Mp4Items())
          if (f.strKey.Str() == key) covers.push_back(f);
      if (eCoverEdit != CoverEdit::None && !covers.empty()) covers.erase(covers.begin());
      if (eCoverEdit == CoverEdit::Set) {
        const CImageFacts facts = ReadImageFacts(reinterpret_cast<const unsigned char*>(strNewCover.data()), strNewCover.size());
        CStoredField f;
        f.strKey = key;
        f.strSummary = CString::Formatted("%s, %zu bytes", facts.pszMime ? facts.pszMime : "image/jpeg", strNewCover.size());
        covers.insert(covers.begin(), f);
      }
      out.insert(out.end(), covers.begin(), covers.end());
      continue;
    }
    if (!values) {
      for (const CStoredField& f : Mp4Items())
        if (f.strKey.Str() == key) out.push_back(f);
      continue;
    }
    if (values->empty()) continue;
    CStoredField field;
    field.strKey = key;
    field.bText = true;
    for (const std::string& v : *values) field.values.push_back(CString(v));
    out.push_back(field);
  }
  return out;
}

CString CAudioTagFile::Impl::SetXiph(const std::string& name, const std::vector<std::string>& values) {
  if (CString rule = VorbisNameRefusal(name); !rule.IsEmpty()) return rule;
  const std::string key = CommentKey(name);
  const auto readValues = [&](const std::string& k) {
    std::vector<std::string> out;
    for (const std::string& e : entries)
      if (CommentKey(e) == k) out.push_back(e.substr(std::min(e.find('='), e.size() - 1) + 1));
    return out;
  };
  const bool flacPictures = eFormat == AudioFormat::Flac && key == "PICTURE";
  if (flacPictures || key == "METADATA_BLOCK_PICTURE") {
    if (!values.empty()) return NotText(name);
    const std::vector<CStoredField> now = XiphFields();
    const bool any = std::any_of(now.begin(), now.end(), [&](const CStoredField& f) {
      return CommentKey(f.strKey.Str()) == key;
    });
    if (!any) return {};
    if (key == "METADATA_BLOCK_PICTURE") SetStoredEdit(key, {}, readValues(key));
    if (flacPictures || eFormat != AudioFormat::Flac) {
      bPicturesRemoved = true;
      eCoverEdit = CoverEdit::None;
      strNewCover.clear();
    }
    return {};
  }
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const CFieldKey& field = kFieldKeys[i];
    if (key == field.pszVorbis && !field.pszVorbisTotal) {
      // The field's own key: set as the field is.
      if (values == fields[i])
        edits[i].reset();
      else
        edits[i] = values;
      return {};
    }
    if (field.pszVorbisTotal && (key == field.pszVorbis || key == field.pszVorbisTotal) && edits[i]) {
      // A number edited as a field becomes the stored keys it writes, so that
      // this key can change alone.
      std::vector<std::pair<std::string, std::vector<std::string>>> keys;
      FieldKeyEdits(i, &keys);
      edits[i].reset();
      for (auto& [k, v] : keys) SetStoredEdit(k, v, readValues(k));
    }
  }
  SetStoredEdit(key, values, readValues(key));
  return {};
}

CString CAudioTagFile::Impl::SetMp4(const std::string& key, const std::vector<std::string>& values) {
  const String atom = FromUtf8(key);
  bool latin = atom.size() == 4;
  for (unsigned int i = 0; latin && i < atom.size(); ++i) latin = atom[i] > 0 && atom[i] < 0x100;
  const std::size_t colon = key.find(':', 5);
  const bool freeForm = key.rfind("----:", 0) == 0 && colon != std::string::npos && colon > 5 && colon + 1 < key.size();
  if (!freeForm && (!latin || key.rfind("----", 0) == 0))
    return "An MP4 item is named by four Latin-1 characters (such as ©ART) or as ----:<mean>:<name>";
  if (key == "covr") {
    if (!values.empty()) return NotText(key);
    if (!bPicturesRemoved && (eCoverEdit == CoverEdit::Set || std::any_of(Mp4Items().begin(), Mp4Items().end(), [](const CStoredField& f) {
                                return f.strKey.Str() == "covr";
                              }))) {
      bPicturesRemoved = true;
      eCoverEdit = CoverEdit::None;
      strNewCover.clear();
    } else if (eCoverEdit == CoverEdit::Set) {
      eCoverEdit = CoverEdit::None;
      strNewCover.clear();
    }
    return {};
  }
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (Utf8(Mp4Key(kFieldKeys[i].pszMp4)) != key) continue;
    if (IsMp4Pair(kFieldKeys[i].eField) && !values.empty()) {
      int number = 0, total = 0;
      if (CString refusal = Mp4PairRefusal(kFieldKeys[i].eField, values, &number, &total); !refusal.IsEmpty())
        return refusal;
    }
    if (values == fields[i])
      edits[i].reset();
    else
      edits[i] = values;
    return {};
  }
  std::vector<std::string> read;
  bool readText = true, had = false;
  for (const CStoredField& f : Mp4Items())
    if (f.strKey.Str() == key) {
      had = true;
      readText = f.bText;
      for (const CString& v : f.values) read.push_back(v.Str());
    }
  if (!values.empty()) {
    if (had && !readText) return NotText(key);
    if (const CMp4Number* number = Mp4Number(key)) {
      int n = -1;
      if (values.size() != 1 || !ParseTrack(values[0], &n, &n) || values[0].find('/') != std::string::npos ||
          n > number->nMax)
        return CString::Formatted("The MP4 item %s holds one number from 0 to %d", key.c_str(), number->nMax);
    } else if (!freeForm && (key == "trkn" || key == "disk" || key == "plID" || key == "cnID" || key == "sfID" ||
                             key == "atID" || key == "geID" || key == "cmID" || key == "tves" || key == "tvsn" ||
                             key == "gnre")) {
      return NotText(key);
    }
  }
  if (values.empty() && !had) {
    EraseStoredEdit(key);
    return {};
  }
  SetStoredEdit(key, values, read);
  return {};
}


CAudioTagFile::CAudioTagFile(std::unique_ptr<Impl> impl) : m_pImpl(std::move(impl)) {}
CAudioTagFile::~CAudioTagFile() = default;

std::unique_ptr<CAudioTagFile> CAudioTagFile::Read(const CString& path, CString* reason) {
  auto impl = std::make_unique<Impl>();
  impl->strPath = path;
  CMappedFile map(path);
  if (!map.IsOpen()) {
    impl->strRefusal = "The file could not be opened";
  } else if (map.Size() == 0) {
    impl->strRefusal = "The file is empty";
    impl->identity = IdentityOfMap(map);
  } else {
    impl->identity = IdentityOfMap(map);
    impl->nFileSize = static_cast<long>(map.Size());
    impl->ReadFrom(map.Data(), map.Size());
    if (!map.IsIntact()) {
      *impl = Impl{};
      impl->strPath = path;
      impl->strRefusal = kChangedWhileRead;
    }
  }
  if (!impl->strRefusal.IsEmpty()) {
    for (auto& f : impl->fields) f.clear();
    impl->bCover = false;
  }
  if (reason) *reason = impl->strRefusal;
  return std::unique_ptr<CAudioTagFile>(new CAudioTagFile(std::move(impl)));
}

const CString& CAudioTagFile::Path() const { return m_pImpl->strPath; }
AudioFormat CAudioTagFile::Format() const { return m_pImpl->eFormat; }
CFileIdentity CAudioTagFile::Identity() const { return m_pImpl->identity; }
long CAudioTagFile::FileSize() const { return m_pImpl->nFileSize; }
CString CAudioTagFile::TagKind() const { return m_pImpl->strRefusal.IsEmpty() ? m_pImpl->strTagKind : CString("-"); }
CString CAudioTagFile::WriteRefusal() const { return m_pImpl->strRefusal; }

bool CAudioTagFile::GetStreamFacts(CStreamFacts* facts) const {
  if (!m_pImpl->bFacts || !m_pImpl->strRefusal.IsEmpty()) return false;
  *facts = m_pImpl->facts;
  return true;
}

CString CAudioTagFile::Get(TagField field) const {
  if (!m_pImpl->strRefusal.IsEmpty()) return "-";
  const std::vector<std::string> values = m_pImpl->Values(field);
  return values.empty() ? CString("-") : CString(Joined(values));
}

CString CAudioTagFile::Set(TagField field, const CString& value) {
  if (CString refusal = m_pImpl->Refusal(); !refusal.IsEmpty()) return refusal;
  if (value == Get(field)) return {};
  // Lyrics are one text, whatever "; " it holds.
  std::vector<std::string> values =
      field == TagField::Lyrics && !value.IsEmpty() ? std::vector<std::string>{value.Str()} : SplitValues(value.Str());
  if (IsMp4Pair(field) && m_pImpl->eFormat == AudioFormat::Mp4 && !values.empty()) {
    int number = 0, total = 0;
    if (CString refusal = Mp4PairRefusal(field, values, &number, &total); !refusal.IsEmpty()) return refusal;
  }
  const std::size_t i = static_cast<std::size_t>(field);
  m_pImpl->EraseFieldKeys(field);
  if (values == m_pImpl->fields[i])
    m_pImpl->edits[i].reset();
  else
    m_pImpl->edits[i] = std::move(values);
  return {};
}

CString CAudioTagFile::Remove(TagField field) {
  if (CString refusal = m_pImpl->Refusal(); !refusal.IsEmpty()) return refusal;
  const std::size_t i = static_cast<std::size_t>(field);
  m_pImpl->EraseFieldKeys(field);
  if (m_pImpl->fields[i].empty())
    m_pImpl->edits[i].reset();
  else
    m_pImpl->edits[i] = std::vector<std::string>{};
  return {};
}

bool CAudioTagFile::GetFrontCover(CCoverArt* cover, bool withBytes) const {
  const Impl& m = *m_pImpl;
  if (!m.strRefusal.IsEmpty()) return false;
  const bool had = m.bCover && !m.bPicturesRemoved;
  switch (m.eCoverEdit) {
    case Impl::CoverEdit::Remove: return false;
    case Impl::CoverEdit::Set: {
      const auto* data = reinterpret_cast<const unsigned char*>(m.strNewCover.data());
      *cover = CCoverArt{};
      DescribeImage(data, m.strNewCover.size(), ReadImageFacts(data, m.strNewCover.size()).pszMime, cover);
      cover->nType = 3;
      const int pictures = m.bPicturesRemoved ? 0 : m.cover.nPictures;
      cover->nIndex = had ? m.cover.nIndex : (m.eFormat == AudioFormat::Mp4 ? 0 : pictures);
      cover->nPictures = had ? pictures : pictures + 1;
      if (withBytes) cover->strData = m.strNewCover;
      return true;
    }
    case Impl::CoverEdit::None: break;
  }
  if (!had) return false;
  *cover = m.cover;
  if (!withBytes) cover->strData.clear();
  return true;
}

CString CAudioTagFile::SetFrontCover(const std::string& image) {
  if (CString refusal = m_pImpl->Refusal(); !refusal.IsEmpty()) return refusal;
  if (CString bad = CMyMP3Tags::CheckCoverImage(image); !bad.IsEmpty()) return bad;
  if (m_pImpl->bCover && !m_pImpl->bPicturesRemoved && image == m_pImpl->cover.strData) {
    m_pImpl->eCoverEdit = Impl::CoverEdit::None;
    return {};
  }
  m_pImpl->eCoverEdit = Impl::CoverEdit::Set;
  m_pImpl->strNewCover = image;
  return {};
}

CString CAudioTagFile::RemoveFrontCover(const CCoverArt& shown) {
  if (CString refusal = m_pImpl->Refusal(); !refusal.IsEmpty()) return refusal;
  CCoverArt now;
  if (!GetFrontCover(&now, true)) return {};
  if (now.nIndex != shown.nIndex || now.nBytes != shown.nBytes || now.strMime != shown.strMime ||
      (!shown.strData.empty() && shown.strData != now.strData))
    return "The front cover is no longer the picture shown";
  if (m_pImpl->bCover && !m_pImpl->bPicturesRemoved) {
    m_pImpl->eCoverEdit = Impl::CoverEdit::Remove;
  } else {
    m_pImpl->eCoverEdit = Impl::CoverEdit::None;
    m_pImpl->strNewCover.clear();
  }
  return {};
}

bool CAudioTagFile::IsChanged() const {
  const Impl& m = *m_pImpl;
  return m.strRefusal.IsEmpty() && (m.eCoverEdit != Impl::CoverEdit::None || !m.storedEdits.empty() || m.bPicturesRemoved ||
                                    std::any_of(m.edits.begin(), m.edits.end(), [](const auto& e) { return e.has_value(); }));
}

std::vector<unsigned char> CAudioTagFile::SaveRecord(CString* reason) {
  CString ignored;
  CString& error = reason ? *reason : ignored;
  error.Empty();
  Impl& m = *m_pImpl;
  if (!m.strRefusal.IsEmpty()) {
    error = m.strRefusal;
    return {};
  }
  if (!IsChanged()) return {};
  std::string now;
  const CMappedFile map(m.strPath);
  if (!m.Render(map, &now, &error)) return {};
  std::vector<unsigned char> record = MakeRecord(map.Data(), map.Size(), now);
  if (!map.IsIntact()) {
    error = kChangedWhileRead;
    return {};
  }
  m.sealed = std::move(now);
  return record;
}

bool CAudioTagFile::Save(CString* reason, CSaveBatch* batch) {
  CString ignored;
  CString& error = reason ? *reason : ignored;
  error.Empty();
  Impl& m = *m_pImpl;
  if (!m.strRefusal.IsEmpty()) {
    error = m.strRefusal;
    return false;
  }
  if (!IsChanged()) return true;
  std::string now;
  if (m.sealed)
    now = *m.sealed;
  else if (!m.Render(CMappedFile(m.strPath), &now, &error))
    return false;
  struct stat st {};
  if (::stat(m.strPath, &st) != 0 || static_cast<std::uint64_t>(st.st_ino) != m.identity.nInode ||
      static_cast<std::uint64_t>(st.st_dev) != m.identity.nDevice || st.st_size != m.identity.nSize ||
      MtimeNs(st) != m.identity.nMtimeNs) {
    error = "The file was changed by another program since it was read";
    return false;
  }
  struct stat written {};
  if (!WriteWhole(m.strPath, st, now, batch ? batch->m_pBatch.get() : nullptr, &written, &error)) return false;
  // The value now holds what the file holds (in a batch: once committed),
  // from the bytes written.
  auto fresh = std::make_unique<Impl>();
  fresh->strPath = m.strPath;
  const auto* bytes = reinterpret_cast<const unsigned char*>(now.data());
  fresh->identity = IdentityOfBytes(bytes, now.size(), static_cast<std::uint64_t>(written.st_dev),
                                    static_cast<std::uint64_t>(written.st_ino), MtimeNs(written));
  fresh->nFileSize = static_cast<long>(now.size());
  fresh->ReadFrom(bytes, now.size());
  m_pImpl = std::move(fresh);
  return true;
}

bool IsAudioSaveRecord(const std::vector<unsigned char>& record) {
  return record.size() >= 4 && std::memcmp(record.data(), kRecordMagic, 4) == 0;
}

CRestoreResult RestoreAudioSave(const CString& path, const std::vector<unsigned char>& record, CString* reason) {
  CString ignored;
  CString& error = reason ? *reason : ignored;
  error.Empty();
  CRecord r;
  if (!ParseRecord(record, &r)) {
    error = "The record of the save is damaged";
    return CRestoreResult::Refused;
  }
  CMappedFile map(path, false);
  if (!map.IsOpen()) {
    error = "The file could not be opened";
    return CRestoreResult::Refused;
  }
  const unsigned char* data = map.Data();
  const std::size_t size = map.Size();
  const auto middle = [&](std::uint64_t total) { return Sha256(data + r.nPrefix, total - r.nPrefix - r.nSuffix); };
  if (size == r.nOld && r.nOld >= r.nPrefix + r.nSuffix && middle(r.nOld) == r.oldMiddle && map.IsIntact())
    return CRestoreResult::AlreadyRestored;
  if (size != r.nNew || middle(r.nNew) != r.newMiddle) {
    error = "The file was changed since the save; its old tags were not put back";
    return CRestoreResult::Refused;
  }
  std::string old;
  old.reserve(r.nOld);
  old.append(reinterpret_cast<const char*>(data), r.nPrefix);
  old += r.strOldMiddle;
  old.append(reinterpret_cast<const char*>(data + size - r.nSuffix), r.nSuffix);
  if (!map.IsIntact()) {
    error = kChangedWhileRead;
    return CRestoreResult::Refused;
  }
  struct stat st {};
  if (::stat(path, &st) != 0 || static_cast<std::uint64_t>(st.st_ino) != map.Inode() ||
      static_cast<std::size_t>(st.st_size) != size ||
      MtimeNs(st) != map.MtimeNs()) {
    error = "The file was changed since the save; its old tags were not put back";
    return CRestoreResult::Refused;
  }
  struct stat written {};
  if (!WriteWhole(path, st, old, nullptr, &written, &error)) return CRestoreResult::Failed;
  return CRestoreResult::Restored;
}

std::vector<CStoredField> CAudioTagFile::StoredFields() const {
  if (!m_pImpl->strRefusal.IsEmpty()) return {};
  return IsXiph(m_pImpl->eFormat) ? m_pImpl->XiphFields() : m_pImpl->Mp4View();
}

CString CAudioTagFile::SetStored(const CString& key, const std::vector<CString>& values) {
  if (CString refusal = m_pImpl->Refusal(); !refusal.IsEmpty()) return refusal;
  std::vector<std::string> texts;
  for (const CString& v : values) texts.push_back(v.Str());
  return IsXiph(m_pImpl->eFormat) ? m_pImpl->SetXiph(key.Str(), texts) : m_pImpl->SetMp4(key.Str(), texts);
}

// A file's tag version and ID3v1 tag as changes of its value: a conversion
// between ID3v2.3 and v2.4, an ID3v1 tag added or removed, every tag
// removed. Each is made in memory and written by the next save through the
// one writer, with its record like any edit.
#include <tags/TagFile.h>

#include "ByteOrder.h"
#include "Id3Convert.h"
#include "Id3libEngine.h"
#include "TagCheck.h"
#include "TagFileImpl.h"
#include "TagLibEngine.h"

#include <id3/readers.h>
#include <id3/tag.h>

namespace {

constexpr const char* kLyrics3NeedsV1 =
    "The file's Lyrics3 block needs its ID3v1 tag (a player finds it from there), so the ID3v1 tag is kept";

// The fields an ID3v1 tag holds, and the field of each.
constexpr std::pair<V1Field, TagField> kV1Fields[] = {
    {V1Field::Title, TagField::Title}, {V1Field::Artist, TagField::Artist}, {V1Field::Album, TagField::Album},
    {V1Field::Year, TagField::Year},   {V1Field::Comment, TagField::Comment}, {V1Field::Track, TagField::Track},
    {V1Field::Genre, TagField::Genre}};

}  // namespace

int CTagFile::Impl::V2Major() const {
  if (nConvertedMajor) return nConvertedMajor;
  if (scan.eV2 == CTagScan::V2::Sound && scan.nMajor == 4) return 4;
  return 3;  // id3lib writes v2.3, and a v2.2 tag is saved as v2.3
}

void CTagFile::Impl::AdoptConverted(const std::string& tag, int major) {
  pEngine.reset();  // it may refer to the tag object
  if (major == 4) {
    pEngine = std::make_unique<CTagLibEngine>(reinterpret_cast<const unsigned char*>(tag.data()), tag.size());
  } else {
    // id3lib reads the converted tag as it reads a file's v2.3 tag, and a
    // save keeps the bytes of every frame not edited since.
    pTag = std::make_unique<ID3_Tag>(nullptr);
    nLinkFlags = ID3TT_ID3V2;
    CTagFrames walked;
    if (!tag.empty() && WalkTagFrames(reinterpret_cast<const unsigned char*>(tag.data()), tag.size(), &walked)) {
      const std::string safe = Id3libSafeTag(walked);
      ID3_MemoryReader reader(safe.data(), safe.size());
      pTag->Link(reader, ID3TT_ID3V2);
    }
    pEngine = std::make_unique<CId3libEngine>(
        *pTag, tag.empty() ? nullptr : reinterpret_cast<const unsigned char*>(tag.data()), tag.size());
  }
  nConvertedMajor = major;
  bDirty = bV2Dirty = true;
}

std::array<unsigned char, 128> CTagFile::Impl::NewV1Block() {
  CV1Edits fields;
  for (const auto& [v1, field] : kV1Fields) fields.Set(v1, field == TagField::Genre ? Genre() : Text(field));
  return fields.NewBlock();
}

bool CTagFile::Impl::V1After(std::array<unsigned char, 128>* block) {
  if (eV1Change == V1Change::Remove || (eV1Change == V1Change::Keep && !scan.bV1)) return false;
  if (eV1Change == V1Change::Add)
    *block = NewV1Block();
  else
    *block = v1Edits.IsEmpty() ? oldV1 : v1Edits.ApplyTo(oldV1.data());
  return true;
}

CString CTagFile::SetTagVersion(TagTarget target) {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  const int major = target == TagTarget::Id3v24 ? 4 : 3;
  const bool v22 = file.scan.eV2 == CTagScan::V2::Sound && file.scan.nMajor == 2;
  // A v2.2 tag asked for as v2.3 is saved as v2.3 even without an edit.
  const bool saveV22 = v22 && major == 3 && !file.nConvertedMajor && !file.bV2Dirty;
  if (file.V2Major() == major && !saveV22) return CString();
  const CString refusal = file.PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  const bool versionOnly = !file.bV2Dirty || file.bVersionOnly;
  if (file.nConvertedMajor && file.bVersionOnly && major == (v22 ? 3 : file.scan.nMajor == 4 ? 4 : 3)) {
    // Back to the version the file has: its tag as read, byte for byte.
    file.Parse(file.pMap->Data(), file.pMap->Size(), true);
    file.nConvertedMajor = 0;
    file.bV2Dirty = file.bVersionOnly = false;
    file.bDirty = file.eV1Change != Impl::V1Change::Keep;
    if (!v22) return CString();
  }
  if (v22 && major == 3 && !file.nConvertedMajor) {
    file.bDirty = file.bV2Dirty = file.bVersionOnly = true;
    return CString();
  }
  if (!file.pEngine->HasV2Tag()) return "The file has no ID3v2 tag to convert";
  // The tag with every edit so far, rendered as its engine would save it
  // (a v2.2 tag as v2.3), is what is converted.
  CRenderedTag rendered;
  CString error;
  if (!file.pEngine->Render(&rendered, &error, true)) return error;
  if (rendered.strTag.empty()) return "The file has no ID3v2 tag to convert";
  // An engine leaves the size to the writer.
  PutSyncsafe(reinterpret_cast<unsigned char*>(rendered.strTag.data()) + 6, rendered.strTag.size() - 10);
  std::string converted;
  if (!id3convert::ConvertTag(rendered.strTag, major, &converted, &error)) return error;
  file.AdoptConverted(converted, major);
  file.bVersionOnly = versionOnly;
  return CString();
}

CString CTagFile::SetV1Tag(bool present) {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  if (file.HasV1() == present) return CString();
  const CString refusal = file.PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  if (!present && file.scan.bLyrics3) return kLyrics3NeedsV1;
  using V1Change = Impl::V1Change;
  if (present)
    file.eV1Change = file.scan.bV1 ? V1Change::Keep : V1Change::Add;
  else
    file.eV1Change = file.scan.bV1 ? V1Change::Remove : V1Change::Keep;
  file.bDirty = file.bV2Dirty || file.eV1Change != V1Change::Keep || !file.v1Edits.IsEmpty();
  return CString();
}

CString CTagFile::RemoveAllTags() {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  const bool v2 = file.pEngine->HasV2Tag() || file.scan.eV2 != CTagScan::V2::None;
  if (!v2 && !file.HasV1()) return CString();
  const CString refusal = file.PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  if (file.HasV1() && file.scan.bLyrics3) return kLyrics3NeedsV1;
  // An empty tag object renders no ID3v2 tag: the file is left with none.
  file.AdoptConverted(std::string(), 3);
  file.bVersionOnly = false;
  file.v1Edits.Clear();
  file.eV1Change = file.scan.bV1 ? Impl::V1Change::Remove : Impl::V1Change::Keep;
  return CString();
}

std::vector<TagField> CTagFile::V1Losses() const {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  std::array<unsigned char, 128> block;
  if (!file.V1After(&block)) return {};
  std::vector<TagField> lost;
  for (const auto& [v1, field] : kV1Fields)
    if (!V1Holds(block.data(), v1, field == TagField::Genre ? file.Genre() : file.Text(field))) lost.push_back(field);
  return lost;
}

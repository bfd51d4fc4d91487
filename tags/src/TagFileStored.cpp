// An MP3 file's stored fields: the frames of the ID3v2 tag a save would
// write, listed and set one key at a time. A change makes the tag anew from
// the frames as they are, with the one key's frames replaced, and the value
// takes it as it takes a converted tag: every other frame keeps its bytes.
#include <tags/TagFile.h>

#include "ByteOrder.h"
#include "Id3Stored.h"
#include "TagFileImpl.h"

#include <array>

namespace {

// The ID3v2 tag the value's engine would save now (a v2.2 tag as v2.3),
// its size field set; empty when there is none.
bool CurrentTag(CTagFile::Impl& file, std::string* tag, CString* error, bool recheck) {
  CRenderedTag rendered;
  if (!file.pEngine->Render(&rendered, error, recheck)) return false;
  *tag = std::move(rendered.strTag);
  if (tag->size() >= 10) PutSyncsafe(reinterpret_cast<unsigned char*>(tag->data()) + 6, tag->size() - 10);
  return true;
}

}  // namespace

std::vector<CStoredField> CTagFile::StoredFields() const {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  if (!file.pEngine) return {};  // a file that cannot be read lists nothing
  std::string tag;
  CString error;
  if (!CurrentTag(file, &tag, &error, false)) return {};
  return id3stored::List(tag);
}

CString CTagFile::SetStored(const CString& key, const std::vector<CString>& values) {
  Impl& file = *m_pImpl;
  file.ReadIfStale();
  const auto apply = [&](std::string* tag, std::string* out) {
    CString error;
    if (!CurrentTag(file, tag, &error, true)) return error;
    return id3stored::Apply(*tag, file.V2Major(), key, values, out);
  };
  std::string tag, out;
  CString refusal = apply(&tag, &out);
  if (!refusal.IsEmpty() || out == tag) return refusal;
  refusal = file.PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  // The file may have been read again: the change is made on what it holds.
  refusal = apply(&tag, &out);
  if (!refusal.IsEmpty() || out == tag) return refusal;
  std::array<CString, kTagFieldCount> before;
  for (int i = 0; i < kTagFieldCount; ++i) before[i] = file.Text(static_cast<TagField>(i));
  const int major = file.V2Major();
  file.AdoptConverted(out, major);
  file.bVersionOnly = false;
  // A tag left without frames leaves the ID3v1 tag as it is; else the
  // fields changed reach it as a Set would.
  if (!out.empty())
    for (int i = 0; i < kTagFieldCount; ++i)
      if (file.Text(static_cast<TagField>(i)) != before[i]) file.MarkEdited(static_cast<TagField>(i));
  return {};
}

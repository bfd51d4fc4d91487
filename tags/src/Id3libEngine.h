#pragma once
// The id3lib engine: a file's ID3v2.3 tag (or none), over the id3lib tag
// object that CMyMP3Tags linked from memory. New frames hold Latin-1 where
// the value fits, else UTF-16; a save renders only the edited frames and
// keeps the bytes of every other one, or is refused.
#include "Id3Splice.h"
#include "TagEngine.h"

#include <cstddef>
#include <string>
#include <vector>

class ID3_Tag;

class CId3libEngine final : public CTagEngine {
 public:
  // The tag object stays the caller's and must outlive the engine. oldTag
  // (size bytes) is the file's ID3v2.3 tag as read, whose unedited frames a
  // save keeps; null when the file has no sound ID3v2.3 tag. Its bytes are
  // copied: a save keeps the frames that were read, even if the file
  // changes meanwhile (the writer then refuses).
  CId3libEngine(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size)
      : m_tag(tag), m_oldTag(oldTag ? std::string(reinterpret_cast<const char*>(oldTag), size) : std::string()) {}

  bool HasV2Tag() const override;
  CString GetText(TagField field) const override;
  void SetText(TagField field, const CString& value) override;
  bool Remove(TagField field) override;
  bool Render(CRenderedTag* out, CString* error, bool recheck) override;
  bool GetCover(CPictureView* out) const override;
  void SetCover(const std::string& image, const CString& mime) override;
  bool RemoveCover() override;

 private:
  ID3_Tag& m_tag;
  std::string m_oldTag;  // empty: the file had no ID3v2.3 tag
  std::vector<CFieldEdit> m_edits;  // the fields set or removed, in order
  bool m_bCoverAdded = false;       // the front cover is a picture added since the file was read
};

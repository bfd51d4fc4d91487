#pragma once
// The id3lib engine: a file's ID3v2.3 tag (or none), over the id3lib tag
// object that CMyMP3Tags linked from memory. New frames hold Latin-1 where
// the value fits, else UTF-16; a save renders only the edited frames and
// keeps the bytes of every other one where the old tag allows it.
#include "Id3Splice.h"
#include "TagEngine.h"

#include <cstddef>
#include <vector>

class ID3_Tag;

class CId3libEngine final : public CTagEngine {
 public:
  // The tag object stays the caller's, and so do the old tag's bytes
  // (oldTag, size bytes; null when the file has no sound ID3v2.3 tag, whose
  // unedited frames a save could keep): both must outlive the engine.
  // hiddenFrames: the old tag holds frames id3lib was not given (encrypted
  // ones), which only a save that keeps the old frames can keep.
  CId3libEngine(ID3_Tag& tag, const unsigned char* oldTag, std::size_t size, bool hiddenFrames)
      : m_tag(tag), m_pOldTag(oldTag), m_nOldTagSize(size), m_bHiddenFrames(hiddenFrames) {}

  bool HasV2Tag() const override;
  CString GetText(TagField field) const override;
  void SetText(TagField field, const CString& value) override;
  bool Remove(TagField field) override;
  bool Render(CRenderedTag* out, CString* error) override;

 private:
  ID3_Tag& m_tag;
  const unsigned char* m_pOldTag;
  std::size_t m_nOldTagSize;
  bool m_bHiddenFrames;
  std::vector<CFieldEdit> m_edits;  // the fields set or removed, in order
};

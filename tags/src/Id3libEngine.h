#pragma once
// The id3lib engine: a file's ID3v2.3 tag (or none), over the id3lib tag
// object that CMyMP3Tags linked from memory. New frames hold Latin-1 where
// the value fits, else UTF-16.
#include "TagEngine.h"

class ID3_Tag;

class CId3libEngine final : public CTagEngine {
 public:
  // The tag object stays the caller's and must outlive the engine.
  explicit CId3libEngine(ID3_Tag& tag) : m_tag(tag) {}

  bool HasV2Tag() const override;
  CString GetText(TagField field) const override;
  void SetText(TagField field, const CString& value) override;
  bool Remove(TagField field) override;
  bool Render(CRenderedTag* out, CString* error) override;

 private:
  ID3_Tag& m_tag;
};

#pragma once
// The TagLib engine: a file's ID3v2.4 or ID3v2.2 tag, parsed from memory
// frame by frame. A v2.4 tag stays v2.4, and every frame the user did not
// edit is kept byte for byte; a v2.2 tag is rendered as ID3v2.3 with all its
// frames converted, or not at all.
#include "TagEngine.h"

#include <cstddef>
#include <memory>

class CTagLibEngine final : public CTagEngine {
 public:
  // tag: the file's whole ID3v2 region (header to footer), size bytes, as
  // ScanTags found it sound. The bytes are copied.
  CTagLibEngine(const unsigned char* tag, std::size_t size);
  ~CTagLibEngine() override;
  CTagLibEngine(const CTagLibEngine&) = delete;
  CTagLibEngine& operator=(const CTagLibEngine&) = delete;

  bool HasV2Tag() const override { return true; }
  CString GetText(TagField field) const override;
  void SetText(TagField field, const CString& value) override;
  bool Remove(TagField field) override;
  bool Render(CRenderedTag* out, CString* error, bool recheck) override;
  CString EditRefusal(TagField field) const override;
  bool GetCover(CPictureView* out) const override;
  void SetCover(const std::string& image, const CString& mime) override;
  bool RemoveCover() override;
  CString CoverRefusal() const override;

  // Why saving would lose a frame (a v2.2 frame with no ID3v2.3 form);
  // empty when nothing would be lost.
  CString WriteRefusal();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

#pragma once
// What CMyMP3Tags asks of the library that reads and renders a file's ID3v2
// frames: id3lib for ID3v2.3 (and files without ID3v2), TagLib for v2.4 and
// v2.2. An engine works in memory only; the file is written by TagWriter.
#include <base/String.h>
#include <tags/TagFile.h>

#include <cstddef>
#include <string>


// A rendered ID3v2 tag: header and frames, no padding, no footer (the
// writer pads; a footer is asked for separately).
struct CRenderedTag {
  std::string strTag;    // empty: the file is left with no ID3v2 tag
  bool bFooter = false;  // an ID3v2.4 footer follows the frames
  bool bChecked = false; // read back before it was handed on: it gives every field the engine
                         // holds, so once written the engine shows what the file holds
};

// A picture as an engine holds it: valid until the engine changes.
struct CPictureView {
  CString strMime;
  const unsigned char* pData = nullptr;
  std::size_t nSize = 0;
  int nType = 0;   // its picture type, as ID3 numbers them (3: front cover)
  int nIndex = 0;  // its place among the tag's pictures, from 0
  int nCount = 0;  // how many pictures the tag holds
};

class CTagEngine {
 public:
  virtual ~CTagEngine() = default;

  // True when the file has an ID3v2 tag this engine reads.
  virtual bool HasV2Tag() const = 0;
  // The field's text as UTF-8; "-" when the tag has no such frame.
  virtual CString GetText(TagField field) const = 0;
  // Replaces the field's frame (or adds one) in memory.
  virtual void SetText(TagField field, const CString& value) = 0;
  // Removes the field's frame in memory; false when there was none.
  virtual bool Remove(TagField field) = 0;
  // Why the field's frame cannot be edited (it is there, but cannot be
  // read, so no other frame may stand in for it); empty when it can.
  virtual CString EditRefusal(TagField) const { return CString(); }

  // The front cover: the first picture of type 3, else the first picture;
  // false when there is none, or the pictures cannot all be read.
  virtual bool GetCover(CPictureView* out) const = 0;
  // Makes image (of the MIME type) the front cover: it replaces the first
  // picture of type 3 in its place, keeping its description, or is added
  // as one when there is none.
  virtual void SetCover(const std::string& image, const CString& mime) = 0;
  // Removes the front cover; false when there is none.
  virtual bool RemoveCover() = 0;
  // Why the front cover cannot be changed; empty when it can.
  virtual CString CoverRefusal() const { return CString(); }
  // The tag with every edit so far; false (with the reason) when it cannot
  // be rendered without losing a frame. Without recheck, new bytes are not
  // read back to check them: only for a render whose bytes are then compared
  // with ones rendered and checked before (a save's record, by its SHA-256).
  virtual bool Render(CRenderedTag* out, CString* error, bool recheck) = 0;
};

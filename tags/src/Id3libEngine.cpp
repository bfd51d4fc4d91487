#include "Id3libEngine.h"

#include "Id3Render.h"
#include "Id3Splice.h"
#include "Id3libFrames.h"
#include "TextCodec.h"

#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include <id3/tag.h>

namespace {

ID3_FrameID FrameIdOf(TagField field) {
  static const ID3_FrameID ids[] = {
      ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_COMMENT,    ID3FID_TRACKNUM,
      ID3FID_YEAR,       ID3FID_COMPOSER,   ID3FID_COPYRIGHT, ID3FID_ENCODEDBY,  ID3FID_ORIGARTIST,
      ID3FID_WWWUSER,    ID3FID_BAND,       ID3FID_PUBLISHER, ID3FID_CONDUCTOR,  ID3FID_CONTENTTYPE,
      ID3FID_PARTINSET,  ID3FID_UNSYNCEDLYRICS};
  static_assert(std::size(ids) == kTagFieldCount);
  return ids[static_cast<int>(field)];
}

}  // namespace

bool CId3libEngine::HasV2Tag() const { return m_tag.HasV2Tag(); }

CString CId3libEngine::GetText(TagField field) const {
  const ID3_Frame* frame = id3frames::FindField(m_tag, FrameIdOf(field));
  return frame ? id3frames::TextOf(*frame) : CString("-");
}

void CId3libEngine::SetText(TagField field, const CString& value) {
  const ID3_FrameID frameId = FrameIdOf(field);
  ID3_Frame frame(frameId);
  ID3_Frame* const old = id3frames::FindField(m_tag, frameId);
  if (frameId == ID3FID_COMMENT)
    frame.GetField(ID3FN_LANGUAGE)->Set(id3frames::NewCommentLanguage(m_tag).c_str());
  if (frameId == ID3FID_UNSYNCEDLYRICS) {
    // Lyrics replaced keep their description and language.
    const std::string language = old ? id3frames::FieldText(*old, ID3FN_LANGUAGE) : id3frames::NewCommentLanguage(m_tag);
    frame.GetField(ID3FN_LANGUAGE)->Set(language.c_str());
    const CString description = old ? CString(id3frames::FieldText(*old, ID3FN_DESCRIPTION)) : CString();
    // One encoding for both texts: UTF-16 when either needs it.
    std::string latin;
    const bool utf16 = !textcodec::Utf8ToLatin1(description + value, &latin);
    id3frames::SetFieldText(frame, ID3FN_DESCRIPTION, description, utf16);
    id3frames::SetFieldText(frame, ID3FN_TEXT, value, utf16);
  } else {
    id3frames::SetFieldText(frame, frameId == ID3FID_WWWUSER ? ID3FN_URL : ID3FN_TEXT, value);
  }
  // The field's frame takes the new value in its place; another frame of the
  // same identifier after it stays as it is, and is not the field.
  if (old)
    *old = frame;
  else
    m_tag.AddFrame(&frame);
  m_edits.push_back({frameId, value});
}

bool CId3libEngine::Remove(TagField field) {
  ID3_Frame* frame = id3frames::FindField(m_tag, FrameIdOf(field));
  if (!frame) return false;
  delete m_tag.RemoveFrame(frame);
  m_edits.push_back({FrameIdOf(field), CString(), true});
  return true;
}

bool CId3libEngine::GetCover(CPictureView* out) const {
  const ID3_Frame* frame = id3frames::FindCover(m_tag);
  if (!frame) return false;
  out->nCount = 0;
  std::unique_ptr<ID3_Tag::Iterator> it(m_tag.CreateIterator());
  while (const ID3_Frame* picture = it->GetNext()) {
    if (picture->GetID() != ID3FID_PICTURE) continue;
    if (picture == frame) out->nIndex = out->nCount;
    ++out->nCount;
  }
  out->nType = static_cast<int>(frame->GetField(ID3FN_PICTURETYPE)->Get());
  const ID3_Field* data = frame->GetField(ID3FN_DATA);
  out->strMime = id3frames::FieldText(*frame, ID3FN_MIMETYPE);
  out->pData = data->GetRawBinary();
  out->nSize = out->pData ? data->Size() : 0;
  return true;
}

void CId3libEngine::SetCover(const std::string& image, const CString& mime) {
  ID3_Frame* old = id3frames::FindCover(m_tag, true);
  ID3_Frame frame(ID3FID_PICTURE);
  id3frames::SetFieldText(frame, ID3FN_DESCRIPTION, old ? id3frames::FieldText(*old, ID3FN_DESCRIPTION) : "");
  frame.GetField(ID3FN_MIMETYPE)->Set(mime);
  frame.GetField(ID3FN_PICTURETYPE)->Set(3);
  frame.GetField(ID3FN_DATA)->Set(reinterpret_cast<const uchar*>(image.data()), image.size());
  if (old) {
    *old = frame;
  } else {
    m_tag.AddFrame(&frame);
    m_bCoverAdded = true;
  }
  m_edits.push_back({ID3FID_PICTURE, CString()});
}

bool CId3libEngine::RemoveCover() {
  ID3_Frame* frame = id3frames::FindCover(m_tag);
  if (!frame) return false;
  delete m_tag.RemoveFrame(frame);
  // A picture added since the file was read takes its edit along: the file's
  // own pictures stay as they were.
  if (std::exchange(m_bCoverAdded, false)) {
    std::erase_if(m_edits, [](const CFieldEdit& edit) { return edit.id == ID3FID_PICTURE; });
    return true;
  }
  m_edits.push_back({ID3FID_PICTURE, CString(), true});
  return true;
}

bool CId3libEngine::Render(CRenderedTag* out, CString* error, bool recheck) {
  // A file with an ID3v2.3 tag is saved only by keeping its frames; id3lib's
  // own rendering of the whole tag would change frames nobody edited (and
  // could not write those it was never given).
  if (!m_oldTag.empty()) {
    if (!RenderKeepingUneditedFrames(m_tag, reinterpret_cast<const unsigned char*>(m_oldTag.data()), m_oldTag.size(),
                                     m_edits, recheck, &out->strTag)) {
      *error = "The file's ID3v2 tag cannot be saved without changing frames that were not edited";
      return false;
    }
  } else {
    out->strTag = RenderId3v2(m_tag);
  }
  out->bFooter = false;
  // A file left with no ID3v2 tag shows its ID3v1 tag next, so it is read again.
  out->bChecked = !m_oldTag.empty() && !out->strTag.empty();
  return true;
}

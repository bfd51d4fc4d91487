#include "Id3libEngine.h"

#include "Id3Render.h"
#include "Id3Splice.h"
#include "Id3libFrames.h"
#include "TextCodec.h"

#include <id3/tag.h>

namespace {

ID3_FrameID FrameIdOf(TagField field) {
  static const ID3_FrameID ids[] = {
      ID3FID_LEADARTIST, ID3FID_ALBUM,      ID3FID_TITLE,     ID3FID_COMMENT,    ID3FID_TRACKNUM,
      ID3FID_YEAR,       ID3FID_COMPOSER,   ID3FID_COPYRIGHT, ID3FID_ENCODEDBY,  ID3FID_ORIGARTIST,
      ID3FID_WWWUSER,    ID3FID_BAND,       ID3FID_PUBLISHER, ID3FID_CONDUCTOR,  ID3FID_CONTENTTYPE};
  return ids[static_cast<int>(field)];
}

}  // namespace

bool CId3libEngine::HasV2Tag() const { return m_tag.HasV2Tag(); }

CString CId3libEngine::GetText(TagField field) const {
  const ID3_Frame* frame = id3frames::FindField(m_tag, FrameIdOf(field));
  if (!frame || !frame->Contains(ID3FN_TEXTENC)) return "-";
  const ID3_Field* text = nullptr;
  if (frame->Contains(ID3FN_TEXT))
    text = frame->GetField(ID3FN_TEXT);
  else if (frame->Contains(ID3FN_URL))
    text = frame->GetField(ID3FN_URL);
  if (!text) return "-";
  // The text is read in its own encoding; converting it inside the tag object
  // would lose every character beyond Latin-1 at the next write.
  const ID3_TextEnc enc = text->GetEncoding();
  // Size() counts the bytes of the text; id3lib does not always end it with a zero.
  if (enc == ID3TE_UTF16 || enc == ID3TE_UTF16BE)
    return textcodec::SwappedUtf16ToUtf8(reinterpret_cast<const unsigned short*>(text->GetRawUnicodeText()),
                                         text->Size() / 2);
  return textcodec::Latin1ToUtf8(text->GetRawText());
}

void CId3libEngine::SetText(TagField field, const CString& value) {
  const ID3_FrameID frameId = FrameIdOf(field);
  ID3_Frame frame(frameId);
  if (frameId == ID3FID_COMMENT)
    frame.GetField(ID3FN_LANGUAGE)->Set(id3frames::NewCommentLanguage(m_tag).c_str());
  if (ID3_Frame* old = id3frames::FindField(m_tag, frameId)) delete m_tag.RemoveFrame(old);

  ID3_Field* text = frame.GetField(frameId == ID3FID_WWWUSER ? ID3FN_URL : ID3FN_TEXT);
  std::string latin;
  if (textcodec::Utf8ToLatin1(value, &latin)) {
    text->Set(latin.c_str());
  } else {
    frame.GetField(ID3FN_TEXTENC)->Set(ID3TE_UTF16);
    text->SetEncoding(ID3TE_UTF16);
    const std::u16string units = textcodec::Utf8ToSwappedUtf16(value);
    text->Set(reinterpret_cast<const unicode_t*>(units.c_str()));
  }
  m_tag.AddFrame(&frame);
  m_edited.push_back(field);
}

bool CId3libEngine::Remove(TagField field) {
  ID3_Frame* frame = id3frames::FindField(m_tag, FrameIdOf(field));
  if (!frame) return false;
  delete m_tag.RemoveFrame(frame);
  m_edited.push_back(field);
  return true;
}

bool CId3libEngine::Render(CRenderedTag* out, CString*) {
  std::vector<ID3_FrameID> edited;
  for (TagField field : m_edited) edited.push_back(FrameIdOf(field));
  const bool spliced =
      m_pOldTag && RenderKeepingUneditedFrames(m_tag, m_pOldTag, m_nOldTagSize, edited, &out->strTag);
  if (!spliced) out->strTag = RenderId3v2(m_tag);
  out->bFooter = false;
  // A file left with no ID3v2 tag shows its ID3v1 tag next, so it is read again.
  out->bChecked = spliced && !out->strTag.empty();
  return true;
}

#include "Id3libFrames.h"

#include "FrameRules.h"
#include "TextCodec.h"

#include <memory>
#include <vector>

namespace id3frames {

// In its own encoding: converting the field inside the tag object would
// change the frame at the next write.
std::string FieldText(const ID3_Frame& frame, ID3_FieldID fieldId) {
  if (!frame.Contains(fieldId)) return std::string();
  const ID3_Field* field = frame.GetField(fieldId);
  const ID3_TextEnc enc = field->GetEncoding();
  if (enc == ID3TE_UTF16 || enc == ID3TE_UTF16BE) {
    const unicode_t* units = field->GetRawUnicodeText();
    if (!units) return std::string();
    return textcodec::SwappedUtf16ToUtf8(reinterpret_cast<const unsigned short*>(units), field->Size() / 2).Str();
  }
  const char* text = field->GetRawText();
  return text ? textcodec::Latin1ToUtf8(text).Str() : std::string();
}

void SetFieldText(ID3_Frame& frame, ID3_FieldID fieldId, const CString& value, bool utf16) {
  ID3_Field* text = frame.GetField(fieldId);
  std::string latin;
  if (!utf16 && textcodec::Utf8ToLatin1(value, &latin)) {
    text->Set(latin.c_str());
    return;
  }
  frame.GetField(ID3FN_TEXTENC)->Set(ID3TE_UTF16);
  text->SetEncoding(ID3TE_UTF16);
  const std::u16string units = textcodec::Utf8ToSwappedUtf16(value);
  text->Set(reinterpret_cast<const unicode_t*>(units.c_str()));
}

namespace {

bool HasDescription(ID3_FrameID id) {
  return id == ID3FID_COMMENT || id == ID3FID_WWWUSER || id == ID3FID_UNSYNCEDLYRICS;
}

}  // namespace

// id3lib's own Find searches on from the frame it found last, so two reads
// of one field could give two frames; the tag is walked from its start.
ID3_Frame* FindField(ID3_Tag& tag, ID3_FrameID id) {
  std::unique_ptr<ID3_Tag::Iterator> it(tag.CreateIterator());
  ID3_Frame* first = nullptr;
  while (ID3_Frame* frame = it->GetNext()) {
    if (frame->GetID() != id) continue;
    if (!HasDescription(id) || framerules::IsFieldFrame(FieldText(*frame, ID3FN_DESCRIPTION))) return frame;
    if (!first) first = frame;
  }
  // Lyrics are the file's own whatever they are described as.
  return id == ID3FID_UNSYNCEDLYRICS ? first : nullptr;
}

ID3_Frame* FindCover(ID3_Tag& tag, bool frontOnly) {
  std::unique_ptr<ID3_Tag::Iterator> it(tag.CreateIterator());
  ID3_Frame* first = nullptr;
  while (ID3_Frame* frame = it->GetNext()) {
    if (frame->GetID() != ID3FID_PICTURE) continue;
    if (frame->GetField(ID3FN_PICTURETYPE)->Get() == 3) return frame;
    if (!first) first = frame;
  }
  return frontOnly ? nullptr : first;
}

CString TextOf(const ID3_Frame& frame) {
  if (!frame.Contains(ID3FN_TEXTENC)) return "-";
  if (frame.Contains(ID3FN_TEXT)) return CString(FieldText(frame, ID3FN_TEXT));
  if (frame.Contains(ID3FN_URL)) return CString(FieldText(frame, ID3FN_URL));
  return "-";
}

std::string NewCommentLanguage(ID3_Tag& tag) {
  std::vector<std::string> languages;
  if (const ID3_Frame* field = FindField(tag, ID3FID_COMMENT)) languages.push_back(FieldText(*field, ID3FN_LANGUAGE));
  std::unique_ptr<ID3_Tag::Iterator> it(tag.CreateIterator());
  while (const ID3_Frame* frame = it->GetNext())
    if (frame->GetID() == ID3FID_COMMENT) languages.push_back(FieldText(*frame, ID3FN_LANGUAGE));
  return framerules::CommentLanguage(languages);
}

void AdoptId3v1Comment(ID3_Tag& tag) {
  std::unique_ptr<ID3_Tag::Iterator> it(tag.CreateIterator());
  while (ID3_Frame* frame = it->GetNext())
    if (frame->GetID() == ID3FID_COMMENT && FieldText(*frame, ID3FN_DESCRIPTION) == "ID3v1 Comment") {
      frame->GetField(ID3FN_DESCRIPTION)->Set("");
      frame->GetField(ID3FN_LANGUAGE)->Set("eng");
    }
}

}  // namespace id3frames

#include "TagLibEngine.h"

#include "FrameRules.h"
#include "ByteOrder.h"
#include "TagCheck.h"
#include "TextCodec.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/urllinkframe.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using TagLib::ByteVector;
using TagLib::String;
namespace id3 = TagLib::ID3v2;

// The ID3v2.3 frame each ID3v2.2 frame becomes, from the two versions'
// frame lists (and the iTunes additions). A v2.2 frame not listed here has
// no v2.3 form.
const std::map<std::string, std::string> kV22ToV23 = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"}, {"POP", "POPM"},
    {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"},
    {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
    {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
    {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"}, {"TSP", "TSOP"}, {"TS2", "TSO2"},
    {"TSC", "TSOC"}};

// v2.2 frames that TagLib 1.13 converts wrongly (TOA to TOAL, TXT to TOLY,
// TRD to TDRC) or drops although ID3v2.3 has them: they are given their
// v2.3 identifier here, before TagLib picks a frame class.
const char* const kTagLibV22Mends[][2] = {{"TOA", "TOPE"}, {"TXT", "TEXT"}, {"TRD", "TRDA"}, {"TDA", "TDAT"},
                                          {"TIM", "TIME"}, {"TSI", "TSIZ"}, {"EQU", "EQUA"}, {"RVA", "RVAD"}};

// TagLib hides the frame header type from frame factories of its users; the
// one factory hook names it, so its type is taken from there.
template <class F>
struct FirstArgument;
template <class R, class C, class A>
struct FirstArgument<R (C::*)(A) const> {
  using Type = A;
};

class CFrameFactory final : public id3::FrameFactory {
  using HeaderPointer = FirstArgument<decltype(&CFrameFactory::updateFrame)>::Type;

 protected:
  bool updateFrame(HeaderPointer header) const override {
    if (header->version() == 2)
      for (const auto& mend : kTagLibV22Mends)
        if (header->frameID() == mend[0]) {
          header->setFrameID(mend[1]);
          return true;
        }
    // A v2.2 frame converted is read again as ID3v2.3 (see RenderV23); the
    // frames above keep their ID3v2.3 identifiers there too.
    if (header->version() == 3)
      for (const auto& mend : kTagLibV22Mends)
        if (header->frameID() == mend[1]) return true;
    return FrameFactory::updateFrame(header);
  }
};

const CFrameFactory& Factory() {
  static const CFrameFactory factory;
  return factory;
}

// The frame identifier of each field; the year is TDRC (TYER read too).
const char* FrameIdOf(TagField field) {
  static const char* const ids[] = {"TPE1", "TALB", "TIT2", "COMM", "TRCK", "TDRC", "TCOM", "TCOP", "TENC",
                                    "TOPE", "WXXX", "TPE2", "TPUB", "TPE3", "TCON", "TPOS", "USLT"};
  static_assert(std::size(ids) == kTagFieldCount);
  return ids[static_cast<int>(field)];
}

std::string LanguageOf(const auto& frame) {
  const ByteVector language = dynamic_cast<const id3::CommentsFrame&>(*frame.parsed).language();
  return std::string(language.data(), language.size());
}

const id3::UnsynchronizedLyricsFrame* LyricsOf(const id3::Frame* frame) {
  return dynamic_cast<const id3::UnsynchronizedLyricsFrame*>(frame);
}

String FromUtf8(const CString& value) { return String(value.Str(), String::UTF8); }

CString ToUtf8(const String& text) { return CString(text.to8Bit(true)); }

// True when two parsings of one frame give the program and other taggers the
// same: texts, and descriptions and languages where the frame has them.
bool SameReading(const id3::Frame& a, const id3::Frame& b) {
  if (a.toString() != b.toString()) return false;
  const auto* textA = dynamic_cast<const id3::TextIdentificationFrame*>(&a);
  const auto* textB = dynamic_cast<const id3::TextIdentificationFrame*>(&b);
  if (textA && (!textB || textA->fieldList() != textB->fieldList())) return false;
  const auto* commentA = dynamic_cast<const id3::CommentsFrame*>(&a);
  const auto* commentB = dynamic_cast<const id3::CommentsFrame*>(&b);
  if (commentA && (!commentB || commentA->description() != commentB->description() ||
                   commentA->language() != commentB->language()))
    return false;
  const auto* urlA = dynamic_cast<const id3::UserUrlLinkFrame*>(&a);
  const auto* urlB = dynamic_cast<const id3::UserUrlLinkFrame*>(&b);
  return !urlA || (urlB && urlA->description() == urlB->description());
}

const unsigned char* BytesOf(const ByteVector& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

}  // namespace

struct CTagLibEngine::Impl {
  struct Frame {
    ByteVector raw;                        // as it lies in the tag (v2.4 size made synchsafe)
    std::unique_ptr<id3::Frame> parsed;    // null when TagLib could not parse it
    std::string strStoredId;               // the identifier in the file (3 letters in v2.2)
    bool bEdited = false;                  // parsed holds a new value; raw is stale
    bool bRemoved = false;
  };

  int nMajor = 4;
  unsigned char nFlags = 0;
  id3::Header header;
  std::vector<Frame> frames;
  bool bRefusalKnown = false;
  CString strRefusal;

  void Parse(const unsigned char* tag, std::size_t size);
  std::string IdOf(const Frame& frame) const;
  // The field's frame: the first of its identifier (of a comment or link,
  // the first without a description); null when there is none, or when it
  // cannot be parsed (unreadable then names it: no other frame stands in).
  Frame* Find(TagField field, std::string* unreadable = nullptr);
  const Frame* Find(TagField field) const { return const_cast<Impl*>(this)->Find(field); }
  // The front cover by the same rule (the first picture of type 3, else,
  // unless frontOnly, the first); null also when a picture that could be it
  // cannot be parsed (*unreadable is then set).
  Frame* FindCover(bool frontOnly, bool* unreadable = nullptr);
  // Puts a new frame in the place of old, or after the others when old is null.
  void Replace(Frame* old, std::unique_ptr<id3::Frame> frame);
  String::Type EncodingFor(const CString& value) const;
  std::unique_ptr<id3::Frame> NewFrame(TagField field, const CString& value, const Frame* old) const;
  CString StoredText(const Frame& frame) const;
  bool RenderV24(CRenderedTag* out) const;
  bool RenderV23(CRenderedTag* out, CString* error);
};

void CTagLibEngine::Impl::Parse(const unsigned char* tag, std::size_t size) {
  header.setData(ByteVector(reinterpret_cast<const char*>(tag), 10));
  nMajor = tag[3];
  nFlags = tag[5];
  // The frames where the tag check found them (a v2.2 tag's unsynchronisation
  // undone; a v2.4 tag's, frame by frame, TagLib undoes itself).
  CTagFrames walked;
  if (!WalkTagFrames(tag, size, &walked)) return;
  const std::size_t headerSize = nMajor == 2 ? 6 : 10;
  for (const CTagFrames::Span& span : walked.frames) {
    Frame frame;
    frame.raw = ByteVector(reinterpret_cast<const char*>(walked.body.data() + span.nPos), span.nSize);
    if (nMajor == 4) PutSyncsafe(reinterpret_cast<unsigned char*>(frame.raw.data()) + 4, span.nSize - headerSize);
    frame.strStoredId.assign(frame.raw.data(), nMajor == 2 ? 3 : 4);
    frame.parsed.reset(Factory().createFrame(frame.raw, &header));
    frames.push_back(std::move(frame));
  }
}

// A frame TagLib could not parse has the identifier it was stored under
// (a v2.2 one's v2.3 form).
std::string CTagLibEngine::Impl::IdOf(const Frame& frame) const {
  if (frame.parsed) return std::string(frame.parsed->frameID().data(), frame.parsed->frameID().size());
  if (nMajor != 2) return frame.strStoredId;
  const auto it = kV22ToV23.find(frame.strStoredId);
  return it == kV22ToV23.end() ? frame.strStoredId : it->second;
}

CTagLibEngine::Impl::Frame* CTagLibEngine::Impl::Find(TagField field, std::string* unreadable) {
  const bool lyrics = field == TagField::Lyrics;
  const bool described = field == TagField::Comment || field == TagField::URL || lyrics;
  Frame* first = nullptr;
  for (const char* id : {FrameIdOf(field), field == TagField::Year ? "TYER" : nullptr}) {
    if (!id) break;
    for (Frame& frame : frames) {
      if (frame.bRemoved || IdOf(frame) != id) continue;
      // Described comments and links belong to other programs.
      std::string description;
      if (const auto* comment = dynamic_cast<const id3::CommentsFrame*>(frame.parsed.get()))
        description = comment->description().to8Bit(true);
      else if (const auto* url = dynamic_cast<const id3::UserUrlLinkFrame*>(frame.parsed.get()))
        description = url->description().to8Bit(true);
      else if (const auto* text = LyricsOf(frame.parsed.get()))
        description = text->description().to8Bit(true);
      else if (described || !frame.parsed) {
        if (unreadable) *unreadable = id;
        return nullptr;
      }
      if (!described || framerules::IsFieldFrame(description)) return &frame;
      if (!first) first = &frame;
    }
  }
  // Lyrics with a description are the field when none has none.
  return lyrics ? first : nullptr;
}

CTagLibEngine::Impl::Frame* CTagLibEngine::Impl::FindCover(bool frontOnly, bool* unreadable) {
  Frame* first = nullptr;
  for (Frame& frame : frames) {
    if (frame.bRemoved || IdOf(frame) != "APIC") continue;
    const auto* picture = dynamic_cast<const id3::AttachedPictureFrame*>(frame.parsed.get());
    if (!picture) {
      if (unreadable) *unreadable = true;
      return nullptr;
    }
    if (picture->type() == id3::AttachedPictureFrame::FrontCover) return &frame;
    if (!first) first = &frame;
  }
  return frontOnly ? nullptr : first;
}

void CTagLibEngine::Impl::Replace(Frame* old, std::unique_ptr<id3::Frame> frame) {
  if (!old) {
    frames.push_back(Frame{});
    old = &frames.back();
  }
  old->parsed = std::move(frame);
  old->bEdited = true;
  bRefusalKnown = false;
}

// TagLib rewrites a genre such as "(17)" as "17" when it parses a TCON
// frame; parsed under an identifier of no meaning, its text is as stored.
CString CTagLibEngine::Impl::StoredText(const Frame& frame) const {
  if (frame.bEdited) return ToUtf8(frame.parsed->toString());
  ByteVector raw = frame.raw;
  raw[nMajor == 2 ? 2 : 3] = 'X';
  const std::unique_ptr<id3::Frame> plain(Factory().createFrame(raw, &header));
  const auto* text = dynamic_cast<const id3::TextIdentificationFrame*>(plain.get());
  return text ? ToUtf8(text->fieldList().toString("; ")) : CString("-");
}

String::Type CTagLibEngine::Impl::EncodingFor(const CString& value) const {
  std::string latin;
  if (textcodec::Utf8ToLatin1(value, &latin)) return String::Latin1;
  // A v2.2 tag is saved as ID3v2.3, which has no UTF-8.
  return nMajor == 4 ? String::UTF8 : String::UTF16;
}

std::unique_ptr<id3::Frame> CTagLibEngine::Impl::NewFrame(TagField field, const CString& value,
                                                          const Frame* old) const {
  if (field == TagField::URL) {
    auto url = std::make_unique<id3::UserUrlLinkFrame>(String::Latin1);
    url->setUrl(FromUtf8(framerules::StoredUrl(value)));
    return url;
  }
  const String::Type encoding = EncodingFor(value);
  if (field == TagField::Lyrics) {
    // Lyrics replaced keep their description and language; new ones take the comment's language.
    const auto* was = old ? LyricsOf(old->parsed.get()) : nullptr;
    const String description = was ? was->description() : String();
    std::vector<std::string> languages;
    for (const Frame& frame : frames)
      if (!frame.bRemoved && dynamic_cast<const id3::CommentsFrame*>(frame.parsed.get()))
        languages.push_back(LanguageOf(frame));
    auto lyrics = std::make_unique<id3::UnsynchronizedLyricsFrame>(
        encoding == String::Latin1 ? EncodingFor(ToUtf8(description)) : encoding);
    lyrics->setLanguage(was ? was->language() : ByteVector(framerules::CommentLanguage(languages).c_str(), 3));
    lyrics->setDescription(description);
    lyrics->setText(FromUtf8(value));
    return lyrics;
  }
  if (field == TagField::Comment) {
    auto comment = std::make_unique<id3::CommentsFrame>(encoding);
    // The replaced comment's language first, then those of the others.
    std::vector<std::string> languages;
    if (old) languages.push_back(LanguageOf(*old));
    for (const Frame& frame : frames)
      if (!frame.bRemoved && &frame != old && dynamic_cast<const id3::CommentsFrame*>(frame.parsed.get()))
        languages.push_back(LanguageOf(frame));
    comment->setLanguage(ByteVector(framerules::CommentLanguage(languages).c_str(), 3));
    comment->setText(FromUtf8(value));
    return comment;
  }
  // A year edited where the file had TYER stays TYER; in a v2.2 tag saved
  // as v2.3 it becomes TYER too, which TagLib would drop when the text is
  // not a date.
  ByteVector id = old ? old->parsed->frameID() : ByteVector(FrameIdOf(field));
  if (field == TagField::Year && nMajor == 2) id = "TYER";
  auto text = std::make_unique<id3::TextIdentificationFrame>(id, encoding);
  // An ID3v2.4 frame's several values show as "A; B", and go back as several
  // values; ID3v2.3 has one text per frame.
  if (nMajor == 4)
    text->setText(FromUtf8(value).split("; "));
  else
    text->setText(FromUtf8(value));
  return text;
}

bool CTagLibEngine::Impl::RenderV24(CRenderedTag* out) const {
  // The extended header goes: its CRC and restrictions describe the old
  // frames. A tag unsynchronised as a whole becomes one whose old frames say
  // so each, since the new frames are not unsynchronised.
  const bool wholeUnsync = nFlags & 0x80;
  std::string body;
  for (const Frame& frame : frames) {
    if (frame.bRemoved) continue;
    if (frame.bEdited) {
      const ByteVector rendered = frame.parsed->render();
      body.append(rendered.data(), rendered.size());
      continue;
    }
    std::string raw(frame.raw.data(), frame.raw.size());
    if (wholeUnsync) raw[9] = static_cast<char>(raw[9] | 0x02);
    body += raw;
  }
  // A footer is optional at the start of a file, and TagLib 1.13 misses the
  // last frame before one: the tag is written without it, with padding.
  out->bFooter = false;
  if (body.empty()) {
    out->strTag.clear();
    return true;
  }
  const unsigned char flags = nFlags & ~(0x80 | 0x40 | 0x10);
  out->strTag = std::string("ID3\x04\x00", 5) + static_cast<char>(flags) + std::string(4, '\0') + body;
  return true;
}

bool CTagLibEngine::Impl::RenderV23(CRenderedTag* out, CString* error) {
  // Every v2.2 frame must come out as the v2.3 frame it stands for: TagLib
  // drops what it cannot convert without a word.
  const auto noV23Form = [error](const Frame& frame) {
    *error = CString::Formatted("The file's ID3v2.2 frame %s has no ID3v2.3 form", frame.strStoredId.c_str());
    return false;
  };
  std::map<std::string, int> expected;
  for (const Frame& frame : frames) {
    if (frame.bRemoved || frame.bEdited) continue;
    const auto it = kV22ToV23.find(frame.strStoredId);
    if (it == kV22ToV23.end() || !frame.parsed) return noV23Form(frame);
    // A picture's image format becomes a MIME type: known for PNG and JPEG.
    if (frame.strStoredId == "PIC" && (frame.raw.size() < 10 || static_cast<unsigned char>(frame.raw[6]) > 1 ||
                                       (std::string(frame.raw.data() + 7, 3) != "PNG" &&
                                        std::string(frame.raw.data() + 7, 3) != "JPG"))) {
      *error = "The file's ID3v2.2 picture (PIC) is of a kind ID3v2.3 cannot name";
      return false;
    }
    ++expected[it->second];
  }
  id3::Tag tag;
  for (Frame& frame : frames)
    if (!frame.bRemoved) tag.addFrame(frame.parsed.get());
  const ByteVector rendered = tag.render(id3::v3);
  // The tag owns what it was given until the frames are taken back.
  for (Frame& frame : frames)
    if (!frame.bRemoved) tag.removeFrame(frame.parsed.get(), false);

  CTagFrames walked;
  if (!WalkTagFrames(BytesOf(rendered), rendered.size(), &walked)) {
    *error = "The file's ID3v2.2 tag could not be converted";
    return false;
  }
  for (const CTagFrames::Span& span : walked.frames)
    --expected[std::string(reinterpret_cast<const char*>(walked.body.data() + span.nPos), 4)];
  for (const auto& [id, missing] : expected) {
    if (missing <= 0) continue;
    for (const Frame& frame : frames) {
      const auto it = kV22ToV23.find(frame.strStoredId);
      if (!frame.bRemoved && !frame.bEdited && it != kV22ToV23.end() && it->second == id) return noV23Form(frame);
    }
  }
  // A frame whose data has one form in both versions (all but PIC) is taken
  // as it was: TagLib renders it again from what it read, which may differ
  // (UTF-16 byte order, a text it could not read, a missing terminator). It
  // must read as it did: a damaged frame may read otherwise in ID3v2.3.
  id3::Header v23;
  v23.setMajorVersion(3);
  std::map<std::string, std::vector<std::string>> renderedById;
  for (const CTagFrames::Span& span : walked.frames) {
    const std::string frame(reinterpret_cast<const char*>(walked.body.data() + span.nPos), span.nSize);
    renderedById[frame.substr(0, 4)].push_back(frame);
  }
  std::map<std::string, std::size_t> taken;
  std::string body;
  for (const Frame& frame : frames) {
    if (frame.bRemoved) continue;
    const std::string id = frame.bEdited ? std::string(frame.parsed->frameID().data(), 4) : kV22ToV23.at(frame.strStoredId);
    const std::vector<std::string>& rendered = renderedById[id];
    const std::size_t k = taken[id]++;
    if (k >= rendered.size()) return noV23Form(frame);
    if (frame.bEdited || frame.strStoredId == "PIC") {
      body += rendered[k];
      continue;
    }
    std::string converted = id + std::string(6, '\0') + std::string(frame.raw.data() + 6, frame.raw.size() - 6);
    PutBe32(reinterpret_cast<unsigned char*>(converted.data()) + 4, frame.raw.size() - 6);
    const std::unique_ptr<id3::Frame> again(Factory().createFrame(ByteVector(converted.data(), converted.size()), &v23));
    if (!again || !SameReading(*frame.parsed, *again)) {
      *error = CString::Formatted("The file's ID3v2.2 frame %s would read otherwise as ID3v2.3", frame.strStoredId.c_str());
      return false;
    }
    body += converted;
  }
  out->bFooter = false;
  if (body.empty())
    out->strTag.clear();
  else
    out->strTag = std::string(rendered.data(), 10) + body;
  return true;
}

CTagLibEngine::CTagLibEngine(const unsigned char* tag, std::size_t size) : m_pImpl(std::make_unique<Impl>()) {
  if (size >= 10) m_pImpl->Parse(tag, size);
}

CTagLibEngine::~CTagLibEngine() = default;

CString CTagLibEngine::GetText(TagField field) const {
  const Impl::Frame* frame = m_pImpl->Find(field);
  if (!frame) return "-";
  if (field == TagField::Genre) return m_pImpl->StoredText(*frame);
  if (const auto* comment = dynamic_cast<const id3::CommentsFrame*>(frame->parsed.get()))
    return ToUtf8(comment->text());
  if (const auto* url = dynamic_cast<const id3::UserUrlLinkFrame*>(frame->parsed.get())) return ToUtf8(url->url());
  if (const auto* lyrics = LyricsOf(frame->parsed.get())) return ToUtf8(lyrics->text());
  if (const auto* text = dynamic_cast<const id3::TextIdentificationFrame*>(frame->parsed.get()))
    return ToUtf8(text->fieldList().toString("; "));
  return "-";
}

void CTagLibEngine::SetText(TagField field, const CString& value) {
  Impl::Frame* old = m_pImpl->Find(field);
  m_pImpl->Replace(old, m_pImpl->NewFrame(field, value, old));
}

bool CTagLibEngine::Remove(TagField field) {
  Impl::Frame* frame = m_pImpl->Find(field);
  if (!frame) return false;
  frame->bRemoved = true;
  m_pImpl->bRefusalKnown = false;
  return true;
}

CString CTagLibEngine::EditRefusal(TagField field) const {
  std::string unreadable;
  m_pImpl->Find(field, &unreadable);
  if (unreadable.empty()) return CString();
  return CString::Formatted("The file's %s frame cannot be read, so it is not changed", unreadable.c_str());
}

bool CTagLibEngine::GetCover(CPictureView* out) const {
  const Impl::Frame* frame = m_pImpl->FindCover(false);
  if (!frame) return false;
  const auto& picture = dynamic_cast<const id3::AttachedPictureFrame&>(*frame->parsed);
  out->nCount = 0;
  for (const Impl::Frame& other : m_pImpl->frames) {
    if (other.bRemoved || m_pImpl->IdOf(other) != "APIC") continue;
    if (&other == frame) out->nIndex = out->nCount;
    ++out->nCount;
  }
  out->nType = static_cast<int>(picture.type());
  out->strMime = ToUtf8(picture.mimeType());
  // A ByteVector shares its bytes with its copies: these stay the frame's.
  const ByteVector bytes = picture.picture();
  out->pData = BytesOf(bytes);
  out->nSize = bytes.size();
  return true;
}

void CTagLibEngine::SetCover(const std::string& image, const CString& mime) {
  Impl::Frame* old = m_pImpl->FindCover(true);
  const CString description =
      old ? ToUtf8(dynamic_cast<const id3::AttachedPictureFrame&>(*old->parsed).description()) : CString();
  auto picture = std::make_unique<id3::AttachedPictureFrame>();
  picture->setTextEncoding(m_pImpl->EncodingFor(description));
  picture->setDescription(FromUtf8(description));
  picture->setMimeType(FromUtf8(mime));
  picture->setType(id3::AttachedPictureFrame::FrontCover);
  picture->setPicture(ByteVector(image.data(), static_cast<unsigned int>(image.size())));
  m_pImpl->Replace(old, std::move(picture));
}

bool CTagLibEngine::RemoveCover() {
  Impl::Frame* frame = m_pImpl->FindCover(false);
  if (!frame) return false;
  if (frame->strStoredId.empty())  // added since the file was read
    m_pImpl->frames.erase(m_pImpl->frames.begin() + (frame - m_pImpl->frames.data()));
  else
    frame->bRemoved = true;
  m_pImpl->bRefusalKnown = false;
  return true;
}

CString CTagLibEngine::CoverRefusal() const {
  bool unreadable = false;
  m_pImpl->FindCover(false, &unreadable);
  return unreadable ? CString("The file's pictures cannot all be read, so its cover is not changed") : CString();
}

bool CTagLibEngine::Render(CRenderedTag* out, CString* error, bool /*recheck: its checks are cheap*/) {
  return m_pImpl->nMajor == 4 ? m_pImpl->RenderV24(out) : m_pImpl->RenderV23(out, error);
}

CString CTagLibEngine::WriteRefusal() {
  // A v2.4 tag keeps every frame as it is; only a conversion can lose one.
  if (m_pImpl->nMajor == 4) return CString();
  if (!m_pImpl->bRefusalKnown) {
    CRenderedTag ignored;
    m_pImpl->strRefusal.Empty();
    Render(&ignored, &m_pImpl->strRefusal, true);
    m_pImpl->bRefusalKnown = true;
  }
  return m_pImpl->strRefusal;
}

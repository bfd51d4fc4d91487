#include <tags/MyMP3Tags.h>

#include "FileState.h"
#include "FrameRules.h"
#include "Id3Splice.h"
#include "Id3libFrames.h"
#include "Id3Render.h"
#include "TagWriter.h"
#include "TextCodec.h"
#include "V1Tag.h"

#include <id3/readers.h>
#include <id3/tag.h>

#include <algorithm>

namespace {

// The tag types Link reads: ID3v1 and ID3v2. id3lib turns a Lyrics3 or
// MusicMatch block into ID3v2 frames ("Converted from Lyrics3 v2.00") that
// the next write would add to the tag; those blocks stay where they are and
// are only detected (CTagScan).
constexpr flags_t kLinkFlags = ID3TT_ID3V1 | ID3TT_ID3V2;

CString ReadOnlyReason(const CMappedFile& map, const CTagScan& scan, const CMpegFrame& frame) {
  if (!map.IsOpen()) return "The file cannot be opened";
  if (map.Size() == 0) return "The file is empty";
  if (scan.eV2 == CTagScan::V2::Unsafe) return "The file's ID3v2 tag is damaged and cannot be read safely";
  if (scan.eV2 == CTagScan::V2::ReadOnly)
    return CString::Formatted("The file's ID3v2.%d tag cannot be written without losing frames", scan.nMajor);
  if (!frame.bFound) return "The file is not MPEG audio";
  return CString();
}

const ID3_FrameID kRemovedByRemoveAll[] = {
    ID3FID_LEADARTIST, ID3FID_ALBUM,     ID3FID_TITLE,      ID3FID_COMMENT,   ID3FID_TRACKNUM,
    ID3FID_YEAR,       ID3FID_COMPOSER,  ID3FID_COPYRIGHT,  ID3FID_ENCODEDBY, ID3FID_ORIGARTIST,
    ID3FID_BAND,       ID3FID_PUBLISHER, ID3FID_CONDUCTOR};

// The ID3v1 field a frame is copied into, if any.
bool V1FieldOf(ID3_FrameID id, V1Field* field) {
  switch (id) {
    case ID3FID_TITLE: *field = V1Field::Title; return true;
    case ID3FID_LEADARTIST: *field = V1Field::Artist; return true;
    case ID3FID_ALBUM: *field = V1Field::Album; return true;
    case ID3FID_YEAR: *field = V1Field::Year; return true;
    case ID3FID_COMMENT: *field = V1Field::Comment; return true;
    case ID3FID_TRACKNUM: *field = V1Field::Track; return true;
    default: return false;
  }
}

}  // namespace

CMyMP3Tags::CMyMP3Tags() : m_pTag(std::make_unique<ID3_Tag>(nullptr)) {}

// Edits of an open group are written rather than lost.
CMyMP3Tags::~CMyMP3Tags() { EndUpdate(); }

void CMyMP3Tags::Link(CString fileName) {
  if (m_bLinked) return;
  m_bLinked = true;
  m_strLastWriteError.Empty();
  m_pFile = std::make_unique<FileState>();
  m_pFile->strPath = fileName;
  ReadLinkedFile();
}

void CMyMP3Tags::ReadLinkedFile() {
  FileState& file = *m_pFile;
  file.bStale = false;
  file.pMap = std::make_unique<CMappedFile>(file.strPath);
  const CMappedFile& map = *file.pMap;
  file.nFileSize = static_cast<long>(map.Size());
  file.scan = ScanTags(map.Data(), map.Size());

  // With an ID3v2 tag present, id3lib's ID3v1 merge rewrites its frames
  // through 7-bit text, so the ID3v1 tag is then only detected, not read.
  // A tag that cannot be parsed safely is skipped; the audio after it is read.
  std::size_t start = 0;
  file.nLinkFlags = kLinkFlags;
  if (file.scan.eV2 == CTagScan::V2::Unsafe) {
    start = file.scan.nV2End;
    file.nLinkFlags = kLinkFlags & ~ID3TT_ID3V2;
  } else if (file.scan.eV2 != CTagScan::V2::None) {
    file.nLinkFlags = kLinkFlags & ~ID3TT_ID3V1;
  }
  if (file.scan.bV1) std::copy(map.Data() + map.Size() - file.oldV1.size(), map.Data() + map.Size(), file.oldV1.begin());
  file.firstFrame = FindFirstFrame(map.Data(), map.Size(), file.scan.nV2End);
  file.strReadOnlyReason = ReadOnlyReason(map, file.scan, file.firstFrame);
  if (map.Size() > start) {
    ID3_MemoryReader reader(reinterpret_cast<const char*>(map.Data() + start), map.Size() - start);
    m_pTag->Link(reader, file.nLinkFlags);
    if (file.nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*m_pTag);
  }
}

bool CMyMP3Tags::ReadIfStale() {
  if (!m_bLinked) return false;
  if (m_pFile->bStale) ReadLinkedFile();
  return true;
}

void CMyMP3Tags::LinkFromDisk(CString fileName) {
  if (m_bLinked) return;
  Link(fileName);
  if (m_pFile->scan.eV2 == CTagScan::V2::Unsafe || !m_pFile->pMap->IsOpen()) return;
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
  m_pTag->Link(fileName, m_pFile->nLinkFlags);
  if (m_pFile->nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*m_pTag);
  m_pFile->bPathLinked = true;
}

void CMyMP3Tags::Reset() {
  if (!m_bLinked) return;
  EndUpdate();
  // A tag linked by name is dropped whole so the next Link starts afresh.
  if (m_pFile && m_pFile->bPathLinked)
    m_pTag = std::make_unique<ID3_Tag>(nullptr);
  else
    m_pTag->Clear();
  m_pFile.reset();
  m_bLinked = false;
  m_bHeaderInfo = false;
}

long CMyMP3Tags::GetFileSize() { return ReadIfStale() ? m_pFile->nFileSize : -1; }

int CMyMP3Tags::isV1Tag() {
  if (!ReadIfStale()) return -1;
  if (m_pFile->nLinkFlags & ID3TT_ID3V1) return m_pTag->HasV1Tag() ? 1 : 0;
  return m_pFile->scan.bV1 ? 1 : 0;
}

int CMyMP3Tags::isV2Tag() {
  if (!ReadIfStale()) return -1;
  return m_pTag->HasV2Tag() ? 1 : 0;
}

int CMyMP3Tags::isLyricsTag() {
  if (!ReadIfStale()) return -1;
  return m_pFile->scan.bLyrics3 ? 1 : 0;
}

bool CMyMP3Tags::IsWritable() { return ReadIfStale() && m_pFile->strReadOnlyReason.IsEmpty(); }

CString CMyMP3Tags::GetLastWriteError() const { return m_strLastWriteError; }

CString CMyMP3Tags::GetString(int id) {
  if (!ReadIfStale()) return "-";
  const ID3_Frame* frame = id3frames::FindField(*m_pTag, static_cast<ID3_FrameID>(id));
  if (!frame || !frame->Contains(ID3FN_TEXTENC)) return "-";
  const ID3_Field* field = nullptr;
  if (frame->Contains(ID3FN_TEXT))
    field = frame->GetField(ID3FN_TEXT);
  else if (frame->Contains(ID3FN_URL))
    field = frame->GetField(ID3FN_URL);
  if (!field) return "-";
  // The text is read in its own encoding; converting it inside the tag object
  // would lose every character beyond Latin-1 at the next write.
  const ID3_TextEnc enc = field->GetEncoding();
  // Size() counts the bytes of the text; id3lib does not always end it with a zero.
  if (enc == ID3TE_UTF16 || enc == ID3TE_UTF16BE)
    return textcodec::SwappedUtf16ToUtf8(reinterpret_cast<const unsigned short*>(field->GetRawUnicodeText()),
                                         field->Size() / 2);
  return textcodec::Latin1ToUtf8(field->GetRawText());
}

bool CMyMP3Tags::m_getString(int id, char* buffer, int bufferSize) {
  if (!ReadIfStale()) return false;
  const ID3_Frame* frame = id3frames::FindField(*m_pTag, static_cast<ID3_FrameID>(id));
  if (!frame) return false;
  const CString text = GetString(id);
  if (text == "-" || text.IsEmpty()) return false;
  textcodec::CopyCut(text, buffer, bufferSize);
  return true;
}

bool CMyMP3Tags::PrepareWrite() {
  ReadIfStale();
  if (!m_pFile->strReadOnlyReason.IsEmpty()) {
    SetWriteError(m_pFile->strReadOnlyReason);
    return false;
  }
  return true;
}

void CMyMP3Tags::SetWriteError(const CString& reason) {
  if (m_strLastWriteError.IsEmpty()) m_strLastWriteError = reason;
}

void CMyMP3Tags::MarkEdited(int id) {
  m_pFile->bDirty = true;
  m_pFile->editedIds.push_back(id);
  V1Field field;
  if (V1FieldOf(static_cast<ID3_FrameID>(id), &field)) m_pFile->v1Edits.Set(field, GetString(id));
}

void CMyMP3Tags::BeginUpdate() {
  if (!m_bLinked || m_bGrouped) return;
  m_bGrouped = true;
  m_strLastWriteError.Empty();
}

void CMyMP3Tags::EndUpdate() {
  if (!m_bGrouped) return;
  m_bGrouped = false;
  if (m_bLinked && m_pFile->bDirty) WriteTag();
}

void CMyMP3Tags::WriteTag() {
  FileState& file = *m_pFile;
  // The tag is rendered from the object that was read from memory and goes
  // to disk through the one writer; id3lib never opens the file. id3lib's
  // own ID3v1 copy would hold 7-bit text, so the ID3v1 block is made here,
  // and only for a file that has one. A tag left with no frames is removed.
  CTagWrite request;
  request.strPath = file.strPath;
  request.nOldTagEnd = file.scan.nV2End;
  // Frames nobody edited keep their bytes where the old tag allows it.
  std::vector<ID3_FrameID> edited;
  for (int id : file.editedIds) edited.push_back(static_cast<ID3_FrameID>(id));
  if (file.scan.eV2 != CTagScan::V2::Writable ||
      !RenderKeepingUneditedFrames(*m_pTag, file.pMap->Data(), file.scan.nV2End, edited, &request.strNewTag))
    request.strNewTag = RenderId3v2(*m_pTag);
  if (file.scan.bV1 && !file.v1Edits.IsEmpty()) {
    request.bV1 = true;
    request.v1 = file.v1Edits.ApplyTo(file.oldV1.data());
  }
  file.v1Edits.Clear();
  file.editedIds.clear();
  file.bDirty = false;
  CString error;
  if (!WriteTagSafely(request, &error)) SetWriteError(error);
  // The next read or write must start from what the file now holds. It is
  // read again only when asked for: a save usually drops the tag at once.
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
  file.bPathLinked = false;
  file.bStale = true;
}

bool CMyMP3Tags::IsOwnTemporary(CString fileName) { return IsWriterTemporary(fileName); }

void CMyMP3Tags::SetTag(int id, CString value) {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (!m_bLinked) return;
  const ID3_FrameID frameId = static_cast<ID3_FrameID>(id);
  // A link field holds Latin-1 only; what is compared and stored is the
  // form the getter will show.
  if (frameId == ID3FID_WWWUSER) value = framerules::StoredUrl(value);
  if (value == GetString(id)) return;
  if (!PrepareWrite()) return;
  ID3_Frame frame(frameId);
  if (frameId == ID3FID_COMMENT)
    frame.GetField(ID3FN_LANGUAGE)->Set(id3frames::NewCommentLanguage(*m_pTag).c_str());
  if (ID3_Frame* old = id3frames::FindField(*m_pTag, frameId)) delete m_pTag->RemoveFrame(old);

  ID3_Field* field = frame.GetField(frameId == ID3FID_WWWUSER ? ID3FN_URL : ID3FN_TEXT);
  std::string latin;
  if (textcodec::Utf8ToLatin1(value, &latin)) {
    field->Set(latin.c_str());
  } else {
    frame.GetField(ID3FN_TEXTENC)->Set(ID3TE_UTF16);
    field->SetEncoding(ID3TE_UTF16);
    const std::u16string units = textcodec::Utf8ToSwappedUtf16(value);
    field->Set(reinterpret_cast<const unicode_t*>(units.c_str()));
  }
  m_pTag->AddFrame(&frame);
  MarkEdited(id);
  if (!m_bGrouped) WriteTag();
}

bool CMyMP3Tags::RemoveTag(int id) {
  if (!m_bLinked) return false;
  ID3_Frame* frame = id3frames::FindField(*m_pTag, static_cast<ID3_FrameID>(id));
  if (!frame) return false;
  delete m_pTag->RemoveFrame(frame);
  MarkEdited(id);
  return true;
}

void CMyMP3Tags::RemoveAllTags() {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (!m_bLinked) return;
  if (!PrepareWrite()) return;
  for (ID3_FrameID id : kRemovedByRemoveAll) RemoveTag(id);
  if (!m_bGrouped && m_pFile->bDirty) WriteTag();
}

CString CMyMP3Tags::GetArtist() { return GetString(ID3FID_LEADARTIST); }
CString CMyMP3Tags::GetAlbum() { return GetString(ID3FID_ALBUM); }
CString CMyMP3Tags::GetTitle() { return GetString(ID3FID_TITLE); }
CString CMyMP3Tags::GetComment() { return GetString(ID3FID_COMMENT); }
CString CMyMP3Tags::GetTrack() { return GetString(ID3FID_TRACKNUM); }
CString CMyMP3Tags::GetYear() { return GetString(ID3FID_YEAR); }
CString CMyMP3Tags::GetComposer() { return GetString(ID3FID_COMPOSER); }
CString CMyMP3Tags::GetCopyright() { return GetString(ID3FID_COPYRIGHT); }
CString CMyMP3Tags::GetEncodedBy() { return GetString(ID3FID_ENCODEDBY); }
CString CMyMP3Tags::GetOriginalArtist() { return GetString(ID3FID_ORIGARTIST); }
CString CMyMP3Tags::GetURL() { return GetString(ID3FID_WWWUSER); }
CString CMyMP3Tags::GetBand() { return GetString(ID3FID_BAND); }
CString CMyMP3Tags::GetPublisher() { return GetString(ID3FID_PUBLISHER); }
CString CMyMP3Tags::GetConductor() { return GetString(ID3FID_CONDUCTOR); }

void CMyMP3Tags::SetArtist(CString value) { SetTag(ID3FID_LEADARTIST, value); }
void CMyMP3Tags::SetAlbum(CString value) { SetTag(ID3FID_ALBUM, value); }
void CMyMP3Tags::SetTitle(CString value) { SetTag(ID3FID_TITLE, value); }
void CMyMP3Tags::SetComment(CString value) { SetTag(ID3FID_COMMENT, value); }
void CMyMP3Tags::SetTrack(CString value) { SetTag(ID3FID_TRACKNUM, value); }
void CMyMP3Tags::SetTrack(int track) { SetTrack(CString::Formatted("%d", track)); }
void CMyMP3Tags::SetYear(CString value) { SetTag(ID3FID_YEAR, value); }
void CMyMP3Tags::SetYear(int year) { SetYear(CString::Formatted("%d", year)); }
void CMyMP3Tags::SetComposer(CString value) { SetTag(ID3FID_COMPOSER, value); }
void CMyMP3Tags::SetCopyright(CString value) { SetTag(ID3FID_COPYRIGHT, value); }
void CMyMP3Tags::SetEncodedBy(CString value) { SetTag(ID3FID_ENCODEDBY, value); }
void CMyMP3Tags::SetOriginalArtist(CString value) { SetTag(ID3FID_ORIGARTIST, value); }
void CMyMP3Tags::SetURL(CString value) { SetTag(ID3FID_WWWUSER, value); }
void CMyMP3Tags::SetBand(CString value) { SetTag(ID3FID_BAND, value); }
void CMyMP3Tags::SetPublisher(CString value) { SetTag(ID3FID_PUBLISHER, value); }
void CMyMP3Tags::SetConductor(CString value) { SetTag(ID3FID_CONDUCTOR, value); }

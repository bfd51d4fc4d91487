#include <tags/MyMP3Tags.h>

#include "FileIdentity.h"
#include "FileState.h"
#include "FrameRules.h"
#include "Id3Bytes.h"
#include "Id3libEngine.h"
#include "Id3libFrames.h"
#include "TagLibEngine.h"
#include "TagWriter.h"
#include "TempRecord.h"
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

// True when the file's ID3v2 tag is read by TagLib: versions 2.4 and 2.2,
// which id3lib cannot write back without losing frames.
bool ReadByTagLib(const CTagScan& scan) {
  return scan.eV2 == CTagScan::V2::Sound && (scan.nMajor == 4 || scan.nMajor == 2);
}

// The file's ID3v2.3 tag as read, for a save that keeps the bytes of the
// frames not edited; null when the file has no sound v2.3 tag.
const unsigned char* OldV23Tag(const unsigned char* data, const CTagScan& scan) {
  return scan.eV2 == CTagScan::V2::Sound && scan.nMajor == 3 ? data : nullptr;
}

CString ReadOnlyReason(bool open, std::size_t size, const CTagScan& scan, const CMpegFrame& frame) {
  if (!open) return "The file cannot be opened";
  if (size == 0) return "The file is empty";
  if (scan.eV2 == CTagScan::V2::Unsafe) return "The file's ID3v2 tag is damaged and cannot be read safely";
  if (!frame.bFound && frame.pszLooksLike)
    return CString::Formatted("The file is not MPEG audio (it looks like %s)", frame.pszLooksLike);
  if (!frame.bFound) return "The file is not MPEG audio";
  return CString();
}

// The format flags of an ID3v2.3 tag's frames together: compression (0x80)
// and encryption (0x40) are what id3lib must never see as stored.
unsigned char V23FrameFlags(const CTagFrames& frames) {
  unsigned char flags = 0;
  if (frames.nMajor == 3)
    for (const CTagFrames::Span& span : frames.frames) flags |= frames.body[span.nPos + 9];
  return flags;
}

// How often a file that changed while it was read is read before it is given up.
constexpr int kReadAttempts = 3;

bool ConvertedFromV22(const CTagScan& scan) { return ReadByTagLib(scan) && scan.nMajor == 2; }

// A v2.2 tag is saved as ID3v2.3, which id3lib reads next: every field must
// read there as it does now (a damaged frame may not), or the save would
// change fields nobody edited.
bool Id3libReadsAsBefore(std::string tag, const CTagEngine& engine) {
  if (tag.empty()) return true;
  PutSyncsafe(reinterpret_cast<unsigned char*>(tag.data()) + 6, tag.size() - 10);  // as the writer will
  CTagFrames walked;
  if (!WalkTagFrames(reinterpret_cast<const unsigned char*>(tag.data()), tag.size(), &walked)) return false;
  const std::string safe = Id3libSafeTag(walked);
  ID3_MemoryReader reader(safe.data(), safe.size());
  ID3_Tag parsed;
  parsed.Link(reader, ID3TT_ID3V2);
  const CId3libEngine next(parsed, nullptr, 0);
  for (int field = 0; field <= static_cast<int>(TagField::Genre); ++field)
    if (next.GetText(static_cast<TagField>(field)) != engine.GetText(static_cast<TagField>(field))) return false;
  return true;
}

const TagField kRemovedByRemoveAll[] = {
    TagField::Artist,    TagField::Album,     TagField::Title,     TagField::Comment,        TagField::Track,
    TagField::Year,      TagField::Composer,  TagField::Copyright, TagField::EncodedBy,      TagField::OriginalArtist,
    TagField::Band,      TagField::Publisher, TagField::Conductor};

// The ID3v1 field a frame is copied into, if any.
bool V1FieldOf(TagField tagField, V1Field* field) {
  switch (tagField) {
    case TagField::Title: *field = V1Field::Title; return true;
    case TagField::Artist: *field = V1Field::Artist; return true;
    case TagField::Album: *field = V1Field::Album; return true;
    case TagField::Year: *field = V1Field::Year; return true;
    case TagField::Comment: *field = V1Field::Comment; return true;
    case TagField::Track: *field = V1Field::Track; return true;
    case TagField::Genre: *field = V1Field::Genre; return true;
    default: return false;
  }
}

}  // namespace

CMyMP3Tags::CMyMP3Tags() : m_pTag(std::make_unique<ID3_Tag>(nullptr)) {}

// Edits of an open group are written rather than lost, and flushed.
CMyMP3Tags::~CMyMP3Tags() {
  EndUpdate();
  EndBatch();
}

void CMyMP3Tags::Link(CString fileName) {
  if (m_bLinked) return;
  m_bLinked = true;
  m_strLastWriteError.Empty();
  m_pFile = std::make_unique<FileState>();
  m_pFile->strPath = fileName;
  m_strReadPath.Empty();
  ReadLinkedFile();
}

void CMyMP3Tags::ReadLinkedFile() {
  FileState& file = *m_pFile;
  file.bStale = false;
  file.bFieldsCurrent = false;
  file.bChangedWhileRead = false;
  // A file another program rewrites while it is read (a copy over it, a sync
  // tool) is read again; one that keeps changing is listed with nothing
  // read from it, and is not written.
  for (int attempt = 1;; ++attempt) {
    // A new file waiting for its batch's commit holds the file's new bytes;
    // once committed it has its original's name.
    if (!m_strReadPath.IsEmpty()) file.pMap = std::make_unique<CMappedFile>(m_strReadPath);
    if (m_strReadPath.IsEmpty() || !file.pMap->IsOpen()) file.pMap = std::make_unique<CMappedFile>(file.strPath);
    const CMappedFile& map = *file.pMap;
    ParseLinkedFile(map.Data(), map.Size(), map.IsOpen());
    // Taken before the map is asked whether it stayed intact, so it is of the bytes read.
    file.identity = IdentityOfMap(map);
    if (!map.IsOpen() || map.IsIntact()) return;
    file.pEngine.reset();  // it refers to the tag object
    m_pTag = std::make_unique<ID3_Tag>(nullptr);
    if (attempt == kReadAttempts) {
      ParseLinkedFile(nullptr, 0, true);
      file.nFileSize = static_cast<long>(map.Size());
      file.strReadOnlyReason = kChangedWhileRead;
      file.bChangedWhileRead = true;
      file.identity = CFileIdentity();
      return;
    }
  }
}

void CMyMP3Tags::ParseLinkedFile(const unsigned char* data, std::size_t size, bool open) {
  FileState& file = *m_pFile;
  file.nFileSize = static_cast<long>(size);
  CTagFrames frames;
  file.scan = ScanTags(data, size, &frames);
  file.nV23FrameFlags = V23FrameFlags(frames);

  // id3lib is handed only tags, never audio, and never a tag as stored: the
  // ID3v2.3 tag it reads is our copy of the frames the tag check walked, with
  // compressed ones inflated and encrypted ones left out (Id3libSafeTag).
  // With an ID3v2 tag present, id3lib's ID3v1 merge rewrites its frames
  // through 7-bit text, so the ID3v1 tag is then only detected, not read;
  // it is read when the ID3v2 tag is damaged or TagLib's.
  std::string id3libInput;
  if (file.scan.eV2 == CTagScan::V2::Sound && !ReadByTagLib(file.scan)) {
    file.nLinkFlags = kLinkFlags & ~ID3TT_ID3V1;
    id3libInput = Id3libSafeTag(frames);
  } else {
    file.nLinkFlags = file.scan.eV2 == CTagScan::V2::None ? kLinkFlags : kLinkFlags & ~ID3TT_ID3V2;
  }
  if (file.scan.bV1) {
    std::copy(data + size - file.oldV1.size(), data + size, file.oldV1.begin());
    if (file.nLinkFlags & ID3TT_ID3V1) id3libInput.append(file.oldV1.begin(), file.oldV1.end());
  }
  file.firstFrame = FindFirstFrame(data, size, file.scan.nV2End, size - (file.scan.bV1 ? 128 : 0));
  file.strReadOnlyReason = ReadOnlyReason(open, size, file.scan, file.firstFrame);
  if (!id3libInput.empty()) {
    ID3_MemoryReader reader(id3libInput.data(), id3libInput.size());
    m_pTag->Link(reader, file.nLinkFlags);
    if (file.nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*m_pTag);
  } else {
    // A cleared tag object still says which tags the file it read last had.
    m_pTag = std::make_unique<ID3_Tag>(nullptr);
  }
  if (ReadByTagLib(file.scan)) {
    auto engine = std::make_unique<CTagLibEngine>(data, file.scan.nV2End);
    if (file.strReadOnlyReason.IsEmpty()) file.strReadOnlyReason = engine->WriteRefusal();
    file.pEngine = std::move(engine);
  } else {
    file.pEngine = std::make_unique<CId3libEngine>(*m_pTag, OldV23Tag(data, file.scan), file.scan.nV2End);
  }
}

bool CMyMP3Tags::ReadIfStale() {
  if (!m_bLinked) return false;
  if (m_pFile->bStale && !m_pFile->bFieldsCurrent) ReadLinkedFile();
  return true;
}

// A write starts from the file as it is now: its map, scan and tag region.
void CMyMP3Tags::ReadForWrite() {
  if (!m_pFile->bStale) return;
  m_pFile->pEngine.reset();  // it refers to the tag object
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
  ReadLinkedFile();
}

void CMyMP3Tags::LinkFromDisk(CString fileName) {
  if (m_bLinked) return;
  Link(fileName);
  // id3lib reads the file itself only where it is safe as it lies: a sound
  // ID3v2.3 tag (or none) without compressed or encrypted frames, over MPEG audio.
  const FileState& file = *m_pFile;
  if (file.scan.eV2 == CTagScan::V2::Unsafe || ReadByTagLib(file.scan) || !file.pMap->IsOpen() ||
      (file.nV23FrameFlags & 0xC0) || !file.firstFrame.bFound)
    return;
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
  m_pTag->Link(fileName, file.nLinkFlags);
  if (file.nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*m_pTag);
  m_pFile->pEngine = std::make_unique<CId3libEngine>(*m_pTag, OldV23Tag(file.pMap->Data(), file.scan), file.scan.nV2End);
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

CFileIdentity CMyMP3Tags::GetFileIdentity() {
  if (!m_bLinked) return {};
  // After a write, where its new bytes are: the file, or the new file that
  // its batch's commit renames over it (keeping its inode and time).
  if (m_pFile->bStale) return ReadFileIdentity(m_strReadPath.IsEmpty() ? m_pFile->strPath : m_strReadPath);
  return m_pFile->identity;
}

CFileIdentity CMyMP3Tags::ReadFileIdentity(CString fileName) { return IdentityOfMap(CMappedFile(fileName)); }

int CMyMP3Tags::isV1Tag() {
  if (!ReadIfStale()) return -1;
  if (m_pFile->nLinkFlags & ID3TT_ID3V1) return m_pTag->HasV1Tag() ? 1 : 0;
  return m_pFile->scan.bV1 ? 1 : 0;
}

int CMyMP3Tags::isV2Tag() {
  if (!ReadIfStale()) return -1;
  return m_pFile->pEngine->HasV2Tag() ? 1 : 0;
}

int CMyMP3Tags::isLyricsTag() {
  if (!ReadIfStale()) return -1;
  return m_pFile->scan.bLyrics3 ? 1 : 0;
}

CString CMyMP3Tags::GetTagVersion() {
  if (!ReadIfStale()) return "-";
  const CTagScan& scan = m_pFile->scan;
  CString version;
  if (scan.eV2 != CTagScan::V2::None) {
    version = scan.nMajor >= 2 && scan.nMajor <= 4 ? CString::Formatted("ID3v2.%d", scan.nMajor) : CString("ID3v2");
    if (scan.eV2 == CTagScan::V2::Unsafe) version += " (damaged)";
  }
  if (isV1Tag() == 1) version += version.IsEmpty() ? "ID3v1" : " + ID3v1";
  return version.IsEmpty() ? CString("none") : version;
}

bool CMyMP3Tags::IsWritable() { return ReadIfStale() && m_pFile->strReadOnlyReason.IsEmpty(); }

bool CMyMP3Tags::WasChangedWhileRead() {
  return ReadIfStale() && m_pFile->bChangedWhileRead;
}

CString CMyMP3Tags::GetLastWriteError() const { return m_strLastWriteError; }

CString CMyMP3Tags::GetString(TagField field) {
  if (!ReadIfStale()) return "-";
  return m_pFile->pEngine->GetText(field);
}

bool CMyMP3Tags::m_getString(TagField field, char* buffer, int bufferSize) {
  if (!ReadIfStale()) return false;
  const CString text = GetString(field);
  if (text == "-" || text.IsEmpty()) return false;
  textcodec::CopyCut(text, buffer, bufferSize);
  return true;
}

bool CMyMP3Tags::PrepareWrite() {
  if (m_pFile->pSealed) {
    SetWriteError("The save's record was made; the tag cannot change before it is written");
    return false;
  }
  ReadForWrite();
  if (!m_pFile->strReadOnlyReason.IsEmpty()) {
    SetWriteError(m_pFile->strReadOnlyReason);
    return false;
  }
  return true;
}

void CMyMP3Tags::SetWriteError(const CString& reason) {
  if (m_strLastWriteError.IsEmpty()) m_strLastWriteError = reason;
}

void CMyMP3Tags::MarkEdited(TagField field) {
  m_pFile->bDirty = true;
  V1Field v1Field;
  if (V1FieldOf(field, &v1Field)) m_pFile->v1Edits.Set(v1Field, GetString(field));
}

void CMyMP3Tags::BeginUpdate() {
  if (!m_bLinked || m_bGrouped) return;
  m_bGrouped = true;
  m_strLastWriteError.Empty();
}

void CMyMP3Tags::EndUpdate() {
  if (!m_bGrouped) return;
  m_bGrouped = false;
  if (!m_bLinked) return;
  if (std::unique_ptr<FileState::CSealed> sealed = std::move(m_pFile->pSealed))
    SubmitWrite(&sealed->request, sealed->bChecked, CString());
  else if (m_pFile->bDirty)
    WriteTag();
}

void CMyMP3Tags::CancelUpdate() {
  if (!m_bGrouped) return;
  m_bGrouped = false;
  if (!m_bLinked || (!m_pFile->bDirty && !m_pFile->pSealed)) return;
  DropEdits(CString());
}

void CMyMP3Tags::DropEdits(const CString& reason) {
  if (!reason.IsEmpty()) SetWriteError(reason);
  FileState& file = *m_pFile;
  file.pSealed.reset();
  file.v1Edits.Clear();
  file.bDirty = false;
  file.bPathLinked = false;
  file.bStale = true;  // read again, as it is on the disk
  file.bFieldsCurrent = false;
  file.pEngine.reset();
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
}

bool CMyMP3Tags::RenderWrite(CTagWrite* request, bool* checked, CString* error, bool recheck) {
  FileState& file = *m_pFile;
  // The tag is rendered by its engine from what was read from memory and
  // goes to disk through the one writer; no engine opens the file. id3lib's
  // own ID3v1 copy would hold 7-bit text, so the ID3v1 block is made here,
  // and only for a file that has one. A tag left with no frames is removed.
  request->strPath = file.strPath;
  request->nOldTagEnd = file.scan.nV2End;
  CRenderedTag rendered;
  bool renderedWhole = file.pEngine->Render(&rendered, error, recheck);
  if (renderedWhole && ConvertedFromV22(file.scan) && !Id3libReadsAsBefore(rendered.strTag, *file.pEngine)) {
    *error = "The file's ID3v2.2 tag would read otherwise as ID3v2.3";
    renderedWhole = false;
  }
  request->strNewTag = std::move(rendered.strTag);
  request->bFooter = rendered.bFooter;
  if (file.scan.bV1 && !file.v1Edits.IsEmpty()) {
    request->bV1 = true;
    request->v1 = file.v1Edits.ApplyTo(file.oldV1.data());
  }
  *checked = rendered.bChecked;
  return renderedWhole;
}

void CMyMP3Tags::WriteTag() {
  CTagWrite request;
  bool checked = false;
  CString error;
  const bool rendered = RenderWrite(&request, &checked, &error);
  SubmitWrite(rendered ? &request : nullptr, checked, error);
}

// Writes the request (null: none could be made, for error) and leaves the
// object as the write left the file.
void CMyMP3Tags::SubmitWrite(const CTagWrite* request, bool checked, CString error) {
  FileState& file = *m_pFile;
  file.v1Edits.Clear();
  file.bDirty = false;
  long newSize = 0;
  CString readPath;
  const bool written = request && (m_pBatch ? m_pBatch->Write(*request, &error, &newSize, &readPath)
                                            : WriteTagSafely(*request, &error, &newSize));
  if (written) m_strReadPath = readPath == file.strPath ? CString() : readPath;
  if (!written) SetWriteError(error);
  file.bPathLinked = false;
  file.bStale = true;
  // The next write starts from what the file now holds (ReadForWrite). So
  // does the next read, unless the engine's checked tag already shows it: a
  // save then needs no second parse of the file for its row.
  file.bFieldsCurrent = written && checked;
  if (file.bFieldsCurrent) {
    file.nFileSize = newSize;
    return;
  }
  file.pEngine.reset();
  m_pTag = std::make_unique<ID3_Tag>(nullptr);
}

void CMyMP3Tags::BeginBatch() {
  if (!m_pBatch) m_pBatch = std::make_unique<CWriteBatch>();
}

bool CMyMP3Tags::IsBatchFull() const { return m_pBatch && m_pBatch->IsFull(); }

std::vector<CWriteOutcome> CMyMP3Tags::CommitBatch(const std::function<void()>& wait) {
  return m_pBatch ? m_pBatch->Commit(wait) : std::vector<CWriteOutcome>();
}

std::vector<CWriteOutcome> CMyMP3Tags::EndBatch(const std::function<void()>& wait) {
  EndUpdate();
  std::vector<CWriteOutcome> outcomes = CommitBatch(wait);
  m_pBatch.reset();
  return outcomes;
}

bool CMyMP3Tags::IsOwnTemporary(CString fileName) { return IsWriterTemporary(fileName); }

int CMyMP3Tags::RemoveOwnLeftovers(const CString& folder, bool subfolders) {
  return RemoveLeftTemporaries(folder, subfolders);
}

void CMyMP3Tags::SetTag(TagField field, CString value) {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (!m_bLinked) return;
  // A link field holds Latin-1 only; what is compared and stored is the
  // form the getter will show.
  if (field == TagField::URL) value = framerules::StoredUrl(value);
  if (value == GetString(field)) return;
  if (!PrepareWrite()) return;
  const CString refusal = m_pFile->pEngine->EditRefusal(field);
  if (!refusal.IsEmpty()) return SetWriteError(refusal);
  m_pFile->pEngine->SetText(field, value);
  MarkEdited(field);
  if (!m_bGrouped) WriteTag();
}

bool CMyMP3Tags::RemoveTag(TagField field) {
  if (!m_bLinked) return false;
  ReadForWrite();
  if (!m_pFile->pEngine->Remove(field)) return false;
  MarkEdited(field);
  return true;
}

void CMyMP3Tags::RemoveAllTags() {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (!m_bLinked) return;
  if (!PrepareWrite()) return;
  for (TagField field : kRemovedByRemoveAll) RemoveTag(field);
  if (!m_bGrouped && m_pFile->bDirty) WriteTag();
}

CString CMyMP3Tags::GetArtist() { return GetString(TagField::Artist); }
CString CMyMP3Tags::GetAlbum() { return GetString(TagField::Album); }
CString CMyMP3Tags::GetTitle() { return GetString(TagField::Title); }
CString CMyMP3Tags::GetComment() { return GetString(TagField::Comment); }
CString CMyMP3Tags::GetTrack() { return GetString(TagField::Track); }
CString CMyMP3Tags::GetYear() { return GetString(TagField::Year); }
CString CMyMP3Tags::GetComposer() { return GetString(TagField::Composer); }
CString CMyMP3Tags::GetCopyright() { return GetString(TagField::Copyright); }
CString CMyMP3Tags::GetEncodedBy() { return GetString(TagField::EncodedBy); }
CString CMyMP3Tags::GetOriginalArtist() { return GetString(TagField::OriginalArtist); }
CString CMyMP3Tags::GetURL() { return GetString(TagField::URL); }
CString CMyMP3Tags::GetBand() { return GetString(TagField::Band); }
CString CMyMP3Tags::GetPublisher() { return GetString(TagField::Publisher); }
CString CMyMP3Tags::GetConductor() { return GetString(TagField::Conductor); }

void CMyMP3Tags::SetArtist(CString value) { SetTag(TagField::Artist, value); }
void CMyMP3Tags::SetAlbum(CString value) { SetTag(TagField::Album, value); }
void CMyMP3Tags::SetTitle(CString value) { SetTag(TagField::Title, value); }
void CMyMP3Tags::SetComment(CString value) { SetTag(TagField::Comment, value); }
void CMyMP3Tags::SetTrack(CString value) { SetTag(TagField::Track, value); }
void CMyMP3Tags::SetTrack(int track) { SetTrack(CString::Formatted("%d", track)); }
void CMyMP3Tags::SetYear(CString value) { SetTag(TagField::Year, value); }
void CMyMP3Tags::SetYear(int year) { SetYear(CString::Formatted("%d", year)); }
void CMyMP3Tags::SetComposer(CString value) { SetTag(TagField::Composer, value); }
void CMyMP3Tags::SetCopyright(CString value) { SetTag(TagField::Copyright, value); }
void CMyMP3Tags::SetEncodedBy(CString value) { SetTag(TagField::EncodedBy, value); }
void CMyMP3Tags::SetOriginalArtist(CString value) { SetTag(TagField::OriginalArtist, value); }
void CMyMP3Tags::SetURL(CString value) { SetTag(TagField::URL, value); }
void CMyMP3Tags::SetBand(CString value) { SetTag(TagField::Band, value); }
void CMyMP3Tags::SetPublisher(CString value) { SetTag(TagField::Publisher, value); }
void CMyMP3Tags::SetConductor(CString value) { SetTag(TagField::Conductor, value); }

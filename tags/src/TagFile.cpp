// One file's tags as a value: its reading, its edits in memory, and the
// one rendering that its save record describes and its save writes.
#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include "Covers.h"
#include "FileIdentity.h"
#include "FrameRules.h"
#include "Genres.h"
#include "ByteOrder.h"
#include "Id3libEngine.h"
#include "Id3libFrames.h"
#include "SaveUndo.h"
#include "TagFileImpl.h"
#include "TagLibEngine.h"
#include "TextCodec.h"

#include <id3/readers.h>
#include <id3/tag.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

// The tag types a file is read for: ID3v1 and ID3v2. id3lib turns a Lyrics3
// or MusicMatch block into ID3v2 frames ("Converted from Lyrics3 v2.00")
// that the next write would add to the tag; those blocks stay where they are
// and are only detected (CTagScan).
constexpr flags_t kLinkFlags = ID3TT_ID3V1 | ID3TT_ID3V2;

constexpr std::size_t kV1Size = 128;

// What a save finds when the file is no longer the one its value read.
constexpr const char* kChangedSinceRead = "The file was changed by another program since it was read";

// True when the file's ID3v2 tag is read by TagLib: versions 2.4 and 2.2,
// which id3lib cannot write back without losing frames.
bool ReadByTagLib(const CTagScan& scan) {
  return scan.eV2 == CTagScan::V2::Sound && (scan.nMajor == 4 || scan.nMajor == 2);
}

bool ConvertedFromV22(const CTagScan& scan) { return ReadByTagLib(scan) && scan.nMajor == 2; }

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
  for (int field = 0; field < kTagFieldCount; ++field)
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

// The bytes [from, from + n) of a file after a write that put region at its
// start in place of the old region's oldRegion bytes and (v1, when given)
// a new ID3v1 block at its end in place of the old file's last oldTail
// bytes; the audio between is old's, unchanged.
std::string WrittenBytes(const std::string& region, const unsigned char* old, std::size_t oldSize,
                         std::size_t oldRegion, std::size_t oldTail, const unsigned char* v1, std::size_t from,
                         std::size_t n) {
  std::string out;
  out.reserve(n);
  const std::size_t newSize = oldSize - oldRegion - oldTail + region.size() + (v1 ? kV1Size : 0);
  const std::size_t v1Start = v1 ? newSize - kV1Size : newSize;
  const std::size_t end = from + n;
  if (from < region.size()) out.append(region, from, std::min(end, region.size()) - from);
  const std::size_t audio = std::max(from, region.size()), audioEnd = std::min(end, v1Start);
  if (audio < audioEnd)
    out.append(reinterpret_cast<const char*>(old + audio - region.size() + oldRegion), audioEnd - audio);
  const std::size_t block = std::max(from, v1Start);
  if (block < end) out.append(reinterpret_cast<const char*>(v1 + block - v1Start), end - block);
  return out;
}

}  // namespace

CTagFile::Impl::Impl() : pTag(std::make_unique<ID3_Tag>(nullptr)) {}

CTagFile::Impl::~Impl() {
  pEngine.reset();  // it refers to the tag object
}

std::unique_ptr<CTagFile> CTagFile::Impl::Wrap(std::unique_ptr<Impl> impl) {
  return std::unique_ptr<CTagFile>(new CTagFile(std::move(impl)));
}

CTagFile::CTagFile(std::unique_ptr<Impl> impl) : m_pImpl(std::move(impl)) {}

CTagFile::~CTagFile() = default;

std::unique_ptr<CTagFile> CTagFile::Read(const CString& path, CString* reason) {
  auto impl = std::make_unique<Impl>();
  impl->strPath = path;
  impl->ReadFile();
  if (reason) *reason = impl->strReadOnlyReason;
  return Impl::Wrap(std::move(impl));
}

void CTagFile::Impl::ReadFile() {
  bStale = false;
  bFieldsCurrent = false;
  bChangedWhileRead = false;
  // A file another program rewrites while it is read (a copy over it, a sync
  // tool) is read again; one that keeps changing is listed with nothing
  // read from it, and is not written.
  for (int attempt = 1;; ++attempt) {
    // A new file waiting for its batch's commit holds the file's new bytes;
    // once committed it has its original's name.
    if (!strReadPath.IsEmpty()) pMap = std::make_unique<CMappedFile>(strReadPath);
    if (!strReadPath.IsEmpty() && !pMap->IsOpen()) strReadPath.Empty();
    if (strReadPath.IsEmpty()) pMap = std::make_unique<CMappedFile>(strPath);
    const CMappedFile& map = *pMap;
    Parse(map.Data(), map.Size(), map.IsOpen());
    // Taken before the map is asked whether it stayed intact, so it is of the bytes read.
    identity = IdentityOfMap(map);
    if (!map.IsOpen() || map.IsIntact()) return;
    pEngine.reset();  // it refers to the tag object
    pTag = std::make_unique<ID3_Tag>(nullptr);
    if (attempt == kReadAttempts) {
      Parse(nullptr, 0, true);
      nFileSize = static_cast<long>(map.Size());
      strReadOnlyReason = kChangedWhileRead;
      bChangedWhileRead = true;
      identity = CFileIdentity();
      return;
    }
  }
}

void CTagFile::Impl::Parse(const unsigned char* data, std::size_t size, bool open) {
  nFileSize = static_cast<long>(size);
  CTagFrames frames;
  scan = ScanTags(data, size, &frames);
  if (scan.bV1) std::copy(data + size - kV1Size, data + size, oldV1.begin());
  firstFrame = FindFirstFrame(data, size, scan.nV2End, size - (scan.bV1 ? kV1Size : 0));
  strReadOnlyReason = ReadOnlyReason(open, size, scan, firstFrame);
  BuildEngine(data, frames, scan.bV1 ? oldV1.data() : nullptr);
}

void CTagFile::Impl::BuildEngine(const unsigned char* data, const CTagFrames& frames, const unsigned char* v1) {
  pEngine.reset();  // it refers to the tag object
  nV23FrameFlags = V23FrameFlags(frames);
  // id3lib is handed only tags, never audio, and never a tag as stored: the
  // ID3v2.3 tag it reads is our copy of the frames the tag check walked, with
  // compressed ones inflated and encrypted ones left out (Id3libSafeTag).
  // With an ID3v2 tag present, id3lib's ID3v1 merge rewrites its frames
  // through 7-bit text, so the ID3v1 tag is then only detected, not read;
  // it is read when the ID3v2 tag is damaged or TagLib's.
  std::string id3libInput;
  if (scan.eV2 == CTagScan::V2::Sound && !ReadByTagLib(scan)) {
    nLinkFlags = kLinkFlags & ~ID3TT_ID3V1;
    id3libInput = Id3libSafeTag(frames);
  } else {
    nLinkFlags = scan.eV2 == CTagScan::V2::None ? kLinkFlags : kLinkFlags & ~ID3TT_ID3V2;
  }
  if (v1 && (nLinkFlags & ID3TT_ID3V1)) id3libInput.append(v1, v1 + kV1Size);
  // A cleared tag object still says which tags the file it read last had.
  pTag = std::make_unique<ID3_Tag>(nullptr);
  if (!id3libInput.empty()) {
    ID3_MemoryReader reader(id3libInput.data(), id3libInput.size());
    pTag->Link(reader, nLinkFlags);
    if (nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*pTag);
  }
  if (ReadByTagLib(scan)) {
    auto engine = std::make_unique<CTagLibEngine>(data, scan.nV2End);
    if (strReadOnlyReason.IsEmpty()) strReadOnlyReason = engine->WriteRefusal();
    pEngine = std::move(engine);
  } else {
    // The file's ID3v2.3 tag as read, for a save that keeps the bytes of the frames not edited.
    const bool v23 = scan.eV2 == CTagScan::V2::Sound && scan.nMajor == 3;
    pEngine = std::make_unique<CId3libEngine>(*pTag, v23 ? data : nullptr, scan.nV2End);
  }
}

std::unique_ptr<CTagFile> CTagFile::Impl::ReadThroughId3lib(const CString& path) {
  std::unique_ptr<CTagFile> value = Read(path);
  Impl& file = *value->m_pImpl;
  // id3lib reads the file itself only where it is safe as it lies: a sound
  // ID3v2.3 tag (or none) without compressed or encrypted frames, over MPEG audio.
  if (file.scan.eV2 == CTagScan::V2::Unsafe || ReadByTagLib(file.scan) || !file.pMap->IsOpen() ||
      (file.nV23FrameFlags & 0xC0) || !file.firstFrame.bFound)
    return value;
  file.pEngine.reset();
  file.pTag = std::make_unique<ID3_Tag>(nullptr);
  file.pTag->Link(path, file.nLinkFlags);
  if (file.nLinkFlags & ID3TT_ID3V1) id3frames::AdoptId3v1Comment(*file.pTag);
  const bool v23 = file.scan.eV2 == CTagScan::V2::Sound && file.scan.nMajor == 3;
  file.pEngine = std::make_unique<CId3libEngine>(*file.pTag, v23 ? file.pMap->Data() : nullptr, file.scan.nV2End);
  return value;
}

void CTagFile::Impl::ReadIfStale() {
  if (bStale && !bFieldsCurrent) ReadFile();
}

// A write starts from the file as it is now: its map, scan and tag region.
void CTagFile::Impl::ReadForWrite() {
  if (bStale) ReadFile();
}

CString CTagFile::Impl::PrepareWrite() {
  if (pSealed) return "The save's record was made; the tag cannot change before it is written";
  ReadForWrite();
  return strReadOnlyReason;
}

CString CTagFile::Impl::Text(TagField field) {
  ReadIfStale();
  return pEngine->GetText(field);
}

CString CTagFile::Impl::Genre() {
  ReadIfStale();
  if (pEngine->HasV2Tag()) return Text(TagField::Genre);
  constexpr int kGenreBufferSize = 52;
  const CString text = Text(TagField::Genre);
  if (text == "-" || text.IsEmpty()) return "-";
  char buffer[kGenreBufferSize];
  textcodec::CopyCut(text, buffer, kGenreBufferSize);
  int n = -1;
  char close = 0;
  // Only a whole "(n)" names a table entry; other text is shown as it is.
  if (std::sscanf(buffer, "(%i%c", &n, &close) == 2 && close == ')' && n >= 0 && n < genres::kCount) return genres::Name(n);
  return buffer;
}

void CTagFile::Impl::MarkEdited(TagField field) {
  bDirty = true;
  bV2Dirty = true;
  bVersionOnly = false;
  V1Field v1Field;
  if (V1FieldOf(field, &v1Field)) v1Edits.Set(v1Field, Text(field));
}

CString CTagFile::Impl::SetText(TagField field, CString value) {
  // A link field holds Latin-1 only; what is compared and stored is the
  // form the getter will show.
  if (field == TagField::URL) value = framerules::StoredUrl(value);
  if (value == Text(field)) return CString();
  const CString refusal = PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  const CString frameRefusal = pEngine->EditRefusal(field);
  if (!frameRefusal.IsEmpty()) return frameRefusal;
  pEngine->SetText(field, value);
  MarkEdited(field);
  return CString();
}

bool CTagFile::Impl::RemoveFrame(TagField field) {
  ReadForWrite();
  if (!pEngine->Remove(field)) return false;
  MarkEdited(field);
  return true;
}

CString CTagFile::Impl::RemoveAll() {
  const CString refusal = PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  for (TagField field : kRemovedByRemoveAll) RemoveFrame(field);
  return CString();
}

bool CTagFile::Impl::RenderWrite(CTagWrite* request, bool* checked, CString* error, bool recheck) {
  // The tag is rendered by its engine from what was read from memory and
  // goes to disk through the one writer; no engine opens the file. id3lib's
  // own ID3v1 copy would hold 7-bit text, so the ID3v1 block is made here,
  // and only for a file that has one. A tag left with no frames is removed.
  request->strPath = strPath;
  request->nOldTagEnd = scan.nV2End;
  bool renderedWhole = true;
  if (!bV2Dirty) {
    // Only the ID3v1 tag changes: the ID3v2 region goes back as it is.
    request->strRegion.assign(reinterpret_cast<const char*>(pMap->Data()), scan.nV2End);
    request->bExactRegion = true;
    *checked = false;
  } else {
    CRenderedTag rendered;
    renderedWhole = pEngine->Render(&rendered, error, recheck);
    if (renderedWhole && !nConvertedMajor && ConvertedFromV22(scan) && !Id3libReadsAsBefore(rendered.strTag, *pEngine)) {
      *error = "The file's ID3v2.2 tag would read otherwise as ID3v2.3";
      renderedWhole = false;
    }
    request->strNewTag = std::move(rendered.strTag);
    request->bFooter = rendered.bFooter;
    // A tag of another version, or a file whose ID3v1 tag comes or goes, is read again from what was written.
    *checked = rendered.bChecked && !nConvertedMajor && eV1Change == V1Change::Keep;
  }
  if (eV1Change == V1Change::Add) {
    request->bAddV1 = true;
    request->v1 = NewV1Block();
  } else if (eV1Change == V1Change::Remove) {
    request->bRemoveV1 = true;
  } else if (scan.bV1 && !v1Edits.IsEmpty()) {
    request->bV1 = true;
    request->v1 = v1Edits.ApplyTo(oldV1.data());
  }
  return renderedWhole;
}

std::vector<unsigned char> CTagFile::Impl::Seal(CString* error) {
  if (pSealed) return pSealed->record;
  if (!bDirty) return {};
  auto sealed = std::make_unique<CSealed>();
  if (!RenderWrite(&sealed->request, &sealed->bChecked, error)) return {};
  // The edits were made on the file as it is now (PrepareWrite read it again).
  const CMappedFile& map = *pMap;
  sealed->record = SealWrite(&sealed->request, map.Data(), map.Size(), scan.nV2End, scan.bV1, oldV1.data());
  // A record made from bytes another program was changing would put back
  // what never was: nothing is then written.
  if (!map.IsIntact()) {
    DropEdits();
    *error = kChangedWhileRead;
    return {};
  }
  pSealed = std::move(sealed);
  return pSealed->record;
}

bool CTagFile::Impl::MatchRecord(const std::vector<unsigned char>& record, CString* error) {
  if (pSealed) return pSealed->record == record;
  if (!bDirty) return false;
  auto sealed = std::make_unique<CSealed>();
  // The record's bytes were checked when it was made; these are written
  // only if they are the same bytes (SealWriteAs compares their SHA-256).
  if (!RenderWrite(&sealed->request, &sealed->bChecked, error, false)) return false;
  const CMappedFile& map = *pMap;
  if (!SealWriteAs(&sealed->request, record, map.Size(), scan.nV2End, scan.bV1, oldV1.data())) return false;
  if (!map.IsIntact()) {
    DropEdits();
    *error = kChangedWhileRead;
    return false;
  }
  sealed->record = record;
  pSealed = std::move(sealed);
  return true;
}

bool CTagFile::Impl::Write(CString* error, CWriteBatch* batch) {
  if (std::unique_ptr<CSealed> sealed = std::move(pSealed)) return Submit(&sealed->request, sealed->bChecked, error, batch);
  if (!bDirty) return true;
  CTagWrite request;
  bool checked = false;
  if (!RenderWrite(&request, &checked, error)) return Submit(nullptr, false, error, batch);
  // Laid out here, as the writer would, so that what is written is known.
  if (!request.bExactRegion) {
    const bool v1Changes = request.bV1 && std::memcmp(request.v1.data(), oldV1.data(), kV1Size) != 0;
    request.strRegion = LayOutRegion(request, v1Changes);
    request.bExactRegion = true;
  }
  return Submit(&request, checked, error, batch);
}

// Writes the request (null: none could be made, for error) and leaves the
// value as the write left the file.
bool CTagFile::Impl::Submit(const CTagWrite* request, bool checked, CString* error, CWriteBatch* batch) {
  v1Edits.Clear();
  bDirty = false;
  bV2Dirty = false;
  bVersionOnly = false;
  nConvertedMajor = 0;
  eV1Change = V1Change::Keep;
  long newSize = 0;
  CString readPath;
  const bool written =
      request && (batch ? batch->Write(*request, error, &newSize, &readPath) : WriteTagSafely(*request, error, &newSize));
  bStale = true;
  bFieldsCurrent = false;
  // Written or not, the file as read is let go: the next read maps it
  // again, and a file the write replaced is not held open meanwhile.
  if (!written) {
    pMap.reset();
    pEngine.reset();
    pTag = std::make_unique<ID3_Tag>(nullptr);
    return false;
  }
  strReadPath = readPath == strPath ? CString() : readPath;
  AdoptWritten(*request, checked, newSize);
  pMap.reset();
  return true;
}

// The next write starts from what the file now holds (ReadForWrite); until
// then the value shows it from the bytes just written, not read again: an
// engine that read its rendering back already holds it, any other reads
// the written region from memory. The audio, and so the MPEG facts, stay.
void CTagFile::Impl::AdoptWritten(const CTagWrite& request, bool checked, long newSize) {
  const std::string& region = request.strRegion;
  const unsigned char* v1 = request.bV1 || request.bAddV1 ? request.v1.data() : nullptr;
  const std::size_t oldTail = request.bV1 || request.bRemoveV1 ? kV1Size : 0;
  const bool hasV1 = v1 || (scan.bV1 && !request.bRemoveV1);
  const CMappedFile& map = *pMap;
  const std::size_t size = static_cast<std::size_t>(newSize);
  // The identity: the file's place and time now, and the digest of its bytes as written.
  struct stat st {};
  const bool known = region.size() + map.Size() - scan.nV2End - oldTail + (v1 ? kV1Size : 0) == size &&
                     ::stat(strReadPath.IsEmpty() ? strPath : strReadPath, &st) == 0 &&
                     st.st_size == static_cast<off_t>(size);
  identity = CFileIdentity();
  if (known) {
    identity.nDevice = static_cast<std::uint64_t>(st.st_dev);
    identity.nInode = static_cast<std::uint64_t>(st.st_ino);
    identity.nSize = static_cast<long long>(size);
    identity.nMtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    const std::size_t head = std::min(size, region.size() + kIdentityEdge) - region.size();
    const std::size_t tail = std::max(region.size(), size > kIdentityEdge ? size - kIdentityEdge : 0);
    const std::string audio =
        WrittenBytes(region, map.Data(), map.Size(), scan.nV2End, oldTail, v1, region.size(), head);
    const std::string end = WrittenBytes(region, map.Data(), map.Size(), scan.nV2End, oldTail, v1, tail, size - tail);
    const auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
    std::uint64_t digest = TagBytesDigest(bytes(region), region.size(), 1);
    digest = TagBytesDigest(bytes(audio), audio.size(), digest);
    identity.nTagDigest = TagBytesDigest(bytes(end), end.size(), digest);
  }
  if (v1) std::copy(v1, v1 + kV1Size, oldV1.begin());
  nFileSize = newSize;
  bFieldsCurrent = true;
  if (checked) return;
  // The region as the file now starts with it; the ID3v1 block and any
  // Lyrics3 block are where they were.
  const auto* data = reinterpret_cast<const unsigned char*>(region.data());
  CTagFrames frames;
  const CTagScan old = scan;
  scan = ScanTags(data, region.size(), &frames);
  scan.bV1 = hasV1;
  scan.bLyrics3 = old.bLyrics3;
  strReadOnlyReason = ReadOnlyReason(true, size, scan, firstFrame);
  BuildEngine(data, frames, scan.bV1 ? oldV1.data() : nullptr);
}

void CTagFile::Impl::DropEdits() {
  pSealed.reset();
  v1Edits.Clear();
  bDirty = false;
  bV2Dirty = false;
  bVersionOnly = false;
  nConvertedMajor = 0;
  eV1Change = V1Change::Keep;
  bStale = true;  // read again, as it is on the disk
  bFieldsCurrent = false;
  pEngine.reset();
  pTag = std::make_unique<ID3_Tag>(nullptr);
}

CString CTagFile::Impl::SetCover(const std::string& image) {
  ReadIfStale();
  CCoverArt facts;
  const CString refusal = CMyMP3Tags::CheckCoverImage(image, &facts);
  if (!refusal.IsEmpty()) return refusal;
  CPictureView now;
  if (pEngine->GetCover(&now) && now.strMime == facts.strMime && now.nSize == image.size() &&
      std::memcmp(now.pData, image.data(), image.size()) == 0)
    return CString();
  const CString readOnly = PrepareWrite();
  if (!readOnly.IsEmpty()) return readOnly;
  const CString coverRefusal = pEngine->CoverRefusal();
  if (!coverRefusal.IsEmpty()) return coverRefusal;
  pEngine->SetCover(image, facts.strMime);
  bDirty = bV2Dirty = true;
  bVersionOnly = false;
  return CString();
}

CString CTagFile::Impl::RemoveCover(const CCoverArt& shown) {
  CCoverArt now;
  if (!Cover(&now, false)) return CString();  // gone already
  if (now.nIndex != shown.nIndex || now.nType != shown.nType || now.strMime != shown.strMime ||
      now.nBytes != shown.nBytes || now.nWidth != shown.nWidth || now.nHeight != shown.nHeight)
    return "The file's cover is no longer the picture shown, so no picture was removed";
  const CString readOnly = PrepareWrite();
  if (!readOnly.IsEmpty()) return readOnly;
  const CString refusal = pEngine->CoverRefusal();
  if (!refusal.IsEmpty()) return refusal;
  if (pEngine->RemoveCover()) {
    bDirty = bV2Dirty = true;
    bVersionOnly = false;
  }
  return CString();
}

bool CTagFile::Impl::Cover(CCoverArt* cover, bool withBytes) {
  ReadIfStale();
  CPictureView view;
  if (!pEngine->GetCover(&view)) return false;
  DescribeImage(view.pData, view.nSize, view.strMime, cover);
  cover->nType = view.nType;
  cover->nIndex = view.nIndex;
  cover->nPictures = view.nCount;
  if (withBytes)
    cover->strData.assign(reinterpret_cast<const char*>(view.pData), view.nSize);
  else
    cover->strData.clear();
  return true;
}

// The value's own interface.

const CString& CTagFile::Path() const { return m_pImpl->strPath; }

CFileIdentity CTagFile::Identity() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->identity;
}

long CTagFile::FileSize() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->nFileSize;
}

bool CTagFile::HasV1Tag() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->HasV1();
}

bool CTagFile::Impl::HasV1() const {
  if (eV1Change != V1Change::Keep) return eV1Change == V1Change::Add;
  if (nLinkFlags & ID3TT_ID3V1) return pTag->HasV1Tag();
  return scan.bV1;
}

bool CTagFile::HasV2Tag() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->pEngine->HasV2Tag();
}

bool CTagFile::HasLyricsTag() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->scan.bLyrics3;
}

CString CTagFile::TagVersion() const {
  m_pImpl->ReadIfStale();
  const Impl& file = *m_pImpl;
  const CTagScan& scan = file.scan;
  CString version;
  if (file.nConvertedMajor) {
    // As the value will be saved.
    if (file.pEngine->HasV2Tag()) version = CString::Formatted("ID3v2.%d", file.nConvertedMajor);
  } else if (scan.eV2 != CTagScan::V2::None) {
    // A v2.2 tag with edits is saved as v2.3.
    const int major = scan.nMajor == 2 && file.bV2Dirty && scan.eV2 == CTagScan::V2::Sound ? 3 : scan.nMajor;
    version = major >= 2 && major <= 4 ? CString::Formatted("ID3v2.%d", major) : CString("ID3v2");
    if (scan.eV2 == CTagScan::V2::Unsafe) version += " (damaged)";
  }
  if (HasV1Tag()) version += version.IsEmpty() ? "ID3v1" : " + ID3v1";
  return version.IsEmpty() ? CString("none") : version;
}

CString CTagFile::WriteRefusal() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->strReadOnlyReason;
}

bool CTagFile::WasChangedWhileRead() const {
  m_pImpl->ReadIfStale();
  return m_pImpl->bChangedWhileRead;
}

bool CTagFile::GetMpegFacts(CMpegFacts* facts) const {
  m_pImpl->ReadIfStale();
  const CMpegFrame& stream = m_pImpl->firstFrame;
  if (!stream.bFound) return false;
  facts->nLayer = stream.nLayer;
  facts->nVersion = stream.nVersion;
  facts->nBitRate = stream.nBitRate;
  facts->nVbrBitRate = stream.nVbrBitRate;
  facts->nChannelMode = stream.nChannelMode;
  facts->nSampleRate = stream.nSampleRate;
  facts->nSeconds = static_cast<int>(stream.dSeconds);
  return true;
}

CString CTagFile::Get(TagField field) const {
  return field == TagField::Genre ? m_pImpl->Genre() : m_pImpl->Text(field);
}

CString CTagFile::Set(TagField field, const CString& value) {
  if (field == TagField::Genre) {
    // "Rock" leaves a stored "(17)" as it is.
    const CString stored = m_pImpl->Genre();
    if (value == stored || value == CMyMP3Tags::GenreName(stored)) return CString();
  }
  return m_pImpl->SetText(field, value);
}

CString CTagFile::Remove(TagField field) {
  const CString refusal = m_pImpl->PrepareWrite();
  if (!refusal.IsEmpty()) return refusal;
  m_pImpl->RemoveFrame(field);
  return CString();
}

bool CTagFile::GetFrontCover(CCoverArt* cover, bool withBytes) const { return m_pImpl->Cover(cover, withBytes); }

CString CTagFile::SetFrontCover(const std::string& image) { return m_pImpl->SetCover(image); }

CString CTagFile::RemoveFrontCover(const CCoverArt& shown) { return m_pImpl->RemoveCover(shown); }

bool CTagFile::IsChanged() const { return m_pImpl->bDirty || m_pImpl->pSealed; }

std::vector<unsigned char> CTagFile::SaveRecord(CString* reason) {
  CString error;
  std::vector<unsigned char> record = m_pImpl->Seal(&error);
  if (reason) *reason = error;
  return record;
}

bool CTagFile::Save(CString* reason, CSaveBatch* batch) {
  Impl& file = *m_pImpl;
  reason->Empty();
  if (!IsChanged()) return true;
  // Only into the file that was read: one another program wrote or put in
  // its place since is not written over. A sealed write is checked by the
  // writer against the bytes its record was made from, so its place, size
  // and time are enough here; any other against the whole identity.
  const CString& at = file.strReadPath.IsEmpty() ? file.strPath : file.strReadPath;
  CFileIdentity now;
  struct stat st {};
  if (!file.pSealed)
    now = CMyMP3Tags::ReadFileIdentity(at);
  else if (::stat(at, &st) == 0)
    now = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
           static_cast<long long>(st.st_size),
           static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec, file.identity.nTagDigest};
  if (file.identity.IsKnown() && now != file.identity) {
    file.DropEdits();
    *reason = kChangedSinceRead;
    return false;
  }
  return file.Write(reason, batch ? batch->m_pBatch.get() : nullptr);
}

CSaveBatch::CSaveBatch() : m_pBatch(std::make_unique<CWriteBatch>()) {}

CSaveBatch::~CSaveBatch() = default;

bool CSaveBatch::IsFull() const { return m_pBatch->IsFull(); }

std::vector<CWriteOutcome> CSaveBatch::Commit(const std::function<void()>& wait) { return m_pBatch->Commit(wait); }

std::vector<CWriteOutcome> CSaveBatch::CommitInBackground(const std::function<void()>& wait) {
  return m_pBatch->CommitInBackground(wait);
}

// The cursor over one file's value: link, edit (at once or in a group),
// write (at once or in a batch), reset.
#include <tags/MyMP3Tags.h>

#include "FileIdentity.h"
#include "TagFileImpl.h"
#include "TagWriter.h"
#include "TempRecord.h"

CMyMP3Tags::CMyMP3Tags() = default;

// Edits of an open group are written rather than lost, and flushed.
CMyMP3Tags::~CMyMP3Tags() {
  EndUpdate();
  EndBatch();
}

void CMyMP3Tags::Link(CString fileName) {
  if (m_pValue) return;
  Link(CTagFile::Read(fileName));
}

void CMyMP3Tags::Link(std::unique_ptr<CTagFile> file) {
  if (m_pValue || !file) return;
  m_strLastWriteError.Empty();
  m_pValue = std::move(file);
}

void CMyMP3Tags::Reset() {
  if (!m_pValue) return;
  EndUpdate();
  m_pValue.reset();
  m_bHeaderInfo = false;
}

long CMyMP3Tags::GetFileSize() { return m_pValue ? m_pValue->FileSize() : -1; }

CFileIdentity CMyMP3Tags::GetFileIdentity() { return m_pValue ? m_pValue->Identity() : CFileIdentity(); }

CFileIdentity CMyMP3Tags::ReadFileIdentity(CString fileName) { return IdentityOfMap(CMappedFile(fileName)); }

int CMyMP3Tags::isV1Tag() { return m_pValue ? (m_pValue->HasV1Tag() ? 1 : 0) : -1; }

int CMyMP3Tags::isV2Tag() { return m_pValue ? (m_pValue->HasV2Tag() ? 1 : 0) : -1; }

int CMyMP3Tags::isLyricsTag() { return m_pValue ? (m_pValue->HasLyricsTag() ? 1 : 0) : -1; }

CString CMyMP3Tags::GetTagVersion() { return m_pValue ? m_pValue->TagVersion() : CString("-"); }

bool CMyMP3Tags::IsWritable() { return m_pValue && m_pValue->WriteRefusal().IsEmpty(); }

bool CMyMP3Tags::WasChangedWhileRead() { return m_pValue && m_pValue->WasChangedWhileRead(); }

CString CMyMP3Tags::GetLastWriteError() const { return m_strLastWriteError; }

CString CMyMP3Tags::GetString(TagField field) { return m_pValue ? m_pValue->Get(field) : CString("-"); }

void CMyMP3Tags::SetWriteError(const CString& reason) {
  if (m_strLastWriteError.IsEmpty()) m_strLastWriteError = reason;
}

void CMyMP3Tags::Apply(const CString& refusal) {
  if (!refusal.IsEmpty()) return SetWriteError(refusal);
  if (!m_bGrouped && m_pValue->IsChanged()) WriteNow();
}

void CMyMP3Tags::WriteNow() {
  CString error;
  if (!m_pValue->m_pImpl->Write(&error, m_pBatch.get())) SetWriteError(error);
}

void CMyMP3Tags::BeginUpdate() {
  if (!m_pValue || m_bGrouped) return;
  m_bGrouped = true;
  m_strLastWriteError.Empty();
}

void CMyMP3Tags::EndUpdate() {
  if (!m_bGrouped) return;
  m_bGrouped = false;
  if (m_pValue) WriteNow();
}

void CMyMP3Tags::CancelUpdate() {
  if (!m_bGrouped) return;
  m_bGrouped = false;
  if (m_pValue && m_pValue->IsChanged()) m_pValue->m_pImpl->DropEdits();
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
  if (m_pValue) Apply(m_pValue->Set(field, value));
}

void CMyMP3Tags::RemoveAllTags() {
  if (!m_bGrouped) m_strLastWriteError.Empty();
  if (m_pValue) Apply(m_pValue->m_pImpl->RemoveAll());
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
CString CMyMP3Tags::GetGenre() { return GetString(TagField::Genre); }

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
void CMyMP3Tags::SetGenre(CString value) { SetTag(TagField::Genre, value); }

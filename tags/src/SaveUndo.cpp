#include "SaveUndo.h"

#include <tags/AudioTagFile.h>
#include <tags/MyMP3Tags.h>

#include "TagFileImpl.h"
#include "MappedFile.h"
#include "SaveRecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kV1Size = 128;
constexpr const char* kChanged = "The file was changed since the save";

// The ID3v1 block the file has after the request: its new one, its old
// one, or none (null).
const unsigned char* NewV1(const CTagWrite& request, bool v1, const unsigned char* oldV1) {
  if (request.bV1 || request.bAddV1) return request.v1.data();
  return v1 && !request.bRemoveV1 ? oldV1 : nullptr;
}

// The region the request writes: laid out here, unless it was given as it is.
void LayOut(CTagWrite* request, const unsigned char* oldV1) {
  if (request->bExactRegion) return;
  const bool v1Changes = request->bV1 && std::memcmp(request->v1.data(), oldV1, kV1Size) != 0;
  request->strRegion = LayOutRegion(*request, v1Changes);
  request->bExactRegion = true;
}

}  // namespace

std::vector<unsigned char> SealWrite(CTagWrite* request, const unsigned char* file, std::size_t size,
                                     std::size_t oldRegion, bool v1, const unsigned char* oldV1) {
  LayOut(request, oldV1);
  CExpectedFile expect;
  expect.nSize = size;
  expect.bV1 = v1;
  if (v1) expect.v1 = Sha256(file + size - kV1Size, kV1Size);
  std::vector<unsigned char> record = MakeSaveRecordV1(file, size, oldRegion, v1, request->strRegion,
                                                       NewV1(*request, v1, oldV1), &expect.region);
  request->expect = expect;
  return record;
}

bool SealWriteAs(CTagWrite* request, const std::vector<unsigned char>& bytes, std::size_t size,
                 std::size_t oldRegion, bool v1, const unsigned char* oldV1) {
  CSaveRecord record;
  const char* damaged = nullptr;
  if (!ParseSaveRecord(bytes, &record, &damaged)) return false;
  LayOut(request, oldV1);
  const auto* region = reinterpret_cast<const unsigned char*>(request->strRegion.data());
  const unsigned char* newV1 = NewV1(*request, v1, oldV1);
  if (record.bV1Before != v1 || record.bV1After != (newV1 != nullptr) || record.before.nSize != size ||
      record.before.nRegion != oldRegion || record.after.nRegion != request->strRegion.size() ||
      Sha256(region, request->strRegion.size()) != record.after.region ||
      (newV1 && Sha256(newV1, kV1Size) != record.after.v1))
    return false;
  CExpectedFile expect;
  expect.nSize = size;
  expect.region = record.before.region;
  expect.bV1 = v1;
  expect.v1 = record.before.v1;
  request->expect = expect;
  return true;
}

CRestorePlan PlanRestore(const CString& path, const std::vector<unsigned char>& bytes, CTagWrite* request,
                         CString* reason) {
  CSaveRecord record;
  const char* damaged = nullptr;
  if (!ParseSaveRecord(bytes, &record, &damaged)) {
    *reason = damaged;
    return CRestorePlan::Refuse;
  }
  struct stat link {};
  if (::lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
    *reason = kLinkRefused;
    return CRestorePlan::Refuse;
  }
  const CMappedFile map(path, false);
  if (!map.IsOpen()) {
    *reason = "The file no longer exists or cannot be read";
    return CRestorePlan::Refuse;
  }
  const unsigned char* data = map.Data();
  const std::size_t size = map.Size();
  // The record was checked to fit both sides' sizes; so does the file, if it has one of them.
  const auto holds = [&](const CFileSide& side, bool v1) {
    return size == side.nSize && Sha256(data, side.nRegion) == side.region &&
           (!v1 || Sha256(data + size - kV1Size, kV1Size) == side.v1) &&
           AudioSample(data, size, side.nRegion, v1) == record.audio;
  };
  const bool before = holds(record.before, record.bV1Before);
  const bool after = !before && holds(record.after, record.bV1After);
  const bool rebuilt = after && RebuildOldRegion(record, data, &request->strRegion);
  // Bytes another program was changing as they were read decide nothing.
  if (!map.IsIntact()) {
    *reason = kChangedWhileRead;
    return CRestorePlan::Refuse;
  }
  if (before) return CRestorePlan::AlreadyThere;
  if (!after) {
    *reason = kChanged;
    return CRestorePlan::Refuse;
  }
  if (!rebuilt) {
    *reason = "The undo record is damaged";
    return CRestorePlan::Refuse;
  }
  request->strPath = path;
  request->bNoFollow = true;
  request->bExactRegion = true;
  request->nOldTagEnd = record.after.nRegion;
  // The block the save changed is put back, one it added removed, one it removed added again.
  request->bV1 = record.bV1 && record.bV1Changed;
  request->bRemoveV1 = !record.bV1Before && record.bV1After;
  request->bAddV1 = record.bV1Before && !record.bV1After;
  std::copy(record.oldV1.begin(), record.oldV1.end(), request->v1.begin());
  CExpectedFile expect;
  expect.nSize = record.after.nSize;
  expect.region = record.after.region;
  expect.bV1 = record.bV1After;
  expect.v1 = record.after.v1;
  expect.pszChanged = kChanged;
  request->expect = expect;
  return CRestorePlan::Write;
}

std::vector<unsigned char> CMyMP3Tags::PrepareSaveUndo() {
  if (!m_pValue || !m_bGrouped) return {};
  CString error;
  std::vector<unsigned char> record = m_pValue->m_pImpl->Seal(&error);
  if (!error.IsEmpty()) SetWriteError(error);
  return record;
}

bool CMyMP3Tags::MatchSaveUndo(const std::vector<unsigned char>& record) {
  if (!m_pValue || !m_bGrouped) return false;
  CString error;
  const bool matched = m_pValue->m_pImpl->MatchRecord(record, &error);
  if (!error.IsEmpty()) SetWriteError(error);
  return matched;
}

CRestoreResult CMyMP3Tags::RestoreSave(CString fileName, const std::vector<unsigned char>& record) {
  Reset();
  m_strLastWriteError.Empty();
  if (m_pBatch) m_pBatch->Settle(fileName);
  CString error;
  // A FLAC, Ogg or MP4 file's record: that value's own restore (flushed at once).
  if (IsAudioSaveRecord(record)) {
    const CRestoreResult result = RestoreAudioSave(fileName, record, &error);
    m_strLastWriteError = error;
    return result;
  }
  CTagWrite request;
  switch (PlanRestore(fileName, record, &request, &error)) {
    case CRestorePlan::AlreadyThere: return CRestoreResult::AlreadyRestored;
    case CRestorePlan::Refuse: m_strLastWriteError = error; return CRestoreResult::Refused;
    case CRestorePlan::Write: break;
  }
  if (m_pBatch ? m_pBatch->Write(request, &error) : WriteTagSafely(request, &error)) return CRestoreResult::Restored;
  m_strLastWriteError = error;
  // The writer checks the file once more: one changed since the plan is refused, not failed.
  return error == kChanged ? CRestoreResult::Refused : CRestoreResult::Failed;
}

#include "JournalledSave.h"

#include <sys/stat.h>

#include <utility>

namespace {

// The file's size and modification time, without following a link (as an
// undo looks at it); false when it cannot be examined.
bool FileFacts(const CString& path, long long& size, long long& mtimeNs) {
  struct stat info {};
  if (lstat(path, &info) != 0) return false;
  size = static_cast<long long>(info.st_size);
  mtimeNs = MtimeNsOf(info);
  return true;
}

}  // namespace

CJournalledSave::CJournalledSave(CSaveJournal journal, const CString& folder) : m_journal(std::move(journal)) {
  m_entry.strFolder = folder;
  m_strPrefix = folder.Right(1) == "/" ? folder : folder + "/";
}

CString CJournalledSave::RelativePath(const CString& path) const {
  const int prefix = m_strPrefix.GetLength();
  if (path.GetLength() <= prefix || path.Left(prefix) != m_strPrefix) return CString();
  return path.Mid(prefix);
}

void CJournalledSave::Add(const CString& path, const std::vector<unsigned char>& record, const CString& newPath) {
  const CString relative = RelativePath(path);
  const CString renamed = newPath.IsEmpty() ? CString() : RelativePath(newPath);
  if (relative.IsEmpty() || (record.empty() && renamed.IsEmpty()) || (!newPath.IsEmpty() && renamed.IsEmpty())) return;
  JournalFile file;
  file.strPath = renamed.IsEmpty() ? relative : renamed;
  if (!renamed.IsEmpty()) file.strOldPath = relative;
  file.record.assign(record.begin(), record.end());
  long long size = -1;
  FileFacts(path, size, file.nOldMtimeNs);
  m_index[relative.Str()] = m_entry.files.size();
  m_entry.files.push_back(std::move(file));
  m_states.push_back(State::Recorded);
}

bool CJournalledSave::Begin(CString& error) { return IsEmpty() || m_journal.Write(m_entry, error); }

const std::string* CJournalledSave::RecordOf(const CString& path) const {
  const auto found = m_index.find(RelativePath(path).Str());
  return found == m_index.end() ? nullptr : &m_entry.files[found->second].record;
}

void CJournalledSave::NoteWriting(const CString& path) {
  const auto found = m_index.find(RelativePath(path).Str());
  if (found != m_index.end()) m_states[found->second] = State::Writing;
}

void CJournalledSave::NoteSaved(const CString& path, const CString& nowAt) {
  const auto found = m_index.find(RelativePath(path).Str());
  if (found == m_index.end() || m_states[found->second] != State::Writing) return;
  JournalFile& file = m_entry.files[found->second];
  // A rename that did not happen leaves the file under its old name.
  if (!file.strOldPath.IsEmpty() && nowAt == path) {
    file.strPath = file.strOldPath;
    file.strOldPath.Empty();
  }
  // Facts that cannot be read are left unknown: an undo then goes by the
  // record's own check of the file alone.
  if (!FileFacts(nowAt, file.nSize, file.nMtimeNs)) file.nSize = file.nMtimeNs = -1;
  m_states[found->second] = State::Saved;
}

bool CJournalledSave::Finish(CString& error) {
  if (m_entry.nId == 0) return true;
  std::vector<JournalFile> saved;
  for (std::size_t k = 0; k < m_entry.files.size(); ++k)
    if (m_states[k] == State::Saved) saved.push_back(std::move(m_entry.files[k]));
  m_entry.files = std::move(saved);
  m_index.clear();
  m_states.assign(m_entry.files.size(), State::Saved);
  if (m_entry.files.empty()) return m_journal.Remove(m_entry.strFolder, m_entry.nId, error);
  return m_journal.Write(m_entry, error);
}

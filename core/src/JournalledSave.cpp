#include <core/JournalledSave.h>

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

CJournalledSave::CJournalledSave(CSaveJournal journal, const CString& folder, std::function<void()> whileWaiting)
    : m_journal(std::move(journal)), m_whileWaiting(std::move(whileWaiting)) {
  m_entry.strFolder = folder;
  m_strPrefix = folder.Right(1) == "/" ? folder : folder + "/";
}

CString CJournalledSave::RelativePath(const CString& path) const {
  const int prefix = m_strPrefix.GetLength();
  if (path.GetLength() <= prefix || path.Left(prefix) != m_strPrefix) return CString();
  return path.Mid(prefix);
}

void CJournalledSave::Add(const CString& path, const std::vector<unsigned char>& record, const CString& newPath,
                          std::optional<long long> oldMtimeNs) {
  const CString relative = RelativePath(path);
  const CString renamed = newPath.IsEmpty() ? CString() : RelativePath(newPath);
  if (relative.IsEmpty() || (record.empty() && renamed.IsEmpty()) || (!newPath.IsEmpty() && renamed.IsEmpty())) return;
  JournalFile file;
  file.strPath = renamed.IsEmpty() ? relative : renamed;
  if (!renamed.IsEmpty()) file.strOldPath = relative;
  file.record.assign(record.begin(), record.end());
  long long size = -1;
  if (oldMtimeNs)
    file.nOldMtimeNs = *oldMtimeNs;
  else
    FileFacts(path, size, file.nOldMtimeNs);
  m_index[relative.Str()] = m_entry.files.size();
  m_entry.files.push_back(std::move(file));
  m_states.push_back(State::Recorded);
}

bool CJournalledSave::Record(CString& error) {
  if (m_nRecorded == m_entry.files.size()) return true;
  if (!m_pRecorded) m_pRecorded = std::make_unique<CGrowingEntry>(m_journal, m_entry);
  const std::span<const JournalFile> added(m_entry.files.data() + m_nRecorded, m_entry.files.size() - m_nRecorded);
  // Files not recorded have no record to write by (RecordOf), so they are never saved with it.
  if (!m_pRecorded->Append(added, error, m_whileWaiting)) return false;
  m_nRecorded = m_entry.files.size();
  const JournalEntry& front = m_pRecorded->Front();
  m_entry.nId = front.nId;
  m_entry.strFolder = front.strFolder;
  m_entry.nTime = front.nTime;
  return true;
}

const std::string* CJournalledSave::RecordOf(const CString& path) const {
  const auto found = m_index.find(RelativePath(path).Str());
  if (found == m_index.end() || found->second >= m_nRecorded) return nullptr;
  return &m_entry.files[found->second].record;
}

void CJournalledSave::NoteWriting(const CString& path) {
  const auto found = m_index.find(RelativePath(path).Str());
  if (found != m_index.end()) m_states[found->second] = State::Writing;
}

void CJournalledSave::NoteSaved(const CString& path, const CString& nowAt, std::optional<CFacts> left) {
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
  if (left) {
    file.nSize = left->nSize;
    file.nMtimeNs = left->nSize < 0 ? -1 : left->nMtimeNs;
  } else if (!FileFacts(nowAt, file.nSize, file.nMtimeNs)) {
    file.nSize = file.nMtimeNs = -1;
  }
  m_states[found->second] = State::Saved;
  // The entry as Finish writes it grows with each saved file.
  if (!m_pFinished) m_pFinished = std::make_unique<CJournalStream>(m_journal, m_entry);
  m_pFinished->Add(file);
}

bool CJournalledSave::Finish(CString& error) {
  if (m_entry.nId == 0) return true;
  const std::unique_ptr<CJournalStream> finished = std::move(m_pFinished);
  if (!finished) return m_journal.Remove(m_entry.strFolder, m_entry.nId, error);
  return finished->Close(m_entry, error, m_whileWaiting);
}

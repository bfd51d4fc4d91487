#include <core/SaveJournal.h>

#include <core/JournalFormat.h>

#include <base/DurableFile.h>

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

constexpr const char* kEntrySuffix = ".entry";
constexpr const char* kSetAsideSuffix = ".skipped";
constexpr std::size_t kIdDigits = 16;
constexpr const char* kTemporaryPrefix = ".new-";

// A size in bytes as people read it: "512 KB", "1.2 GB".
CString Size(std::uint64_t bytes) {
  if (bytes >= (1ULL << 30)) return CString::Formatted("%.1f GB", static_cast<double>(bytes) / (1ULL << 30));
  if (bytes >= (1ULL << 20)) return CString::Formatted("%.1f MB", static_cast<double>(bytes) / (1ULL << 20));
  return CString::Formatted("%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
}

CString Reason(int error) {
  switch (error) {
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case EROFS: return "the disk is read-only";
    case EACCES:
    case EPERM: return "there is no permission to write there";
    case EFBIG: return "the file would grow larger than the system allows";
    case ENOTDIR: return "a part of its path is a file, not a folder";
    default: return std::strerror(error);
  }
}

// The folder as the journal files it: absolute, links resolved, no trailing '/'.
CString CanonicalFolder(const CString& folder) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(folder, nullptr), &std::free);
  if (resolved) return CString(resolved.get());
  std::string path = folder.Str();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return CString(path);
}

// The folder of a saved folder's entries: a hash of its path, so that no
// path can name a place outside the journal.
CString EntriesDir(const CString& journalDir, const CString& folder) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char byte : folder.Str()) hash = (hash ^ byte) * 0x100000001B3ull;
  return CString::Formatted("%s/%016llx", journalDir.GetString(), static_cast<unsigned long long>(hash));
}

CString EntryPath(const CString& dir, std::uint64_t id, const char* suffix = kEntrySuffix) {
  return CString::Formatted("%s/%0*llu%s", dir.GetString(), static_cast<int>(kIdDigits),
                            static_cast<unsigned long long>(id), suffix);
}

// The numbers of the entries in dir (or of those set aside), oldest first.
std::vector<std::uint64_t> EntryIds(const CString& dir, const char* suffix = kEntrySuffix) {
  std::vector<std::uint64_t> ids;
  std::error_code ignored;
  for (const auto& item : std::filesystem::directory_iterator(dir.GetString(), ignored)) {
    const std::string name = item.path().filename().string();
    if (name.size() == kIdDigits + std::strlen(suffix) && name.substr(kIdDigits) == suffix &&
        name.find_first_not_of("0123456789") == kIdDigits)
      ids.push_back(std::strtoull(name.substr(0, kIdDigits).c_str(), nullptr, 10));
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Removes the entries older than the last kKeptSaves (and as many set
// aside), and temporaries that a write cut short by a crash left (an hour
// old: no write takes that long).
void RemoveOldEntries(const CString& dir) {
  for (const char* suffix : {kEntrySuffix, kSetAsideSuffix}) {
    const std::vector<std::uint64_t> ids = EntryIds(dir, suffix);
    for (std::size_t k = 0; k + CSaveJournal::kKeptSaves < ids.size(); ++k) unlink(EntryPath(dir, ids[k], suffix));
  }
  std::error_code ignored;
  const auto anHourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const auto& item : std::filesystem::directory_iterator(dir.GetString(), ignored))
    if (item.path().filename().string().rfind(kTemporaryPrefix, 0) == 0 && item.last_write_time(ignored) < anHourAgo)
      std::filesystem::remove(item.path(), ignored);
}

bool MakeDirs(const std::string& path, int& error) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = errno;
      return false;
    }
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = ENOTDIR;
    return false;
  }
  return true;
}

bool SyncDir(const CString& dir, const std::function<void()>& whileWaiting = {}) {
  return base::FlushFolder(dir.Str(), whileWaiting);
}

// Puts the flushed temporary in place as entry's file (a new entry under
// the next free number), and flushes the folder; false with errno when
// it is not (the temporary then stays the caller's).
bool Publish(const CString& dir, base::CNewFile& temporary, JournalEntry& entry,
             const std::function<void()>& whileWaiting) {
  const bool bNew = entry.nId == 0;
  if (bNew) {
    const std::vector<std::uint64_t> ids = EntryIds(dir);
    entry.nId = ids.empty() ? 1 : ids.back() + 1;
  }
  // A new entry never replaces one that another window wrote meanwhile.
  for (int attempt = 0;; ++attempt) {
    if (temporary.MoveTo(EntryPath(dir, entry.nId).Str(), bNew)) break;
    const int code = errno;
    if (!bNew || code != EEXIST || attempt == 100) {
      if (bNew) entry.nId = 0;
      errno = code;
      return false;
    }
    ++entry.nId;
  }
  if (!SyncDir(dir, whileWaiting)) {
    const int code = errno;
    if (bNew) {
      unlink(EntryPath(dir, entry.nId));
      entry.nId = 0;
    }
    errno = code;
    return false;
  }
  if (bNew) RemoveOldEntries(dir);
  return true;
}

// Why a stored path must not be believed, or empty when it may: it has to
// stay inside the folder by its letters.
CString PathFormProblem(const std::string& path) {
  if (path.empty()) return "an empty path";
  if (path.find('\0') != std::string::npos) return "a path holding NUL";
  if (path.front() == '/') return "an absolute path";
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    const std::string part = path.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return "a path with an empty, \".\" or \"..\" part";
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return CString();
}

}  // namespace

CSaveJournal::CSaveJournal(CString dir, std::uint64_t largestEntry)
    : m_strDir(std::move(dir)), m_nLargestEntry(largestEntry) {}

std::uint64_t CSaveJournal::LargestEntry() {
  constexpr std::uint64_t kLeast = 1ULL << 30;
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kLeast;
  return std::max(kLeast, static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2);
}

CString CSaveJournal::DefaultDir() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return CString(state) + "/quillory";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : "/";
  }
  return CString(home) + "/.local/state/quillory";
}

CString CSaveJournal::PathProblem(const CString& folder, const CString& path) {
  const CString form = PathFormProblem(path.Str());
  if (!form.IsEmpty()) return "Its journal entry names " + form;
  const CString canonical = CanonicalFolder(folder);
  const std::string full = canonical.Str() + "/" + path.Str();
  struct stat info {};
  if (lstat(full.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
    return "It is a symbolic link, which an undo does not follow";
  // A folder gone since the save hides nothing; one that is there must
  // resolve to a place inside the folder.
  const std::size_t slash = full.rfind('/');
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(full.substr(0, slash).c_str(), nullptr), &std::free);
  const std::string target = resolved ? resolved.get() : canonical.Str();
  if (target != canonical.Str() && target.compare(0, canonical.GetLength() + 1, canonical.Str() + "/") != 0)
    return "A folder on its way is a link that leads out of the folder";
  return CString();
}

bool CSaveJournal::HasEntries(const CString& folder) const {
  return !folder.IsEmpty() && !EntryIds(EntriesDir(m_strDir, CanonicalFolder(folder))).empty();
}

bool CSaveJournal::Prepare(const CString& folder, CString& error) const {
  int code = 0;
  if (MakeDirs(EntriesDir(m_strDir, CanonicalFolder(folder)).Str(), code)) return true;
  error.Format("The journal of saves cannot be written in %s: %s.", m_strDir.GetString(), Reason(code).GetString());
  return false;
}

bool CSaveJournal::Write(JournalEntry& entry, CString& error) {
  CJournalStream stream(*this, entry);
  for (const JournalFile& file : entry.files) stream.Add(file);
  return stream.Close(entry, error);
}

std::optional<JournalEntry> CSaveJournal::ReadLatest(const CString& folder, CString& problem,
                                                     std::uint64_t* newest) const {
  problem.Empty();
  const CString canonical = CanonicalFolder(folder);
  const CString dir = EntriesDir(m_strDir, canonical);
  const std::vector<std::uint64_t> ids = EntryIds(dir);
  if (newest) *newest = ids.empty() ? 0 : ids.back();
  if (ids.empty()) return std::nullopt;
  const CString path = EntryPath(dir, ids.back());
  const auto refuse = [&](const char* why) {
    problem.Format("The journal entry %s %s.", path.GetString(), why);
    return std::nullopt;
  };

  JournalEntry entry;
  CString why;
  {
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) > m_nLargestEntry) {
      if (fd >= 0) close(fd);
      return refuse("cannot be read");
    }
    const bool read = ReadEntry(fd, static_cast<std::uint64_t>(info.st_size), entry, why);
    close(fd);
    if (!read) return refuse(why);
  }
  entry.nId = ids.back();
  if (entry.strFolder != canonical) return refuse("belongs to another folder");
  for (const JournalFile& file : entry.files) {
    for (const CString* stored : {&file.strPath, &file.strOldPath}) {
      if (stored == &file.strOldPath && stored->IsEmpty()) continue;
      why = PathFormProblem(stored->Str());
      if (!why.IsEmpty()) return refuse(CString::Formatted("names %s", why.GetString()));
    }
  }
  return entry;
}

bool CSaveJournal::Remove(const CString& folder, std::uint64_t nId, CString& error) const {
  const CString dir = EntriesDir(m_strDir, CanonicalFolder(folder));
  const CString path = EntryPath(dir, nId);
  if (unlink(path) != 0 && errno != ENOENT) {
    error.Format("The journal entry %s cannot be removed: %s.", path.GetString(), Reason(errno).GetString());
    return false;
  }
  SyncDir(dir);
  return true;
}

bool CSaveJournal::SetAside(const CString& folder, std::uint64_t nId, CString& error) const {
  const CString dir = EntriesDir(m_strDir, CanonicalFolder(folder));
  const CString path = EntryPath(dir, nId);
  if (rename(path, EntryPath(dir, nId, kSetAsideSuffix)) != 0 && errno != ENOENT) {
    error.Format("The journal entry %s cannot be set aside: %s.", path.GetString(), Reason(errno).GetString());
    return false;
  }
  SyncDir(dir);
  return true;
}

long long MtimeNsOf(const struct stat& info) {
  return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

CJournalStream::CJournalStream(CSaveJournal journal, const JournalEntry& front)
    : m_journal(std::move(journal)), m_front(FrontOf(front)), m_pBytes(std::make_unique<CEntryBytes>(m_front)) {
  if (!m_journal.Prepare(m_front.strFolder, m_strError)) return;
  if (!m_file.Create(EntriesDir(m_journal.m_strDir, m_front.strFolder).Str(), kTemporaryPrefix)) Fail(errno);
  m_nAt = static_cast<off_t>(m_pBytes->FrontSize());
}

CJournalStream::~CJournalStream() = default;

JournalEntry CJournalStream::FrontOf(const JournalEntry& entry) {
  JournalEntry front;
  front.nId = entry.nId;
  front.strFolder = CanonicalFolder(entry.strFolder);
  front.nTime = entry.nTime != 0 ? entry.nTime : static_cast<long long>(std::time(nullptr));
  return front;
}

void CJournalStream::Fail(int code) {
  if (!m_strError.IsEmpty()) return;
  m_strError.Format("The journal of saves cannot be written in %s: %s.", m_journal.m_strDir.GetString(),
                    Reason(code).GetString());
}

void CJournalStream::Add(const JournalFile& file) {
  // A record's length is written in four bytes, and the entry must stay one the journal reads back.
  m_nSize += 36 + file.strPath.Str().size() + file.strOldPath.Str().size() + file.record.size();
  if (file.record.size() > 0xFFFFFFFFu || m_nSize > m_journal.m_nLargestEntry) {
    if (m_strError.IsEmpty())
      m_strError.Format("The journal entry of this save would be larger than the %s that an undo can read back on "
                        "this computer (the pictures it replaces take much room).",
                        Size(m_journal.m_nLargestEntry).GetString());
    return;
  }
  m_pending += m_pBytes->File(file);
  if (m_pending.size() >= kChunk) WriteOut();
}

void CJournalStream::WriteOut() {
  if (!m_file.IsOpen() || !m_strError.IsEmpty() || m_pending.empty()) return;
  if (!m_file.Write(m_pending, m_nAt)) return Fail(errno);
  // Not pushed to the disk here (sync_file_range waits while the disk is busy
  // with the save's own files, and the window would not answer): the flush at
  // the end, on a thread, does it.
  m_nAt += static_cast<off_t>(m_pending.size());
  m_pending.clear();
}

bool CJournalStream::Close(JournalEntry& entry, CString& error, const std::function<void()>& whileWaiting) {
  WriteOut();
  if (m_strError.IsEmpty() && !(m_file.Write(m_pBytes->Front(), 0) && m_file.Flush(whileWaiting))) Fail(errno);
  if (m_strError.IsEmpty() &&
      !Publish(EntriesDir(m_journal.m_strDir, m_front.strFolder), m_file, m_front, whileWaiting))
    Fail(errno);
  if (!m_strError.IsEmpty()) {
    m_file.Drop();
    error = m_strError;
    return false;
  }
  entry.nId = m_front.nId;
  entry.strFolder = m_front.strFolder;
  entry.nTime = m_front.nTime;
  return true;
}

CGrowingEntry::CGrowingEntry(CSaveJournal journal, const JournalEntry& front)
    : m_journal(std::move(journal)), m_front(front) {
  m_front.nId = 0;
  m_front.strFolder = CanonicalFolder(front.strFolder);
  if (m_front.nTime == 0) m_front.nTime = static_cast<long long>(std::time(nullptr));
}

bool CGrowingEntry::Fail(int code, CString& error) {
  m_bFailed = true;
  error.Format("The journal of saves cannot be written in %s: %s.", m_journal.m_strDir.GetString(),
               Reason(code).GetString());
  return false;
}

bool CGrowingEntry::Append(std::span<const JournalFile> files, CString& error,
                           const std::function<void()>& whileWaiting) {
  // After a failure the last block may be torn: nothing may follow it.
  if (m_bFailed) return Fail(EIO, error);
  for (const JournalFile& file : files) {
    // A record's length is written in four bytes, and the entry must stay one the journal reads back.
    m_nSize += 36 + file.strPath.Str().size() + file.strOldPath.Str().size() + file.record.size();
    if (file.record.size() > 0xFFFFFFFFu || m_nSize > m_journal.m_nLargestEntry) {
      m_bFailed = true;
      error.Format("The journal entry of this save would be larger than the %s that an undo can read back on "
                   "this computer (the pictures it replaces take much room).",
                   Size(m_journal.m_nLargestEntry).GetString());
      return false;
    }
  }
  const std::string block = GrowingEntryBlock(files);
  if (m_front.nId != 0) {
    if (!m_file.Write(block, m_nAt) || !m_file.Flush(whileWaiting)) return Fail(errno, error);
    m_nAt += static_cast<off_t>(block.size());
    return true;
  }
  // The first files: the entry is written whole beside its place, then put there.
  const CString dir = EntriesDir(m_journal.m_strDir, m_front.strFolder);
  if (!m_journal.Prepare(m_front.strFolder, error)) {
    m_bFailed = true;
    return false;
  }
  const std::string start = GrowingEntryStart(m_front) + block;
  if (!m_file.Create(dir.Str(), kTemporaryPrefix) || !m_file.Write(start, 0) || !m_file.Flush(whileWaiting) ||
      !Publish(dir, m_file, m_front, whileWaiting)) {
    const int code = errno;
    m_file.Drop();
    return Fail(code, error);
  }
  m_nAt = static_cast<off_t>(start.size());
  return true;
}

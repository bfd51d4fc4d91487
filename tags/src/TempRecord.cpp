#include "TempRecord.h"

#include "TagWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// A record is a list of entries, each ended by a NUL (a path holds none):
// "+PATH" before the new file is made, "=DEV:INO:PATH" once it is, and
// "-PATH" when it could not be made after all.

namespace {

constexpr char kTempMark[] = ".quillory-";  // as IsWriterTemporary knows it
constexpr std::size_t kRecordLimit = 64 << 20;  // a record longer than this is not one of ours
// A name in a folder may have at most NAME_MAX bytes; a new file's name
// keeps this much of the original's name so that the marks still fit.
constexpr std::size_t kNameKept = 200;

// Six characters as mkstemp picks them.
std::string RandomPart() {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string part(6, 'X');
  for (char& c : part) c = kChars[random() % (sizeof kChars - 1)];
  return part;
}

// A new file's name beside the file named name in folder.
std::string TempName(const std::string& folder, const std::string& name) {
  return folder + "/." + name.substr(0, kNameKept) + kTempMark + RandomPart();
}

bool MakeDirs(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RealPathOf(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

bool IsBelow(const std::string& folder, const std::string& path) {
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || folder == "/" || path[folder.size()] == '/');
}

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// What a record says of one new file.
struct CNoted {
  bool bOpen = true;  // no "-" followed
  bool bKnown = false;
  unsigned long long dev = 0, ino = 0;
};

// What becomes of a noted file when folder is loaded.
enum class Fate { kRemoved, kKept, kDropped };

Fate Clear(const std::string& path, const CNoted& noted, const std::string& root, bool subfolders) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return Fate::kDropped;
  const std::string parent = path.substr(0, slash), name = path.substr(slash + 1);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Fate::kDropped : Fate::kKept;
  // Another folder's file waits for that folder's load.
  if (!IsBelow(root, parent) || (!subfolders && parent != root)) return Fate::kKept;
  if (!IsWriterTemporary(name.c_str())) return Fate::kDropped;
  // Never through a link: the folder must be where its path says, and stay
  // so while the file is removed from it.
  if (RealPathOf(parent) != parent) return Fate::kDropped;
  const int dir = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return Fate::kKept;
  struct stat folder {}, named {};
  Fate fate = Fate::kDropped;
  if (::fstat(dir, &folder) == 0 && ::stat(parent.c_str(), &named) == 0 && folder.st_ino == named.st_ino &&
      folder.st_dev == named.st_dev && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(st.st_mode) && (!noted.bKnown || (st.st_dev == noted.dev && st.st_ino == noted.ino)))
    fate = ::unlinkat(dir, name.c_str(), 0) == 0 ? Fate::kRemoved : Fate::kKept;
  ::close(dir);
  return fate;
}

// Clears what the record at path notes in root, unless its writer still runs.
int ClearRecord(const std::string& path, const std::string& root, bool subfolders) {
  struct CClosed {
    int fd;
    ~CClosed() {
      if (fd >= 0) ::close(fd);
    }
  } file{::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC)};
  const int fd = file.fd;
  if (fd < 0) return 0;
  struct stat mine {}, named {};
  // A record still locked belongs to a writer that is running.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return 0;
  // Another load may have cleared and removed it meanwhile.
  if (::fstat(fd, &mine) != 0 || !S_ISREG(mine.st_mode) || mine.st_uid != ::geteuid() ||
      mine.st_size > static_cast<off_t>(kRecordLimit) || ::stat(path.c_str(), &named) != 0 ||
      named.st_ino != mine.st_ino || named.st_dev != mine.st_dev)
    return 0;
  std::string bytes(static_cast<std::size_t>(mine.st_size), '\0');
  if (::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return 0;

  std::map<std::string, CNoted> noted;
  std::vector<std::string> order;
  for (std::size_t at = 0, end; at < bytes.size(); at = end + 1) {
    end = bytes.find('\0', at);
    if (end == std::string::npos) break;  // cut short by a crash
    const std::string entry = bytes.substr(at, end - at);
    if (entry.size() < 2) continue;
    if (entry[0] == '+' && entry[1] == '/') {
      if (noted.emplace(entry.substr(1), CNoted{}).second) order.push_back(entry.substr(1));
    } else if (entry[0] == '-' && noted.count(entry.substr(1))) {
      noted[entry.substr(1)].bOpen = false;
    } else if (entry[0] == '=') {
      char* rest = nullptr;
      CNoted known{true, true, std::strtoull(entry.c_str() + 1, &rest, 10), 0};
      if (*rest != ':') continue;
      known.ino = std::strtoull(rest + 1, &rest, 10);
      if (*rest != ':' || !noted.count(rest + 1)) continue;
      known.bOpen = noted[rest + 1].bOpen;
      noted[rest + 1] = known;
    }
  }
  int removed = 0;
  std::string kept;
  for (const std::string& file : order) {
    const CNoted& note = noted[file];
    if (!note.bOpen) continue;
    switch (Clear(file, note, root, subfolders)) {
      case Fate::kRemoved: ++removed; break;
      case Fate::kDropped: break;
      case Fate::kKept:
        kept += "+" + file + '\0';
        if (note.bKnown) kept += "=" + std::to_string(note.dev) + ":" + std::to_string(note.ino) + ":" + file + '\0';
        break;
    }
  }
  if (kept.empty()) {
    ::unlink(path.c_str());
  } else if (kept.size() < bytes.size() && ::ftruncate(fd, 0) == 0) {
    (void)WriteAll(fd, kept);
  }
  return removed;
}

}  // namespace

std::string TempRecordDir() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/quillory/temporaries";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : "/";
  }
  return std::string(home) + "/.local/state/quillory/temporaries";
}

CTempRecord::~CTempRecord() {
  for (const auto& [folder, spares] : m_spares)
    for (const CMade& spare : spares) {
      struct stat st {};
      if (::lstat(spare.path.c_str(), &st) == 0 && st.st_dev == spare.dev && st.st_ino == spare.ino)
        ::unlink(spare.path.c_str());
    }
  if (m_fd < 0) return;
  const bool left = std::any_of(m_made.begin(), m_made.end(), [](const CMade& made) {
    struct stat st {};
    return ::lstat(made.path.c_str(), &st) == 0 && st.st_dev == made.dev && st.st_ino == made.ino;
  });
  if (!left) ::unlink(m_strPath.c_str());
  ::close(m_fd);
}

void CTempRecord::Note(const std::string& entry) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  NoteLocked(entry);
}

void CTempRecord::NoteLocked(const std::string& entry) {
  if (!m_bTried) {
    m_bTried = true;
    // Made under a hidden name and locked before it gets its own, so that no
    // load takes it for the record of a writer that is gone.
    const std::string dir = TempRecordDir();
    std::string hidden = dir + "/.new-XXXXXX";
    const int fd = MakeDirs(dir) ? ::mkostemp(hidden.data(), O_CLOEXEC) : -1;
    if (fd < 0) return;
    m_strPath = dir + "/w-" + hidden.substr(hidden.size() - 6);
    if (::flock(fd, LOCK_EX) != 0 || ::rename(hidden.c_str(), m_strPath.c_str()) != 0) {
      ::unlink(hidden.c_str());
      ::close(fd);
      return;
    }
    m_fd = fd;
  }
  if (m_fd >= 0) (void)WriteAll(m_fd, entry + '\0');
}

// Notes that path is made and what it is, when the record can be written.
void CTempRecord::NoteMade(const std::string& path, const struct stat& st) {
  // Built by appending: GCC 12 at -O3 takes "=" + std::string for an overlapping copy (-Wrestrict).
  std::string line = "=";
  line += std::to_string(st.st_dev);
  line += ':';
  line += std::to_string(st.st_ino);
  line += ':';
  line += path;
  const std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd < 0) return;
  m_made.push_back({path, st.st_dev, st.st_ino});
  NoteLocked(line);
}

int CTempRecord::Create(const std::string& folder, const std::string& name, std::string* path) {
  const int spare = TakeSpare(folder, path);
  if (spare >= 0) return spare;
  const bool noted = !folder.empty() && folder[0] == '/';
  for (int tries = 0; tries < 100; ++tries) {
    *path = TempName(folder, name);
    if (noted) Note("+" + *path);
    const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      const int err = errno;
      if (noted) Note("-" + *path);
      errno = err;
      if (err == EEXIST) continue;
      return -1;
    }
    struct stat st {};
    if (noted && ::fstat(fd, &st) == 0) NoteMade(*path, st);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

// An emptied original kept in folder, open for writing, or -1.
int CTempRecord::TakeSpare(const std::string& folder, std::string* path) {
  for (;;) {
    CMade spare;
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      const auto it = m_spares.find(folder);
      if (it == m_spares.end() || it->second.empty()) return -1;
      spare = std::move(it->second.back());
      it->second.pop_back();
    }
    const int fd = ::open(spare.path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    const bool same = fd >= 0 && ::fstat(fd, &st) == 0 && st.st_dev == spare.dev && st.st_ino == spare.ino;
    if (same && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size == 0) {
      *path = spare.path;
      return fd;
    }
    if (same) ::unlink(spare.path.c_str());
    if (fd >= 0) ::close(fd);
  }
}

bool CTempRecord::KeepOriginal(const std::string& target, const struct stat& read, std::string* spare) {
  const std::size_t slash = target.rfind('/');
  if (target.empty() || target[0] != '/' || slash == 0 || slash + 1 >= target.size()) return false;
  for (int tries = 0; tries < 100; ++tries) {
    *spare = TempName(target.substr(0, slash), target.substr(slash + 1));
    {
      // Only a name the record holds: a crash must not leave a second name of a user's file for good.
      const std::lock_guard<std::mutex> lock(m_mutex);
      NoteLocked("+" + *spare);
      if (m_fd < 0) return false;
    }
    if (::link(target.c_str(), spare->c_str()) != 0) {
      const int err = errno;
      Note("-" + *spare);
      if (err == EEXIST) continue;
      return false;
    }
    struct stat st {};
    if (::lstat(spare->c_str(), &st) == 0 && st.st_dev == read.st_dev && st.st_ino == read.st_ino) {
      NoteMade(*spare, st);
      return true;
    }
    // Another program put a file of its own at target meanwhile: the rename will refuse it.
    ::unlink(spare->c_str());
    Note("-" + *spare);
    return false;
  }
  return false;
}

void CTempRecord::Recycle(const std::string& spare, bool durable) {
  // Until the rename is durable the original may still be the file under
  // its own name after a crash: it is not emptied before. O_NONBLOCK: a
  // lease another program holds refuses at once rather than after a wait.
  const int fd = durable ? ::open(spare.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK) : -1;
  struct stat st {};
  // A write lease is granted only while no other descriptor (nor a mapping)
  // of the file is open: a player still reading the old file keeps it whole.
  bool kept = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
              ::flistxattr(fd, nullptr, 0) == 0 && ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
  if (kept) {
    kept = ::ftruncate(fd, 0) == 0 && ::fchmod(fd, 0600) == 0;
    (void)::fcntl(fd, F_SETLEASE, F_UNLCK);
  }
  if (fd >= 0) ::close(fd);
  if (!kept) {
    ::unlink(spare.c_str());
    return;
  }
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_spares[spare.substr(0, spare.rfind('/'))].push_back({spare, st.st_dev, st.st_ino});
}

int RemoveLeftTemporaries(const CString& folder, bool subfolders) {
  const std::string root = RealPathOf(folder.Str());
  if (root.empty()) return 0;
  const std::string dir = TempRecordDir();
  std::vector<std::string> records;
  if (DIR* listing = ::opendir(dir.c_str())) {
    while (const dirent* entry = ::readdir(listing))
      if (entry->d_name[0] != '.') records.push_back(dir + "/" + entry->d_name);
    ::closedir(listing);
  }
  int removed = 0;
  for (const std::string& record : records) removed += ClearRecord(record, root, subfolders);
  return removed;
}

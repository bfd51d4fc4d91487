#include "MappedFile.h"

#include <base/DurableFile.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// The maps a SIGBUS may come from. The handler reads this table, so it is
// a fixed array of atomics: no lock, no allocation. A map that finds no free
// slot reads its file into memory instead.
constexpr int kSlots = 512;

// Files up to this size are read into memory rather than mapped.
constexpr std::size_t kReadBelow = 64 * 1024;

struct CGuardedRange {
  enum State : int { kFree, kClaimed, kLive };
  std::atomic<int> state{kFree};
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};  // page-rounded: the whole of the mapping
  std::atomic<bool> torn{false};
};

CGuardedRange g_ranges[kSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};
std::atomic<bool> g_guarding{false};

void PassOn(int sig, siginfo_t* info, void* context) {
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) g_previous.sa_sigaction(sig, info, context);
    return;
  }
  if (g_previous.sa_handler == SIG_DFL || g_previous.sa_handler == SIG_IGN) {
    // The fault repeats on return and ends the process as it would have without us.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    return;
  }
  g_previous.sa_handler(sig);
}

// A page of one of our maps that the file no longer backs: it and the rest
// of the map become zero pages, so the reader carries on and finds the map
// torn when it asks.
void OnSigbus(int sig, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (CGuardedRange& range : g_ranges) {
    if (range.state.load(std::memory_order_acquire) != CGuardedRange::kLive) continue;
    const std::uintptr_t begin = range.begin.load(std::memory_order_relaxed);
    const std::uintptr_t end = range.end.load(std::memory_order_relaxed);
    if (address < begin || address >= end) continue;
    const std::uintptr_t page = address & ~(g_pageSize - 1);
    void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
                       -1, 0);
    if (zeros == MAP_FAILED) break;
    range.torn.store(true, std::memory_order_relaxed);
    errno = savedErrno;
    return;
  }
  errno = savedErrno;
  PassOn(sig, info, context);
}

// Installs the handler once for the process, in front of whatever handled
// SIGBUS before. False when it is not in place (a sanitizer may keep the
// signal to itself): maps are then not used.
bool GuardMaps() {
  static std::once_flag once;
  std::call_once(once, [] {
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize > 0) g_pageSize = static_cast<std::uintptr_t>(pageSize);
    struct sigaction action {};
    action.sa_sigaction = OnSigbus;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGBUS, &action, &g_previous) != 0) return;
    struct sigaction now {};
    g_guarding = sigaction(SIGBUS, nullptr, &now) == 0 && (now.sa_flags & SA_SIGINFO) && now.sa_sigaction == OnSigbus;
  });
  return g_guarding;
}

int ClaimRange() {
  for (int slot = 0; slot < kSlots; ++slot) {
    int expected = CGuardedRange::kFree;
    if (g_ranges[slot].state.compare_exchange_strong(expected, CGuardedRange::kClaimed, std::memory_order_acq_rel))
      return slot;
  }
  return -1;
}

// Fills bytes (size of them) from the file; a file shorter than that
// leaves the rest zeros, and false.
bool ReadWhole(int fd, std::size_t size, unsigned char* bytes) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, bytes + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // shorter than it was a moment ago
      std::memset(bytes + done, 0, size - done);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

CMappedFile::CMappedFile(const char* path, bool followLink) : m_strPath(path ? path : ""), m_bFollowLink(followLink) {
  // Closed once mapped or read: whether the file changed is asked of its name.
  const base::CFd fd(::open(path, O_RDONLY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
  struct stat st {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  m_bOpen = true;
  m_dev = st.st_dev;
  m_ino = st.st_ino;
  m_mtime = st.st_mtim;
  m_nSize = static_cast<std::size_t>(st.st_size);
  if (m_nSize == 0) return;
  // A small file costs less to read than to map, fault in and unmap.
  m_nSlot = m_nSize > kReadBelow && GuardMaps() ? ClaimRange() : -1;
  if (m_nSlot >= 0) {
    void* p = ::mmap(nullptr, m_nSize, PROT_READ, MAP_PRIVATE, fd.Get(), 0);
    if (p != MAP_FAILED) {
      m_pData = static_cast<const unsigned char*>(p);
      CGuardedRange& range = g_ranges[m_nSlot];
      const auto begin = reinterpret_cast<std::uintptr_t>(p);
      range.torn.store(false, std::memory_order_relaxed);
      range.begin.store(begin, std::memory_order_relaxed);
      range.end.store(begin + (m_nSize + g_pageSize - 1) / g_pageSize * g_pageSize, std::memory_order_relaxed);
      range.state.store(CGuardedRange::kLive, std::memory_order_release);
      return;
    }
    g_ranges[std::exchange(m_nSlot, -1)].state.store(CGuardedRange::kFree, std::memory_order_release);
  }
  // No guarded map: the bytes are read once, which a shortened file cannot crash.
  // Not zeroed first: the read fills it.
  m_copy = std::make_unique_for_overwrite<unsigned char[]>(m_nSize);
  m_bCopyShort = !ReadWhole(fd.Get(), m_nSize, m_copy.get());
  m_pData = m_copy.get();
}

CMappedFile::~CMappedFile() {
  if (m_nSlot >= 0) {
    CGuardedRange& range = g_ranges[m_nSlot];
    range.state.store(CGuardedRange::kClaimed, std::memory_order_release);
    ::munmap(const_cast<unsigned char*>(m_pData), m_nSize);
    range.state.store(CGuardedRange::kFree, std::memory_order_release);
  }
}

bool CMappedFile::IsIntact() const {
  if (!m_bOpen) return false;
  if (m_bCopyShort || (m_nSlot >= 0 && g_ranges[m_nSlot].torn.load(std::memory_order_relaxed))) return false;
  // One look at the name: when it still names the mapped file, its size and
  // time are that file's own.
  struct stat named {};
  const int found = m_bFollowLink ? ::stat(m_strPath.c_str(), &named) : ::lstat(m_strPath.c_str(), &named);
  return found == 0 && named.st_dev == m_dev && named.st_ino == m_ino &&
         static_cast<std::size_t>(named.st_size) == m_nSize && SameTime(named.st_mtim, m_mtime);
}

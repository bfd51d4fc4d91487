#include "TagWriter.h"

#include "ByteOrder.h"
#include "FlushThreads.h"
#include "TempRecord.h"

#include <base/DurableFile.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kV1Size = 128;
constexpr std::size_t kMaxTagBody = std::size_t{1} << 28;  // what a size field of 28 bits holds
constexpr char kTempMark[] = ".quillory-";
constexpr std::size_t kTempRandom = 6;  // as mkstemp's XXXXXX (see CTempRecord::Create)
// Metadata and rounding a new file may need beyond its bytes.
constexpr unsigned long long kSpaceMargin = 64 * 1024;
// A batch's flush: how many files or bytes it takes (a batch past twice as
// many files commits by itself, so its descriptors stay few), and how many
// flushes run at once, so the file system gathers them into few commits
// (a batch of in-place writes, each a small flush, was 5-9% quicker with 32
// than with 8; the disk takes that many requests at once).
constexpr std::size_t kBatchFiles = 200;
constexpr std::size_t kBatchBytes = std::size_t{128} << 20;
constexpr std::size_t kFlushThreads = 32;

using base::CFd;
using base::CopyRange;
using base::ReadAll;
using base::WriteAll;

// What went wrong, as the user reads it after "... was not saved: ".
// bFolder: the failing call created or renamed a file in the folder.
CString Reason(int err, bool bFolder) {
  switch (err) {
    case ENOSPC:
    case EDQUOT: return "The disk is full";
    case EFBIG: return "The file would grow larger than the system allows";
    case EROFS: return "The disk is read-only";
    case EACCES:
    case EPERM: return bFolder ? "The folder is read-only" : "The file is read-only";
    case ENOENT: return "The file no longer exists or is empty";
    default: return CString::Formatted("The file could not be written (%s)", std::strerror(err));
  }
}

// Stops the whole write with its reason; errno holds the cause.
bool Fail(CString* error, bool bFolder = false) {
  *error = Reason(errno, bFolder);
  return false;
}

bool FailWith(CString* error, const char* reason) {
  *error = reason;
  return false;
}

// The tag region as it goes to disk: header with its size set, frames,
// zeros up to regionSize, or the footer right after the frames.
std::string BuildRegion(const CTagWrite& request, std::size_t regionSize) {
  if (regionSize == 0) return std::string();
  std::string region(regionSize, '\0');
  std::copy(request.strNewTag.begin(), request.strNewTag.end(), region.begin());
  auto* bytes = reinterpret_cast<unsigned char*>(region.data());
  const std::size_t body = regionSize - kHeaderSize - (request.bFooter ? kHeaderSize : 0);
  PutSyncsafe(bytes + 6, body);
  if (request.bFooter) {
    unsigned char* footer = bytes + regionSize - kHeaderSize;
    std::copy(bytes, bytes + kHeaderSize, footer);
    std::memcpy(footer, "3DI", 3);
  }
  return region;
}

// The region a new file gives the tag: room to spare, so that the next edits
// of the file fit in place. A tag with a footer may not be padded.
std::size_t RegionForNewFile(const CTagWrite& request) {
  const std::size_t tag = request.strNewTag.size();
  if (tag == 0) return 0;
  if (request.bFooter) return tag + kHeaderSize;
  const std::size_t unit = 2048;
  const std::size_t wanted = (tag + std::max<std::size_t>(unit, tag / 4) + unit - 1) / unit * unit;
  return wanted - kHeaderSize < kMaxTagBody ? wanted : tag;
}

// True when the file still starts with the ID3v2 region the engine read.
bool StartsWithOldRegion(const unsigned char* header, std::size_t oldTagEnd) {
  if (std::memcmp(header, "ID3", 3) != 0) return false;
  std::size_t end = kHeaderSize + Syncsafe(header + 6);
  if (header[3] == 4 && (header[5] & 0x10)) end += kHeaderSize;
  return end == oldTagEnd;
}

CString FolderOf(const CString& path) { return CString(base::FolderOfFile(path.Str())); }

CString NameOf(const CString& path) { return path.Mid(path.ReverseFind('/') + 1); }

// A write past the size limit (ulimit -f) must fail with EFBIG rather than
// end the program.
void IgnoreFileSizeSignal() {
  static const bool once = [] {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)once;
}

// The file being written, as found when the write starts.
struct COriginal {
  CFd fd;
  struct stat st {};
  std::vector<unsigned char> oldRegion;  // the ID3v2 region as it is now
  unsigned char oldV1[kV1Size] = {};
};

// Opens the file and checks that it still has the layout the engine saw.
bool OpenOriginal(const CTagWrite& request, COriginal* file, CString* error) {
  file->fd.Reset(::open(request.strPath, O_RDWR | O_CLOEXEC | (request.bNoFollow ? O_NOFOLLOW : 0)));
  const int fd = file->fd.Get();
  if (fd < 0 && errno == ELOOP && request.bNoFollow) return FailWith(error, kLinkRefused);
  if (fd < 0) return errno == EISDIR ? FailWith(error, "The file is a folder") : Fail(error);
  if (::fstat(fd, &file->st) != 0) return Fail(error);
  if (!S_ISREG(file->st.st_mode) || file->st.st_size == 0)
    return FailWith(error, "The file no longer exists or is empty");
  const std::size_t size = static_cast<std::size_t>(file->st.st_size);
  const char* changed = "The file was changed by another program since it was read";
  const bool hasV1 = request.bV1 || request.bRemoveV1;
  if (size < request.nOldTagEnd + (hasV1 ? kV1Size : 0)) return FailWith(error, changed);
  file->oldRegion.resize(request.nOldTagEnd);
  if (!ReadAll(fd, file->oldRegion.data(), file->oldRegion.size(), 0)) return Fail(error);
  if (request.nOldTagEnd > 0 && (request.nOldTagEnd < kHeaderSize ||
                                 !StartsWithOldRegion(file->oldRegion.data(), request.nOldTagEnd)))
    return FailWith(error, changed);
  if (hasV1 || (request.expect && request.expect->bV1)) {
    if (!ReadAll(fd, file->oldV1, kV1Size, file->st.st_size - static_cast<off_t>(kV1Size))) return Fail(error);
    if (std::memcmp(file->oldV1, "TAG", 3) != 0) return FailWith(error, changed);
  }
  // A block is added only to a file that still has none.
  if (request.bAddV1 && size >= request.nOldTagEnd + kV1Size) {
    char end[3];
    if (!ReadAll(fd, end, 3, file->st.st_size - static_cast<off_t>(kV1Size))) return Fail(error);
    if (std::memcmp(end, "TAG", 3) == 0) return FailWith(error, changed);
  }
  if (const std::optional<CExpectedFile>& expect = request.expect) {
    if (size != expect->nSize || Sha256(file->oldRegion.data(), file->oldRegion.size()) != expect->region ||
        (expect->bV1 && Sha256(file->oldV1, kV1Size) != expect->v1))
      return FailWith(error, expect->pszChanged);
  }
  return true;
}

// Puts the old region (or span, at its offset) back after a failed write
// or flush; errno is kept.
void PutBackOldRegion(int fd, const std::vector<unsigned char>& oldRegion, off_t at = 0) {
  const int err = errno;
  if (WriteAll(fd, oldRegion.data(), oldRegion.size(), at)) ::fdatasync(fd);
  errno = err;
}

// One pwrite over the old region, then (unless deferred to a batch)
// fdatasync; on failure the old bytes are put back.
bool WriteInPlace(const std::string& region, const COriginal& file, bool flush, CString* error) {
  const int fd = file.fd.Get();
  const auto* bytes = reinterpret_cast<const unsigned char*>(region.data());
  if (WriteAll(fd, bytes, region.size(), 0) && (!flush || ::fdatasync(fd) == 0)) return true;
  PutBackOldRegion(fd, file.oldRegion);
  return Fail(error);
}

bool EnoughSpaceFor(const CString& folder, unsigned long long bytes) {
  struct statvfs vfs {};
  if (::statvfs(folder, &vfs) != 0) return true;  // unknown: the writes will tell
  // Blocks kept back for some user are not counted: whether this user may
  // take them depends on how the disk was set up.
  return static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize >= bytes + kSpaceMargin;
}

// Fills the new file: tag, audio and trailing tags, ID3v1; then the
// original's owner and mode, and (unless deferred to a batch) flushes it.
bool FillNewFile(const CTagWrite& request, const std::string& region, const COriginal& file, base::CNewFile& out,
                 bool flush, CString* error) {
  const std::size_t size = static_cast<std::size_t>(file.st.st_size);
  if (!out.Write(region)) return Fail(error);
  const std::size_t rest = size - request.nOldTagEnd - (request.bV1 || request.bRemoveV1 ? kV1Size : 0);
  if (!CopyRange(file.fd.Get(), static_cast<off_t>(request.nOldTagEnd), out.Fd(), rest)) return Fail(error);
  if ((request.bV1 || request.bAddV1) && !WriteAll(out.Fd(), request.v1.data(), kV1Size)) return Fail(error);
  if (!base::KeepWhatItReplaces(out.Fd(), request.strPath.Str(), file.st)) return Fail(error);
  if (flush && !out.Flush()) return Fail(error);
  return true;
}

// The name a new file replaces: a symbolic link's target, not the link.
// Every link on its way resolved, as the record of new files needs it.
CString TargetOf(const CString& path) {
  char resolved[PATH_MAX];
  return ::realpath(path, resolved) ? CString(resolved) : path;
}

// Renames the flushed new file over the original, but only over the file
// that was read, not over one another program put there meanwhile; on
// failure the new file is removed.
bool RenameOver(base::CNewFile& temp, const CString& target, const struct stat& read, CString* error) {
  struct stat now {};
  bool done = true;
  if (::stat(target, &now) != 0 || now.st_ino != read.st_ino || now.st_dev != read.st_dev)
    done = FailWith(error, "The file was changed by another program since it was read");
  if (done && !temp.MoveTo(target.Str())) done = Fail(error, true);
  if (!done) temp.Drop();
  return done;
}

// The rename has happened and cannot be undone; a folder that cannot be
// flushed (some file systems refuse) leaves the new file in place all the same.
void FlushFolder(const CString& folder) { (void)base::FlushFolder(folder.Str()); }

}  // namespace

// A write of a batch waiting for its flush.
struct CWriteBatch::CPending {
  CString strPath;  // as the request named it
  CFd fd;           // the file written in place
  bool bInPlace = false;
  std::vector<unsigned char> oldRegion;  // in place: put back when the flush fails
  off_t nRegionAt = 0;                   // where in the file it lies
  base::CNewFile newFile;                // else the new file
  CString strTarget;                     // what the new file is renamed over
  struct stat read {};                   // the original as it was read
  CTempRecord* pRecord = nullptr;        // keeps the original's inode for a later new file
  std::string strSpare;                  // the original's second name, until its rename is durable
  CString strError;

  // The flush, and for a new file the rename once its data is durable.
  void Flush() {
    if (bInPlace) {
      if (fd.Get() < 0 || ::fdatasync(fd.Get()) == 0) return;
      PutBackOldRegion(fd.Get(), oldRegion, nRegionAt);
      Fail(&strError);
      return;
    }
    if (!newFile.IsOpen()) return;
    if (!newFile.Flush()) {
      Fail(&strError);
      newFile.Drop();
      return;
    }
    if (pRecord && !pRecord->KeepOriginal(strTarget.Str(), read, &strSpare)) strSpare.clear();
    if (!RenameOver(newFile, strTarget, read, &strError) && !strSpare.empty()) {
      pRecord->Recycle(strSpare, false);
      strSpare.clear();
    }
  }
  bool HasWork() const { return fd.Get() >= 0 || newFile.IsOpen(); }
};

namespace {

// What a write does, flushing at once (batch null) or handing the flush to
// the batch's pending record.
bool Write(const CTagWrite& request, CString* error, long* newSize, CWriteBatch::CPending* pending,
           CTempRecord& record) {
  IgnoreFileSizeSignal();
  error->Empty();
  const std::string& newTag = request.bExactRegion ? request.strRegion : request.strNewTag;
  if (!newTag.empty() && (newTag.size() < kHeaderSize || newTag.compare(0, 3, "ID3") != 0))
    return FailWith(error, "The new tag could not be made");
  if (newTag.size() >= kMaxTagBody) return FailWith(error, "The tag would be larger than an ID3v2 tag may be");
  COriginal file;
  if (!OpenOriginal(request, &file, error)) return false;
  *newSize = static_cast<long>(file.st.st_size);
  const bool v1Changes = (request.bV1 && std::memcmp(file.oldV1, request.v1.data(), kV1Size) != 0) ||
                         request.bAddV1 || request.bRemoveV1;
  const std::string region = request.bExactRegion ? request.strRegion : LayOutRegion(request, v1Changes);
  if (region.empty() && request.nOldTagEnd == 0 && !v1Changes) return true;
  const bool flush = pending == nullptr;
  if (!region.empty() && region.size() == request.nOldTagEnd && !v1Changes) {
    if (!WriteInPlace(region, file, flush, error)) return false;
    if (pending) {
      pending->bInPlace = true;
      pending->fd.Reset(file.fd.Release());
      pending->oldRegion = std::move(file.oldRegion);
    }
    return true;
  }

  // A new file beside the original, renamed over it.
  const CString target = TargetOf(request.strPath);
  const CString folder = FolderOf(target);
  const std::size_t size = region.size() + static_cast<std::size_t>(file.st.st_size) - request.nOldTagEnd +
                           (request.bAddV1 ? kV1Size : 0) - (request.bRemoveV1 ? kV1Size : 0);
  if (!EnoughSpaceFor(folder, size)) return FailWith(error, "The disk is full");
  std::string temp;
  const int made = record.Create(folder.Str(), NameOf(target).Str(), &temp);
  if (made < 0) return Fail(error, true);
  base::CNewFile out;
  out.Adopt(made, std::move(temp));
  if (!FillNewFile(request, region, file, out, flush, error)) return false;  // out removes the new file
  if (pending) {
    pending->newFile = std::move(out);
    pending->strTarget = target;
    pending->read = file.st;
  } else {
    if (!RenameOver(out, target, file.st, error)) return false;
    FlushFolder(folder);
  }
  *newSize = static_cast<long>(size);
  return true;
}

}  // namespace

std::string LayOutRegion(const CTagWrite& request, bool v1Changes) {
  // In place only when one write changes the file from old to new: a tag
  // that fits, and an ID3v1 block that stays. Two writes (the tag and the
  // ID3v1 block at the end) could be cut apart by a crash, so a change to
  // both goes through a new file, whose rename is that one moment.
  const std::size_t tag = request.strNewTag.size() + (request.bFooter ? kHeaderSize : 0);
  const bool fits = tag > 0 && (request.bFooter ? tag == request.nOldTagEnd : tag <= request.nOldTagEnd);
  if (fits && !v1Changes && !request.bAddV1 && !request.bRemoveV1) return BuildRegion(request, request.nOldTagEnd);
  return BuildRegion(request, RegionForNewFile(request));
}

bool WriteTagSafely(const CTagWrite& request, CString* error, long* newSize) {
  long ignored = 0;
  CTempRecord record;
  return Write(request, error, newSize ? newSize : &ignored, nullptr, record);
}

bool IsWriterTemporary(const CString& fileName) {
  const std::string name = NameOf(fileName).Str();
  const std::size_t mark = name.rfind(kTempMark);
  return name.size() > 1 && name[0] == '.' && mark != std::string::npos && mark > 1 &&
         name.size() == mark + std::strlen(kTempMark) + kTempRandom;
}

CWriteBatch::CWriteBatch()
    : m_pRecord(std::make_unique<CTempRecord>()), m_pFlushThreads(std::make_unique<CFlushThreads>(kFlushThreads)) {}

CWriteBatch::~CWriteBatch() { CommitAll({}); }

bool CWriteBatch::Write(const CTagWrite& request, CString* error, long* newSize, CString* readPath) {
  // A file already pending is committed first, so this write starts from
  // its new bytes; so is a batch its caller never commits.
  struct stat st {};
  if (::stat(request.strPath, &st) == 0) SettleFile(st);
  if (m_pending.size() >= 2 * kBatchFiles) CommitAll({});

  auto pending = std::make_unique<CPending>();
  long ignored = 0;
  if (!::Write(request, error, newSize ? newSize : &ignored, pending.get(), *m_pRecord)) return false;
  if (readPath) *readPath = pending->newFile.IsOpen() ? CString(pending->newFile.Path()) : request.strPath;
  // A request that changed nothing has nothing to flush; it stays in line
  // all the same, so the outcomes come in the order written.
  pending->strPath = request.strPath;
  pending->pRecord = m_pRecord.get();
  if (pending->bInPlace) pending->read = st;
  if (pending->HasWork())
    m_nPendingBytes += pending->bInPlace ? pending->oldRegion.size()
                                         : static_cast<std::size_t>(newSize ? *newSize : ignored);
  m_pending.push_back(std::move(pending));
  return true;
}

// Bytes as long as the file that differ from it in one span of its tags,
// within one page (a FLAC file whose padding took the change, an MP4 index
// of the same size): that span is written in place with one pwrite, flushed
// at the commit, the old bytes put back when the write or the flush fails. False with error empty when the file is not
// such a one (then a new file is written), with error set when it failed.
bool CWriteBatch::WriteSpanInPlace(const CString& path, const struct stat& read, const std::string& bytes,
                                   CString* error, struct stat* written) {
  CFd fd(::open(path, O_RDWR | O_CLOEXEC));
  // A file its owner made read-only is left so, as an MP3 file is.
  if (fd.Get() < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) return Fail(error);
  struct stat st {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_ino != read.st_ino ||
      st.st_dev != read.st_dev || static_cast<std::size_t>(st.st_size) != bytes.size())
    return false;
  // The first and last bytes that differ, a block at a time.
  constexpr std::size_t kBlock = 1 << 16;
  std::vector<unsigned char> old(kBlock);
  std::size_t first = bytes.size(), last = 0;
  for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
    const std::size_t n = std::min(kBlock, bytes.size() - at);
    if (!ReadAll(fd.Get(), old.data(), n, static_cast<off_t>(at))) return false;
    const auto* now = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    if (std::memcmp(old.data(), now, n) == 0) continue;
    const std::size_t head = static_cast<std::size_t>(std::mismatch(old.data(), old.data() + n, now).first - old.data());
    std::size_t tail = n;
    while (tail > head && old[tail - 1] == now[tail - 1]) --tail;
    first = std::min(first, at + head);
    last = at + tail;
  }
  // The span lies within one page of the file: a write the kernel stops at a
  // kill does so between pages, so one page is written whole or not at all.
  constexpr std::size_t kPage = 4096;
  if (first < last && first / kPage != (last - 1) / kPage) return false;
  auto pending = std::make_unique<CPending>();
  pending->strPath = path;
  pending->read = read;
  if (first < last) {
    pending->oldRegion.resize(last - first);
    pending->nRegionAt = static_cast<off_t>(first);
    if (!ReadAll(fd.Get(), pending->oldRegion.data(), last - first, pending->nRegionAt)) return false;
    if (!WriteAll(fd.Get(), bytes.data() + first, last - first, pending->nRegionAt)) {
      PutBackOldRegion(fd.Get(), pending->oldRegion, pending->nRegionAt);
      return Fail(error);
    }
    pending->bInPlace = true;
    m_nPendingBytes += last - first;
  }
  if (written && ::fstat(fd.Get(), written) != 0) return Fail(error);
  if (pending->bInPlace) pending->fd.Reset(fd.Release());
  m_pending.push_back(std::move(pending));
  return true;
}

bool CWriteBatch::WriteWhole(const CString& path, const struct stat& read, const std::string& bytes, CString* error,
                             struct stat* written) {
  IgnoreFileSizeSignal();
  error->Empty();
  struct stat now {};
  if (::stat(path, &now) != 0) return Fail(error);
  SettleFile(now);
  if (m_pending.size() >= 2 * kBatchFiles) CommitAll({});
  if (::stat(path, &now) != 0) return Fail(error);
  if (now.st_ino != read.st_ino || now.st_dev != read.st_dev || now.st_size != read.st_size ||
      now.st_mtim.tv_sec != read.st_mtim.tv_sec || now.st_mtim.tv_nsec != read.st_mtim.tv_nsec)
    return FailWith(error, "The file was changed by another program since it was read");
  if (WriteSpanInPlace(path, read, bytes, error, written)) return true;
  if (!error->IsEmpty()) return false;
  const CString target = TargetOf(path);
  const CString folder = FolderOf(target);
  if (!EnoughSpaceFor(folder, bytes.size())) return FailWith(error, "The disk is full");
  std::string temp;
  const int made = m_pRecord->Create(folder.Str(), NameOf(target).Str(), &temp);
  if (made < 0) return Fail(error, true);
  auto pending = std::make_unique<CPending>();
  pending->newFile.Adopt(made, std::move(temp));
  if (!pending->newFile.Write(bytes) || !base::KeepWhatItReplaces(pending->newFile.Fd(), path.Str(), read))
    return Fail(error);
  if (written && ::fstat(pending->newFile.Fd(), written) != 0) return Fail(error);
  pending->strPath = path;
  pending->strTarget = target;
  pending->read = read;
  pending->pRecord = m_pRecord.get();
  m_nPendingBytes += bytes.size();
  m_pending.push_back(std::move(pending));
  return true;
}

void CWriteBatch::SettleFile(const struct stat& st) {
  const auto same = [&](const struct stat& other) { return other.st_ino == st.st_ino && other.st_dev == st.st_dev; };
  if (std::any_of(m_pending.begin(), m_pending.end(), [&](const auto& p) { return same(p->read); })) {
    CommitAll({});
  } else if (std::any_of(m_committingFiles.begin(), m_committingFiles.end(), same)) {
    Collect({});
  }
}

void CWriteBatch::Settle(const CString& path) {
  struct stat st {};
  if (::stat(path, &st) == 0) SettleFile(st);
}

bool CWriteBatch::IsFull() const { return m_pending.size() >= kBatchFiles || m_nPendingBytes >= kBatchBytes; }

std::vector<CWriteOutcome> CWriteBatch::Commit(const std::function<void()>& wait) {
  CommitAll(wait);
  return std::exchange(m_done, {});
}

void CWriteBatch::CommitAll(const std::function<void()>& wait) {
  Collect(wait);
  CommitList(m_pending, m_done, wait);
  m_nPendingBytes = 0;
}

std::vector<CWriteOutcome> CWriteBatch::CommitInBackground(const std::function<void()>& wait) {
  Collect(wait);
  std::vector<CWriteOutcome> done = std::exchange(m_done, {});
  if (m_pending.empty()) return done;
  m_committing = std::exchange(m_pending, {});
  m_nPendingBytes = 0;
  for (const auto& p : m_committing) m_committingFiles.push_back(p->read);
  m_background = std::async(std::launch::async, [this] { CommitList(m_committing, m_committed, {}); });
  return done;
}

void CWriteBatch::Collect(const std::function<void()>& wait) {
  if (!m_background.valid()) return;
  while (m_background.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
    if (wait) wait();
  m_background.get();
  m_committingFiles.clear();
  m_done.insert(m_done.end(), m_committed.begin(), m_committed.end());
  m_committed.clear();
}

void CWriteBatch::CommitList(CPendingList& files, std::vector<CWriteOutcome>& done,
                             const std::function<void()>& wait) {
  if (files.empty()) return;
  m_pFlushThreads->Run(files.size(), [&](std::size_t i) { files[i]->Flush(); }, wait);
  // Each folder that got a new name is flushed once, after all its renames.
  std::set<CString> folders;
  for (const auto& p : files)
    if (!p->bInPlace && p->strError.IsEmpty()) folders.insert(FolderOf(p->strTarget));
  const std::vector<CString> list(folders.begin(), folders.end());
  std::vector<char> flushed(list.size(), 0);
  m_pFlushThreads->Run(list.size(), [&](std::size_t i) { flushed[i] = base::FlushFolder(list[i].Str()); }, wait);
  // The originals replaced: kept for the next new files once their renames
  // are durable (emptying one may wait for the disk to discard its blocks).
  std::vector<const CPending*> kept;
  for (const auto& p : files)
    if (!p->strSpare.empty()) kept.push_back(p.get());
  m_pFlushThreads->Run(kept.size(), [&](std::size_t i) {
    const auto at = std::lower_bound(list.begin(), list.end(), FolderOf(kept[i]->strTarget));
    m_pRecord->Recycle(kept[i]->strSpare, at != list.end() && flushed[static_cast<std::size_t>(at - list.begin())]);
  }, wait);
  for (const auto& p : files) done.push_back({p->strPath, p->strError});
  files.clear();
}

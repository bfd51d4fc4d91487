#include <platform/ShellApi.h>

#include "Handles.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr INT_PTR kSuccess = 42;
// How long the opener gets to say that it cannot handle the request; an
// opener still busy after that has started a program, which is success.
constexpr int kVerdictMs = 1500;
constexpr unsigned kReporterLifeS = 10;

bool IsAddress(const std::string& s) {
  const auto colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || s[0] == '/') return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' && s[i] != '.') return false;
  return s.compare(colon, 3, "://") == 0 || s.compare(0, colon, "mailto") == 0;
}

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

// 0 when the path can be handed on, else the shell's failure code.
INT_PTR CheckPath(const std::string& path) {
  struct stat st {};
  if (path.empty()) return SE_ERR_FNF;
  if (::stat(path.c_str(), &st) == 0) {
    const int mode = S_ISDIR(st.st_mode) ? (R_OK | X_OK) : R_OK;
    return ::access(path.c_str(), mode) == 0 ? 0 : SE_ERR_ACCESSDENIED;
  }
  if (errno == EACCES) return SE_ERR_ACCESSDENIED;
  if (errno == ENOTDIR || errno == ENAMETOOLONG) return SE_ERR_PNF;
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return SE_ERR_FNF;
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? SE_ERR_FNF : SE_ERR_PNF;
}

// Starts program with args so that it outlives us and leaves no zombie: a
// short-lived reporter process waits for it and passes its exit code back
// through a pipe. Returns the exit code, or -1 when the program is still
// running after kVerdictMs.
int Launch(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 255;
  const pid_t first = ::fork();
  if (first == 0) {
    // Only async-signal-safe calls from here on.
    if (::fork() != 0) ::_exit(0);
    ::signal(SIGPIPE, SIG_IGN);
    ::alarm(kReporterLifeS);
    const pid_t opener = ::fork();
    if (opener == 0) {
      ::setsid();
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    int status = 0;
    unsigned char code = 255;
    if (opener > 0 && ::waitpid(opener, &status, 0) == opener && WIFEXITED(status))
      code = static_cast<unsigned char>(WEXITSTATUS(status));
    [[maybe_unused]] const auto written = ::write(fds[1], &code, 1);
    ::_exit(0);
  }
  ::close(fds[1]);
  if (first < 0) {
    ::close(fds[0]);
    return 255;
  }
  int status = 0;
  ::waitpid(first, &status, 0);
  pollfd p{fds[0], POLLIN, 0};
  int result = -1;
  if (::poll(&p, 1, kVerdictMs) == 1) {
    unsigned char code = 255;
    result = ::read(fds[0], &code, 1) == 1 ? code : 255;
  }
  ::close(fds[0]);
  return result;
}

// xdg-open: 0 done, 2 a file is missing, 1/3/4 no program or it failed.
INT_PTR OpenerVerdict(int exitCode) {
  if (exitCode == -1 || exitCode == 0) return kSuccess;
  if (exitCode == 2) return SE_ERR_FNF;
  return SE_ERR_NOASSOC;
}

bool Printable(const std::string& path) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path));
  for (const char* name : {"text/plain", "application/pdf", "application/postscript", "image/png", "image/jpeg"})
    if (type.inherits(name)) return true;
  return false;
}

}  // namespace

INT_PTR ShellExecuteA(HWND, const char* verb, const char* file, const char*, const char*, int) {
  const std::string target = file ? file : "";
  const std::string action = verb ? verb : "";
  const bool address = IsAddress(target);
  if (!address)
    if (const INT_PTR failure = CheckPath(target)) return failure;

  if (action.empty() || action == "open" || action == "explore") {
    struct stat st {};
    if (action == "explore" && (address || ::stat(target.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
      return SE_ERR_NOASSOC;
    const std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) return SE_ERR_NOASSOC;
    return OpenerVerdict(Launch(opener, {target}));
  }
  if (action == "print" && !address && Printable(target)) {
    const std::string lp = FindOnPath("lp");
    if (lp.empty()) return SE_ERR_NOASSOC;
    const int code = Launch(lp, {"--", target});
    return code == 0 || code == -1 ? kSuccess : SE_ERR_NOASSOC;
  }
  return SE_ERR_NOASSOC;
}

UINT_PTR SHGetFileInfoA(const char* path, DWORD, SHFILEINFOA* info, UINT, UINT flags) {
  if (!path || !info || !(flags & SHGFI_ICON)) return 0;
  const QString name = QString::fromUtf8(path);
  struct stat st {};
  const bool folder = ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
  const QMimeType type = folder ? QMimeDatabase().mimeTypeForName("inode/directory")
                                : QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
  const int side = (flags & SHGFI_SMALLICON) ? 16 : 32;
  // One icon per file type and size, shared by every file of the type.
  const QString key = QStringLiteral("type:%1/%2").arg(type.name()).arg(side);
  HICON icon = platform::FindSharedIcon(key);
  if (!icon) {
    QIcon themed = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (themed.isNull())
      themed = QFileIconProvider().icon(folder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
    icon = platform::AddSharedIcon(key, QIcon(themed.pixmap(side, side)));
  }
  info->hIcon = icon;
  info->iIcon = 0;
  return 1;
}

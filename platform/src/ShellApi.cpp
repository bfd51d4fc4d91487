#include <platform/ShellApi.h>

#include "Handles.h"

#include <base/Launch.h>
#include <base/Path.h>

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace {

constexpr INT_PTR kSuccess = 42;
// How long the opener gets to say that it cannot handle the request; an
// opener still busy after that has started a program, which is success.
constexpr int kVerdictMs = 1500;

// 0 when the path can be handed on, else the shell's failure code.
INT_PTR CheckPath(const CString& path) {
  switch (base::ProblemOpening(path)) {
    case base::PathProblem::None: return 0;
    case base::PathProblem::NoFile: return SE_ERR_FNF;
    case base::PathProblem::NoFolder: return SE_ERR_PNF;
    case base::PathProblem::NoAccess: return SE_ERR_ACCESSDENIED;
  }
  return SE_ERR_FNF;
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
  const bool address = base::IsAddress(target);
  if (!address)
    if (const INT_PTR failure = CheckPath(target.c_str())) return failure;

  if (action.empty() || action == "open" || action == "explore") {
    if (action == "explore" && (address || !base::DirectoryExists(target.c_str()))) return SE_ERR_NOASSOC;
    const std::string opener = base::FindOnPath("xdg-open");
    if (opener.empty()) return SE_ERR_NOASSOC;
    return OpenerVerdict(base::LaunchDetached(opener, {target}, kVerdictMs));
  }
  if (action == "print" && !address && Printable(target)) {
    const std::string lp = base::FindOnPath("lp");
    if (lp.empty()) return SE_ERR_NOASSOC;
    const int code = base::LaunchDetached(lp, {"--", target}, kVerdictMs);
    return code == 0 || code == -1 ? kSuccess : SE_ERR_NOASSOC;
  }
  return SE_ERR_NOASSOC;
}

UINT_PTR SHGetFileInfoA(const char* path, DWORD, SHFILEINFOA* info, UINT, UINT flags) {
  if (!path || !info || !(flags & SHGFI_ICON)) return 0;
  const QString name = QString::fromUtf8(path);
  const bool folder = base::DirectoryExists(path);
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

#include "UserGuide.h"

#include <base/Path.h>

#include <filesystem>
#include <system_error>

CString UserGuidePath() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const CString installed((exe.parent_path().parent_path() / "share/quillory/help/index.html").string());
    if (base::FileExists(installed)) return installed;
  }
  const CString built(QUILLORY_HELP_SOURCE);
  return base::FileExists(built) ? built : CString();
}

#include <core/LoadedFiles.h>

#include <base/FolderWalk.h>

#include <cstdlib>
#include <memory>

void CLoadedFiles::Move(const CString& from, const CString& to) {
  const auto found = m_files.find(from.Str());
  if (found == m_files.end()) return;
  const CFileIdentity identity = found->second;
  m_files.erase(found);
  m_files[to.Str()] = identity;
}

CString CLoadedFiles::WhyNotTheOneRead(const CString& path, const CFileIdentity& now) const {
  const auto found = m_files.find(path.Str());
  if (found == m_files.end()) return kChangedOnDisk;
  return found->second == now ? CString() : CString(kChangedOnDisk);
}

CString WhyOutsideFolder(const CString& folder, const CString& path) {
  if (IsInsideFolder(folder, path)) return CString();
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path, nullptr), &std::free);
  // A file that cannot be resolved is left to the writer, which refuses it with its own reason.
  if (!resolved) return CString();
  return "it lies outside the folder (a symbolic link leads to " + CString(resolved.get()) +
         "), and a save writes only inside it.";
}

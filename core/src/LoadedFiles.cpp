#include <core/LoadedFiles.h>

#include <base/FolderWalk.h>

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

CString WhyOutsideFolder(const CFolderBounds& folder, const CString& path) {
  std::string resolved;
  // A file that cannot be resolved is left to the writer, which refuses it with its own reason.
  if (folder.Holds(path, &resolved) || resolved.empty()) return CString();
  return "it lies outside the folder (a symbolic link leads to " + CString(resolved) +
         "), and a save writes only inside it.";
}

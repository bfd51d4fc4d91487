#include "LoadedFiles.h"

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

CString RealPathOf(const CString& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path, nullptr), &std::free);
  return resolved ? CString(resolved.get()) : path;
}

CString WhyOutsideFolder(const CString& realFolder, const CString& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path, nullptr), &std::free);
  // A file that cannot be resolved is left to the writer, which refuses it with its own reason.
  if (!resolved) return CString();
  const CString real = resolved.get();
  const CString prefix = realFolder.Right(1) == "/" ? realFolder : realFolder + "/";
  if (real.GetLength() > prefix.GetLength() && real.Left(prefix.GetLength()) == prefix) return CString();
  return "it lies outside the folder (a symbolic link leads to " + real + "), and a save writes only inside it.";
}

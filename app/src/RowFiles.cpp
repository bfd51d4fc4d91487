#include "RowFiles.h"

#include <platform/FileFind.h>
#include <platform/Path.h>

std::vector<CString> ListMp3Files(const CString& pattern) {
  std::vector<CString> names;
  CFileFind finder;
  BOOL more = finder.FindFile(pattern, 0);
  while (more) {
    more = finder.FindNextFile();
    const CString name = finder.GetFileName();
    if (!finder.IsDirectory() && platform::ExtensionOf(name).CompareNoCase(".mp3") == 0) names.push_back(name);
  }
  return names;
}

CString RowKeyOf(const CString& fileName) { return fileName.Left(fileName.GetLength() - 4); }

CString CRowFiles::PathOf(const CString& key) {
  if (m_strFolder.IsEmpty() || key.IsEmpty()) return CString();
  std::vector<CString> found;
  for (const char* extension : {".mp3", ".mP3", ".Mp3", ".MP3"})
    if (platform::FileExists(platform::JoinPath(m_strFolder, key + extension))) found.push_back(key + extension);
  if (found.size() > 1) {
    if (!m_names) {
      m_names.emplace();
      for (const CString& name : ListMp3Files(platform::JoinPath(m_strFolder, "*.mp3")))
        (*m_names)[RowKeyOf(name)].push_back(name);
    }
    const auto it = m_names->find(key);
    found = it == m_names->end() ? std::vector<CString>() : it->second;
  }
  return found.size() == 1 ? platform::JoinPath(m_strFolder, found.front()) : CString();
}

CString CRowFiles::OpenPathOf(const CString& key) {
  const CString path = PathOf(key);
  return path.IsEmpty() ? platform::JoinPath(m_strFolder, key + ".mp3") : path;
}

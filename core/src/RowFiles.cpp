#include <core/RowFiles.h>

#include <base/Path.h>

CString CRowFiles::PathOf(const CString& key) {
  if (m_strFolder.IsEmpty() || key.IsEmpty()) return CString();
  std::vector<CString> found;
  if (!m_bListFolders) {
    for (const char* extension : {".mp3", ".mP3", ".Mp3", ".MP3"})
      if (base::FileExists(base::JoinPath(m_strFolder, key + extension))) found.push_back(key + extension);
    if (HasOtherMusicExtension(key) && base::FileExists(base::JoinPath(m_strFolder, key))) found.push_back(key);
  }
  if (m_bListFolders || found.size() > 1) {
    const CString folder = base::FolderOf(key);
    const auto listed = m_names.find(folder);
    auto& names = listed != m_names.end() ? listed->second : m_names[folder];
    if (listed == m_names.end()) {
      const CString prefix = folder.IsEmpty() ? CString() : folder + "/";
      for (const CString& name : ListMusicFiles(base::JoinPath(m_strFolder, folder), false, m_keepGoing).names)
        names[RowKeyOf(prefix + name)].push_back(prefix + name);
    }
    const auto it = names.find(key);
    found = it == names.end() ? std::vector<CString>() : it->second;
  }
  return found.size() == 1 ? base::JoinPath(m_strFolder, found.front()) : CString();
}

CString CRowFiles::OpenPathOf(const CString& key) {
  const CString path = PathOf(key);
  return path.IsEmpty() ? base::JoinPath(m_strFolder, FileNameOfKey(key)) : path;
}

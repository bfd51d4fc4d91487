#include "RowFiles.h"

#include <platform/Path.h>

#include <filesystem>
#include <system_error>

CString CRowFiles::PathOf(const CString& key) {
  const CString usual = platform::JoinPath(m_strFolder, key + ".mp3");
  if (platform::FileExists(usual)) return usual;
  if (!m_names) {
    m_names.emplace();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_strFolder.Str(), error)) {
      const CString name(entry.path().filename().string());
      if (platform::ExtensionOf(name).CompareNoCase(".mp3") != 0) continue;
      const CString nameKey = name.Left(name.GetLength() - 4);
      auto [it, inserted] = m_names->emplace(nameKey, name);
      if (!inserted && name < it->second) it->second = name;
    }
  }
  const auto it = m_names->find(key);
  return it == m_names->end() ? usual : platform::JoinPath(m_strFolder, it->second);
}

#include <platform/FileFind.h>
#include <platform/Path.h>

#include <dirent.h>
#include <fnmatch.h>

#include <algorithm>
#include <memory>

namespace {

// The wildcard as fnmatch reads it: only '*' and '?' stay special.
std::string FnmatchPattern(const CString& wildcard) {
  std::string out;
  for (int i = 0; i < wildcard.GetLength(); ++i) {
    const char c = wildcard.GetAt(i);
    if (c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool ByFoldedName(const CString& a, const CString& b) {
  const int folded = a.CompareNoCase(b);
  return folded != 0 ? folded < 0 : a.Compare(b) < 0;
}

}  // namespace

BOOL CFileFind::FindFile(const char* pattern, DWORD) {
  Close();
  const CString full = pattern ? pattern : "";
  if (full.IsEmpty()) return FALSE;
  const int slash = full.ReverseFind(platform::kPathSeparator);
  m_strFolder = slash < 0 ? CString(".") : (slash == 0 ? CString("/") : full.Left(slash));
  const std::string wildcard = FnmatchPattern(slash < 0 ? full : full.Mid(slash + 1));

  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(m_strFolder), ::closedir);
  if (!dir) return FALSE;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (::fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) == 0) m_names.emplace_back(name);
  }
  std::sort(m_names.begin(), m_names.end(), ByFoldedName);
  return m_names.empty() ? FALSE : TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (m_nCurrent + 1 >= static_cast<int>(m_names.size())) return FALSE;
  ++m_nCurrent;
  return m_nCurrent + 1 < static_cast<int>(m_names.size()) ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
  return m_nCurrent >= 0 ? m_names[static_cast<size_t>(m_nCurrent)] : CString();
}

CString CFileFind::GetFilePath() const {
  return m_nCurrent >= 0 ? platform::JoinPath(m_strFolder, GetFileName()) : CString();
}

BOOL CFileFind::IsDirectory() const {
  return m_nCurrent >= 0 && platform::DirectoryExists(GetFilePath()) ? TRUE : FALSE;
}

void CFileFind::Close() {
  m_strFolder.Empty();
  m_names.clear();
  m_nCurrent = -1;
}

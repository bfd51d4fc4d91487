#pragma once
// CFileFind: the entries of one folder whose names match a wildcard, such as
// "/music/*.mp3". '*' and '?' are the only wildcards; letters match without
// regard to case, as the folder search of the desktop the program was made
// for does. Entries come in a stable order (by name, case folded), so a
// folder always lists the same way.
#include <platform/String.h>
#include <platform/Types.h>

#include <vector>

class CFileFind {
 public:
  CFileFind() = default;
  ~CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // Starts a search: the folder part of pattern (up to the last '/') is read,
  // its last part is the wildcard; a pattern without '/' searches the current
  // folder. "." and ".." are never found. True when something matched.
  BOOL FindFile(const char* pattern, DWORD unused = 0);
  // Steps to the next entry; true while another entry follows it. The entry
  // stepped to by the call that returns false is still valid.
  BOOL FindNextFile();
  // The current entry's name, and its folder joined with it.
  CString GetFileName() const;
  CString GetFilePath() const;
  // Whether the current entry is a folder (a link to a folder counts).
  BOOL IsDirectory() const;
  // Ends the search; the object may start another.
  void Close();

 private:
  CString m_strFolder;
  std::vector<CString> m_names;
  int m_nCurrent = -1;
};

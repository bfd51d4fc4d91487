#pragma once
// CRowFiles: a row's file on disk from its key. The file is the one in the
// folder whose name is the key followed by an extension equal to ".mp3" in
// any letter case, so a file found as Song.MP3 keeps its own name. The four
// spellings are tried first; the folder is listed, once per object, only
// when more than one of them answers (a folder that ignores letter case, or
// truly several files), so a pass over thousands of rows stays cheap.
#include <platform/String.h>

#include <map>
#include <optional>
#include <utility>
#include <vector>

// Every MP3 file (any letter case of ".mp3"; not folders named so) that the
// search pattern finds, in the order the search returns them.
std::vector<CString> ListMp3Files(const CString& pattern);
// A row's key: its file's name without the ".mp3" extension.
CString RowKeyOf(const CString& fileName);

class CRowFiles {
 public:
  explicit CRowFiles(CString folder) : m_strFolder(std::move(folder)) {}

  // The file's full path; empty when the folder holds no such file, or more
  // than one (Dup.mp3 beside Dup.MP3), so nothing is ever written to the
  // wrong one.
  CString PathOf(const CString& key);
  // The path to hand to a program that opens the file: PathOf, or the usual
  // name key + ".mp3" when there is no single file, so the opener reports it.
  CString OpenPathOf(const CString& key);

 private:
  CString m_strFolder;
  // Key -> the names on disk with an ".mp3" extension in any case.
  std::optional<std::map<CString, std::vector<CString>>> m_names;
};

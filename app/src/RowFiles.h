#pragma once
// CRowFiles: a row's file on disk from its key. The usual name is key +
// ".mp3"; a file found as Song.MP3 keeps its own name. The folder is listed
// at most once, and only when a key has no file of the usual name, so a
// report over thousands of rows stays one pass over the folder.
#include <platform/String.h>

#include <map>
#include <optional>
#include <utility>

class CRowFiles {
 public:
  explicit CRowFiles(CString folder) : m_strFolder(std::move(folder)) {}

  // The file's path; for a key without a file, the usual name, so that
  // whoever opens it reports it missing.
  CString PathOf(const CString& key);

 private:
  CString m_strFolder;
  // Key -> the first name in name order with an ".mp3" extension in any case.
  std::optional<std::map<CString, CString>> m_names;
};

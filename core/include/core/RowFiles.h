#pragma once
// CRowFiles: a row's file on disk from its key (RowKeyOf its path below the
// loaded folder: "CD1/01 Intro", "CD1/02 Song.flac"). An MP3 file's name is
// the key followed by an extension equal to ".mp3" in any letter case, so a
// file found as Song.MP3 keeps its own name; another format's name is the
// key itself. The spellings are tried first; the key's folder is listed, once per object and
// folder, only when more than one of them answers (a folder that ignores
// letter case, or truly several files). A pass over many rows lists each
// folder instead (ListFolders): four lookups a row in a folder of 100,000
// files take the better part of a second.
#include <base/FolderWalk.h>

#include <base/String.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class CRowFiles {
 public:
  explicit CRowFiles(CString folder) : m_strFolder(std::move(folder)) {}

  // From now on every key is looked up in its folder's listing, made when
  // first needed; whileListing is called now and then during a listing (to
  // let the window answer).
  void ListFolders(std::function<void()> whileListing) {
    m_bListFolders = true;
    m_keepGoing = [pump = std::move(whileListing)] {
      if (pump) pump();
      return true;
    };
  }

  // The file's full path; empty when the folder holds no such file, or more
  // than one (Dup.mp3 beside Dup.MP3), so nothing is ever written to the
  // wrong one.
  CString PathOf(const CString& key);
  // The path to hand to a program that opens the file: PathOf, or the usual
  // name (FileNameOfKey) when there is no single file, so the opener reports it.
  CString OpenPathOf(const CString& key);

 private:
  CString m_strFolder;
  bool m_bListFolders = false;
  std::function<bool()> m_keepGoing;
  // By the key's folder ("" for the loaded one): key -> the names on disk,
  // below the loaded folder, of music files.
  std::map<CString, std::map<CString, std::vector<CString>>> m_names;
};

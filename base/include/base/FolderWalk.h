#pragma once
// The walk that lists a folder's music files for loading, with or without the
// folders below it. Files of a folder come before those of its subfolders,
// each folder in name order (letter case folded, as the folder search of the
// platform sorts), so the same tree always lists the same way.
#include <base/String.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct CMusicListing {
  // The music files (IsMusicFileName; not folders named so), by their path
  // below the walked folder: "CD1/01 Intro.mp3", "CD1/02 Song.flac".
  std::vector<CString> names;
  int nLinks = 0;       // links to a folder the walk had already been in
  int nLinksOut = 0;    // links to folders outside the walked folder, never followed
  CString strFirstLinkOut;  // the first of them, by its path below the walked folder
  int nUnreadable = 0;  // folders that could not be read
  int nVanished = 0;    // files or folders that were gone before they were looked at
  bool bStopped = false;  // keepGoing said to stop; the listing is what was found by then
  int nLeftoversRemoved = 0;  // set by the load: new files of interrupted saves it removed
};

// Walks folder, and with subfolders every folder below it. A link to a
// folder is followed when it leads to a folder inside this one that was not
// walked yet; a link back into the tree (a loop) or out of it is counted and
// left. A link to a file is listed wherever it leads (CFolderBounds tells
// whether the file may be written). keepGoing, when given, is asked at every
// folder, link and few dozen entries, so a stop is heeded within moments.
CMusicListing ListMusicFiles(const CString& folder, bool subfolders, const std::function<bool()>& keepGoing = {});

// A folder with its links resolved, asked about many paths.
class CFolderBounds {
 public:
  explicit CFolderBounds(const CString& folder);
  // True when path, every link on its way resolved, is the folder or lies
  // below it; false when either cannot be resolved. A file for which this is
  // false must not be written as one of the folder's. resolved, when given,
  // gets path with its links resolved (empty when it cannot be).
  bool Holds(const CString& path, std::string* resolved = nullptr) const;

 private:
  std::string Resolve(const CString& path) const;

  std::string m_strReal;
  mutable std::map<std::string, std::string> m_folders;  // each folder asked about, resolved
};

// True for the name of a file the folder lists as music: ".mp3", ".flac",
// ".ogg", ".oga", ".opus", ".m4a" or ".mp4" in any letter case. What the
// file holds is decided by its bytes when it is read.
bool IsMusicFileName(const CString& fileName);
// True for a name (or key) that ends in one of those extensions other than ".mp3".
bool HasOtherMusicExtension(const CString& fileName);

// A row's key: its file's path below the loaded folder, without its
// extension for an MP3 file ("CD1/01 Intro"), whole for the other formats
// ("CD1/02 Song.flac"), so files of one name in two formats are two rows.
CString RowKeyOf(const CString& fileName);
// The file name a key stands for: the key itself when it ends in another
// format's extension, else the key and ".mp3". Given the row's file as it
// is now (current), the name the key gives that file: an MP3 file keeps
// its own spelling of ".mp3", another file its extension, which a key that
// lost it gets back ("b" for "a.flac" gives "b.flac").
CString FileNameOfKey(const CString& key, const CString& current = CString());

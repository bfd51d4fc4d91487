#include "FolderWalk.h"

#include <platform/Path.h>
#include <tags/MyMP3Tags.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

// How often, in entries, the walk asks whether to go on; and how often while
// it reads a folder's entries or sorts them, which is far quicker per entry.
constexpr int kEntriesPerAsk = 256;
constexpr unsigned kStepsPerAskInBulk = 8192;

struct CEntry {
  std::string name;
  bool bAscii = true;
  unsigned char type = DT_UNKNOWN;  // readdir's kind; DT_UNKNOWN and links are asked with stat
};

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// ".mp3" in any letter case ends the name; no other character folds to its letters.
bool IsMp3(const std::string& name) {
  return name.size() >= 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".mp3") == 0;
}

// By name with letter case folded, then byte for byte. ASCII names are folded
// here; others by the platform's Unicode comparison, which is far slower.
bool ByFoldedName(const CEntry& a, const CEntry& b) {
  int folded = 0;
  if (a.bAscii && b.bAscii) {
    folded = ::strcasecmp(a.name.c_str(), b.name.c_str());
  } else {
    folded = CString(a.name).CompareNoCase(b.name.c_str());
  }
  return folded != 0 ? folded < 0 : a.name < b.name;
}

using CFolderId = std::pair<dev_t, ino_t>;

class CWalk {
 public:
  CWalk(bool subfolders, const std::function<bool()>& keepGoing) : m_bSubfolders(subfolders), m_keepGoing(keepGoing) {}

  void Folder(const CString& path, const CString& prefix) {
    if (!GoOn()) return;
    std::vector<CEntry> files, folders, links;
    {
      const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path), ::closedir);
      if (!dir) {
        ++(errno == ENOENT ? m_listing.nVanished : m_listing.nUnreadable);
        return;
      }
      unsigned read = 0;
      while (const dirent* entry = ::readdir(dir.get())) {
        if (++read % kStepsPerAskInBulk == 0 && !Ask()) return;
        CEntry found{entry->d_name, true, entry->d_type};
        if (found.name == "." || found.name == "..") continue;
        found.bAscii = IsAscii(found.name);
        bool link = found.type == DT_LNK;
        if (found.type != DT_REG && found.type != DT_DIR) {
          const CString full = platform::JoinPath(path, found.name.c_str());
          struct stat st {};
          if (found.type == DT_UNKNOWN && ::lstat(full, &st) == 0) link = S_ISLNK(st.st_mode);
          if (::stat(full, &st) != 0) {
            if (IsMp3(found.name)) ++m_listing.nVanished;  // a link to nothing counts as one
            continue;
          }
          found.type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (found.type == DT_REG) files.push_back(std::move(found));
        if (found.type == DT_DIR && m_bSubfolders) (link ? links : folders).push_back(std::move(found));
      }
    }
    // A folder of 100,000 files takes a tenth of a second to sort: the
    // window is let answer meanwhile (a stop asked then is heeded after it).
    unsigned compared = 0;
    std::sort(files.begin(), files.end(), [&](const CEntry& a, const CEntry& b) {
      if (++compared % kStepsPerAskInBulk == 0) Ask();
      return ByFoldedName(a, b);
    });
    for (const CEntry& file : files) {
      if (IsMp3(file.name))
        m_listing.names.push_back(prefix + file.name.c_str());
      else if (file.name[0] == '.' && CMyMP3Tags::IsOwnTemporary(file.name.c_str()))
        m_listing.leftovers.push_back(platform::JoinPath(path, file.name.c_str()));
      if (!GoOn()) return;
    }
    // Links to folders are followed once the real tree has been walked, so
    // a folder is listed under its own path rather than a link's.
    std::sort(links.begin(), links.end(), ByFoldedName);
    for (const CEntry& link : links)
      m_links.emplace_back(platform::JoinPath(path, link.name.c_str()), prefix + link.name.c_str() + "/");
    std::sort(folders.begin(), folders.end(), ByFoldedName);
    for (const CEntry& folder : folders) {
      const CString sub = platform::JoinPath(path, folder.name.c_str());
      if (Enter(sub)) Folder(sub, prefix + folder.name.c_str() + "/");
      if (m_listing.bStopped) return;
    }
  }

  // The tree, then the folders its links lead to that it did not hold.
  void Tree(const CString& folder) {
    if (!Enter(folder)) return;
    Folder(folder, CString());
    for (std::size_t i = 0; i < m_links.size() && !m_listing.bStopped; ++i) {
      const auto [path, prefix] = m_links[i];  // a copy: following it may add links
      if (Enter(path)) Folder(path, prefix);
    }
  }

  // Marks the folder as walked; false when it was already (or is gone).
  bool Enter(const CString& path) {
    struct stat st {};
    if (::stat(path, &st) != 0) {
      ++m_listing.nVanished;
      return false;
    }
    if (m_walked.insert({st.st_dev, st.st_ino}).second) return true;
    ++m_listing.nLinks;
    return false;
  }

  CMp3Listing Take() { return std::move(m_listing); }

 private:
  bool GoOn() {
    if (m_listing.bStopped) return false;
    if (++m_nSinceAsked < kEntriesPerAsk) return true;
    m_nSinceAsked = 0;
    return Ask();
  }
  // Asks now; false once a stop was asked for.
  bool Ask() {
    if (m_keepGoing && !m_listing.bStopped) m_listing.bStopped = !m_keepGoing();
    return !m_listing.bStopped;
  }

  bool m_bSubfolders;
  const std::function<bool()>& m_keepGoing;
  std::set<CFolderId> m_walked;
  std::vector<std::pair<CString, CString>> m_links;  // path and prefix of each link to a folder
  int m_nSinceAsked = 0;
  CMp3Listing m_listing;
};

}  // namespace

CMp3Listing ListMp3Files(const CString& folder, bool subfolders, const std::function<bool()>& keepGoing) {
  CWalk walk(subfolders, keepGoing);
  walk.Tree(folder);
  return walk.Take();
}

CString RowKeyOf(const CString& fileName) { return fileName.Left(fileName.GetLength() - 4); }

#include <base/FolderWalk.h>

#include <base/Path.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

// How often, in entries, the walk asks whether to go on (besides at every
// folder): an entry may cost a stat, which a slow disk takes long to answer.
// A sort asks far less often, as it is far quicker per step.
constexpr int kEntriesPerAsk = 64;
constexpr unsigned kStepsPerAskInBulk = 8192;

struct CEntry {
  std::string name;
  bool bAscii = true;
  unsigned char type = DT_UNKNOWN;  // readdir's kind; DT_UNKNOWN and links are asked with stat
};

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The extension ends the name in any letter case (no other character folds to its letters).
bool EndsWithNoCase(const std::string& name, const char* extension) {
  const std::size_t size = std::strlen(extension);
  return name.size() > size && ::strcasecmp(name.c_str() + name.size() - size, extension) == 0 &&
         name[name.size() - size - 1] != '/';
}

bool IsMp3(const std::string& name) { return EndsWithNoCase(name, ".mp3"); }

bool IsOtherMusic(const std::string& name) {
  for (const char* extension : {".flac", ".ogg", ".oga", ".opus", ".m4a", ".mp4"})
    if (EndsWithNoCase(name, extension)) return true;
  return false;
}

bool IsMusic(const std::string& name) { return IsMp3(name) || IsOtherMusic(name); }

// By name with letter case folded, then byte for byte. ASCII names are folded
// here; others by CString's Unicode comparison, which is far slower.
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

// The path with every link on its way resolved; empty when it cannot be.
std::string RealPathOf(const CString& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

// Both resolved: whether path is folder or below it.
bool IsBelow(const std::string& folder, const std::string& path) {
  if (folder.empty() || path.empty()) return false;
  if (path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

class CWalk {
 public:
  CWalk(bool subfolders, const std::function<bool()>& keepGoing) : m_bSubfolders(subfolders), m_keepGoing(keepGoing) {}

  void Folder(const CString& path, const CString& prefix) {
    if (!Ask()) return;
    std::vector<CEntry> files, folders, links, linksOut;
    {
      const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path), ::closedir);
      if (!dir) {
        ++(errno == ENOENT ? m_listing.nVanished : m_listing.nUnreadable);
        return;
      }
      while (const dirent* entry = ::readdir(dir.get())) {
        if (!GoOn()) return;
        CEntry found{entry->d_name, true, entry->d_type};
        if (found.name == "." || found.name == "..") continue;
        found.bAscii = IsAscii(found.name);
        bool link = found.type == DT_LNK;
        bool out = false;  // a link to a folder outside the walked one
        if (found.type != DT_REG && found.type != DT_DIR) {
          const CString full = base::JoinPath(path, found.name.c_str());
          struct stat st {};
          if (found.type == DT_UNKNOWN && ::lstat(full, &st) == 0) link = S_ISLNK(st.st_mode);
          if (::stat(full, &st) != 0) {
            if (IsMusic(found.name)) ++m_listing.nVanished;  // a link to nothing counts as one
            continue;
          }
          found.type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
          if (link && found.type == DT_DIR && m_bSubfolders) out = !IsBelow(m_strRoot, RealPathOf(full));
        }
        if (found.type == DT_REG) files.push_back(std::move(found));
        if (found.type == DT_DIR && m_bSubfolders) (out ? linksOut : link ? links : folders).push_back(std::move(found));
      }
    }
    // A link out of the folder is never followed: one to "/" would bring in
    // the whole disk, and a save would write files the user did not choose.
    if (!linksOut.empty()) {
      std::sort(linksOut.begin(), linksOut.end(), ByFoldedName);
      if (m_listing.nLinksOut == 0) m_listing.strFirstLinkOut = prefix + linksOut.front().name.c_str();
      m_listing.nLinksOut += static_cast<int>(linksOut.size());
    }
    // A folder of 100,000 files takes a tenth of a second to sort: the
    // window is let answer meanwhile (a stop asked then is heeded after it).
    unsigned compared = 0;
    std::sort(files.begin(), files.end(), [&](const CEntry& a, const CEntry& b) {
      if (++compared % kStepsPerAskInBulk == 0) Ask();
      return ByFoldedName(a, b);
    });
    for (const CEntry& file : files) {
      if (IsMusic(file.name)) m_listing.names.push_back(prefix + file.name.c_str());
      if (!GoOn()) return;
    }
    // Links to folders are followed once the real tree has been walked, so
    // a folder is listed under its own path rather than a link's.
    std::sort(links.begin(), links.end(), ByFoldedName);
    for (const CEntry& link : links)
      m_links.emplace_back(base::JoinPath(path, link.name.c_str()), prefix + link.name.c_str() + "/");
    std::sort(folders.begin(), folders.end(), ByFoldedName);
    for (const CEntry& folder : folders) {
      const CString sub = base::JoinPath(path, folder.name.c_str());
      if (Enter(sub)) Folder(sub, prefix + folder.name.c_str() + "/");
      if (m_listing.bStopped) return;
    }
  }

  // The tree, then the folders its links lead to that it did not hold.
  void Tree(const CString& folder) {
    m_strRoot = RealPathOf(folder);
    if (!Enter(folder)) return;
    Folder(folder, CString());
    for (std::size_t i = 0; i < m_links.size() && GoOn(); ++i) {
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

  CMusicListing Take() { return std::move(m_listing); }

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
  std::string m_strRoot;  // the walked folder, its links resolved
  std::set<CFolderId> m_walked;
  std::vector<std::pair<CString, CString>> m_links;  // path and prefix of each link to a folder
  int m_nSinceAsked = 0;
  CMusicListing m_listing;
};

}  // namespace

CMusicListing ListMusicFiles(const CString& folder, bool subfolders, const std::function<bool()>& keepGoing) {
  CWalk walk(subfolders, keepGoing);
  walk.Tree(folder);
  return walk.Take();
}

CFolderBounds::CFolderBounds(const CString& folder) : m_strReal(RealPathOf(folder)) {}

std::string CFolderBounds::Resolve(const CString& path) const {
  // A file that is no link lies where its folder does: the folder is
  // resolved once for all its files, the file looked at alone.
  const std::string whole = path.Str();
  const std::size_t slash = whole.rfind('/');
  const std::string name = slash == std::string::npos ? std::string() : whole.substr(slash + 1);
  struct stat info {};
  if (slash == 0 || name.empty() || name == "." || name == ".." || ::lstat(whole.c_str(), &info) != 0 ||
      S_ISLNK(info.st_mode))
    return RealPathOf(path);
  const std::string folder = whole.substr(0, slash);
  auto known = m_folders.find(folder);
  if (known == m_folders.end()) known = m_folders.emplace(folder, RealPathOf(CString(folder))).first;
  if (known->second.empty()) return std::string();
  return known->second == "/" ? "/" + name : known->second + "/" + name;
}

bool CFolderBounds::Holds(const CString& path, std::string* resolved) const {
  std::string real = Resolve(path);
  const bool below = IsBelow(m_strReal, real);
  if (resolved) *resolved = std::move(real);
  return below;
}

bool IsMusicFileName(const CString& fileName) { return IsMusic(fileName.Str()); }

bool HasOtherMusicExtension(const CString& fileName) { return IsOtherMusic(fileName.Str()); }

CString RowKeyOf(const CString& fileName) {
  return IsMp3(fileName.Str()) ? fileName.Left(fileName.GetLength() - 4) : fileName;
}

CString FileNameOfKey(const CString& key, const CString& current) {
  if (current.IsEmpty()) return IsOtherMusic(key.Str()) ? key : key + ".mp3";
  const CString extension = base::ExtensionOf(current);
  if (IsMp3(current.Str())) return key + extension;
  return EndsWithNoCase(key.Str(), extension.GetString()) ? key : key + extension;
}

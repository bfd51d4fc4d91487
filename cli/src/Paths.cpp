#include "Cli.h"

#include <core/Numbering.h>
#include <core/Playlist.h>

#include <base/FolderWalk.h>
#include <base/Path.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CString RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? CString(resolved) : CString();
}


// The folder both lie in, component by component ("/a/b", "/a/c" -> "/a").
CString CommonFolder(const CString& a, const CString& b) {
  const std::string& x = a.Str();
  const std::string& y = b.Str();
  std::size_t common = 0;
  for (std::size_t k = 0; k <= x.size() && k <= y.size(); ++k) {
    const bool endX = k == x.size() || x[k] == '/', endY = k == y.size() || y[k] == '/';
    if (endX && endY) common = k;
    if (k == x.size() || k == y.size() || x[k] != y[k]) break;
  }
  return common == 0 ? CString("/") : CString(x.substr(0, common));
}

}  // namespace

CString RealFolder(const std::string& path) {
  const CString real = RealPath(path);
  return !real.IsEmpty() && base::DirectoryExists(real) ? real : CString();
}

bool ResolvePaths(const std::vector<std::string>& paths, bool subfolders, CTarget& target, CString& error) {
  struct Found {
    CString folder;               // the folder the files are in or below
    std::vector<CString> names;   // below folder
  };
  std::vector<Found> found;
  std::vector<std::pair<CString, CString>> unreadable;
  for (const std::string& path : paths) {
    struct stat info {};
    const CString real = RealPath(path);
    if (real.IsEmpty() || stat(real, &info) != 0) {
      error = CString::Formatted("%s: no such file or folder.", path.c_str());
      return false;
    }
    if (S_ISDIR(info.st_mode)) {
      CMusicListing listing = ListMusicFiles(real, subfolders);
      // Each folder's files in the natural order of their names ("2" before
      // "10"), as the window sorts them and a playlist wants them.
      for (auto run = listing.names.begin(); run != listing.names.end();) {
        const CString folder = base::FolderOf(*run);
        const auto end = std::find_if(run, listing.names.end(), [&](const CString& name) { return base::FolderOf(name) != folder; });
        std::stable_sort(run, end, NaturalLess);
        run = end;
      }
      found.push_back({real, listing.names});
      if (listing.nUnreadable > 0)
        unreadable.emplace_back(path.c_str(), CString::Formatted("%d %s could not be read; the music files in %s were left out.",
                                                                 listing.nUnreadable,
                                                                 listing.nUnreadable == 1 ? "folder" : "folders",
                                                                 listing.nUnreadable == 1 ? "it" : "them"));
    } else if (S_ISREG(info.st_mode) && IsMusicFileName(base::FileNameOf(real))) {
      found.push_back({base::FolderOf(real), {base::FileNameOf(real)}});
    } else {
      error = CString::Formatted("%s: not a music file (MP3, FLAC, Ogg, Opus or MP4).", path.c_str());
      return false;
    }
  }
  target = CTarget();
  target.unreadable = unreadable;
  if (found.empty()) return true;
  target.strFolder = found.front().folder;
  for (const Found& each : found) target.strFolder = CommonFolder(target.strFolder, each.folder);
  std::set<CString> seen;
  for (const Found& each : found) {
    const CString below = RelativePath(target.strFolder, each.folder);
    for (const CString& name : each.names) {
      const CString full = below == "." || below.IsEmpty() ? name : below + "/" + name;
      if (seen.insert(full).second) target.names.push_back(full);
      if (full.Find('/') >= 0) target.bSubfolders = true;
    }
  }
  return true;
}

CString ShownPath(const CString& folder, const CString& name) {
  const CString path = base::JoinPath(folder, name);
  static const CString here = RealPath(".");
  if (here.IsEmpty()) return path;
  CString relative = RelativePath(here, path);
  if (relative.Find("..") == 0) relative = path;
  // A folder itself is named without "/." or a closing "/".
  if (relative.GetLength() > 1 && relative.Right(1) == "/") relative = relative.Left(relative.GetLength() - 1);
  return relative;
}

#include <core/Playlist.h>

#include <core/Fields.h>
#include <core/FolderSession.h>

#include <base/Path.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

// A file's line: a name that starts with '#' would read as a comment.
std::string EntryLine(const CString& path) {
  return path.Left(1) == "#" ? "./" + path.Str() : path.Str();
}

}  // namespace

CString RelativePath(const CString& folder, const CString& path) {
  const std::filesystem::path relative =
      std::filesystem::path(path.Str()).lexically_normal().lexically_relative(std::filesystem::path(folder.Str()).lexically_normal());
  return relative.empty() ? path : CString(relative.generic_string());
}

std::string PlaylistText(const std::vector<CPlaylistEntry>& entries, const CString& folder,
                         std::vector<CPlaylistEntry>* leftOut) {
  const auto known = [](const CString& text) { return !text.IsEmpty() && text != "-"; };
  std::string text = "#EXTM3U\n";
  for (const CPlaylistEntry& entry : entries) {
    const std::string path = EntryLine(RelativePath(folder, entry.strPath));
    if (path.find_first_of("\r\n") != std::string::npos) {
      if (leftOut) leftOut->push_back(entry);
      continue;
    }
    CString shown = known(entry.strTitle) ? entry.strTitle : base::FileNameOf(entry.strPath);
    if (known(entry.strArtist)) shown = entry.strArtist + " - " + shown;
    // A line break in a tag would end the line early.
    std::string line = shown.Str();
    for (char& ch : line)
      if (ch == '\n' || ch == '\r') ch = ' ';
    text += "#EXTINF:" + std::to_string(entry.nSeconds < 0 ? -1 : entry.nSeconds) + "," + line + "\n";
    text += path + "\n";
  }
  return text;
}

std::vector<CPlaylistEntry> PlaylistEntriesOf(CFolderSession& session, const std::vector<RowId>& ids) {
  std::vector<CPlaylistEntry> entries;
  for (RowId id : ids) {
    const int row = session.Table().RowOf(id);
    const auto cell = [&](Field field) { return CellOf(session.Rows(), row, ColumnOf(field)); };
    const CString length = cell(kLength);
    const int seconds = length.IsEmpty() || length == "-" ? -1 : static_cast<int>(std::lround(std::atof(length)));
    CString path = session.FilePathOf(id);
    if (path.IsEmpty()) path = base::JoinPath(session.Folder(), FileNameOfKey(session.FileKeyOf(id)));
    entries.push_back({path, seconds, cell(kArtist), cell(kTitle)});
  }
  return entries;
}

std::optional<std::string> RenamedInPlaylist(std::string_view text, const CString& folder,
                                             const std::map<CString, CString>& renamed) {
  const std::filesystem::path base = std::filesystem::path(folder.Str()).lexically_normal();
  std::map<CString, CString> renames;  // as entries are compared: lexically normal
  for (const auto& [from, to] : renamed)
    renames[std::filesystem::path(from.Str()).lexically_normal().generic_string()] = to;
  std::string result;
  bool changed = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, end - start);
    start = end;
    std::size_t body = line.size();
    while (body > 0 && (line[body - 1] == '\n' || line[body - 1] == '\r')) --body;
    const std::string entry(line.substr(0, body));
    // Comments and directives start with '#'; URLs name no file here.
    if (entry.empty() || entry[0] == '#' || entry.find("://") != std::string::npos) {
      result += line;
      continue;
    }
    const std::filesystem::path named(entry);
    const bool absolute = named.is_absolute();
    const CString path = (absolute ? named : base / named).lexically_normal().generic_string();
    const auto found = renames.find(path);
    if (found == renames.end()) {
      result += line;
      continue;
    }
    result += EntryLine(absolute ? found->second : RelativePath(folder, found->second));
    result += line.substr(body);
    changed = true;
  }
  if (!changed) return std::nullopt;
  return result;
}

std::vector<CString> PlaylistsIn(const CString& folder, bool subfolders) {
  namespace fs = std::filesystem;
  std::vector<CString> playlists;
  std::error_code error;
  const auto take = [&](const fs::directory_entry& entry) {
    std::string extension = entry.path().extension().string();
    for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if ((extension == ".m3u" || extension == ".m3u8") && entry.is_regular_file(error) && !entry.is_symlink(error))
      playlists.push_back(entry.path().string());
  };
  if (subfolders) {
    for (fs::recursive_directory_iterator it(folder.Str(), fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error))
      take(*it);
  } else {
    for (fs::directory_iterator it(folder.Str(), error), end; !error && it != end; it.increment(error)) take(*it);
  }
  std::sort(playlists.begin(), playlists.end());
  return playlists;
}

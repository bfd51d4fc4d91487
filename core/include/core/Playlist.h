#pragma once
// Extended M3U playlists in UTF-8 (.m3u8): "#EXTM3U", then for each file
// "#EXTINF:seconds,Artist - Title" and its path relative to the playlist.
#include <base/String.h>
#include <core/TableRows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CPlaylistEntry {
  CString strPath;   // the file, absolute
  int nSeconds = -1;  // its length; -1 when unknown
  CString strArtist;  // empty or "-": unknown
  CString strTitle;   // likewise; the file's name stands in for a missing title
};

// path as seen from folder (both absolute): "../CD2/a.mp3"; a path that
// cannot be made relative (another root) is given whole.
CString RelativePath(const CString& folder, const CString& path);

// The playlist written in folder (absolute), lines ended by LF. A file whose
// path holds a line break, which no line of a playlist can hold, is left
// out (its entry put in leftOut); one whose path starts with '#', which
// would read as a comment, is written as "./#...".
std::string PlaylistText(const std::vector<CPlaylistEntry>& entries, const CString& folder,
                         std::vector<CPlaylistEntry>* leftOut = nullptr);

class CFolderSession;
// The rows' entries, in the order of ids: each file's path on disk, its
// length, artist and title as the row shows them.
std::vector<CPlaylistEntry> PlaylistEntriesOf(CFolderSession& session, const std::vector<RowId>& ids);

// A playlist's text (.m3u or .m3u8, in folder) with the files renamed: each
// entry line naming a key of renamed (absolute paths, the old name to the
// new) names the new one, relative where it was relative. Every other byte
// stays, line ends included; nothing when no line names a renamed file.
std::optional<std::string> RenamedInPlaylist(std::string_view text, const CString& folder,
                                             const std::map<CString, CString>& renamed);

// The playlists (.m3u, .m3u8 in any letter case) in folder, and with
// subfolders in the folders below it; links are not followed.
std::vector<CString> PlaylistsIn(const CString& folder, bool subfolders);

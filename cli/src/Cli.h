#pragma once
// The command line's own pieces: its options, the folder a command works
// on, how it reports, and the commands.
#include <core/FolderSession.h>

#include <base/String.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

// Exit statuses.
inline constexpr int kDone = 0;      // everything asked was done
inline constexpr int kRefused = 1;   // some files were refused (each named), the others written
inline constexpr int kBadUsage = 2;  // bad usage, field, pattern or path: nothing written

struct COptions {
  bool bSubfolders = false;  // -r
  bool bDryRun = false;      // -n
  bool bQuiet = false;       // -q
  std::string strCommand;
  std::vector<std::string> args;  // what follows the command
};

// Where the command's messages go: errors always, the rest unless -q.
class COutput {
 public:
  explicit COutput(const COptions& options) : m_options(options) {}
  const COptions& Options() const { return m_options; }
  void Error(const CString& text);  // on standard error, a line
  void Note(const CString& text);   // on standard output, a line, unless quiet
  // Refusals of files: named on standard error; the exit status becomes 1.
  void Refuse(const CString& file, const CString& reason);
  bool Refused() const { return m_bRefused; }
  int Status() const { return m_bRefused ? kRefused : kDone; }
  // The work's hooks: progress shown on a terminal once it takes over a second.
  CWork Work(const char* doing);

 private:
  const COptions& m_options;
  bool m_bRefused = false;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The files a command works on: one folder, with the files named below it
// ("CD1/a.mp3"), read into one session. Several paths take their common
// folder, so the command saves once, in one journal entry, and every key is
// unique; a single folder is itself.
struct CTarget {
  CString strFolder;               // absolute, links resolved
  std::vector<CString> names;      // below strFolder, in the order the paths give them
  bool bSubfolders = false;        // some name lies below the folder
  // Each folder named whose walk met folders it could not read, and how many.
  std::vector<std::pair<CString, CString>> unreadable;  // the path as given, what was left out
};

// Resolves the paths (files or folders; folders with their subfolders when
// subfolders). False, with the message, for a path that does not exist or a
// file that is not an MP3 file.
bool ResolvePaths(const std::vector<std::string>& paths, bool subfolders, CTarget& target, CString& error);
// A folder's absolute path, links resolved; empty when it is no folder.
CString RealFolder(const std::string& path);
// A file of the session as messages name it: relative to the working folder
// when it lies below it, else absolute.
CString ShownPath(const CString& folder, const CString& name);

// The commands; each returns the exit status.
int RunCommand(const COptions& options);
void PrintUsage(bool toError);

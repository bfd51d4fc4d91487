#pragma once
// A save cut short, for tests of what a load clears up: a writer in a
// process of its own that makes a new file as the tag writer does and stops.
#include "TempRecord.h"

#include <base/String.h>

#include <string>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test {

// A writer in a process of its own that makes a new file in folder and
// stops there: at once, as a crash would (its record is then unlocked), or,
// live, only when End is called (a save running in another window). With
// keep, it gives the file name in folder its second name, as before a rename.
class CChildWriter {
 public:
  CChildWriter(const CString& folder, const char* name, bool live, bool keep = false) {
    int made[2], end[2];
    if (::pipe(made) != 0 || ::pipe(end) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::close(made[0]);
      ::close(end[1]);
      CTempRecord record;
      std::string path;
      struct stat st {};
      const std::string original = folder.Str() + "/" + name;
      if (keep && ::stat(original.c_str(), &st) == 0) {
        record.KeepOriginal(original, st, &path);
      } else if (!keep) {
        (void)!::write(record.Create(folder.Str(), name, &path), "ID3 half a new file", 19);
      }
      (void)!::write(made[1], path.data(), path.size());
      ::close(made[1]);
      char go;
      if (live) (void)!::read(end[0], &go, 1);
      ::_exit(0);  // without the record's clean-up, as a crash
    }
    ::close(made[1]);
    ::close(end[0]);
    m_end = end[1];
    char buffer[4096];
    for (ssize_t n; (n = ::read(made[0], buffer, sizeof buffer)) > 0;) path.append(buffer, static_cast<std::size_t>(n));
    ::close(made[0]);
    if (!live) End();
  }
  ~CChildWriter() { End(); }
  void End() {
    if (m_end >= 0) ::close(std::exchange(m_end, -1));
    if (m_pid > 0) ::waitpid(std::exchange(m_pid, -1), nullptr, 0);
  }
  std::string path;  // of the new file

 private:
  pid_t m_pid = -1;
  int m_end = -1;
};

}  // namespace test

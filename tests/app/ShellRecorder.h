#pragma once
// A stand-in for the desktop's opener first on PATH: it records what it was
// asked to open instead of opening it.
#include "support/TestSupport.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace test {

class ShellRecorder {
 public:
  ShellRecorder() : m_oldPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
    const CString opener = m_dir.File("xdg-open");
    WriteFile(opener, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + std::string(m_dir.File("opened.log")) + "\"\n");
    ::chmod(opener, 0755);
    ::setenv("PATH", (std::string(m_dir.Path()) + ":" + m_oldPath).c_str(), 1);
  }
  ~ShellRecorder() { ::setenv("PATH", m_oldPath.c_str(), 1); }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  std::vector<std::string> Opened() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(m_dir.File("opened.log")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  TempDir m_dir;
  std::string m_oldPath;
};

}  // namespace test

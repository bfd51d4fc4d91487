#pragma once
// A recording stand-in for the desktop's opener, put first on PATH for the
// life of the object, so that no test ever starts a real program.
#include "support/TestSupport.h"

#include <base/String.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace test {

class OpenerStandIn {
 public:
  // exitCode: what the stand-in answers (xdg-open: 0 done, 3 no program found).
  explicit OpenerStandIn(int exitCode = 0, const char* name = "xdg-open");
  ~OpenerStandIn();
  OpenerStandIn(const OpenerStandIn&) = delete;
  OpenerStandIn& operator=(const OpenerStandIn&) = delete;

  // The arguments of every call so far, one a line.
  std::string Calls() const;
  // Takes the stand-in, and every other program, off PATH.
  void Remove();

 private:
  TempDir m_dir;
  std::string m_name;
  std::string m_oldPath;
};

inline OpenerStandIn::OpenerStandIn(int exitCode, const char* name) : m_name(name) {
  const char* path = std::getenv("PATH");
  m_oldPath = path ? path : "";
  const CString script = m_dir.File(name);
  WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"" + std::string(m_dir.File("calls").GetString()) +
                        "\"\nexit " + std::to_string(exitCode) + "\n");
  ::chmod(script.GetString(), 0755);
  ::setenv("PATH", (std::string(m_dir.Path().GetString()) + ":" + m_oldPath).c_str(), 1);
}

inline OpenerStandIn::~OpenerStandIn() { ::setenv("PATH", m_oldPath.c_str(), 1); }

inline std::string OpenerStandIn::Calls() const { return ReadFile(m_dir.File("calls")); }

inline void OpenerStandIn::Remove() {
  // Only our folder is left on PATH, and it no longer holds an opener.
  ::setenv("PATH", m_dir.Path().GetString(), 1);
  ::unlink(m_dir.File(m_name.c_str()).GetString());
}

}  // namespace test

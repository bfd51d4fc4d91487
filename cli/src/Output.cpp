#include "Cli.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

void COutput::Error(const CString& text) { std::fprintf(stderr, "quillory-cli: %s\n", text.GetString()); }

void COutput::Note(const CString& text) {
  if (!m_options.bQuiet) std::printf("%s\n", text.GetString());
}

void COutput::Refuse(const CString& file, const CString& reason) {
  m_bRefused = true;
  std::fprintf(stderr, "%s: %s\n", file.GetString(), reason.GetString());
}

namespace {

// "Reading 120/5000" on the terminal's last line, rewritten in place, from
// the moment the work has taken a second, at most ten times a second.
class CProgressLine {
 public:
  explicit CProgressLine(const char* doing) : m_strDoing(doing) {}
  ~CProgressLine() {
    if (m_bShown) std::fprintf(stderr, "\r\033[K");
  }
  void Show(int done, int total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_start < std::chrono::seconds(1) || now - m_last < std::chrono::milliseconds(100)) return;
    m_last = now;
    m_bShown = true;
    std::fprintf(stderr, "\r%s %d/%d\033[K", m_strDoing, done, total);
    std::fflush(stderr);
  }

 private:
  const char* m_strDoing;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point m_last{};
  bool m_bShown = false;
};

}  // namespace

CWork COutput::Work(const char* doing) {
  CWork work;
  if (m_options.bQuiet || !isatty(STDERR_FILENO)) return work;
  auto line = std::make_shared<CProgressLine>(doing);
  work.progress = [line](int done, int total) { line->Show(done, total); };
  return work;
}

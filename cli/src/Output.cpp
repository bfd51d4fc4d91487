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
// the moment the command has taken a second, at most ten times a second.
class CProgressLine {
 public:
  CProgressLine(const char* doing, std::chrono::steady_clock::time_point start) : m_strDoing(doing), m_start(start) {}
  ~CProgressLine() {
    if (m_bShown) std::fprintf(stderr, "\r\033[K");
  }
  void Show(int done, int total) {
    m_nDone = done;
    m_nTotal = total;
    Tick();
  }
  // Work that counts no files (a save between its batches) keeps the line alive.
  void Tick() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_start < std::chrono::seconds(1) || now - m_last < std::chrono::milliseconds(100)) return;
    m_last = now;
    m_bShown = true;
    if (m_nTotal > 0)
      std::fprintf(stderr, "\r%s %d/%d\033[K", m_strDoing, m_nDone, m_nTotal);
    else
      std::fprintf(stderr, "\r%s (%llds)\033[K", m_strDoing,
                   static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(now - m_start).count()));
    std::fflush(stderr);
  }

 private:
  const char* m_strDoing;
  std::chrono::steady_clock::time_point m_start;
  std::chrono::steady_clock::time_point m_last{};
  bool m_bShown = false;
  int m_nDone = 0, m_nTotal = 0;
};

}  // namespace

CWork COutput::Work(const char* doing) {
  CWork work;
  if (m_options.bQuiet || !isatty(STDERR_FILENO)) return work;
  auto line = std::make_shared<CProgressLine>(doing, m_start);
  work.progress = [line](int done, int total) { line->Show(done, total); };
  work.keepGoing = [line] {
    line->Tick();
    return true;
  };
  return work;
}

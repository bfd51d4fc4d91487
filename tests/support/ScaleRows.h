#pragma once
// For the figures programs (run by hand, not by ctest): the memory the
// process holds, a table row like the program's, and a timed step.
#include <base/String.h>
#include <table/Gridora.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace test {

inline long RssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Row i as a load fills it: a name, numbers, frames shared by an album, and
// the empty marker for the frames most files lack.
inline void AddFileRow(CGridora& table, int i) {
  const int album = i / 12;
  const CString f = CString::Formatted("%d|Artist %d|Album %d|Song number %d|%d|%d|", 2000 + (i * 7919) % 9000,
                                       album % 500, album, i, i % 12 + 1, 1960 + album % 60) +
                    (album % 3 ? "Rock|" : "(17)|") + (i % 5 ? "192 kbit/s|" : "128 kbit/s (VBR)|") +
                    CString::Formatted("44100 Hz|%d| 0: %d:%d.0|", 120 + i % 300, 2 + i % 5, i % 60) +
                    "Layer III|MPEG 1|Joint stereo|-|-|-|LAME 3.100|-|-|-|-|-|";
  table.AddRow(CString::Formatted("%02d Artist %d - Song number %d", i % 12 + 1, album % 500, i), 0);
  for (int start = 0, end; (end = f.Find('|', start)) >= 0; start = end + 1) table.AddRow(f.Mid(start, end - start));
  table.EndRow();
}

// Runs step and prints how long it took, events and painting included.
template <typename Step>
void Time(const char* what, QWidget& window, Step step) {
  QElapsedTimer timer;
  timer.start();
  step();
  QApplication::processEvents();
  window.repaint();
  std::printf("  %-44s %7.3f s\n", what, static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

}  // namespace test

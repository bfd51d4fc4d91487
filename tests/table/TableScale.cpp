// table_scale [N]: what a table of N rows of 24 cells like the program's costs:
// memory per row, filling it with every row inserted at the top while redraw
// is off, header-click sorts, selecting every row, scrolling. It prints
// figures; ctest does not run it.
#include <platform/ListCtrl.h>
#include <table/Gridora.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long RssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Row i as a load fills it: a name, numbers, frames shared by an album, and
// the empty marker for the frames most files lack.
void AddFileRow(CGridora& table, int i) {
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

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
  QWidget window;
  window.resize(1200, 800);
  CWnd owner;
  owner.Attach(&window);
  CListCtrl list;  // several rows selectable, as the program's list will be
  list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 1180, 780), &owner, 1002);
  CGridora table;
  table.Setup(&list);
  for (int col = 0; col < 24; ++col) table.SetTitle(CString::Formatted("Column %d", col), 80, 'L');
  window.show();
  // A first fill, so that fonts, caches and the allocator's arenas are not counted per row.
  for (int i = 0; i < 1000; ++i) AddFileRow(table, i);
  Time("a first 1,000 rows, then cleared", window, [&] { table.ClearTable(); });

  const long before = RssKiB();
  Time("fill, each row at the top, redraw off", window, [&] {
    list.SetRedraw(FALSE);
    for (int i = 0; i < n; ++i) AddFileRow(table, i);
    list.SetRedraw(TRUE);
  });
  std::printf("  %d rows: RSS %.1f -> %.1f MiB, %.0f bytes a row\n", n, before / 1024.0, RssKiB() / 1024.0,
              n > 0 ? (RssKiB() - before) * 1024.0 / n : 0.0);
  NMHEADER click;
  LRESULT result = 0;
  for (int col : {0, 0, 2, 1, 11}) {
    click.iItem = col;
    Time(CString::Formatted("header click on column %d", col), window, [&] { table.SortData(&click.hdr, &result); });
  }
  Time("select every row", window, [&] { list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED); });
  click.iItem = 2;
  Time("header click with every row selected", window, [&] { table.SortData(&click.hdr, &result); });
  std::printf("  %d rows selected\n", list.GetSelectedCount());
  auto* view = qobject_cast<QTreeView*>(list.GetWidget());
  Time("100 scroll steps, each painted", window, [&] {
    for (int step = 0; step < 100; ++step) {
      view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * step / 99);
      view->viewport()->repaint();
    }
  });
  list.DestroyWindow();
  owner.Detach();
  return 0;
}

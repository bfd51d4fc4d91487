// table_scale [N]: prints what a table of N rows of 24 cells, like the
// program's file table, costs: the memory per row, the time to fill it with
// every row inserted at the top while redraw is off, header-click sorts,
// selecting every row and scrolling. Not a test: it prints figures and is not
// run by ctest.
#include <platform/ListCtrl.h>
#include <table/Gridora.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTreeView>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

long RssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// The cells of row i as a load fills them: a name, numbers, frames that
// repeat across an album, and the empty marker where a frame is missing.
void AddFileRow(CGridora& table, int i) {
  const int album = i / 12;
  table.AddRow(CString::Formatted("%02d Artist %d - Song number %d", i % 12 + 1, album % 500, i), 0);
  table.AddRow(CString::Formatted("%d", 2000 + (i * 7919) % 9000));
  table.AddRow(CString::Formatted("Artist %d", album % 500));
  table.AddRow(CString::Formatted("Album %d", album));
  table.AddRow(CString::Formatted("Song number %d", i));
  table.AddRow(CString::Formatted("%d", i % 12 + 1));
  table.AddRow(CString::Formatted("%d", 1960 + album % 60));
  table.AddRow(CString(album % 3 ? "Rock" : "(17)"));
  table.AddRow(CString(i % 5 ? "192 kbit/s" : "128 kbit/s (VBR)"));
  table.AddRow(CString("44100 Hz"));
  table.AddRow(CString::Formatted("%d", 120 + i % 300));
  table.AddRow(CString::Formatted(" 0: %d:%d.0", 2 + i % 5, i % 60));
  table.AddRow(CString("Layer III"));
  table.AddRow(CString("MPEG 1"));
  table.AddRow(CString("Joint stereo"));
  for (int col = 15; col < 24; ++col) table.AddRow(CString(col == 18 ? "LAME 3.100" : "-"));
  table.EndRow();
}

double Seconds(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e9; }

void ClickHeader(CGridora& table, int col) {
  NMHEADER nm;
  nm.iItem = col;
  LRESULT result = 0;
  table.SortData(&nm.hdr, &result);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;

  auto top = std::make_unique<QWidget>();
  top->resize(1200, 800);
  CWnd owner;
  owner.Attach(top.get());
  CListCtrl list;
  list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 1180, 780), &owner, 1002);
  CGridora table;
  table.Setup(&list);
  for (int col = 0; col < 24; ++col) table.SetTitle(CString::Formatted("Column %d", col), 80, 'L');
  top->show();

  // A first small fill, so that fonts, the allocator's arenas and Qt's caches
  // are not counted per row.
  for (int i = 0; i < 1000; ++i) AddFileRow(table, i);
  QApplication::processEvents();
  table.ClearTable();
  QApplication::processEvents();

  const long before = RssKiB();
  QElapsedTimer timer;
  timer.start();
  list.SetRedraw(FALSE);
  for (int i = 0; i < n; ++i) AddFileRow(table, i);
  list.SetRedraw(TRUE);
  const double fill = Seconds(timer);
  timer.restart();
  QApplication::processEvents();
  top->repaint();
  const double firstPaint = Seconds(timer);
  const long after = RssKiB();
  long textBytes = 0;
  for (int col = 0; col < 24; ++col) textBytes += list.GetItemText(n / 2, col).GetLength();
  std::printf("%d rows of 24 cells (%ld bytes of text in a middle row)\n", n, textBytes);
  std::printf("  fill, each row at the top, redraw off   %8.3f s\n", fill);
  std::printf("  first layout and paint                  %8.3f s\n", firstPaint);
  std::printf("  RSS %.1f MiB -> %.1f MiB: %.0f bytes per row\n", before / 1024.0, after / 1024.0,
              n > 0 ? (after - before) * 1024.0 / n : 0.0);

  const struct {
    int col;
    const char* what;
  } sorts[] = {{0, "file name"}, {0, "file name, descending"}, {2, "artist"}, {1, "size"}, {11, "duration"}};
  for (const auto& sort : sorts) {
    timer.restart();
    ClickHeader(table, sort.col);
    QApplication::processEvents();
    top->repaint();
    std::printf("  header-click sort by %-22s %8.3f s\n", sort.what, Seconds(timer));
  }

  timer.restart();
  list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  QApplication::processEvents();
  const double selectAll = Seconds(timer);
  timer.restart();
  int selected = 0;
  for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
    ++selected;
  const double walk = Seconds(timer);
  std::printf("  select every row                        %8.3f s (%d selected, %d counted)\n", selectAll,
              list.GetSelectedCount(), selected);
  std::printf("  walk the selection with GetNextItem     %8.3f s\n", walk);
  timer.restart();
  ClickHeader(table, 2);
  QApplication::processEvents();
  std::printf("  sort by artist with every row selected  %8.3f s (%d still selected)\n", Seconds(timer),
              list.GetSelectedCount());

  auto* view = qobject_cast<QAbstractItemView*>(list.GetWidget());
  timer.restart();
  for (int step = 0; step < 100; ++step) {
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() * step / 99);
    view->viewport()->repaint();
  }
  std::printf("  100 scroll steps top to bottom, painted %8.3f s\n", Seconds(timer));

  timer.restart();
  for (int i = 0; i < 1000; ++i) AddFileRow(table, n + i);
  QApplication::processEvents();
  std::printf("  1000 more rows at the top, redraw on    %8.3f s\n", Seconds(timer));

  timer.restart();
  table.ClearTable();
  QApplication::processEvents();
  std::printf("  clear                                   %8.3f s\n", Seconds(timer));
  list.DestroyWindow();
  owner.Detach();
  return 0;
}

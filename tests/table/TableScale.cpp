// table_scale [N]: what a table of N rows of 24 cells like the program's costs:
// memory per row, filling it with every row inserted at the top while redraw
// is off, header-click sorts, selecting every row, scrolling. It prints
// figures; ctest does not run it.
#include "support/ScaleRows.h"

#include <platform/ListCtrl.h>

#include <QScrollBar>
#include <QTreeView>

using test::AddFileRow;
using test::RssKiB;
using test::Time;

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

// history_scale [N] [PICTURE]: what undo and the unsaved state cost on the
// main window's table of N rows like a load's: memory per row after the load
// and after an Update list that changes five cells of every row, its undo and
// redo, and the time of each and of a header sort; then every row selected,
// the tag panel filled from them all, one box written into all of them, and
// all of them deleted, each undone; with a picture, the same for adding it as
// the cover of every row. It prints figures; ctest does not run it.
#include "CoverGroup.h"
#include "QuilloryDlg.h"
#include "Resource.h"
#include <core/TableRows.h>

#include "support/ScaleRows.h"

#include <platform/WinApp.h>

using test::AddFileRow;
using test::RssKiB;
using test::Time;

namespace {

class ScaleDlg : public CQuilloryDlg {
 public:
  using CQuilloryDlg::m_pCovers;
  using CQuilloryDlg::m_list;
  using CQuilloryDlg::m_pRows;
  using CQuilloryDlg::m_pTable;
  using CQuilloryDlg::OnHeaderItemClick;
  using CQuilloryDlg::OnRedo;
  using CQuilloryDlg::OnUndo;
  using CQuilloryDlg::OnUpdateList;
  using CQuilloryDlg::FillEditBoxes;
  using CQuilloryDlg::OnUpdateRow;
  using CQuilloryDlg::OnDeleteRow;
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  CWinApp app;
  QApplication qt(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
  ScaleDlg dlg;
  dlg.Create();
  QWidget& window = *dlg.GetWidget();
  const long start = RssKiB();
  const auto memory = [&](const CString& when) {
    std::printf("  %-44s %7.0f bytes a row (RSS %.1f MiB)\n", when.GetString(), (RssKiB() - start) * 1024.0 / n, RssKiB() / 1024.0);
  };
  NMHEADER click;
  click.iItem = 2;
  LRESULT result = 0;
  Time("fill, as a load does", window, [&] {
    dlg.m_list.SetRedraw(FALSE);
    for (int i = 0; i < n; ++i) AddFileRow(*dlg.m_pTable, i);
    dlg.m_list.SetRedraw(TRUE);
    dlg.m_pRows->Reset();
  });
  memory("loaded");
  // Artist the same for all, title from the name; album, track and original
  // artist from their empty boxes: five cells of every row change.
  for (int id : {IDC_RULE_ARTIST, IDC_RULE_TITLE}) dlg.CheckDlgButton(id, BST_CHECKED);
  dlg.SetDlgItemText(IDC_EDIT_ARTIST, "Everyone Together");
  Time("Update list, every row changed", window, [&] { dlg.OnUpdateList(); });
  memory(CString::Formatted("after it, %d rows unsaved", dlg.m_pRows->UnsavedCount()));
  Time("header click on column 2", window, [&] { dlg.OnHeaderItemClick(&click.hdr, &result); });
  Time("Undo", window, [&] { dlg.OnUndo(); });
  Time("Redo", window, [&] { dlg.OnRedo(); });
  memory("after Undo and Redo");
  Time("select every row (Ctrl+A)", window, [&] { dlg.m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED); });
  Time("fill the panel from every row (F2)", window, [&] { dlg.FillEditBoxes(); });
  dlg.SetDlgItemText(IDC_EDIT_ALBUM, "One Album");
  Time("Update of the album box into every row", window, [&] { dlg.OnUpdateRow(); });
  Time("Undo", window, [&] { dlg.OnUndo(); });
  dlg.m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  Time("Delete of every row", window, [&] { dlg.OnDeleteRow(); });
  Time("Undo", window, [&] { dlg.OnUndo(); });
  if (argc < 3) return 0;
  dlg.m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  Time("Add cover, to every row", window, [&] { dlg.m_pCovers->AddFrom(argv[2]); });
  memory(CString::Formatted("after it, %d rows unsaved", dlg.m_pRows->UnsavedCount()));
  Time("Undo", window, [&] { dlg.OnUndo(); });
  Time("Redo", window, [&] { dlg.OnRedo(); });
  memory("after Undo and Redo");
  return 0;
}

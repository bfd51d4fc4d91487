#pragma once
// The main window with a folder of files listed in its table, filled row by
// row the way loading fills it, for the tests of the list's commands.
#include "FolderDocuments.h"
#include "QuilloryDlg.h"
#include "RowMenu.h"
#include "Resource.h"

#include "support/TestSupport.h"

#include <platform/StatusBarCtrl.h>
#include <table/Gridora.h>

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

namespace test {

class ListDlg : public CQuilloryDlg {
 public:
  using CQuilloryDlg::m_layout;
  using CQuilloryDlg::m_list;
  using CQuilloryDlg::m_columns;
  using CQuilloryDlg::OnExit;
  using CQuilloryDlg::m_pRowMenu;
  using CQuilloryDlg::m_pTable;
  using CQuilloryDlg::m_pSession;
  using CQuilloryDlg::FileKeyOf;
  void WriteReport() { m_pDocuments->WriteReport(); }
};

// One listed file: its name on disk is key + ext.
struct ListedFile {
  std::string key;
  std::string artist = "-";
  std::string album = "-";
  std::string title = "-";
  int sizeKb = 1;
  std::string ext = ".mp3";
};

class ListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
    m_dlg.m_pSession->SetFolder(m_dir.Path(), false);
  }

  // Lists the files in this order (each created in the folder); as loading
  // does, every row is built cell by cell and goes in at the top.
  void List(const std::vector<ListedFile>& files) {
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
      WriteFile(m_dir.File((file->key + file->ext).c_str()), "ID3");
      CGridora& table = *m_dlg.m_pTable;
      table.AddRow(CString(file->key));
      table.AddRow(file->sizeKb);
      for (const std::string* text : {&file->artist, &file->album, &file->title}) table.AddRow(CString(*text));
      const char* rest[] = {"1",  "2001", "Rock", "128 kbit/s", "44100 Hz", "60", "1:00", "Layer III",
                            "MPEG 1", "Joint stereo", "-", "-", "-", "-"};
      for (const char* text : rest) table.AddRow(CString(text));
      table.AddRow(CString("Orig " + file->artist));
      for (int k = 20; k < 24; ++k) table.AddRow(CString("-"));
      table.AddRow(CString("ID3v2.3"));
      for (int k = 25; k < 28; ++k) table.AddRow(CString("-"));  // cover, disc, lyrics
      table.EndRow();
    }
  }

  void Select(int row) { m_dlg.m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED); }
  QWidget* Widget(int id) { return m_dlg.GetDlgItem(id)->GetWidget(); }
  void Click(int id) { QTest::mouseClick(qobject_cast<QPushButton*>(Widget(id)), Qt::LeftButton); }
  void Type(int id, const char* text) { qobject_cast<QLineEdit*>(Widget(id))->setText(QString::fromUtf8(text)); }

  QAbstractItemView* View() { return qobject_cast<QAbstractItemView*>(m_dlg.m_list.GetWidget()); }

  // A right press in the middle of the cell, as the user makes it; the
  // release goes to the menu that the press opens.
  void RightClick(int row, int col) {
    CRect cell;
    ASSERT_TRUE(m_dlg.m_list.GetSubItemRect(row, col, LVIR_BOUNDS, cell));
    const QPoint centre((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    QTest::mousePress(View()->viewport(), Qt::RightButton, {}, View()->viewport()->mapFrom(View(), centre));
  }

  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (int row = 0; row < m_dlg.m_pTable->GetNumOfRow(); ++row) keys.push_back(m_dlg.m_pTable->GetValStr(row, 0).Str());
    return keys;
  }

  std::string StatusText() {
    auto* bar = dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517));
    return bar ? bar->GetText(1).Str() : "(no status bar)";
  }

  TempDir m_dir;
  ListDlg m_dlg;
};

}  // namespace test

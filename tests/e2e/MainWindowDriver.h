#pragma once
// Drives the real main window as a user would: the folder browser answered
// through the platform, rows double-clicked, boxes typed into, buttons
// clicked; and reads back what the window shows. Files are compared with
// mutagen, a reader that shares no code with the program.
#include "FolderDocuments.h"
#include "QuilloryDlg.h"
#include "Resource.h"

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <platform/FolderBrowser.h>
#include <platform/MessageBox.h>
#include <base/Path.h>
#include <platform/StatusBarCtrl.h>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace test {

class TestDlg : public CQuilloryDlg {
 public:
  using CQuilloryDlg::IsDataChanged;
  using CQuilloryDlg::m_list;
  using CQuilloryDlg::m_pProgress;
  using CQuilloryDlg::Folder;
  using CQuilloryDlg::m_pWork;
  using CQuilloryDlg::RowFilePath;
  using CQuilloryDlg::SaveSelectedRow;
  void WriteReport() { m_pDocuments->WriteReport(); }
};

// mutagen's view of a file, column by column of the table ("-" when missing).
inline std::map<int, std::string> MutagenRow(const CString& path) {
  std::istringstream lines(
      RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/e2e/mutagen_row.py '" + path.Str() + "'"));
  std::map<int, std::string> row;
  for (std::string line; std::getline(lines, line);) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) row[std::stoi(line.substr(0, tab))] = line.substr(tab + 1);
  }
  return row;
}

// Every frame of the file's ID3v2 tag as mutagen reads it, one per line.
inline std::string MutagenFrames(const CString& path) {
  return RunCommand("/usr/bin/python3 " QUILLORY_SOURCE_DIR "/tests/e2e/mutagen_row.py '" + path.Str() + "' frames");
}

// Every file's bytes below folder, by its path below it.
inline std::map<std::string, std::string> FilesIn(const CString& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> bytes;
  for (const auto& item : fs::recursive_directory_iterator(folder.Str()))
    if (item.is_regular_file()) bytes[fs::relative(item.path(), folder.Str()).string()] = ReadFile(item.path().c_str());
  return bytes;
}

class MainWindowDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
  }

  QWidget* Item(int id) { return m_dlg.GetDlgItem(id) ? m_dlg.GetDlgItem(id)->GetWidget() : nullptr; }
  void Click(int id) { QTest::mouseClick(qobject_cast<QPushButton*>(Item(id)), Qt::LeftButton); }
  QTreeView* View() { return static_cast<QTreeView*>(m_dlg.m_list.GetWidget()); }

  // Chooses folder in the next folder browser, or cancels it when folder is
  // empty. With subfolders 0 or 1, clears or ticks "Include subfolders"
  // first; *ticked receives how the box started.
  static void AnswerFolderBrowser(const CString& folder, int subfolders = -1, bool* ticked = nullptr) {
    DriveModal(ModalKind::FolderBrowser, [folder, subfolders, ticked](QWidget* w) {
      auto* browser = qobject_cast<QDialog*>(w);
      ASSERT_NE(browser, nullptr);
      auto* box = browser->findChild<QCheckBox*>();
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), "Include subfolders");
      if (ticked) *ticked = box->isChecked();
      if (subfolders >= 0) box->setChecked(subfolders == 1);
      if (folder.IsEmpty()) {
        browser->reject();
        return;
      }
      BrowseForFolder_SetSelection(CWnd::FromWidget(browser), folder);
      browser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
  }
  // Open Folder, choosing folder in the browser (or cancelling it when empty).
  void OpenFolder(const CString& folder, int subfolders = -1, bool* ticked = nullptr) {
    AnswerFolderBrowser(folder, subfolders, ticked);
    Click(IDC_OPEN_FOLDER);
  }
  // Answers the next message box with the button's code (IDYES...), remembering what it asked.
  void AnswerMessageBox(int button) { test::AnswerMessageBox(button, &m_question); }
  std::string Asked() const { return (m_question.caption + "|" + m_question.text).Str(); }

  int Rows() { return m_dlg.m_list.GetItemCount(); }
  std::string Cell(int row, int col) { return m_dlg.m_list.GetItemText(row, col).Str(); }
  int RowOf(const char* key) {
    for (int row = 0; row < Rows(); ++row)
      if (Cell(row, 0) == key) return row;
    return -1;
  }
  void DoubleClickRow(int row) {
    CRect r;
    ASSERT_TRUE(m_dlg.m_list.GetSubItemRect(row, 0, LVIR_BOUNDS, r));
    const QPoint centre = View()->viewport()->mapFrom(View(), QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, centre);
  }
  void SelectRow(int row) { View()->setCurrentIndex(View()->model()->index(row, 0)); }
  // Right-clicks the row's artist cell and chooses item of the popup menu
  // (0 Play, 1 Delete, 2 Edit, 3 Save, 4 html report).
  void ChooseInRowMenu(int row, int item) {
    if (!m_dlg.m_list.GetItemState(row, LVIS_SELECTED)) SelectRow(row);  // a selection of several rows stays
    CRect r;
    ASSERT_TRUE(m_dlg.m_list.GetSubItemRect(row, 2, LVIR_BOUNDS, r));
    const QPoint centre = View()->viewport()->mapFrom(View(), QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    ChooseInMenu(item);
    QTest::mousePress(View()->viewport(), Qt::RightButton, {}, centre);
    // The button is let go, as a user's is: else the next click through a
    // window counts it as still down.
    QTest::mouseRelease(View()->viewport(), Qt::RightButton, {}, centre);
  }
  // The same menu with no row selected: a right press selects the row under
  // it, so the list's right-click notification comes without one.
  void ChooseWithNothingSelected(int item) {
    View()->clearSelection();
    NMITEMACTIVATE click{};
    ChooseInMenu(item);
    m_dlg.m_list.SendNotify(NM_RCLICK, &click.hdr);
  }
  void Type(int id, const char* text) { qobject_cast<QLineEdit*>(Item(id))->setText(QString::fromUtf8(text)); }
  std::string Box(int id) { return qobject_cast<QLineEdit*>(Item(id))->text().toStdString(); }
  void SetRule(int id, bool on) { m_dlg.CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); }
  std::string Status() {
    auto* bar = dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517));
    return bar ? bar->GetText(1).Str() : std::string();
  }
  std::string Total(int id) { return m_dlg.GetDlgItemText(id).Str(); }

  // The keys of the rows given the colour of unsaved files, top down.
  std::vector<std::string> MarkedKeys() {
    std::vector<std::string> keys;
    for (int row = 0; row < Rows(); ++row)
      if (m_dlg.m_list.GetItemTextColor(row) != CLR_DEFAULT) keys.push_back(Cell(row, 0));
    return keys;
  }

  // Open Folder remembers its check box in the settings file: each test starts with none.
  // The folders outlive the variables naming them, so nothing is written there afterwards.
  TempDir m_config, m_state;
  test::ScopedEnv m_configEnv{"XDG_CONFIG_HOME", m_config.Path()}, m_stateEnv{"XDG_STATE_HOME", m_state.Path()};
  TestDlg m_dlg;
  test::ModalQuestion m_question;
};

}  // namespace test

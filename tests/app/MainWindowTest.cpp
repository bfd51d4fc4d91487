// The whole main window, offscreen: its controls as the template lays them
// out, the table's columns, the label colours, and leaving with and without
// unsaved edits (answering the real message box).
#include "QuilloryDlg.h"
#include "Resource.h"
#include "ShellRecorder.h"

#include "support/OpenerStandIn.h"

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <platform/MessageBox.h>
#include <platform/StatusBarCtrl.h>
#include <platform/WinApp.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <string>

namespace {

class TestDlg : public CQuilloryDlg {
 public:
  using CQuilloryDlg::IsDataChanged;
  using CQuilloryDlg::m_hIcon;
  using CQuilloryDlg::m_list;
  using CQuilloryDlg::m_layout;
  using CQuilloryDlg::m_pSession;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dlg.Create()); }
  QWidget* Item(int id) { return m_dlg.GetDlgItem(id) ? m_dlg.GetDlgItem(id)->GetWidget() : nullptr; }
  QColor TextColour(int id) { return Item(id)->palette().color(QPalette::WindowText); }
  // The template's rectangle in pixels, below the menu bar.
  CRect Placed(CRect rect) {
    m_dlg.MapDialogRect(&rect);
    const int bar = m_dlg.GetWidget()->findChild<QMenuBar*>()->height();
    return CRect(rect.left, rect.top + bar, rect.right, rect.bottom + bar);
  }
  QRect Placed(int x, int y, int cx, int cy) {
    const CRect r = Placed(CRect(x, y, x + cx, y + cy));
    return QRect(r.left, r.top, r.Width(), r.Height());
  }
  void Click(int id) { QTest::mouseClick(qobject_cast<QPushButton*>(Item(id)), Qt::LeftButton); }
  // Answers the next message box with the button's code (IDYES...), remembering what it asked.
  void AnswerMessageBox(int button) { test::AnswerMessageBox(button, &m_question); }
  std::string Asked() const { return (m_question.caption + "|" + m_question.text).Str(); }

  TestDlg m_dlg;
  test::ModalQuestion m_question;
};

}  // namespace

TEST_F(MainWindowTest, EveryTemplateControlExistsWhereTheTemplatePutsIt) {
  const auto& tmpl = m_dlg.GetTemplate();
  EXPECT_EQ(tmpl.id, IDD_QUILLORY_DIALOG);
  EXPECT_EQ(m_dlg.GetWindowText(), "TarvelloNet-Mp3 Tag Editor");
  int withId = 0;
  for (const auto& item : tmpl.items) {
    if (item.id == IDC_STATIC) continue;
    ++withId;
    CWnd* wnd = m_dlg.GetDlgItem(item.id);
    ASSERT_NE(wnd, nullptr) << item.id;
    const CRect expected = Placed(CRect(item.x, item.y, item.x + item.cx, item.y + item.cy));
    CRect actual;
    wnd->GetWindowRect(&actual);
    m_dlg.ScreenToClient(&actual);
    EXPECT_EQ(actual, expected) << item.id;
    if (*item.caption) {
      EXPECT_EQ(wnd->GetWindowText(), item.caption) << item.id;
    }
  }
  // 14 window controls (Cancel among them), 32 in the tag panel, 2 + 14 + 3 for the rules, 4 at the foot, 6 covers,
  // and the More fields group with the disc's and the lyrics' boxes and labels.
  EXPECT_EQ(withId, 14 + 32 + 1 + 2 + 1 + 14 + 3 + 4 + 2 + 6 + 5);

  // Spot checks of the layout rules: Year sits beside Track, the right
  // column starts at x 242, rows are 14 units apart, labels 2 units lower.
  EXPECT_EQ(Item(IDC_EDIT_YEAR)->geometry(), Placed(140, 306, 51, 12));
  EXPECT_EQ(Item(2044)->geometry(), Placed(116, 308, 17, 8));
  EXPECT_EQ(Item(IDC_EDIT_CONDUCTOR)->geometry(), Placed(242, 334, 132, 12));
  EXPECT_EQ(m_dlg.GetDlgItemText(2022), "Original artist - same as Artist.");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_WEB_SITE), "Quillory");

  // Edit boxes: the file name is read-only, the others editable, each named by its label.
  EXPECT_TRUE(qobject_cast<QLineEdit*>(Item(IDC_EDIT_FILENAME))->isReadOnly());
  EXPECT_FALSE(qobject_cast<QLineEdit*>(Item(IDC_EDIT_ARTIST))->isReadOnly());
  EXPECT_EQ(Item(IDC_EDIT_ORIGARTIST)->accessibleName(), "Orginal artist");
  EXPECT_EQ(Item(ID_HELP)->accessibleName(), "Help");
  // Enter presses Update, never Exit.
  EXPECT_TRUE(qobject_cast<QPushButton*>(Item(IDC_UPDATE_ROW))->isDefault());
  EXPECT_FALSE(qobject_cast<QPushButton*>(Item(IDOK))->isDefault());
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_SAVE_PROGRESS)->IsWindowVisible());
  EXPECT_FALSE(m_dlg.GetDlgItem(IDC_CANCEL_WORK)->IsWindowVisible());
  EXPECT_TRUE(m_dlg.GetDlgItem(IDC_FILE_LIST)->IsWindowVisible());
  EXPECT_NE(m_dlg.m_hIcon, nullptr);
  EXPECT_EQ(m_dlg.GetIcon(TRUE), m_dlg.m_hIcon);

  // The list's rectangle and the height it grows to when the panel hides.
  const CRect list = Placed(CRect(6, 38, 758, 236)), group = Placed(CRect(6, 239, 380, 368));
  EXPECT_EQ(m_dlg.m_layout.ListRect(), list);
  EXPECT_EQ(m_dlg.m_layout.ListExpandedHeight(), group.bottom - list.top);
}

TEST_F(MainWindowTest, StartsWithTheColumnsEmptyTableAndTotals) {
  const char* titles[] = {"File name", "Size kb", "Artist", "Album", "Title", "Track", "Year", "Genere",
                          "Bit rate", "Sample rate", "Length", "Duration", "MPEG layer", "MPEG Ver", "Channel",
                          "Comment", "Composer", "Copyright", "Encoded by", "Original artist", "URL", "Band",
                          "Publisher", "Conductor", "Tag", "Cover", "Disc", "Lyrics"};
  const int widths[] = {120, 50, 100, 100, 100, 50, 50, 50, 70, 90, 50, 70, 70, 70, 70,
                        100, 100, 100, 100, 100, 100, 100, 100, 100, 150, 150, 50, 150};
  for (int col = 0; col < 28; ++col) {
    LVCOLUMN column;
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    ASSERT_TRUE(m_dlg.m_list.GetColumn(col, &column)) << col;
    EXPECT_EQ(column.pszText, titles[col]);
    EXPECT_EQ(column.cx, widths[col]) << col;
    EXPECT_EQ(column.fmt, LVCFMT_LEFT);
  }
  LVCOLUMN none;
  EXPECT_FALSE(m_dlg.m_list.GetColumn(28, &none));
  EXPECT_EQ(m_dlg.m_list.GetItemCount(), 0);
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) EXPECT_EQ(m_dlg.GetDlgItemText(id), "--");
  // The totals of a folder of 100,000 files fit their fields.
  for (const auto& [id, text] : {std::pair{IDC_TOTAL_FILES, "100000"}, {IDC_TOTAL_SIZE, "6400.00 mb"},
                                 {IDC_TOTAL_TIME, "5000: 0:0.0"}}) {
    const auto* label = qobject_cast<QLabel*>(Item(id));
    ASSERT_NE(label, nullptr);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width()) << text;
  }
}

TEST_F(MainWindowTest, LabelsAreBlueTotalsRedAndOtherTextKeepsItsColour) {
  const QColor blue(0, 0, 255), red(255, 0, 0);
  const QColor normal = m_dlg.GetWidget()->palette().color(QPalette::WindowText);
  ASSERT_NE(normal, blue);
  for (int id : {IDC_TOTAL_FILES_LABEL, IDC_TOTAL_SIZE_LABEL, IDC_TOTAL_TIME_LABEL}) EXPECT_EQ(TextColour(id), blue) << id;
  for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) EXPECT_EQ(TextColour(id), red) << id;
  for (int id = IDC_LABEL_FIRST; id <= IDC_LABEL_LAST; ++id) EXPECT_EQ(TextColour(id), blue) << id;
  // Check boxes and group boxes ask too, but nothing is registered for them.
  EXPECT_EQ(TextColour(IDC_RULE_FIRST), normal);
  EXPECT_EQ(TextColour(IDC_TAGS_GROUP), normal);
  EXPECT_FALSE(Item(IDC_TOTAL_FILES)->autoFillBackground());
}

TEST_F(MainWindowTest, ExitWithoutEditsClosesAtOnce) {
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
  EXPECT_FALSE(m_dlg.IsWindowVisible());
}

// Text typed into a box and not yet put into the table counts as an edit.
TEST_F(MainWindowTest, ExitWithEditsAsksAndNoKeepsEverything) {
  QTest::keyClicks(Item(IDC_EDIT_ALBUM), "Typed");
  AnswerMessageBox(IDNO);
  Click(IDOK);
  EXPECT_EQ(Asked(), "Data not saved|Do you want to exit?");
  EXPECT_EQ(m_dlg.GetEndResult(), -1);
  EXPECT_TRUE(m_dlg.IsWindowVisible());
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ALBUM), "Typed");

  AnswerMessageBox(IDYES);
  Click(IDOK);
  EXPECT_EQ(m_dlg.GetEndResult(), IDOK);
}

TEST_F(MainWindowTest, EscapeAndTheCloseRequestAskWhileEditsArePending) {
  QTest::keyClicks(Item(IDC_EDIT_COMMENT), "Typed");
  AnswerMessageBox(IDNO);
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Escape);
  EXPECT_EQ(Asked(), "Data not saved|Do you want to exit?");
  EXPECT_TRUE(m_dlg.IsWindowVisible());

  m_question = {};
  AnswerMessageBox(IDNO);
  QCloseEvent close;
  QApplication::sendEvent(m_dlg.GetWidget(), &close);
  EXPECT_EQ(Asked(), "Data not saved|Do you want to exit?");
  EXPECT_TRUE(m_dlg.IsWindowVisible());

  AnswerMessageBox(IDYES);
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Escape);
  EXPECT_EQ(m_dlg.GetEndResult(), IDCANCEL);
}

TEST_F(MainWindowTest, EscapeWithoutEditsEndsAtOnce) {
  QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Escape);
  EXPECT_EQ(m_dlg.GetEndResult(), IDCANCEL);
}

TEST_F(MainWindowTest, HelpAndTheWebButtonOpenThroughTheShell) {
  test::ShellRecorder shell;
  Click(ID_HELP);
  Click(IDC_WEB_SITE);
  const auto opened = shell.Opened();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_NE(opened[0].find("help/index.html"), std::string::npos);
  EXPECT_TRUE(test::ReadFile(opened[0].c_str()).find("Apply to all") != std::string::npos);
  EXPECT_EQ(opened[1], kWebSite);
}

// Help and Explore say when the desktop could not do it: without a browser
// the guide opens in a window of its own.
TEST_F(MainWindowTest, HelpAndExploreSayWhatTheDesktopCouldDo) {
  test::TempDir folder;
  const struct {
    int opener;  // its exit code: 0 done, 3 no program for it
    std::string help, explore;
  } cases[] = {
      {0, "The user guide opens in your web browser.", "The folder opens in your file manager: " + folder.Path().Str()},
      {3, "No web browser could be started: the user guide is shown in a window of its own.",
       "No file manager could be started to show " + folder.Path().Str() + "."},
  };
  auto status = [this] { return dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(517))->GetText(1).Str(); };
  for (const auto& c : cases) {
    test::OpenerStandIn opener(c.opener);
    m_dlg.m_pSession->SetFolder("", false);
    Click(IDC_EXPLORE);
    EXPECT_EQ(status(), "Open a folder first: there is nothing to explore.");
    m_dlg.m_pSession->SetFolder(folder.Path(), false);
    Click(IDC_EXPLORE);
    EXPECT_EQ(status(), c.explore);
    Click(ID_HELP);
    EXPECT_EQ(status(), c.help);
    const auto* guide = m_dlg.GetWidget()->findChild<QTextBrowser*>();
    EXPECT_EQ(guide && guide->isVisible() && guide->toPlainText().contains("Apply to all"), c.opener != 0);
  }
}

// Several rows at once through the real window: the panel over the selected
// rows with its hints, the genre box, and the two dialogs with their
// previews, each applied as one step and undone, or refused.
#include "ListFixture.h"

#include "AllFieldsDlg.h"
#include "PreviewDlg.h"
#include "support/ModalAnswers.h"

#include <platform/MessageBox.h>
#include <tags/MyMP3Tags.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <functional>

using test::ListFixture;

namespace {

constexpr int kGenreColumn = 7;

class ManyRowsTest : public ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    QApplication::setActiveWindow(m_dlg.GetWidget());
    List({{.key = "01 - Ann - One", .artist = "Ann", .album = "Same", .title = "One"},
          {.key = "02 - Bob - Two", .artist = "Bob", .album = "Same", .title = "Two"},
          {.key = "Odd name", .artist = "Cid", .album = "Same", .title = "Three"},
          {.key = "04 - Dan - Four", .artist = "Dan", .album = "Other", .title = "Four"}});
    m_dlg.m_pTable->UpdateRow(0, kGenreColumn, "(17)");  // stored as a reference to "Rock"
  }
  void SelectRows(std::initializer_list<int> rows) {
    View()->clearSelection();
    for (int row : rows) Select(row);
  }
  // A list's items, each as its texts joined by '|'.
  static std::vector<std::string> Lines(CListCtrl& list, int columns) {
    std::vector<std::string> lines(static_cast<std::size_t>(list.GetItemCount()));
    for (std::size_t item = 0; item < lines.size(); ++item)
      for (int col = 0; col < columns; ++col) lines[item] += (col ? "|" : "") + list.GetItemText(static_cast<int>(item), col).Str();
    return lines;
  }
  std::vector<std::string> Table() { return Lines(m_dlg.m_list, 24); }
  // The line of a row with another text in a column.
  static void Set(std::string& line, int col, const std::string& text) {
    std::size_t start = 0;
    for (int k = 0; k < col; ++k) start = line.find('|', start) + 1;
    line.replace(start, line.find('|', start) - start, text);
  }
  static std::vector<std::string> Preview(CWnd& dialog) {
    return Lines(*dynamic_cast<CListCtrl*>(dialog.GetDlgItem(IDC_PREVIEW)), 4);
  }
  std::string Cell(int row, int col) { return m_dlg.m_list.GetItemText(row, col).Str(); }
  // The preview's message as it reads, its lines run together.
  static std::string Message(CWnd& dialog) { return Unwrapped(dialog.GetDlgItem(IDC_PREVIEW_MESSAGE)->GetWindowText()); }
  static std::string Unwrapped(const CString& text) {
    std::string line = text.Str();
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
  }
  // The grey hint of an empty box, the genre's too.
  QString Hint(int id) {
    auto* edit = qobject_cast<QLineEdit*>(Widget(id));
    return (edit ? edit : Widget(id)->findChild<QLineEdit*>())->placeholderText();
  }
  QComboBox* GenreBox() { return qobject_cast<QComboBox*>(Widget(IDC_EDIT_GENRE)); }
  void Undo() {
    QApplication::setActiveWindow(m_dlg.GetWidget());  // as after a dialog closes
    QTest::keyClick(m_dlg.GetWidget(), Qt::Key_Z, Qt::ControlModifier);
  }
  // A command of the menu bar.
  void Command(int id) { static_cast<CWnd&>(m_dlg).OnCommand(id, BN_CLICKED); }
  // Opens a dialog with open, drives it with drive (its controls by id),
  // then presses Enter; expects it to close, or to stay open with refusal
  // as its message (then Escape closes it).
  void RunDialog(const std::function<void()>& open, const std::function<void(CWnd&)>& drive,
                 const std::string& refusal = "") {
    test::DriveModal(test::ModalKind::Dialog, [&](QWidget* w) {
      QApplication::setActiveWindow(w);
      CWnd& dialog = *CWnd::FromWidget(w);
      drive(dialog);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      if (refusal.empty()) return;
      EXPECT_TRUE(w->isVisible());
      EXPECT_EQ(Message(dialog).substr(0, refusal.size()), refusal);
      QTest::keyClick(w, Qt::Key_Escape);
    });
    open();
  }

  test::TempDir m_config;
  const test::ScopedEnv m_configEnv{"XDG_CONFIG_HOME", m_config.Path()};  // the dialog keeps its patterns there
};

TEST_F(ManyRowsTest, UpdateAndDeleteActOnEverySelectedRowAsOneStep) {
  const auto before = Table();
  SelectRows({0, 1, 2});
  QTest::keyClick(View(), Qt::Key_F2);
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_FILENAME), "3 files selected");
  // Shared texts are shown; differing ones leave the box empty with a hint.
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_ALBUM), "Same");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_TITLE), "");
  EXPECT_EQ(Hint(IDC_EDIT_TITLE), "(different values)");
  EXPECT_EQ(m_dlg.GetDlgItemText(IDC_EDIT_GENRE), "Rock");  // "(17)" and "Rock" name the same genre
  EXPECT_EQ(QApplication::focusWidget(), Widget(IDC_EDIT_ARTIST));
  QTest::keyClicks(Widget(IDC_EDIT_ARTIST), "Everyone");  // the differing artists: typing replaces them
  QTest::keyClick(Widget(IDC_EDIT_ARTIST), Qt::Key_Return);
  EXPECT_EQ(StatusText(), "Data updated successfully.");
  EXPECT_EQ(Hint(IDC_EDIT_TITLE), "");
  auto expected = before;
  for (std::size_t row : {0, 1, 2}) Set(expected[row], 2, "Everyone");
  EXPECT_EQ(Table(), expected);  // titles, albums and the stored "(17)" as they were; row 3 untouched
  Undo();
  EXPECT_EQ(StatusText(), "Undone: Update (3 rows)");
  EXPECT_EQ(Table(), before);
  // Delete takes every selected row, in one step too.
  QTest::keyClick(View(), Qt::Key_Delete);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"04 - Dan - Four"}));
  EXPECT_EQ(StatusText(), "3 data items have been deleted.");
  Undo();
  EXPECT_EQ(Table(), before);

  // Boxes filled from some rows are not written into others.
  SelectRows({0, 1});
  QTest::keyClick(View(), Qt::Key_F2);
  Type(IDC_EDIT_TITLE, "Lost");
  SelectRows({3});
  Click(IDC_UPDATE_ROW);
  EXPECT_NE(StatusText().find("not the ones the edit boxes were filled from"), std::string::npos);
  EXPECT_EQ(Table(), before);
}

TEST_F(ManyRowsTest, TheGenreBoxShowsNamesAndWritesOnlyAGenreTheUserChanged) {
  EXPECT_EQ(GenreBox()->count(), static_cast<int>(CMyMP3Tags::GetGenreNames().size()));
  SelectRows({0});
  QTest::keyClick(View(), Qt::Key_F2);
  EXPECT_EQ(GenreBox()->currentText(), "Rock");
  Type(IDC_EDIT_TITLE, "New title");
  Click(IDC_UPDATE_ROW);
  EXPECT_EQ(Cell(0, kGenreColumn), "(17)");
  QTest::keyClick(View(), Qt::Key_F2);
  GenreBox()->lineEdit()->selectAll();
  QTest::keyClicks(GenreBox()->lineEdit(), "Synthpop");
  // Enter in the genre box is Update too, while it offers the names that fit the typing as well.
  QAbstractItemView* offer = GenreBox()->completer()->popup();
  ASSERT_TRUE(offer->isVisible());
  QTest::keyClick(offer, Qt::Key_Return);
  EXPECT_EQ(Cell(0, kGenreColumn), "Synthpop");
  EXPECT_TRUE(m_dlg.m_list.GetItemEmphasis(0, kGenreColumn));
}

TEST_F(ManyRowsTest, TagsFromFileNamesPreviewsEveryRowAndAppliesAsOneStep) {
  const auto before = Table();
  RunDialog([this] { Command(ID_TAGS_FROM_NAMES); },
            [](CWnd& dialog) {
              auto* pattern = qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_PATTERN)->GetWidget());
              EXPECT_TRUE(pattern->hasFocus());
              pattern->setEditText("%track% - %artist% - %title%");
              // No row selected: every row, and the one whose name does not fit is left alone.
              EXPECT_EQ(Preview(dialog), (std::vector<std::string>{
                                             "01 - Ann - One|01|Ann|One", "02 - Bob - Two|02|Bob|Two",
                                             "Odd name|(does not fit: unchanged)||", "04 - Dan - Four|04|Dan|Four"}));
              EXPECT_EQ(Message(dialog),
                        "All 4 rows, as none is selected: Of 4 rows, 3 change; 1 does not fit the pattern and stays "
                        "as it is.");
            });
  auto expected = before;
  for (std::size_t row : {0, 1, 3}) Set(expected[row], 5, CString::Formatted("%02d", static_cast<int>(row) + 1).Str());
  EXPECT_EQ(Table(), expected);
  EXPECT_EQ(StatusText(), "Tags from file names: 3 rows changed; 1 row whose name does not fit the pattern stays as it was.");
  Undo();
  EXPECT_EQ(Table(), before);
  // The pattern is offered again, first.
  RunDialog([this] { Command(ID_TAGS_FROM_NAMES); },
            [](CWnd& dialog) { EXPECT_EQ(dialog.GetDlgItem(IDC_PATTERN)->GetWindowText(), "%track% - %artist% - %title%"); });
}

TEST_F(ManyRowsTest, FormatFieldsChangesTheSelectedRowsFieldsAsOneStep) {
  const auto before = Table();
  SelectRows({0, 1});
  test::ChooseInMenu(6);  // "Format fields…" of the row's menu
  RunDialog([this] { RightClick(0, 2); },
            [](CWnd& dialog) {
              qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_FORMAT_FIELD)->GetWidget())->setCurrentText("Artist");
              qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_FORMAT_CASE)->GetWidget())->setCurrentText("UPPER CASE");
              dialog.GetDlgItem(IDC_FIND)->SetWindowText("^(\\w)(\\w+)");
              dialog.GetDlgItem(IDC_REPLACE_WITH)->SetWindowText("$2-$1");
              qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REGEX)->GetWidget())->click();
              EXPECT_EQ(Preview(dialog), (std::vector<std::string>{"01 - Ann - One|Artist|Ann|NN-A",
                                                                   "02 - Bob - Two|Artist|Bob|OB-B"}));
            });
  EXPECT_EQ(Cell(0, 2), "NN-A");
  EXPECT_EQ(Cell(1, 2), "OB-B");
  Undo();
  EXPECT_EQ(StatusText(), "Undone: Format fields (2 rows)");
  EXPECT_EQ(Table(), before);
}

TEST_F(ManyRowsTest, FileNamesFromTagsWaitInTheNameColumnAsOneStep) {
  m_dlg.m_pTable->UpdateRow(3, 2, "Bob");  // the same name as row 1 would get
  m_dlg.m_pTable->UpdateRow(3, 4, "Two");
  test::WriteFile(m_dir.File("cid - three.MP3"), "ID3");  // row 2's name, in another letter case
  const auto before = Table();
  RunDialog([this] { Command(ID_NAMES_FROM_TAGS); },
            [](CWnd& dialog) {
              auto* pattern = qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_PATTERN)->GetWidget());
              EXPECT_TRUE(pattern->hasFocus());
              pattern->setEditText("%artist% - %title%.mp3");
              EXPECT_EQ(Preview(dialog), (std::vector<std::string>{
                  "01 - Ann - One.mp3|Ann - One.mp3||",
                  "02 - Bob - Two.mp3|Bob - Two.mp3|Another file would also be named \"Bob - Two.mp3\".|",
                  "Odd name.mp3|Cid - Three.mp3|Another file in the folder is already named \"Cid - Three.mp3\".|",
                  "04 - Dan - Four.mp3|Bob - Two.mp3|Another file would also be named \"Bob - Two.mp3\".|"}));
              EXPECT_EQ(Message(dialog),
                        "All 4 rows, as none is selected: Of 4 rows, 1 changes; 3 are refused and keep their names.");
            });
  auto expected = before;
  Set(expected[0], 0, "Ann - One");
  EXPECT_EQ(Table(), expected);
  EXPECT_TRUE(m_dlg.m_list.GetItemEmphasis(0, 0));  // unsaved, as any changed cell
  EXPECT_EQ(m_dlg.FileKeyOf(0), "01 - Ann - One");  // the file keeps its name until a save
  EXPECT_EQ(StatusText(), "File names from tags: 1 row changed; 3 rows are refused and keep their names "
                          "(the preview says why).");
  // Planned again, a pending name is planned from the file's own: the same name drops it.
  test::ChooseInMenu(7);  // "File names from tags…" of the row's menu, on row 0 alone
  RunDialog([this] { RightClick(0, 2); },
            [](CWnd& dialog) { dialog.GetDlgItem(IDC_PATTERN)->SetWindowText("%track:2% - %artist% - %title%"); });
  EXPECT_EQ(Cell(0, 0), "01 - Ann - One");
  EXPECT_FALSE(m_dlg.m_list.GetItemEmphasis(0, 0));
  Undo();
  EXPECT_EQ(Table(), expected);
  Undo();
  EXPECT_EQ(Table(), before);
}

TEST_F(ManyRowsTest, BadInputIsRefusedNamingTheProblemAndChangesNothing) {
  for (int row = 0; row < 4; ++row) m_dlg.m_pTable->UpdateRow(row, 3, " . ");  // albums that make no name
  const auto before = Table();
  const auto names = [this] { Command(ID_NAMES_FROM_TAGS); };
  const auto tags = [this] { Command(ID_TAGS_FROM_NAMES); };
  const auto format = [this] { Command(ID_FORMAT_FIELDS); };
  const auto set = [](int id, const char* text) {
    return [id, text](CWnd& dialog) { dialog.GetDlgItem(id)->SetWindowText(text); };
  };
  RunDialog(tags, set(IDC_PATTERN, ""), "The pattern is empty.");
  RunDialog(tags, set(IDC_PATTERN, "just text"), "The pattern has no placeholder");
  RunDialog(format, set(IDC_FIND, ""), "Choose a case, or a text to replace");
  RunDialog(names, set(IDC_PATTERN, " "), "The pattern is empty.");
  RunDialog(names, set(IDC_PATTERN, "name.mp3"), "The pattern has no placeholder");
  RunDialog(names, set(IDC_PATTERN, "%album%"), "The pattern gives every file an empty name.");
  RunDialog(format, [](CWnd& dialog) {
    dialog.GetDlgItem(IDC_FIND)->SetWindowText("(open");
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REGEX)->GetWidget())->click();
  }, "The regular expression \"(open\" is not valid");
  EXPECT_EQ(Table(), before);
  // An expression that would take minutes on a row's text is refused with the reason, at once.
  m_dlg.m_pTable->UpdateRow(2, 4, (std::string(30000, 'a') + "b").c_str());
  const auto longTitle = Table();
  RunDialog(format, [](CWnd& dialog) {
    dialog.GetDlgItem(IDC_FIND)->SetWindowText("(a+)+$");
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REGEX)->GetWidget())->click();
  }, "The regular expression \"(a+)+$\" is refused: it tries too many ways to match a text of 30001 characters "
     "(the title of \"Odd name\")");
  EXPECT_EQ(Table(), longTitle);
  EXPECT_EQ(StatusText(), "Format fields: nothing was changed.");
}

}  // namespace

// Rows past the preview are worked out when the edit is applied: an
// expression beyond its limits there refuses the edit, naming the row.
TEST_F(ManyRowsTest, FormatFieldsWorksOutEveryRowBeforeApplyingAndRefusesOneBeyondTheLimits) {
  std::vector<test::ListedFile> more;
  for (int k = 0; k < CPreviewDlg::kPreviewRows; ++k)
    more.push_back({.key = std::string("r").append(std::to_string(k)), .title = "t"});
  List(more);  // above the four rows
  const int odd = CPreviewDlg::kPreviewRows + 2;
  ASSERT_EQ(Cell(odd, 0), "Odd name");
  m_dlg.m_pTable->UpdateRow(odd, 4, (std::string(30000, 'a') + "b").c_str());
  const auto before = Table();
  const auto format = [this] { Command(ID_FORMAT_FIELDS); };
  const auto regex = [](const char* find, const char* with) {
    return [find, with](CWnd& dialog) {
      dialog.GetDlgItem(IDC_FIND)->SetWindowText(find);
      dialog.GetDlgItem(IDC_REPLACE_WITH)->SetWindowText(with);
      qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REGEX)->GetWidget())->click();
    };
  };
  RunDialog(format, regex("(a+)+$", "x"), "The regular expression \"(a+)+$\" is refused: it tries too many ways to "
                                          "match a text of 30001 characters (the title of \"Odd name\")");
  EXPECT_EQ(Table(), before);
  RunDialog(format, regex("^t$", "T"));
  EXPECT_EQ(StatusText(), CString::Formatted("Format fields: %d rows changed.", CPreviewDlg::kPreviewRows).Str());
  EXPECT_EQ(Cell(0, 4), "T");
  EXPECT_EQ(Cell(CPreviewDlg::kPreviewRows - 1, 4), "T");
}

// A dialog's long text is broken into lines that fit its label, across and
// down, so it can be read whole at the dialog's size.
TEST_F(ManyRowsTest, LongTextsOfTheDialogsWrapWithinTheirLabels) {
  m_dlg.m_pTable->UpdateRow(2, 4, (std::string(30000, 'a') + "b").c_str());
  test::DriveModal(test::ModalKind::Dialog, [&](QWidget* w) {
    CWnd& dialog = *CWnd::FromWidget(w);
    dialog.GetDlgItem(IDC_FIND)->SetWindowText("(a+)+$");
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REGEX)->GetWidget())->click();
    auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_PREVIEW_MESSAGE)->GetWidget());
    ASSERT_NE(label, nullptr);
    EXPECT_NE(Message(dialog).find("a text of 30001 characters (the title of \"Odd name\")"), std::string::npos);
    const QFontMetrics metrics(label->font());
    const QStringList lines = label->text().split('\n');
    EXPECT_GT(lines.size(), 1);
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
    EXPECT_LE(lines.size() * metrics.height(), label->height());
    QTest::keyClick(w, Qt::Key_Escape);
  });
  Command(ID_FORMAT_FIELDS);
}

// All fields' value box: "; " parts are several values, except in the keys
// of one long text, whose "; " is part of it.
TEST(AllFieldsValues, SeveralValuesExceptInTheKeysOfOneLongText) {
  struct Case {
    const char* key;
    const char* text;
    std::vector<CString> values;
  } cases[] = {
      {"TPE1", "A; B", {"A", "B"}},
      {"ARTIST", "A;B", {"A;B"}},
      {"TXXX:MusicBrainz Artist Id", "id-one; id-two", {"id-one", "id-two"}},
      {"USLT::deu", "one; two\nthree", {"one; two\nthree"}},
      {"lyrics", "a; b", {"a; b"}},
      {"COMM:Notes:eng", "x; y", {"x; y"}},
      {"\xC2\xA9lyr", "a; b", {"a; b"}},
      {"TALB", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(CAllFieldsDlg::ValuesOf(c.key, c.text), c.values) << c.key;
}

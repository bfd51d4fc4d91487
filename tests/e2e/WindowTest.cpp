// The window as a user meets it: resized and maximised, and read by assistive
// technology, over a loaded folder.
#include "MainWindowDriver.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMenuBar>
#include <QLabel>
#include <QTreeWidget>

#include <cstdlib>

#include <vector>

namespace {

class WindowTest : public test::MainWindowDriver {
 protected:
  void LoadTwoFiles() {
    m_dir.CopyFixture("cbr_v23_latin1.mp3", "a.mp3");
    m_dir.CopyFixture("cbr_v23_utf16.mp3", "b.mp3");
    OpenFolder(m_dir.Path());
    ASSERT_EQ(Rows(), 2);
  }
  // What a screen reader says for the widget.
  static std::string Spoken(QWidget* widget) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    return a ? a->text(QAccessible::Name).toStdString() : "(not accessible)";
  }
  QRect Geometry(int id) { return Item(id)->geometry(); }

  test::TempDir m_dir;
};

TEST_F(WindowTest, TotalsAndStatusReadAsTheyShowAfterALoadAndADelete) {
  const auto readAsShown = [&](const char* when) {
    for (int id : {IDC_TOTAL_FILES, IDC_TOTAL_SIZE, IDC_TOTAL_TIME}) EXPECT_EQ(Spoken(Item(id)), Total(id)) << when;
    int statusTexts = 0;
    for (QLabel* label : Item(IDC_STATUS_BAR)->findChildren<QLabel*>()) {
      if (label->text().toStdString() != Status()) continue;
      ++statusTexts;
      EXPECT_EQ(Spoken(label), Status()) << when;
    }
    EXPECT_EQ(statusTexts, 1) << when;
  };
  LoadTwoFiles();
  EXPECT_EQ(Total(IDC_TOTAL_FILES), "2");
  readAsShown("loaded");
  for (const char* left : {"1", "--"}) {
    SelectRow(0);
    Click(IDC_DELETE_ROW);
    EXPECT_EQ(Total(IDC_TOTAL_FILES), left);
    readAsShown(left);
  }
}

TEST_F(WindowTest, TheFileNameColumnOpensWideEnoughForTheFolderNames) {
  const CString name("Side B - recorded live at the long concert in Berlin");
  m_dir.CopyFixture("cbr_v23_latin1.mp3", (name + ".mp3").GetString());
  OpenFolder(m_dir.Path());
  EXPECT_GT(m_dlg.m_list.GetColumnWidth(0), m_dlg.m_list.GetStringWidth(name));
}

TEST_F(WindowTest, TheListTakesTheGrowthAndTheOtherControlsKeepTheirEdges) {
  LoadTwoFiles();
  QWidget* window = m_dlg.GetWidget();
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  CRect templateSize(0, 0, m_dlg.GetTemplate().cx, m_dlg.GetTemplate().cy);
  m_dlg.MapDialogRect(&templateSize);
  const QSize start = window->size();
  // The template's size, and the menu bar's height above it.
  auto* bar = window->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(start, QSize(templateSize.Width(), templateSize.Height() + bar->height()));
  EXPECT_EQ(window->minimumSize(), start);

  // How each control moves (x, y) and grows (width, height) with the window.
  struct Anchor {
    int id;
    bool moveX, moveY, growX, growY;
  };
  const std::vector<Anchor> anchors = {
      {IDC_FILE_LIST, false, false, true, true},   {IDC_UPDATE_ROW, false, true, false, false},
      {IDC_EDIT_ARTIST, false, true, false, false}, {IDC_RULES_GROUP, false, true, false, false},
      {IDOK, false, true, false, false},           {IDC_STATUS_BAR, false, true, true, false},
      {IDC_SAVE_ALL, true, false, false, false},   {IDC_DELETE_ROW, true, false, false, false},
      {IDC_OPEN_FOLDER, false, false, false, false}, {IDC_TOTAL_TIME, false, false, false, false},
  };
  std::vector<QRect> before;
  for (const Anchor& a : anchors) before.push_back(Geometry(a.id));
  const int gap = Geometry(IDC_TAGS_GROUP).top() - Geometry(IDC_FILE_LIST).bottom();

  window->resize(1600, 1000);
  test::ProcessEvents();
  ASSERT_EQ(window->size(), QSize(1600, 1000));
  const int dx = 1600 - start.width(), dy = 1000 - start.height();
  for (size_t k = 0; k < anchors.size(); ++k) {
    const Anchor& a = anchors[k];
    const QRect was = before[k];
    EXPECT_EQ(Geometry(a.id), QRect(was.x() + (a.moveX ? dx : 0), was.y() + (a.moveY ? dy : 0),
                                    was.width() + (a.growX ? dx : 0), was.height() + (a.growY ? dy : 0)))
        << a.id;
  }
  // The list meets the bottom controls as before, and the status bar the window's foot.
  EXPECT_EQ(Geometry(IDC_TAGS_GROUP).top() - Geometry(IDC_FILE_LIST).bottom(), gap);
  EXPECT_EQ(Geometry(IDC_STATUS_BAR).bottom(), 999);
  EXPECT_EQ(Geometry(IDC_STATUS_BAR).width(), 1600);
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 1600, bar->height()));

  // The columns keep the template's widths, and the user can drag them.
  QHeaderView* header = View()->header();
  EXPECT_EQ(header->sectionSize(0), 120);
  EXPECT_EQ(header->sectionSize(2), 100);
  EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Interactive);

  window->resize(start);
  test::ProcessEvents();
  for (size_t k = 0; k < anchors.size(); ++k) EXPECT_EQ(Geometry(anchors[k].id), before[k]) << anchors[k].id;

  // Hiding the panel in a grown window stretches the list to the panel's foot
  // and back. (A little growth is enough; the list repaints at every step.)
  window->resize(start + QSize(120, 90));
  test::ProcessEvents();
  Click(IDC_TOGGLE_PANEL);
  EXPECT_EQ(Geometry(IDC_FILE_LIST).bottom(), Geometry(IDC_TAGS_GROUP).bottom());
  Click(IDC_TOGGLE_PANEL);
  EXPECT_EQ(Geometry(IDC_FILE_LIST), QRect(before[0].topLeft(), before[0].size() + QSize(120, 90)));
  window->resize(start);
  test::ProcessEvents();
  EXPECT_EQ(Geometry(IDC_FILE_LIST), before[0]);
  // Never smaller than the template.
  window->resize(300, 200);
  test::ProcessEvents();
  EXPECT_EQ(window->size(), start);
}

}  // namespace

// The folder browser opens at the folder loaded, else the one loaded last
// time (remembered between runs), else ~/Music, else the home folder.
TEST(BrowserStartTest, TheBrowserOpensAtTheLastFolderElseMusicElseHome) {
  test::TempDir home, config, loaded;
  const test::ScopedEnv homeEnv("HOME", home.Path()), configEnv("XDG_CONFIG_HOME", config.Path());
  loaded.CopyFixture("cbr_v23_latin1.mp3");
  const CString music = home.File("Music");
  for (const CString& start : {home.Path(), music, loaded.Path()}) {
    if (start == music) QDir().mkpath(QString::fromUtf8(music.GetString()));
    if (start == loaded.Path()) {
      test::TestDlg first;
      first.SetStartFolder(loaded.Path());
      ASSERT_TRUE(first.Create());
    }
    test::TestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    QString shown;
    test::DriveModal(test::ModalKind::FolderBrowser, [&shown](QWidget* w) {
      shown = w->findChild<QTreeWidget*>()->currentItem()->data(0, Qt::UserRole).toString();
      qobject_cast<QDialog*>(w)->reject();
    });
    static_cast<CWnd&>(dlg).OnCommand(IDC_OPEN_FOLDER, BN_CLICKED);
    EXPECT_EQ(shown.toStdString(), start.Str());
  }
}

#include <dialogs/FolderDialog.h>

#include "support/ModalAnswers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace {

// Opens the protected parts to the tests and records the selections seen.
class ProbeDialog : public CFolderDialog {
 public:
  using CFolderDialog::CFolderDialog;
  using CFolderDialog::ShortName;
  QStringList selections;
  std::function<void(ProbeDialog&)> onSelChanged;
  void EnableOkNow(int enable) { EnableOK(enable); }
  void StatusNow(const char* text) { SetStatusText(text); }

 protected:
  void OnSelChanged(ITEMIDLIST* item) override {
    CFolderDialog::OnSelChanged(item);
    selections << QString::fromUtf8(GetPathName().GetString());
    if (onSelChanged) onSelChanged(*this);
  }
};

// What the open browser shows, and a hand on its controls.
struct Browser {
  QDialog* dialog = nullptr;
  QString title, status;
  QString selected;
  QTreeWidget* tree = nullptr;
  QPushButton* ok = nullptr;

  explicit Browser(QWidget* w) : dialog(qobject_cast<QDialog*>(w)) {
    const auto labels = dialog->findChildren<QLabel*>();
    title = labels.value(0)->text();
    for (QLabel* l : labels)
      if (l->objectName() == "Status") status = l->text();
    tree = dialog->findChild<QTreeWidget*>();
    ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    if (tree->currentItem()) selected = tree->currentItem()->data(0, Qt::UserRole).toString();
  }
  // Selects the child folder name of the current one, as a click would.
  void Open(const QString& name) {
    QTreeWidgetItem* item = tree->currentItem();
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i)
      if (item->child(i)->text(0) == name) tree->setCurrentItem(item->child(i));
  }
};

void WhenBrowser(std::function<void(Browser&)> act) {
  test::DriveModal(test::ModalKind::FolderBrowser, [act](QWidget* w) {
    Browser browser(w);
    act(browser);
  });
}

}  // namespace

TEST(FolderDialogTest, StartsAtTheFolderAndReturnsTheChosenOne) {
  test::TempDir dir;
  QDir(QString::fromUtf8(dir.Path().GetString())).mkpath("music/albums");
  const CString start = dir.File("music");
  ProbeDialog folders(start, 0, nullptr);
  QString title, status, selected, statusAfter;
  WhenBrowser([&](Browser& b) {
    title = b.title;
    status = b.status;
    selected = b.selected;
    b.Open("albums");
    statusAfter = Browser(b.dialog).status;
    b.ok->click();
  });
  ASSERT_TRUE(folders.Show());
  EXPECT_EQ(title, "Current Selection");
  EXPECT_EQ(selected, QString::fromUtf8(start.GetString()));
  EXPECT_EQ(status, QString::fromUtf8(folders.ShortName(start).GetString()));
  EXPECT_EQ(folders.GetPathName(), start + "/albums");
  EXPECT_EQ(statusAfter, QString::fromUtf8(folders.ShortName(start + "/albums").GetString()));
  EXPECT_EQ(folders.selections.last(), QString::fromUtf8((start + "/albums").GetString()));
}

TEST(FolderDialogTest, CancelGivesTheStartOrTheLastSelection) {
  test::TempDir dir;
  QDir(QString::fromUtf8(dir.Path().GetString())).mkpath("a/b");
  ProbeDialog folders(dir.File("a"), 0, nullptr);
  WhenBrowser([](Browser& b) { b.dialog->reject(); });
  EXPECT_FALSE(folders.Show());
  EXPECT_EQ(folders.GetPathName(), dir.File("a"));

  WhenBrowser([](Browser& b) {
    b.Open("b");
    b.dialog->reject();
  });
  EXPECT_FALSE(folders.Show());
  EXPECT_EQ(folders.GetPathName(), dir.File("a/b"));
}

TEST(FolderDialogTest, WithoutStartNothingIsSelectedAndTheRootCanBeChosen) {
  ProbeDialog folders(nullptr, 0, nullptr);
  QString status = "unset", selected = "unset";
  bool okEnabled = true;
  WhenBrowser([&](Browser& b) {
    status = b.status;
    selected = b.selected;
    okEnabled = b.ok->isEnabled();
    b.tree->setCurrentItem(b.tree->topLevelItem(0));
    b.ok->click();
  });
  ASSERT_TRUE(folders.Show());
  EXPECT_EQ(status, "");
  EXPECT_EQ(selected, "");
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(folders.GetPathName(), "/");
}

TEST(FolderDialogTest, RequestsReachTheOpenBrowser) {
  test::TempDir dir;
  QDir(QString::fromUtf8(dir.Path().GetString())).mkpath("locked");
  ProbeDialog folders(dir.Path(), 0, nullptr);
  folders.onSelChanged = [](ProbeDialog& d) {
    const bool locked = d.GetPathName().Right(6) == "locked";
    d.EnableOkNow(locked ? 0 : 1);
    if (locked) d.StatusNow("Not this one");
  };
  bool okOnLocked = true;
  QString status;
  WhenBrowser([&](Browser& b) {
    b.Open("locked");
    Browser now(b.dialog);
    okOnLocked = now.ok->isEnabled();
    status = now.status;
    b.dialog->reject();
  });
  EXPECT_FALSE(folders.Show());
  EXPECT_FALSE(okOnLocked);
  EXPECT_EQ(status, "Not this one");
}

TEST(FolderDialogTest, ShortNameCutsAfter35Characters) {
  ProbeDialog folders(nullptr, 0, nullptr);
  const CString exact = "/home/user/music/albums/the-best-of";  // 35
  ASSERT_EQ(exact.GetLength(), 35);
  EXPECT_EQ(folders.ShortName(exact), exact);
  EXPECT_EQ(folders.ShortName(exact + "x"), exact + "...");
  EXPECT_EQ(folders.ShortName(""), "");
  // Characters, not bytes: 35 accented letters stay whole.
  CString accented;
  for (int i = 0; i < 36; ++i) accented += "é";
  const CString cut = folders.ShortName(accented);
  EXPECT_EQ(cut, accented.Left(70) + "...");
}

// The option's check box: shown only when asked for, between the tree and
// the buttons (below the path box), named by its caption; its state counts
// only when OK is pressed.
TEST(FolderDialogTest, TheOptionsCheckBoxIsKeptOnlyWhenAFolderIsChosen) {
  test::TempDir dir;
  struct Case {
    bool bStart, bClick, bOk, bExpected;
  };
  for (const Case c : {Case{false, true, true, true}, Case{true, true, true, false}, Case{true, false, true, true},
                       Case{false, true, false, false}, Case{true, true, false, true}}) {
    ProbeDialog folders(dir.Path(), 0, nullptr);
    folders.AddCheckBox("Include subfolders", c.bStart);
    QStringList seen;
    WhenBrowser([&](Browser& b) {
      auto* box = b.dialog->findChild<QCheckBox*>();
      ASSERT_NE(box, nullptr);
      seen << box->text() << box->accessibleName() << (box->isChecked() ? "ticked" : "clear");
      const auto* layout = qobject_cast<QBoxLayout*>(b.dialog->layout());
      seen << QString::number(layout->indexOf(box) - layout->indexOf(b.tree));  // below the path box
      if (c.bClick) box->click();
      c.bOk ? b.ok->click() : b.dialog->reject();
    });
    EXPECT_EQ(folders.Show(), c.bOk);
    EXPECT_EQ(folders.IsChecked(), c.bExpected) << c.bStart << c.bClick << c.bOk;
    EXPECT_EQ(seen, QStringList({"Include subfolders", "Include subfolders", c.bStart ? "ticked" : "clear", "2"}));
  }
  ProbeDialog plain(dir.Path(), 0, nullptr);
  WhenBrowser([](Browser& b) {
    EXPECT_EQ(b.dialog->findChild<QCheckBox*>(), nullptr);
    b.dialog->reject();
  });
  EXPECT_FALSE(plain.Show());
  EXPECT_FALSE(plain.IsChecked());
}

// The path box shows the selection, opened in the tree, and takes a path typed
// or pasted into it: a folder (also "~" and a path relative to the selection)
// is chosen with Enter; anything else is named and the browser stays.
TEST(FolderDialogTest, APathTypedIntoTheBoxIsChosenWhenItIsAFolder) {
  test::TempDir dir;
  QDir(QString::fromUtf8(dir.Path().GetString())).mkpath("music/albums/live");
  const CString start = dir.File("music"), none = dir.File("music/none");
  const std::pair<QString, CString> cases[] = {  // typed (null: as shown), chosen (empty: none)
      {{}, start},
      {QString::fromUtf8(dir.File("music/albums/").GetString()), dir.File("music/albums")},
      {"albums/live", dir.File("music/albums/live")},
      {"~", CString(QDir::homePath().toStdString())},
      {QString::fromUtf8(none.GetString()), CString()}};
  for (const auto& [typed, chosen] : cases) {
    ProbeDialog folders(start, 0, nullptr);
    QString shown, status;
    WhenBrowser([&](Browser& b) {
      auto* box = b.dialog->findChild<QLineEdit*>();
      EXPECT_EQ(box->accessibleName(), "Folder");
      EXPECT_TRUE(b.tree->currentItem()->isExpanded());
      shown = box->text();
      if (!typed.isNull()) box->setText(typed);
      QTest::keyClick(box, Qt::Key_Return);
      status = Browser(b.dialog).status;
      if (b.dialog->isVisible()) b.dialog->reject();
    });
    EXPECT_EQ(folders.Show(), !chosen.IsEmpty()) << typed.toStdString();
    EXPECT_EQ(shown.toStdString(), start.Str());
    EXPECT_EQ(chosen.IsEmpty() ? status.toStdString() : folders.GetPathName().Str(),
              chosen.IsEmpty() ? "No such folder: " + none.Str() : chosen.Str());
  }
}

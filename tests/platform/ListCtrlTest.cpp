#include <platform/Collator.h>
#include <platform/ListCtrl.h>

#include <base/RowStore.h>

#include "../../platform/src/Handles.h"

#include <support/TestSupport.h>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The dialog stands in for the owner: it records every notification.
struct Owner : CWnd {
  std::vector<int> codes;
  std::vector<UINT_PTR> ids;
  int item = -9, subItem = -9, column = -9;
  std::vector<std::pair<int, UINT>> changes;  // LVN_ITEMCHANGED: iItem, uNewState
  std::vector<WORD> keys;                     // LVN_KEYDOWN
  std::function<void(int)> onHeaderClick;
  BOOL OnNotify(NMHDR* header, LRESULT* result) override {
    codes.push_back(header->code);
    ids.push_back(header->idFrom);
    if (header->code == HDN_ITEMCLICKA) {
      column = reinterpret_cast<NMHEADER*>(header)->iItem;
      if (onHeaderClick) onHeaderClick(column);
    } else if (header->code == LVN_KEYDOWN) {
      keys.push_back(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey);
    } else {
      if (header->code == LVN_ITEMCHANGED)
        changes.emplace_back(reinterpret_cast<NMLISTVIEW*>(header)->iItem, reinterpret_cast<NMLISTVIEW*>(header)->uNewState);
      item = reinterpret_cast<NMLISTVIEW*>(header)->iItem;
      subItem = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    }
    *result = 0;
    return TRUE;
  }
};

class ListCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_top = std::make_unique<QWidget>();
    m_top->resize(500, 300);
    m_owner.Attach(m_top.get());
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, CRect(0, 0, 480, 280), &m_owner, 1002));
    m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, "Size", LVCFMT_RIGHT, 60);
    m_list.InsertColumn(2, "Genre", LVCFMT_CENTER, 80);
    m_top->show();
  }
  void TearDown() override {
    m_list.DestroyWindow();
    m_owner.Detach();
  }
  void AddRows(std::initializer_list<const char*> names) {
    for (const char* name : names) m_list.InsertItem(m_list.GetItemCount(), name);
  }
  QTreeView* View() { return static_cast<QTreeView*>(m_list.GetWidget()); }
  QVariant Drawn(int row, int col, int role) { return View()->model()->index(row, col).data(role); }
  // The selected items as GetNextItem walks them; GetSelectedCount and
  // GetItemState must agree.
  std::vector<int> Selected() {
    std::vector<int> rows;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED))
      rows.push_back(row);
    EXPECT_EQ(m_list.GetSelectedCount(), static_cast<int>(rows.size()));
    for (int row = 0; row < m_list.GetItemCount(); ++row)
      EXPECT_EQ(m_list.GetItemState(row, LVIS_SELECTED) != 0, std::count(rows.begin(), rows.end(), row) == 1);
    return rows;
  }
  std::vector<CString> Texts(const std::vector<int>& rows) {
    std::vector<CString> texts;
    for (int row : rows) texts.push_back(m_list.GetItemText(row, 0));
    return texts;
  }
  QPoint CellCentre(int row, int col) {
    CRect r;
    EXPECT_TRUE(m_list.GetSubItemRect(row, col, LVIR_BOUNDS, r));
    return View()->viewport()->mapFrom(View(), QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  }

  std::unique_ptr<QWidget> m_top;
  Owner m_owner;
  CListCtrl m_list;
};

TEST_F(ListCtrlTest, ColumnsKeepTitleAlignmentAndWidthAcrossInsertAndDelete) {
  ASSERT_NE(m_list.GetHeaderCtrl(), nullptr);
  EXPECT_EQ(m_list.GetHeaderCtrl()->GetItemCount(), 3);
  AddRows({"a"});
  m_list.SetItemText(0, 1, "12");
  m_list.SetItemText(0, 2, "Rock");

  m_list.DeleteColumn(0);
  LVCOLUMN column;
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  ASSERT_TRUE(m_list.GetColumn(0, &column));
  EXPECT_EQ(column.pszText, "Size");
  EXPECT_EQ(column.fmt, LVCFMT_RIGHT);
  EXPECT_EQ(column.cx, 60);
  EXPECT_EQ(m_list.GetItemText(0, 0), "12");
  EXPECT_EQ(m_list.GetItemText(0, 1), "Rock");
  EXPECT_EQ(m_list.GetHeaderCtrl()->GetItemCount(), 2);

  // A column added again starts empty, not with the texts of a deleted one.
  m_list.InsertColumn(2, "Year", LVCFMT_LEFT, 50);
  EXPECT_EQ(m_list.GetItemText(0, 2), "");
  EXPECT_EQ(View()->model()->headerData(2, Qt::Horizontal), "Year");

  // Deleting every item keeps the columns as they were.
  m_list.DeleteAllItems();
  EXPECT_EQ(m_list.GetItemCount(), 0);
  EXPECT_EQ(m_list.GetHeaderCtrl()->GetItemCount(), 3);
  EXPECT_EQ(m_list.GetColumnWidth(0), 60);
  EXPECT_EQ(m_list.GetColumnWidth(2), 50);
}

TEST_F(ListCtrlTest, ItemsInsertAtIndexAndHoldTextImageAndData) {
  AddRows({"first", "second"});
  EXPECT_EQ(m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, 0, "top", 0, 0, 2, 77), 0);
  EXPECT_EQ(m_list.InsertItem(99, "end"), 3);
  EXPECT_EQ(m_list.GetItemText(0, 0), "top");
  EXPECT_EQ(m_list.GetItemText(1, 0), "first");
  // Cells of any length and content read back whole, the others staying.
  const CString longText(std::string(300, 'x') + std::string("\0y", 2));
  m_list.SetItemText(2, 2, "two");
  m_list.SetItemText(2, 1, longText);
  m_list.SetItemText(2, 0, m_list.GetItemText(2, 2));
  EXPECT_EQ(m_list.GetItemText(2, 1), longText);
  EXPECT_EQ(m_list.GetItemText(2, 0) + m_list.GetItemText(2, 2), "twotwo");
  EXPECT_EQ(m_list.GetItemData(0), 77);
  LVITEM item;
  item.mask = LVIF_IMAGE | LVIF_PARAM;
  item.iItem = 0;
  ASSERT_TRUE(m_list.GetItem(&item));
  EXPECT_EQ(item.iImage, 2);
  EXPECT_EQ(item.lParam, 77);

  EXPECT_EQ(m_list.GetItemText(7, 0), "");
  EXPECT_EQ(m_list.GetItemText(0, 5), "");
  EXPECT_FALSE(m_list.SetItemText(0, 5, "past the columns"));
  EXPECT_FALSE(m_list.DeleteItem(4));
  EXPECT_TRUE(m_list.DeleteItem(0));
  EXPECT_EQ(m_list.GetItemText(0, 0), "first");
  EXPECT_EQ(m_list.GetItemCount(), 3);
}

// A screen reader selects through the view's accessible table, without a
// click and without moving the keyboard focus.
TEST_F(ListCtrlTest, ASelectionMadeAnyWayIsTheMarkAndTheFocusAndIsReported) {
  AddRows({"a", "b", "c"});
  m_list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(View());
  ASSERT_TRUE(table && table->tableInterface());
  m_list.SetItemText(2, 1, "300");
  QAccessibleInterface* cell = table->tableInterface()->cellAt(2, 1);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), "300");
  ASSERT_TRUE(table->tableInterface()->selectRow(2));
  EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 2);
  EXPECT_EQ(m_list.GetItemState(2, LVIS_FOCUSED), LVIS_FOCUSED);
  EXPECT_EQ(m_list.GetSelectionMark(), 2);
  ASSERT_FALSE(m_owner.codes.empty());
  EXPECT_EQ(m_owner.codes.back(), LVN_ITEMCHANGED);
  EXPECT_EQ(m_owner.item, 2);

  // The focus moving on afterwards leaves the mark with the selected item.
  m_owner.codes.clear();
  m_list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
  EXPECT_EQ(m_list.GetItemState(0, LVIS_FOCUSED), LVIS_FOCUSED);
  EXPECT_EQ(m_list.GetSelectionMark(), 2);
  EXPECT_TRUE(m_owner.codes.empty());
  // Deselecting reports nothing either.
  m_list.SetItemState(-1, 0, LVIS_SELECTED);
  EXPECT_TRUE(m_owner.codes.empty());
}

TEST_F(ListCtrlTest, ClickSelectsAndNotifiesTheOwner) {
  AddRows({"a", "b", "c"});
  m_list.SetItemText(2, 1, "300");
  test::ProcessEvents();

  QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, CellCentre(1, 0));
  EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(m_list.GetSelectionMark(), 1);

  QTest::mouseMove(View()->viewport(), CellCentre(2, 1));
  ASSERT_FALSE(m_owner.codes.empty());
  EXPECT_EQ(m_owner.codes.back(), LVN_HOTTRACK);
  EXPECT_EQ(m_owner.item, 2);
  EXPECT_EQ(m_owner.subItem, 1);

  m_owner.codes.clear();
  QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, CellCentre(0, 2));
  ASSERT_FALSE(m_owner.codes.empty());
  EXPECT_EQ(m_owner.codes.back(), NM_DBLCLK);
  EXPECT_EQ(m_owner.ids.back(), 1002u);
  EXPECT_EQ(m_owner.item, 0);
  EXPECT_EQ(m_owner.subItem, 2);

  // A right click reports the hot cell first, then the row it selects, then the click.
  m_owner.codes.clear();
  QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, CellCentre(2, 0));
  EXPECT_EQ(m_owner.codes, (std::vector<int>{LVN_HOTTRACK, LVN_ITEMCHANGED, NM_RCLICK}));
  EXPECT_EQ(m_owner.item, 2);
  EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 2);
}

TEST_F(ListCtrlTest, HeaderClickReachesTheOwnerAsHeaderZero) {
  QHeaderView* header = View()->header();
  const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  ASSERT_FALSE(m_owner.codes.empty());
  EXPECT_EQ(m_owner.codes.back(), HDN_ITEMCLICKA);
  EXPECT_EQ(m_owner.ids.back(), 0u);
  EXPECT_EQ(m_owner.column, 1);
}

TEST_F(ListCtrlTest, SubItemRectIsInClientCoordinatesBelowTheHeader) {
  AddRows({"a", "b"});
  test::ProcessEvents();
  CRect first, second;
  ASSERT_TRUE(m_list.GetSubItemRect(0, 1, LVIR_BOUNDS, first));
  ASSERT_TRUE(m_list.GetSubItemRect(1, 1, LVIR_BOUNDS, second));
  EXPECT_GE(first.top, View()->header()->height());
  EXPECT_EQ(first.Width(), 60);
  EXPECT_EQ(second.top, first.bottom);
  EXPECT_EQ(second.left, first.left);
  CRect none;
  EXPECT_FALSE(m_list.GetSubItemRect(2, 0, LVIR_BOUNDS, none));
  EXPECT_FALSE(m_list.GetSubItemRect(0, 3, LVIR_BOUNDS, none));
}

int CALLBACK ByData(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : (a > b ? 1 : 0); }

TEST_F(ListCtrlTest, SortItemsIsStableAndKeepsTheSelection) {
  AddRows({"a", "b", "c", "d"});
  const LPARAM keys[] = {2, 1, 2, 0};
  for (int i = 0; i < 4; ++i) m_list.SetItemData(i, keys[i]);
  m_list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(m_list.SortItems(ByData, 0));
  EXPECT_EQ(m_list.GetItemText(0, 0), "d");
  EXPECT_EQ(m_list.GetItemText(1, 0), "b");
  EXPECT_EQ(m_list.GetItemText(2, 0), "a");
  EXPECT_EQ(m_list.GetItemText(3, 0), "c");
  EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 3);
  EXPECT_EQ(m_list.GetSelectionMark(), 3);
}

TEST_F(ListCtrlTest, AnItemsTextColourIsDrawnAndGoesWithItWhenSorted) {
  AddRows({"a", "b", "c"});
  m_list.SetTextColor(RGB(0, 0, 90));
  const LPARAM keys[] = {3, 2, 1};
  for (int i = 0; i < 3; ++i) m_list.SetItemData(i, keys[i]);
  EXPECT_TRUE(m_list.SetItemTextColor(0, RGB(204, 0, 0)));
  EXPECT_FALSE(m_list.SetItemTextColor(3, RGB(204, 0, 0)));
  ASSERT_TRUE(m_list.SortItems(ByData, 0));
  ASSERT_EQ(m_list.GetItemText(2, 0), "a");
  EXPECT_EQ(m_list.GetItemTextColor(2), RGB(204, 0, 0));
  EXPECT_EQ(m_list.GetItemTextColor(0), CLR_DEFAULT);
  EXPECT_EQ(m_list.GetItemTextColor(9), CLR_DEFAULT);
  // Every column of the item is drawn in its colour, the others in the list's.
  EXPECT_EQ(Drawn(2, 1, Qt::ForegroundRole).value<QColor>(), QColor(204, 0, 0));
  EXPECT_EQ(Drawn(0, 1, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 90));
  m_list.SetItemTextColor(2, CLR_DEFAULT);
  EXPECT_EQ(Drawn(2, 0, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 90));
}

TEST_F(ListCtrlTest, ColoursStylesAndImagesReadBack) {
  EXPECT_EQ(m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), 0u);
  EXPECT_EQ(m_list.GetExtendedStyle(), 0x21u);
  m_list.SetBkColor(RGB(1, 2, 3));
  m_list.SetTextColor(RGB(200, 0, 0));
  m_list.SetTextBkColor(RGB(0, 0, 90));
  m_list.SetOutlineColor(RGB(9, 9, 9));
  EXPECT_EQ(m_list.GetBkColor(), RGB(1, 2, 3));
  EXPECT_EQ(m_list.GetTextColor(), RGB(200, 0, 0));
  EXPECT_EQ(m_list.GetTextBkColor(), RGB(0, 0, 90));
  EXPECT_EQ(m_list.GetOutlineColor(), RGB(9, 9, 9));
  EXPECT_EQ(View()->palette().color(QPalette::Base), QColor(1, 2, 3));

  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR8 | ILC_MASK, 1, 4));
  EXPECT_EQ(m_list.SetImageList(&images, LVSIL_SMALL), nullptr);
  EXPECT_EQ(m_list.GetImageList(LVSIL_SMALL), &images);
  AddRows({"a"});
  m_list.SetItemText(0, 1, "x");
  EXPECT_EQ(Drawn(0, 1, Qt::ForegroundRole).value<QColor>(), QColor(200, 0, 0));
  EXPECT_EQ(Drawn(0, 1, Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
            Qt::AlignRight);
}

// With LVS_SINGLESEL one item at a time is selected; without it the mouse,
// the keyboard and the program select several, and the owner hears one
// LVN_ITEMCHANGED per change, with -1 for several items. The mark is where
// the selection started and moves with its item.
TEST_F(ListCtrlTest, ItemsAreSelectedByMouseKeyboardAndProgramOneOrSeveral) {
  AddRows({"a", "b", "c", "d"});
  test::ProcessEvents();
  const auto click = [this](int row, Qt::KeyboardModifiers keys) {
    return [this, row, keys] { QTest::mouseClick(View()->viewport(), Qt::LeftButton, keys, CellCentre(row, 0)); };
  };
  const auto key = [this](Qt::Key k, Qt::KeyboardModifiers keys) { return [this, k, keys] { QTest::keyClick(View(), k, keys); }; };
  const auto select = [this](int row, UINT state) { return [this, row, state] { m_list.SetItemState(row, state, LVIS_SELECTED); }; };
  const UINT selFocus = LVIS_SELECTED | LVIS_FOCUSED;
  const struct {
    const char* what;
    std::function<void()> act;
    std::vector<int> selected;
    int mark;
    std::vector<std::pair<int, UINT>> heard;
  } steps[] = {
      {"one: program", select(1, LVIS_SELECTED), {1}, 1, {{1, selFocus}}},
      {"one: another drops it", select(2, LVIS_SELECTED), {2}, 2, {{2, selFocus}}},
      {"one: an item inserted above", [&] { m_list.InsertItem(0, "e"); }, {3}, 3, {}},
      {"one: shift-click", click(1, Qt::ShiftModifier), {1}, 1, {{1, selFocus}}},
      {"one: none, unheard", select(-1, 0), {}, 1, {}},
      {"several from now on", [&] { m_list.ModifyStyle(LVS_SINGLESEL, 0); }, {}, 1, {}},
      {"click", click(1, {}), {1}, 1, {{1, selFocus}}},
      {"shift-click", click(3, Qt::ShiftModifier), {1, 2, 3}, 1, {{-1, LVIS_SELECTED}}},
      {"ctrl-click adds", click(0, Qt::ControlModifier), {0, 1, 2, 3}, 0, {{0, selFocus}}},
      {"ctrl-click removes", click(2, Qt::ControlModifier), {0, 1, 3}, 0, {{2, 0}}},
      {"the mark's item deselected", click(0, Qt::ControlModifier), {1, 3}, 1, {{0, 0}}},
      {"click on a selected item", click(1, {}), {1}, 1, {{3, 0}}},
      {"shift+down twice", [&] { key(Qt::Key_Down, Qt::ShiftModifier)(); key(Qt::Key_Down, Qt::ShiftModifier)(); },
       {1, 2, 3}, 1, {{2, selFocus}, {3, selFocus}}},
      {"ctrl+a", key(Qt::Key_A, Qt::ControlModifier), {0, 1, 2, 3, 4}, 1, {{-1, LVIS_SELECTED}}},
      {"program: none", select(-1, 0), {}, 1, {{-1, 0}}},
      {"program: two", [&] { select(4, LVIS_SELECTED)(); select(2, LVIS_SELECTED)(); }, {2, 4}, 2, {{4, selFocus}, {2, selFocus}}},
      {"program: all", select(-1, LVIS_SELECTED), {0, 1, 2, 3, 4}, 2, {{-1, LVIS_SELECTED}}},
  };
  for (const auto& step : steps) {
    m_owner.changes.clear();
    step.act();
    EXPECT_EQ(Selected(), step.selected) << step.what;
    EXPECT_EQ(m_list.GetSelectionMark(), step.mark) << step.what;
    EXPECT_EQ(m_owner.changes, step.heard) << step.what;
  }
}

// A load inserts thousands of items at the top with redraw off: the view
// hears of them once and lays them out (scroll range, cell rects) then, not
// at each pass of the event loop; the selection, the focus and the mark stay
// with their items, even when the owner asks about the selection on the way.
TEST_F(ListCtrlTest, ChangesMadeWithRedrawOffReachTheViewOnceAndKeepTheSelection) {
  m_list.ModifyStyle(LVS_SINGLESEL, 0);
  AddRows({"a", "b", "c", "d"});
  m_list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  m_list.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
  int resets = 0, inserted = 0, changed = 0, laidOut = 0;
  QAbstractItemModel* model = View()->model();
  QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
  QObject::connect(model, &QAbstractItemModel::dataChanged, [&] { ++changed; });
  QObject::connect(model, &QAbstractItemModel::layoutChanged, [&] { ++laidOut; });
  m_owner.changes.clear();

  m_list.SetRedraw(FALSE);
  for (int i = 0; i < 100; ++i) m_list.InsertItem(0, CString::Formatted("new %d", i));
  EXPECT_EQ(Texts(Selected()), (std::vector<CString>{"b", "d"}));  // asked on the way
  QTest::qWait(1);
  EXPECT_EQ(View()->verticalScrollBar()->maximum(), 0);
  m_list.DeleteItem(100);                                         // a
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetItemData(row, -row);
  m_list.SortItems(ByData, 0);
  m_list.SetItemText(0, 1, "changed");
  EXPECT_EQ(resets + inserted + changed + laidOut, 1);  // the reset the question above ended
  m_list.SetRedraw(TRUE);
  EXPECT_EQ(resets, 2);
  EXPECT_EQ(inserted + changed + laidOut, 0);
  EXPECT_GT(View()->verticalScrollBar()->maximum(), 0);
  CRect first, last;
  ASSERT_TRUE(m_list.GetSubItemRect(0, 0, LVIR_BOUNDS, first));
  ASSERT_TRUE(m_list.GetSubItemRect(102, 0, LVIR_BOUNDS, last));
  EXPECT_EQ(last.top - first.top, 102 * first.Height());
  EXPECT_EQ(Texts(Selected()), (std::vector<CString>{"d", "b"}));
  EXPECT_EQ(m_list.GetItemText(m_list.GetSelectionMark(), 0), "b");
  EXPECT_EQ(m_list.GetItemText(View()->currentIndex().row(), 0), "c");
  EXPECT_TRUE(m_owner.changes.empty());

  // Cells changed with redraw off are repainted together.
  m_list.SetRedraw(FALSE);
  for (int row = 10; row < 60; ++row) m_list.SetItemText(row, 2, "x");
  m_list.SetRedraw(TRUE);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(resets, 2);
}

TEST_F(ListCtrlTest, EmphasisStaysWithItsCellAndIsDrawnBoldOnATintOfTheHighlight) {
  AddRows({"a", "b", "c"});
  EXPECT_TRUE(m_list.SetItemEmphasis(1, 2, TRUE));
  EXPECT_FALSE(m_list.SetItemEmphasis(3, 0, TRUE));
  EXPECT_FALSE(m_list.SetItemEmphasis(0, 64, TRUE));
  using Cells = std::vector<std::pair<int, int>>;
  const auto marked = [this] {
    Cells cells;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
      for (int col = 0; col < 4; ++col)
        if (m_list.GetItemEmphasis(row, col)) cells.emplace_back(row, col);
    return cells;
  };
  m_list.InsertItem(0, "top");
  m_list.DeleteItem(1);  // a
  for (int row = 0; row < 3; ++row) m_list.SetItemData(row, -row);
  m_list.SortItems(ByData, 0);  // c, b, top
  EXPECT_EQ(marked(), (Cells{{1, 2}}));
  m_list.InsertColumn(1, "New", LVCFMT_LEFT, 40);
  EXPECT_EQ(marked(), (Cells{{1, 3}}));
  m_list.DeleteColumn(0);
  EXPECT_EQ(marked(), (Cells{{1, 2}}));
  // On a light and on a dark background the tint lies between the background
  // and the highlight, and the text is bold.
  const QColor highlight = View()->palette().color(QPalette::Highlight);
  for (COLORREF background : {RGB(255, 255, 255), RGB(30, 30, 30)}) {
    m_list.SetBkColor(background);
    const QColor tint = Drawn(1, 2, Qt::BackgroundRole).value<QColor>();
    const QColor base(GetRValue(background), GetGValue(background), GetBValue(background));
    for (auto channel : {&QColor::red, &QColor::green, &QColor::blue})
      EXPECT_TRUE((tint.*channel)() >= std::min((base.*channel)(), (highlight.*channel)()) &&
                  (tint.*channel)() <= std::max((base.*channel)(), (highlight.*channel)()));
    EXPECT_NE(tint, base);
    EXPECT_TRUE(Drawn(1, 2, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(Drawn(1, 1, Qt::BackgroundRole).isValid());
  }
  m_list.SetItemEmphasis(-1, 1, TRUE);
  EXPECT_EQ(marked(), (Cells{{0, 1}, {1, 1}, {1, 2}, {2, 1}}));
  m_list.SetItemEmphasis(-1, -1, FALSE);
  EXPECT_TRUE(marked().empty());
}

TEST_F(ListCtrlTest, EnterF2AndDeleteOnTheFocusedItemReachTheOwner) {
  AddRows({"a", "b"});
  const std::pair<Qt::Key, WORD> keys[] = {
      {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_F2, VK_F2}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_X, 0}};
  for (const auto& [key, heard] : keys) {
    for (int focused : {-1, 1}) {
      View()->selectionModel()->setCurrentIndex(View()->model()->index(focused, 0), QItemSelectionModel::NoUpdate);
      m_owner.keys.clear();
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(View(), &press);
      const bool taken = focused >= 0 && heard != 0;
      EXPECT_EQ(m_owner.keys, taken ? std::vector<WORD>{heard} : std::vector<WORD>{}) << key;
      // A key the list takes does not go on to the dialog's default button.
      EXPECT_TRUE(key != Qt::Key_Return || press.isAccepted() == taken);
    }
  }
}

// The owner sorts on a header click and sets the arrow; the header must not
// turn it round afterwards.
TEST_F(ListCtrlTest, TheSortArrowIsWhatTheOwnerSets) {
  m_owner.onHeaderClick = [this](int col) { m_list.SetSortIndicator(col, FALSE); };
  QHeaderView* header = View()->header();
  for (int click = 0; click < 2; ++click) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
    BOOL ascending = TRUE;
    EXPECT_EQ(m_list.GetSortIndicator(&ascending), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_FALSE(ascending);
  }
  m_list.SetSortIndicator(-1, TRUE);
  EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(ListCtrlTest, ItShowsTheRowsItsOwnerKeepsAsTheyChangeAndLetsGoWhenTheyGo) {
  auto store = std::make_unique<base::RowStore>();
  for (const char* name : {"b", "a", "c"}) {
    base::TableRow row;
    row.cells.Set(0, name);
    row.data = name[0];
    store->Insert(store->Rows(), std::move(row));
  }
  m_list.ShowRows(store.get());
  EXPECT_EQ(Texts({0, 1, 2}), (std::vector<CString>{"b", "a", "c"}));
  // The owner's changes show at once, and the selection stays with its row.
  m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  store->SetText(1, 1, "12");
  EXPECT_EQ(Drawn(1, 1, Qt::DisplayRole).toString(), "12");
  store->Sort([](const base::TableRow& x, const base::TableRow& y) { return x.data < y.data; });
  EXPECT_EQ(Texts(Selected()), (std::vector<CString>{"a"}));
  store->Remove(2);
  base::TableRow row;
  row.cells.Set(0, "d");
  store->Insert(0, std::move(row));
  EXPECT_EQ(Texts({0, 1, 2}), (std::vector<CString>{"d", "a", "b"}));
  EXPECT_EQ(Texts(Selected()), (std::vector<CString>{"a"}));
  // The list's own calls change the owner's rows.
  m_list.SetItemText(0, 2, "Jazz");
  EXPECT_EQ(store->Text(0, 2), "Jazz");
  // Rows that go before the list leave it empty, not pointing at them.
  store.reset();
  EXPECT_EQ(m_list.GetItemCount(), 0);
  AddRows({"own"});
  EXPECT_EQ(m_list.GetItemText(0, 0), "own");
}

TEST(ListCtrlTemplateTest, ATemplateListViewBindsAndNotifiesItsDialog) {
  auto top = std::make_unique<QWidget>();
  Owner owner;
  owner.Attach(top.get());
  QWidget* made = platform::MakeListView(top.get(), WS_CHILD | WS_VISIBLE);
  ASSERT_NE(made, nullptr);
  CWnd::FromWidget(made)->SetDlgCtrlID(1002);
  {
    CListCtrl list;
    ASSERT_TRUE(list.Attach(made));
    list.InsertColumn(0, "File name", LVCFMT_LEFT, 120);
    list.InsertItem(0, "song");
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 1);
    NMLISTVIEW nm;
    list.SendNotify(NM_DBLCLK, &nm.hdr);
    EXPECT_EQ(owner.ids.back(), 1002u);
    list.Detach();
  }
  // The widget and its items stay the dialog's after the wrapper goes.
  EXPECT_EQ(static_cast<QTreeView*>(made)->model()->rowCount(), 1);
  owner.Detach();
}

TEST(CollatorTest, RanksNumbersByValueAndLettersWithoutCase) {
  const std::vector<CString> texts = {"1023", "2", "abc", "ABC", "Zed", "b",
                                      " 0:10:2.0", " 0: 4:5.0", "192 kbit/s (VBR)", "128 kbit/s"};
  const std::vector<int> r = platform::RankNatural(texts);
  EXPECT_LT(r[1], r[0]);   // 2 before 1023
  EXPECT_EQ(r[2], r[3]);   // case does not count
  EXPECT_LT(r[3], r[5]);   // abc before b
  EXPECT_LT(r[5], r[4]);   // b before Zed
  EXPECT_LT(r[7], r[6]);   // 0:4 before 0:10
  EXPECT_LT(r[9], r[8]);   // 128 before 192
  EXPECT_TRUE(platform::RankNatural({}).empty());
}

}  // namespace

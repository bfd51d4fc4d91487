#pragma once
// The widget behind CListCtrl: a tree widget without tree decoration, one
// top-level item per list item. It turns mouse actions into the list view's
// notifications and draws grid lines, colours and images the way the control's
// settings say. Internal to the platform layer.
#include <platform/ImageList.h>
#include <platform/Types.h>

#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace platform {

class ListView;

// One list item: texts per column, an image index drawn from the view's
// current small-image list, and one integer of item data.
class ListItem : public QTreeWidgetItem {
 public:
  ListItem() : QTreeWidgetItem(UserType) {}
  QVariant data(int column, int role) const override;
  // Repaints the item after a change the view cannot see (its colour).
  void Changed() { emitDataChanged(); }

  int m_nImage = -1;
  LPARAM m_lParam = 0;
  COLORREF m_crText = CLR_DEFAULT;
};

class ListView : public QTreeWidget {
 public:
  explicit ListView(QWidget* parent);

  static ListView* Of(QWidget* widget) { return dynamic_cast<ListView*>(widget); }
  ListItem* Item(int row) const { return static_cast<ListItem*>(topLevelItem(row)); }
  int RowOf(const QModelIndex& index) const { return index.isValid() ? index.row() : -1; }

  int Alignment(int column) const;
  void SetAlignment(int column, int format);

  CImageList* m_pSmallImages = nullptr;
  CImageList* m_pNormalImages = nullptr;
  DWORD m_dwExStyle = 0;
  COLORREF m_crBk = 0;
  COLORREF m_crText = 0;
  COLORREF m_crTextBk = 0;
  COLORREF m_crOutline = 0;

  // Applies the colours and extended styles to the widget.
  void ApplyLook();

  // The item where the last selection started; it moves with its item.
  int SelectionMark() const { return m_selectionMark.isValid() ? m_selectionMark.row() : -1; }
  void SetSelectionMark(const QModelIndex& index) { m_selectionMark = index; }

  // Redraw off: the rows are neither painted nor laid out. A load adds
  // thousands of them, and the layout the view would do at every pass of the
  // event loop walks them all; redraw on lays them out once.
  void SetRedraw(bool on);
  void doItemsLayout() override;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Sends LVN_HOTTRACK when the cell under pos differs from the last one sent.
  void TrackHot(const QPoint& pos);
  void NotifyCell(int code, const QPoint& pos);
  void OnHeaderClicked(int column);
  // A newly selected item becomes the selection mark and the current item,
  // and the owner hears of it.
  void OnSelectionChanged(const QItemSelection& selected);

  int m_nHotRow = -2;
  int m_nHotColumn = -2;
  QPersistentModelIndex m_selectionMark;
  bool m_bRedrawOff = false;
  bool m_bLayoutPending = false;  // a layout was asked for while redraw was off
};

// Draws grid lines in the outline colour and leaves the highlight off the
// other columns when full-row selection is off.
class ListDelegate : public QStyledItemDelegate {
 public:
  explicit ListDelegate(ListView* view) : QStyledItemDelegate(view), m_pView(view) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  ListView* m_pView;
};

QColor ColorOf(COLORREF color);
COLORREF ColorRefOf(const QColor& color);

}  // namespace platform

#pragma once
// The widget behind CListCtrl: a tree view without tree decoration over the
// list's model. It turns mouse actions, keys and selection changes into the
// list view's notifications and draws grid lines, colours and images the way
// the control's settings say. Internal to the platform layer.
#include "ListModel.h"

#include <QStyledItemDelegate>
#include <QTreeView>

#include <utility>
#include <vector>

namespace platform {

class ListView : public QTreeView {
 public:
  explicit ListView(QWidget* parent);

  static ListView* Of(QWidget* widget) { return dynamic_cast<ListView*>(widget); }
  ListModel* Model() const { return m_pModel; }
  ListLook& Look() const { return m_pModel->m_look; }

  // Applies the colours and extended styles to the widget.
  void ApplyLook();
  // LVS_SINGLESEL: one row at a time; else click, Shift-click, Ctrl-click,
  // Ctrl+A and Shift+arrows select several.
  void SetSingleSelection(bool single);

  // The selection as runs of rows [first, last], in order. This and the mark
  // settle the model first, so they answer for the rows as they are.
  const std::vector<std::pair<int, int>>& SelectedRuns() const;
  bool IsSelected(int row) const;
  // Selects or deselects rows first to last; the owner hears of it as of a
  // change made by the user.
  void SelectRows(int first, int last, bool select);

  // Removes a row without telling the owner of the selection it took along.
  void RemoveRow(int row);

  // The item where the last selection started; it moves with its item.
  int SelectionMark() const;
  void SetSelectionMark(int row);

  // Redraw off: the rows are neither painted nor laid out, and the model
  // announces its changes once, when redraw is on again.
  void SetRedraw(bool on);
  void doItemsLayout() override;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Sends LVN_HOTTRACK when the cell under pos differs from the last one sent.
  void TrackHot(const QPoint& pos);
  void NotifyCell(int code, const QPoint& pos);
  void OnHeaderClicked(int column);
  // Keeps the selection mark and the current row with the selection, and
  // tells the owner: one LVN_ITEMCHANGED per change, for several rows at once
  // with iItem -1.
  void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  // A reset of the model drops the selection; the rows' marks carry it over.
  void KeepSelection();
  void RestoreSelection();

  ListModel* m_pModel;
  int m_nHotRow = -2;
  int m_nHotColumn = -2;
  QPersistentModelIndex m_selectionMark;
  bool m_bRedrawOff = false;
  bool m_bLayoutPending = false;  // a layout was asked for while redraw was off
  bool m_bExtending = false;      // Shift held: the selection grows from its mark
  bool m_bQuiet = false;          // the selection changes without telling the owner
  mutable bool m_bRunsValid = false;
  mutable std::vector<std::pair<int, int>> m_runs;
};

// Draws grid lines in the outline colour and leaves the highlight off the
// other columns when full-row selection is off.
class ListDelegate : public QStyledItemDelegate {
 public:
  explicit ListDelegate(ListView* view) : QStyledItemDelegate(view), m_pView(view) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  ListView* m_pView;
};

}  // namespace platform

#pragma once
// The model and view behind CListCtrl. The rows are a row store of the
// list's own or its owner's (ShowRows), watched as the store's observer.
// While held (redraw off), the first change of rows starts a reset that ends
// with the hold (or Settle), and cell changes are announced once, together.
// The view is a flat tree view that turns input into the list's notifications.
#include <base/RowStore.h>

#include <platform/ListCtrl.h>

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <vector>

namespace platform {

// What the cells are drawn with.
struct ListLook {
  DWORD dwExStyle = 0;
  COLORREF crBk = 0;
  COLORREF crText = 0;
  COLORREF crTextBk = CLR_NONE;
  COLORREF crOutline = 0;
  CImageList* pSmallImages = nullptr;  // only the small images show in report style
  QColor emphasisBk;  // behind an emphasised cell
  QFont emphasisFont;
};

using ListRow = base::TableRow;

class ListModel : public QAbstractTableModel, private base::RowStore::Observer {
 public:
  explicit ListModel(QObject* parent);
  ~ListModel() override;

  // Null: the model's own rows again.
  void ShowRows(base::RowStore* store);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  base::RowStore& Store() const { return *m_pRows; }
  int Rows() const { return m_pRows->Rows(); }
  bool IsRow(int row) const { return m_pRows->IsRow(row); }
  const ListRow& Row(int row) const { return m_pRows->Row(row); }

  int Columns() const { return static_cast<int>(m_columns.size()); }
  void InsertColumn(int col, const QString& heading, int format);
  void RemoveColumn(int col);
  QString Heading(int col) const { return m_columns[static_cast<std::size_t>(col)].heading; }
  int Format(int col) const { return m_columns[static_cast<std::size_t>(col)].format; }

  void Hold(bool held);
  // Ends a reset begun while held.
  void Settle();
  bool Held() const { return m_bHeld; }
  bool Resetting() const { return m_bResetting; }

  ListLook m_look;

 private:
  // Announces a change of rows, or starts the reset of a hold.
  bool Announce();
  void Dirty(int first, int last);

  struct Column {
    QString heading;
    int format;
  };
  void RowsChanged(int first, int last) override { Dirty(first, last); }
  void AboutToInsert(int row) override {
    if ((m_bAnnounced = Announce())) beginInsertRows({}, row, row);
  }
  void Inserted() override {
    if (m_bAnnounced) endInsertRows();
  }
  void AboutToRemove(int row) override {
    if ((m_bAnnounced = Announce())) beginRemoveRows({}, row, row);
  }
  void Removed() override {
    if (m_bAnnounced) endRemoveRows();
  }
  void AboutToReset() override {
    if ((m_bAnnounced = Announce())) beginResetModel();
  }
  void WasReset() override {
    if (m_bAnnounced) endResetModel();
  }
  void AboutToReorder() override;
  void Reordered(const std::vector<int>& newRowOf) override;
  void Detached() override;

  base::RowStore m_ownRows;
  base::RowStore* m_pRows = &m_ownRows;
  bool m_bAnnounced = false;  // the change under way was announced to the view
  std::vector<Column> m_columns;
  bool m_bHeld = false;
  bool m_bResetting = false;
  int m_nDirtyFirst = -1;  // rows changed while held, announced at the end
  int m_nDirtyLast = -1;
};


class ListView : public QTreeView {
 public:
  explicit ListView(QWidget* parent);

  static ListView* Of(QWidget* widget) { return dynamic_cast<ListView*>(widget); }
  ListModel* Model() const { return m_pModel; }
  ListLook& Look() const { return m_pModel->m_look; }

  void ApplyLook();
  void SetSingleSelection(bool single);

  // The selection; settles the model first.
  const base::RowRuns& SelectedRuns() const;
  QItemSelection SelectionOf(const base::RowRuns& runs) const;
  bool IsSelected(int row) const;
  // The owner hears of it as of the user's change.
  void SelectRows(int first, int last, bool select);

  // Removes a row without telling the owner of the selection it took along.
  void RemoveRow(int row);

  // The item where the last selection started; it moves with its item.
  int SelectionMark() const;
  void SetSelectionMark(int row);

  // Off: no painting or layout; the model holds its changes.
  void SetRedraw(bool on);
  void doItemsLayout() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
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
  // A right click on the header (or its menu key): NM_RCLICK from the header.
  void OnHeaderMenu(const QPoint& pos);
  // Keeps mark and current row with the selection; one LVN_ITEMCHANGED per change.
  void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  // A reset of the model drops the selection; the rows' marks carry it over.
  void KeepSelection();
  void RestoreSelection();

  ListModel* m_pModel;
  int m_nHotRow = -2;
  int m_nHotColumn = -2;
  QPersistentModelIndex m_selectionMark;
  bool m_bRedrawOff = false;
  bool m_bDrawn = false;          // painted at least once
  bool m_bLayoutPending = false;  // a layout was asked for while redraw was off
  bool m_bExtending = false;      // Shift held: the selection grows from its mark
  bool m_bQuiet = false;          // the selection changes without telling the owner
  mutable bool m_bRunsValid = false;
  mutable base::RowRuns m_runs;
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

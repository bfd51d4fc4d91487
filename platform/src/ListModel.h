#pragma once
// The rows and columns behind CListCtrl, offered to the view as a table
// model: the view asks for the cells it shows, so a row costs its data, not
// widgets. The rows are a row store of the list's own, or one its owner
// keeps (ShowRows): then every change of the owner's rows reaches the view
// through the store's observer. While held (redraw off) changes are not announced one by one: the
// first change of rows starts a reset that ends when the hold does (or when
// Settle is called), and cell changes are announced once, together.
// Internal to the platform layer.
#include <base/RowStore.h>

#include <platform/ImageList.h>
#include <platform/ListCtrl.h>

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

#include <functional>
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

  // Shows the rows of store (null: the model's own again); the view starts anew.
  void ShowRows(base::RowStore* store);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  int Rows() const { return m_pRows->Rows(); }
  bool IsRow(int row) const { return m_pRows->IsRow(row); }
  const ListRow& Row(int row) const { return m_pRows->Row(row); }
  // Changes a row and repaints it (unless the change does not show).
  void Change(int row, const std::function<void(ListRow&)>& change, bool shows = true);
  // The same for every row.
  void ChangeAll(const std::function<void(ListRow&)>& change);
  void Insert(int row, ListRow item);
  void Remove(int row);
  void Clear();
  // Orders the rows by less, keeping equal ones in their order; the selection
  // and every other persistent index stay with their rows.
  void Sort(const std::function<bool(const ListRow&, const ListRow&)>& less);

  // Columns: a heading and an alignment (LVCFMT_*) each.
  int Columns() const { return static_cast<int>(m_columns.size()); }
  void InsertColumn(int col, const QString& heading, int format);
  void RemoveColumn(int col);
  QString Heading(int col) const { return m_columns[static_cast<std::size_t>(col)].heading; }
  int Format(int col) const { return m_columns[static_cast<std::size_t>(col)].format; }

  void Hold(bool held);
  // Ends a reset begun while held, so that the view and the selection see
  // the rows as they are now.
  void Settle();
  bool Held() const { return m_bHeld; }
  bool Resetting() const { return m_bResetting; }

  // Rows carrying marks, for the view to keep its selection across a reset.
  void Mark(int row, std::uint8_t marks) { m_pRows->Mark(row, marks); }
  // Calls take for every marked row from the top, and clears the marks.
  void TakeMarks(const std::function<void(int row, std::uint8_t marks)>& take) { m_pRows->TakeMarks(take); }

  ListLook m_look;

 private:
  // Announces a change of rows, or starts the reset of a hold.
  bool Announce();
  void Dirty(int first, int last);

  struct Column {
    QString heading;
    int format;
  };
  // The store's changes, announced to the view (or, while held, folded
  // into one reset).
  void RowsChanged(int first, int last) override { Dirty(first, last); }
  void AboutToInsert(int row) override;
  void Inserted() override;
  void AboutToRemove(int row) override;
  void Removed() override;
  void AboutToReset() override;
  void WasReset() override;
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

}  // namespace platform

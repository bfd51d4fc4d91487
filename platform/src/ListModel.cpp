#include "ListModel.h"

#include "Handles.h"
#include "ImageListImpl.h"
#include "ListView.h"

#include <algorithm>
#include <numeric>

namespace platform {

namespace {

Qt::Alignment QtAlignment(int format) {
  switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows(); }

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns(); }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  const int col = index.column();
  if (!IsRow(index.row()) || col < 0 || col >= Columns()) return {};
  const ListRow& row = Row(index.row());
  const bool emphasised = col < 64 && (row.emphasis >> col & 1);
  switch (role) {
    case Qt::DisplayRole: {
      const std::string_view text = row.cells.Get(col);
      return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::DecorationRole:
      if (col == 0 && row.nImage >= 0) {
        const QPixmap pixmap = PixmapOf(m_look.pSmallImages, row.nImage);
        if (!pixmap.isNull()) return pixmap;
      }
      return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(QtAlignment(Format(col)));
    case Qt::ForegroundRole: return ColorOf(row.crText != CLR_DEFAULT ? row.crText : m_look.crText);
    case Qt::BackgroundRole:
      if (emphasised) return m_look.emphasisBk;
      if (m_look.crTextBk != CLR_NONE) return ColorOf(m_look.crTextBk);
      return {};
    case Qt::FontRole:
      if (emphasised) return m_look.emphasisFont;
      return {};
    default: return {};
  }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= Columns()) return {};
  if (role == Qt::DisplayRole) return Heading(section);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(QtAlignment(Format(section)));
  return {};
}

bool ListModel::Announce() {
  if (!m_bHeld) return true;
  if (!m_bResetting) {
    beginResetModel();
    m_bResetting = true;
  }
  return false;
}

void ListModel::Dirty(int first, int last) {
  if (m_bResetting) return;
  if (!m_bHeld) {
    emit dataChanged(index(first, 0), index(last, std::max(Columns() - 1, 0)));
    return;
  }
  m_nDirtyFirst = m_nDirtyFirst < 0 ? first : std::min(m_nDirtyFirst, first);
  m_nDirtyLast = std::max(m_nDirtyLast, last);
}

void ListModel::Change(int row, const std::function<void(ListRow&)>& change, bool shows) {
  if (!IsRow(row)) return;
  change(m_rows[static_cast<std::size_t>(row)]);
  if (shows) Dirty(row, row);
}

void ListModel::ChangeAll(const std::function<void(ListRow&)>& change) {
  for (ListRow& row : m_rows) change(row);
  if (!m_rows.empty()) Dirty(0, Rows() - 1);
}

void ListModel::Insert(int row, ListRow item) {
  row = std::clamp(row, 0, Rows());
  const bool announce = Announce();
  if (announce) beginInsertRows({}, row, row);
  m_rows.insert(m_rows.begin() + row, std::move(item));
  if (announce) endInsertRows();
}

void ListModel::Remove(int row) {
  if (!IsRow(row)) return;
  const bool announce = Announce();
  if (announce) beginRemoveRows({}, row, row);
  if (m_rows[static_cast<std::size_t>(row)].marks) --m_nMarked;
  m_rows.erase(m_rows.begin() + row);
  if (announce) endRemoveRows();
}

void ListModel::Clear() {
  const bool announce = Announce();
  if (announce) beginResetModel();
  m_rows = std::deque<ListRow>();
  m_nMarked = 0;
  if (announce) endResetModel();
}

void ListModel::Sort(const std::function<bool(const ListRow&, const ListRow&)>& less) {
  const bool announce = Announce();
  if (announce) emit layoutAboutToBeChanged({}, VerticalSortHint);
  std::vector<int> order(m_rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(Row(a), Row(b)); });
  std::deque<ListRow> sorted;
  std::vector<int> newRowOf(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[i])]));
    newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
  }
  m_rows.swap(sorted);
  if (!announce) return;
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from)
    to.push_back(index.isValid() && IsRow(index.row())
                     ? this->index(newRowOf[static_cast<std::size_t>(index.row())], index.column())
                     : QModelIndex());
  changePersistentIndexList(from, to);
  emit layoutChanged({}, VerticalSortHint);
}

void ListModel::InsertColumn(int col, const QString& heading, int format) {
  Settle();
  col = std::clamp(col, 0, Columns());
  beginInsertColumns({}, col, col);
  m_columns.insert(m_columns.begin() + col, Column{heading, format});
  const std::uint64_t low = col < 64 ? (std::uint64_t{1} << col) - 1 : ~std::uint64_t{0};
  for (ListRow& row : m_rows) {
    row.cells.InsertCell(col);
    row.emphasis = (row.emphasis & low) | ((row.emphasis & ~low) << 1);
  }
  endInsertColumns();
}

void ListModel::RemoveColumn(int col) {
  if (col < 0 || col >= Columns()) return;
  Settle();
  beginRemoveColumns({}, col, col);
  m_columns.erase(m_columns.begin() + col);
  const std::uint64_t low = col < 64 ? (std::uint64_t{1} << col) - 1 : ~std::uint64_t{0};
  for (ListRow& row : m_rows) {
    row.cells.RemoveCell(col);
    row.emphasis = (row.emphasis & low) | ((row.emphasis >> 1) & ~low);
  }
  endRemoveColumns();
}

void ListModel::Hold(bool held) {
  m_bHeld = held;
  if (held) return;
  Settle();
  if (m_nDirtyFirst >= 0 && m_nDirtyFirst < Rows()) Dirty(m_nDirtyFirst, std::min(m_nDirtyLast, Rows() - 1));
  m_nDirtyFirst = m_nDirtyLast = -1;
}

void ListModel::Settle() {
  if (!m_bResetting) return;
  m_bResetting = false;
  m_nDirtyFirst = m_nDirtyLast = -1;
  endResetModel();
}

void ListModel::Mark(int row, std::uint8_t marks) {
  if (!IsRow(row)) return;
  std::uint8_t& slot = m_rows[static_cast<std::size_t>(row)].marks;
  if (!slot && marks) ++m_nMarked;
  slot |= marks;
}

void ListModel::TakeMarks(const std::function<void(int row, std::uint8_t marks)>& take) {
  for (int row = 0; m_nMarked > 0 && row < Rows(); ++row) {
    std::uint8_t& marks = m_rows[static_cast<std::size_t>(row)].marks;
    if (!marks) continue;
    const std::uint8_t taken = std::exchange(marks, 0);
    --m_nMarked;
    take(row, taken);
  }
}

}  // namespace platform

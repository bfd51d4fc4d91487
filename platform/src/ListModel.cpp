#include "ListModel.h"

#include "Handles.h"
#include "ImageListImpl.h"
#include "ListView.h"

#include <algorithm>

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

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) { m_ownRows.SetObserver(this); }

ListModel::~ListModel() {
  m_ownRows.SetObserver(nullptr);
  if (m_pRows != &m_ownRows && m_pRows->GetObserver() == this) m_pRows->SetObserver(nullptr);
}

void ListModel::ShowRows(base::RowStore* store) {
  if (!store) store = &m_ownRows;
  if (store == m_pRows) return;
  Settle();
  beginResetModel();
  if (m_pRows->GetObserver() == this) m_pRows->SetObserver(nullptr);
  m_pRows = store;
  m_pRows->SetObserver(this);
  endResetModel();
}

void ListModel::Detached() {
  // The owner's store goes first: the view shows the model's own rows again.
  beginResetModel();
  m_pRows = &m_ownRows;
  m_bResetting = false;
  endResetModel();
}

void ListModel::Change(int row, const std::function<void(ListRow&)>& change, bool shows) {
  m_pRows->Change(row, change, shows);
}

void ListModel::ChangeAll(const std::function<void(ListRow&)>& change) { m_pRows->ChangeAll(change); }

void ListModel::Insert(int row, ListRow item) { m_pRows->Insert(row, std::move(item)); }

void ListModel::Remove(int row) { m_pRows->Remove(row); }

void ListModel::Clear() { m_pRows->Clear(); }

void ListModel::Sort(const std::function<bool(const ListRow&, const ListRow&)>& less) { m_pRows->Sort(less); }

void ListModel::AboutToInsert(int row) {
  m_bAnnounced = Announce();
  if (m_bAnnounced) beginInsertRows({}, row, row);
}

void ListModel::Inserted() {
  if (m_bAnnounced) endInsertRows();
}

void ListModel::AboutToRemove(int row) {
  m_bAnnounced = Announce();
  if (m_bAnnounced) beginRemoveRows({}, row, row);
}

void ListModel::Removed() {
  if (m_bAnnounced) endRemoveRows();
}

void ListModel::AboutToReset() {
  m_bAnnounced = Announce();
  if (m_bAnnounced) beginResetModel();
}

void ListModel::WasReset() {
  if (m_bAnnounced) endResetModel();
}

void ListModel::AboutToReorder() {
  m_bAnnounced = Announce();
  if (m_bAnnounced) emit layoutAboutToBeChanged({}, VerticalSortHint);
}

void ListModel::Reordered(const std::vector<int>& newRowOf) {
  if (!m_bAnnounced) return;
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from)
    to.push_back(index.isValid() && static_cast<std::size_t>(index.row()) < newRowOf.size()
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
  m_pRows->InsertCell(col);
  endInsertColumns();
}

void ListModel::RemoveColumn(int col) {
  if (col < 0 || col >= Columns()) return;
  Settle();
  beginRemoveColumns({}, col, col);
  m_columns.erase(m_columns.begin() + col);
  m_pRows->RemoveCell(col);
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

}  // namespace platform

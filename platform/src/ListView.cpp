#include "ListView.h"

#include "Handles.h"


#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

COLORREF ColorRefOf(const QColor& color) {
  return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()), static_cast<BYTE>(color.blue()));
}

// What a row carries through a reset of the model.
constexpr std::uint8_t kSelected = 1;
constexpr std::uint8_t kCurrent = 2;
constexpr std::uint8_t kSelectionMark = 4;

base::RowRuns RunsOf(const QItemSelection& selection) {
  base::RowRuns runs;
  for (const QItemSelectionRange& range : selection)
    if (range.isValid()) runs.emplace_back(range.top(), range.bottom());
  return base::JoinRuns(std::move(runs));
}

// ptAction is in the list's client coordinates, as GetSubItemRect's results.
void SetAction(NMLISTVIEW& nm, const QWidget* from, const QWidget* list, const QPoint& pos) {
  const QPoint client = from->mapTo(list, pos);
  nm.ptAction.x = client.x();
  nm.ptAction.y = client.y();
}

}  // namespace

QWidget* MakeListView(QWidget* parent, DWORD style) {
  auto* view = new ListView(parent);
  view->SetSingleSelection((style & LVS_SINGLESEL) != 0);
  return view;
}

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

void ListModel::AboutToReorder() {
  if ((m_bAnnounced = Announce())) emit layoutAboutToBeChanged({}, VerticalSortHint);
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

ListView::ListView(QWidget* parent) : QTreeView(parent), m_pModel(new ListModel(this)) {
  setModel(m_pModel);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  // As the style word without LVS_SINGLESEL says; the style sets it.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMouseTracking(true);
  setItemDelegate(new ListDelegate(this));
  header()->setSectionsClickable(true);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  header()->setSortIndicatorShown(false);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { OnHeaderClicked(column); });
  header()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) { OnHeaderMenu(pos); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            OnSelectionChanged(selected, deselected);
          });
  connect(m_pModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] { KeepSelection(); });
  connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] { RestoreSelection(); });
  // The selection's rows move when rows come, go or are sorted.
  const auto stale = [this] { m_bRunsValid = false; };
  connect(m_pModel, &QAbstractItemModel::rowsInserted, this, stale);
  connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, stale);
  connect(m_pModel, &QAbstractItemModel::layoutChanged, this, stale);

  const QPalette pal = palette();
  Look().crBk = ColorRefOf(pal.color(QPalette::Base));
  Look().crText = ColorRefOf(pal.color(QPalette::Text));
  Look().crOutline = ColorRefOf(pal.color(QPalette::Mid));
  ApplyLook();
}

void ListView::ApplyLook() {
  ListLook& look = Look();
  QPalette pal = palette();
  pal.setColor(QPalette::Base, ColorOf(look.crBk));
  pal.setColor(QPalette::Window, ColorOf(look.crBk));
  pal.setColor(QPalette::Text, ColorOf(look.crText));
  setPalette(pal);
  setAllColumnsShowFocus((look.dwExStyle & LVS_EX_FULLROWSELECT) != 0);
  header()->setSectionsMovable((look.dwExStyle & LVS_EX_HEADERDRAGDROP) != 0);
  // An emphasised cell: a fifth of the highlight over the cell's background,
  // which reads in light and dark palettes alike, and bold text.
  const QColor base = ColorOf(look.crTextBk != CLR_NONE ? look.crTextBk : look.crBk);
  const QColor mark = pal.color(QPalette::Highlight);
  look.emphasisBk = QColor((base.red() * 4 + mark.red()) / 5, (base.green() * 4 + mark.green()) / 5,
                           (base.blue() * 4 + mark.blue()) / 5);
  look.emphasisFont = font();
  look.emphasisFont.setBold(true);
  viewport()->update();
}

void ListView::SetSingleSelection(bool single) {
  setSelectionMode(single ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
}

const base::RowRuns& ListView::SelectedRuns() const {
  m_pModel->Settle();
  if (!m_bRunsValid) m_runs = RunsOf(selectionModel()->selection());
  m_bRunsValid = true;
  return m_runs;
}

bool ListView::IsSelected(int row) const { return base::RunsHold(SelectedRuns(), row); }

void ListView::SelectRows(int first, int last, bool select) {
  const QItemSelection rows(m_pModel->index(first, 0), m_pModel->index(last, 0));
  selectionModel()->select(rows, (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                     QItemSelectionModel::Rows);
}

void ListView::RemoveRow(int row) {
  // With one row selectable the view would select the next one in the
  // removed one's place; no row takes the focus instead, so a second delete
  // cannot hit another row. (Held, the reset keeps the other rows' focus.)
  if (!m_pModel->Held() && currentIndex().row() == row)
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  m_bQuiet = true;
  m_pModel->Store().Remove(row);
  m_bQuiet = false;
}

int ListView::SelectionMark() const {
  m_pModel->Settle();
  return m_selectionMark.isValid() ? m_selectionMark.row() : -1;
}

void ListView::SetSelectionMark(int row) {
  m_selectionMark = m_pModel->IsRow(row) ? m_pModel->index(row, 0) : QModelIndex();
}

void ListView::SetRedraw(bool on) {
  m_bRedrawOff = !on;
  if (on) m_bLayoutPending |= m_pModel->Resetting();
  m_pModel->Hold(!on);
  // A list never drawn (a window shown for a load) is drawn as it was, empty,
  // rather than left blank until the hold ends.
  setUpdatesEnabled(on || !m_bDrawn);
  if (on && m_bLayoutPending) {
    m_bLayoutPending = false;
    doItemsLayout();
  }
}

void ListView::doItemsLayout() {
  if (m_bRedrawOff) {
    m_bLayoutPending = true;
    return;
  }
  QTreeView::doItemsLayout();
}

void ListView::paintEvent(QPaintEvent* event) {
  m_bDrawn = true;
  QTreeView::paintEvent(event);
}

void ListView::TrackHot(const QPoint& pos) {
  const QModelIndex index = indexAt(pos);
  const int row = index.isValid() ? index.row() : -1;
  const int column = index.isValid() ? index.column() : -1;
  if (row == m_nHotRow && column == m_nHotColumn) return;
  m_nHotRow = row;
  m_nHotColumn = column;
  NotifyCell(LVN_HOTTRACK, pos);
}

void ListView::NotifyCell(int code, const QPoint& pos) {
  const QModelIndex index = indexAt(pos);
  NMLISTVIEW nm;
  nm.iItem = index.isValid() ? index.row() : -1;
  nm.iSubItem = index.isValid() ? index.column() : -1;
  SetAction(nm, viewport(), this, pos);
  if (m_pModel->IsRow(nm.iItem)) nm.lParam = m_pModel->Row(nm.iItem).data;
  CWnd::FromWidget(this)->SendNotify(code, &nm.hdr);
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
  // Dragging with a button down extends the selection from where it started.
  m_bExtending = event->buttons() != Qt::NoButton;
  QTreeView::mouseMoveEvent(event);
  m_bExtending = false;
  TrackHot(event->position().toPoint());
}

void ListView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  // A press without a move before it (a click from a robot) still tells the
  // owner which cell it is over.
  TrackHot(pos);
  m_bExtending = (event->modifiers() & Qt::ShiftModifier) != 0;
  QTreeView::mousePressEvent(event);
  m_bExtending = false;
  if (event->button() == Qt::RightButton) NotifyCell(NM_RCLICK, pos);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) NotifyCell(NM_DBLCLK, event->position().toPoint());
}

void ListView::keyPressEvent(QKeyEvent* event) {
  NMLVKEYDOWN nm;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: nm.wVKey = VK_RETURN; break;
    case Qt::Key_F2: nm.wVKey = VK_F2; break;
    case Qt::Key_Delete: nm.wVKey = VK_DELETE; break;
    default: break;
  }
  // These act on the focused row, so the owner hears of them (and Enter does
  // not reach the dialog's default button) only when there is one.
  if (nm.wVKey != 0 && currentIndex().isValid()) {
    CWnd::FromWidget(this)->SendNotify(LVN_KEYDOWN, &nm.hdr);
    event->accept();
    return;
  }
  m_bExtending = (event->modifiers() & Qt::ShiftModifier) != 0;
  QTreeView::keyPressEvent(event);
  m_bExtending = false;
}

void ListView::leaveEvent(QEvent* event) {
  QTreeView::leaveEvent(event);
  m_nHotRow = m_nHotColumn = -2;
}

void ListView::OnHeaderClicked(int column) {
  NMHEADER nm;
  nm.iItem = column;
  CWnd::FromWidget(header())->SendNotify(HDN_ITEMCLICKA, &nm.hdr);
}

void ListView::OnHeaderMenu(const QPoint& pos) {
  NMITEMACTIVATE nm;
  SetAction(nm, header(), this, pos);
  CWnd::FromWidget(header())->SendNotify(NM_RCLICK, &nm.hdr);
}

void ListView::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  m_bRunsValid = false;
  if (m_bQuiet) return;
  const bool single = selectionMode() == QAbstractItemView::SingleSelection;
  const auto added = RunsOf(selected);
  NMLISTVIEW nm;
  if (base::RowsIn(added) == 1) {
    const int row = added.front().first;
    // One row selected by a click, the keyboard, the program or a screen
    // reader: it is where the selection starts, unless Shift extends it.
    const QModelIndex index = m_pModel->index(row, 0);
    if (single || !m_bExtending || !m_selectionMark.isValid()) m_selectionMark = index;
    if (!m_bExtending && currentIndex().row() != row)
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    nm.iItem = row;
    nm.uNewState = LVIS_SELECTED | LVIS_FOCUSED;
    nm.lParam = m_pModel->Row(row).data;
  } else {
    const auto removed = RunsOf(deselected);
    // One row selected at a time reports selections only, as it always has.
    if (single || (added.empty() && removed.empty())) return;
    // The mark stays on a selected row while there is one.
    if (!IsSelected(SelectionMark()) && !SelectedRuns().empty()) {
      const int current = currentIndex().row();
      SetSelectionMark(IsSelected(current) ? current : SelectedRuns().front().first);
    }
    nm.iItem = added.empty() && base::RowsIn(removed) == 1 ? removed.front().first : -1;
    nm.uNewState = added.empty() ? 0 : LVIS_SELECTED;
    if (nm.iItem >= 0) nm.lParam = m_pModel->Row(nm.iItem).data;
  }
  nm.iSubItem = 0;
  CWnd::FromWidget(this)->SendNotify(LVN_ITEMCHANGED, &nm.hdr);
}

void ListView::KeepSelection() {
  for (const auto& [first, last] : SelectedRuns())
    for (int row = first; row <= last; ++row) m_pModel->Store().Mark(row, kSelected);
  m_pModel->Store().Mark(currentIndex().row(), kCurrent);
  m_pModel->Store().Mark(SelectionMark(), kSelectionMark);
}

QItemSelection ListView::SelectionOf(const base::RowRuns& runs) const {
  QItemSelection selection;
  for (const auto& [first, last] : runs) selection.select(m_pModel->index(first, 0), m_pModel->index(last, 0));
  return selection;
}

void ListView::RestoreSelection() {
  m_bRunsValid = false;
  std::vector<int> selected;
  int current = -1, mark = -1;
  m_pModel->Store().TakeMarks([&](int row, std::uint8_t marks) {
    if (marks & kSelected) selected.push_back(row);
    if (marks & kCurrent) current = row;
    if (marks & kSelectionMark) mark = row;
  });
  const QItemSelection selection = SelectionOf(base::RunsOfRows(std::move(selected)));
  m_bQuiet = true;
  if (!selection.isEmpty()) selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (current >= 0) selectionModel()->setCurrentIndex(m_pModel->index(current, 0), QItemSelectionModel::NoUpdate);
  m_bQuiet = false;
  SetSelectionMark(mark);
}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const ListLook& look = m_pView->Look();
  QStyleOptionViewItem opt(option);
  if (!(look.dwExStyle & LVS_EX_FULLROWSELECT) && index.column() > 0) opt.state &= ~QStyle::State_Selected;
  QStyledItemDelegate::paint(painter, opt, index);
  if (look.dwExStyle & LVS_EX_GRIDLINES) {
    painter->save();
    painter->setPen(ColorOf(look.crOutline));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }
}

}  // namespace platform

#include "ListView.h"

#include "ControlFactory.h"
#include "ImageListImpl.h"

#include <platform/ListCtrl.h>
#include <platform/Wnd.h>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace platform {

QColor ColorOf(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

COLORREF ColorRefOf(const QColor& color) {
  return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()),
             static_cast<BYTE>(color.blue()));
}

namespace {

Qt::Alignment QtAlignment(int format) {
  switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QWidget* MakeListView(QWidget* parent, DWORD) { return new ListView(parent); }

// Dialog templates make their list views through this, so a bound CListCtrl
// always finds the same widget class.
const ControlRegistration registration("SysListView32", &MakeListView);

}  // namespace

QVariant ListItem::data(int column, int role) const {
  const auto* view = ListView::Of(treeWidget());
  if (!view) return QTreeWidgetItem::data(column, role);
  switch (role) {
    case Qt::DecorationRole:
      if (column == 0 && m_nImage >= 0) {
        const QPixmap pixmap = PixmapOf(view->m_pSmallImages, m_nImage);
        if (!pixmap.isNull()) return pixmap;
      }
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(QtAlignment(view->Alignment(column)));
    case Qt::ForegroundRole:
      return ColorOf(m_crText != CLR_DEFAULT ? m_crText : view->m_crText);
    case Qt::BackgroundRole:
      if (view->m_crTextBk != CLR_NONE) return ColorOf(view->m_crTextBk);
      return {};
    default:
      return QTreeWidgetItem::data(column, role);
  }
}

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(0);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMouseTracking(true);
  setItemDelegate(new ListDelegate(this));
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  header()->setSortIndicatorShown(false);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { OnHeaderClicked(column); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection&) { OnSelectionChanged(selected); });

  const QPalette pal = palette();
  m_crBk = ColorRefOf(pal.color(QPalette::Base));
  m_crText = ColorRefOf(pal.color(QPalette::Text));
  m_crTextBk = CLR_NONE;
  m_crOutline = ColorRefOf(pal.color(QPalette::Mid));
  ApplyLook();
}

int ListView::Alignment(int column) const {
  const QVariant v = headerItem()->data(column, Qt::UserRole);
  return v.isValid() ? v.toInt() : LVCFMT_LEFT;
}

void ListView::SetAlignment(int column, int format) {
  headerItem()->setData(column, Qt::UserRole, format);
  headerItem()->setTextAlignment(column, QtAlignment(format));
}

void ListView::ApplyLook() {
  QPalette pal = palette();
  pal.setColor(QPalette::Base, ColorOf(m_crBk));
  pal.setColor(QPalette::Window, ColorOf(m_crBk));
  pal.setColor(QPalette::Text, ColorOf(m_crText));
  setPalette(pal);
  setAllColumnsShowFocus((m_dwExStyle & LVS_EX_FULLROWSELECT) != 0);
  viewport()->update();
}

void ListView::SetRedraw(bool on) {
  m_bRedrawOff = !on;
  setUpdatesEnabled(on);
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
  QTreeWidget::doItemsLayout();
}

void ListView::TrackHot(const QPoint& pos) {
  const QModelIndex index = indexAt(pos);
  const int row = RowOf(index);
  const int column = index.isValid() ? index.column() : -1;
  if (row == m_nHotRow && column == m_nHotColumn) return;
  m_nHotRow = row;
  m_nHotColumn = column;
  NotifyCell(LVN_HOTTRACK, pos);
}

void ListView::NotifyCell(int code, const QPoint& pos) {
  const QModelIndex index = indexAt(pos);
  NMLISTVIEW nm;
  nm.iItem = RowOf(index);
  nm.iSubItem = index.isValid() ? index.column() : -1;
  // ptAction is in the list's client coordinates, as GetSubItemRect's results.
  const QPoint client = viewport()->mapTo(this, pos);
  nm.ptAction.x = client.x();
  nm.ptAction.y = client.y();
  if (nm.iItem >= 0) nm.lParam = Item(nm.iItem)->m_lParam;
  CWnd::FromWidget(this)->SendNotify(code, &nm.hdr);
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
  QTreeWidget::mouseMoveEvent(event);
  TrackHot(event->position().toPoint());
}

void ListView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  // A press without a move before it (a click from a robot) still tells the
  // owner which cell it is over.
  TrackHot(pos);
  QTreeWidget::mousePressEvent(event);
  if (event->button() == Qt::RightButton) NotifyCell(NM_RCLICK, pos);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) NotifyCell(NM_DBLCLK, event->position().toPoint());
}

void ListView::leaveEvent(QEvent* event) {
  QTreeWidget::leaveEvent(event);
  m_nHotRow = m_nHotColumn = -2;
}

void ListView::OnHeaderClicked(int column) {
  NMHEADER nm;
  nm.iItem = column;
  CWnd::FromWidget(header())->SendNotify(HDN_ITEMCLICKA, &nm.hdr);
}

void ListView::OnSelectionChanged(const QItemSelection& selected) {
  if (selected.isEmpty()) return;
  const QModelIndex index = model()->index(selected.indexes().front().row(), 0);
  m_selectionMark = index;
  // A row selected without a click (by a screen reader, or by the program)
  // becomes the current row too, so keyboard and commands agree on it.
  if (selectionModel()->currentIndex().row() != index.row())
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  NMLISTVIEW nm;
  nm.iItem = index.row();
  nm.iSubItem = 0;
  nm.uNewState = LVIS_SELECTED | LVIS_FOCUSED;
  nm.lParam = Item(index.row())->m_lParam;
  CWnd::FromWidget(this)->SendNotify(LVN_ITEMCHANGED, &nm.hdr);
}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  QStyleOptionViewItem opt(option);
  if (!(m_pView->m_dwExStyle & LVS_EX_FULLROWSELECT) && index.column() > 0)
    opt.state &= ~QStyle::State_Selected;
  QStyledItemDelegate::paint(painter, opt, index);
  if (m_pView->m_dwExStyle & LVS_EX_GRIDLINES) {
    painter->save();
    painter->setPen(ColorOf(m_pView->m_crOutline));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }
}

}  // namespace platform

#include <platform/ListCtrl.h>

#include "Handles.h"
#include "ListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <vector>

using platform::ListItem;
using platform::ListView;

int CHeaderCtrl::GetItemCount() const {
  const auto* header = dynamic_cast<const QHeaderView*>(GetWidget());
  return header ? header->count() : -1;
}

namespace {

ListView* ViewOf(const CWnd* wnd) { return ListView::Of(wnd->GetWidget()); }

bool ValidRow(const ListView* view, int row) { return view && row >= 0 && row < view->topLevelItemCount(); }

// Moves every item's text of column from to column to, the header's included.
void MoveColumnText(ListView* view, int from, int to) {
  view->headerItem()->setText(to, view->headerItem()->text(from));
  view->SetAlignment(to, view->Alignment(from));
  for (int row = 0; row < view->topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = view->topLevelItem(row);
    item->setData(to, Qt::DisplayRole, item->data(from, Qt::DisplayRole));
  }
}

void ClearColumnText(ListView* view, int column) {
  view->headerItem()->setData(column, Qt::DisplayRole, QVariant());
  view->headerItem()->setData(column, Qt::UserRole, QVariant());
  for (int row = 0; row < view->topLevelItemCount(); ++row)
    view->topLevelItem(row)->setData(column, Qt::DisplayRole, QVariant());
}

}  // namespace

CListCtrl::CListCtrl() = default;
CListCtrl::~CListCtrl() { m_header.Detach(); }

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  if (GetWidget() || !parent || !parent->GetWidget()) return FALSE;
  auto* view = new ListView(parent->GetWidget());
  AttachOwned(view);
  SetDlgCtrlID(static_cast<int>(id));
  ModifyStyle(0, style & ~(WS_VISIBLE | WS_DISABLED));
  MoveWindow(rect);
  if (style & WS_DISABLED) view->setEnabled(false);
  view->setVisible((style & WS_VISIBLE) != 0);
  return TRUE;
}

int CListCtrl::InsertColumn(int col, const CString& heading, int format, int width, int) {
  ListView* view = ViewOf(this);
  if (!view || col < 0) return -1;
  const int count = view->columnCount();
  col = std::min(col, count);
  std::vector<int> widths;
  for (int c = 0; c < count; ++c) widths.push_back(view->columnWidth(c));
  view->setColumnCount(count + 1);
  for (int c = count; c > col; --c) MoveColumnText(view, c - 1, c);
  ClearColumnText(view, col);
  view->headerItem()->setText(col, platform::ToQt(heading));
  view->SetAlignment(col, format);
  widths.insert(widths.begin() + col, width >= 0 ? width : view->header()->defaultSectionSize());
  for (int c = 0; c <= count; ++c) view->setColumnWidth(c, widths[c]);
  return col;
}

BOOL CListCtrl::DeleteColumn(int col) {
  ListView* view = ViewOf(this);
  if (!view || col < 0 || col >= view->columnCount()) return FALSE;
  const int count = view->columnCount();
  std::vector<int> widths;
  for (int c = 0; c < count; ++c) widths.push_back(view->columnWidth(c));
  for (int c = col; c + 1 < count; ++c) MoveColumnText(view, c + 1, c);
  // Items keep texts past the column count; clear them so a later column starts empty.
  ClearColumnText(view, count - 1);
  view->setColumnCount(count - 1);
  widths.erase(widths.begin() + col);
  for (int c = 0; c + 1 < count; ++c) view->setColumnWidth(c, widths[c]);
  return TRUE;
}

BOOL CListCtrl::GetColumn(int col, LVCOLUMN* column) const {
  const ListView* view = ViewOf(this);
  if (!view || !column || col < 0 || col >= view->columnCount()) return FALSE;
  if (column->mask & LVCF_FMT) column->fmt = view->Alignment(col);
  if (column->mask & LVCF_WIDTH) column->cx = view->columnWidth(col);
  if (column->mask & LVCF_TEXT) column->pszText = platform::FromQt(view->headerItem()->text(col));
  return TRUE;
}

int CListCtrl::GetColumnWidth(int col) const {
  const ListView* view = ViewOf(this);
  return view && col >= 0 && col < view->columnCount() ? view->columnWidth(col) : 0;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() {
  ListView* view = ViewOf(this);
  if (!view) return nullptr;
  // Rebinds after the list itself was bound to another widget.
  if (m_header.GetWidget() != view->header()) {
    m_header.Detach();
    if (!m_header.Attach(view->header())) return nullptr;
  }
  return &m_header;
}

int CListCtrl::InsertItem(int item, const CString& text, int image) {
  return InsertItem(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int item, const CString& text, UINT state, UINT stateMask,
                          int image, LPARAM lParam) {
  LVITEM lv;
  lv.mask = mask;
  lv.iItem = item;
  lv.pszText = text;
  lv.state = state;
  lv.stateMask = stateMask;
  lv.iImage = image;
  lv.lParam = lParam;
  return InsertItem(&lv);
}

int CListCtrl::InsertItem(const LVITEM* item) {
  ListView* view = ViewOf(this);
  if (!view || !item || item->iItem < 0) return -1;
  auto* li = new ListItem;
  if (item->mask & LVIF_TEXT) li->setText(0, platform::ToQt(item->pszText));
  if (item->mask & LVIF_IMAGE) li->m_nImage = item->iImage;
  if (item->mask & LVIF_PARAM) li->m_lParam = item->lParam;
  const int row = std::min(item->iItem, view->topLevelItemCount());
  view->insertTopLevelItem(row, li);
  if (item->mask & LVIF_STATE) SetItemState(row, item->state, item->stateMask);
  return row;
}

BOOL CListCtrl::SetItem(const LVITEM* item) {
  ListView* view = ViewOf(this);
  if (!item || !ValidRow(view, item->iItem) || item->iSubItem < 0) return FALSE;
  ListItem* li = view->Item(item->iItem);
  if (item->mask & LVIF_TEXT) {
    if (item->iSubItem >= view->columnCount() && item->iSubItem > 0) return FALSE;
    li->setText(item->iSubItem, platform::ToQt(item->pszText));
  }
  if (item->mask & LVIF_IMAGE) {
    // Only the first column carries an image in report style.
    if (item->iSubItem == 0) li->m_nImage = item->iImage;
    view->viewport()->update(view->visualItemRect(li));
  }
  if (item->mask & LVIF_PARAM) li->m_lParam = item->lParam;
  if (item->mask & LVIF_STATE) SetItemState(item->iItem, item->state, item->stateMask);
  return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* item) const {
  const ListView* view = ViewOf(this);
  if (!item || !ValidRow(view, item->iItem)) return FALSE;
  const ListItem* li = view->Item(item->iItem);
  if (item->mask & LVIF_TEXT) item->pszText = GetItemText(item->iItem, item->iSubItem);
  if (item->mask & LVIF_IMAGE) item->iImage = item->iSubItem == 0 ? li->m_nImage : -1;
  if (item->mask & LVIF_PARAM) item->lParam = li->m_lParam;
  if (item->mask & LVIF_STATE) item->state = GetItemState(item->iItem, item->stateMask);
  return TRUE;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const CString& text) {
  LVITEM lv;
  lv.mask = LVIF_TEXT;
  lv.iItem = item;
  lv.iSubItem = subItem;
  lv.pszText = text;
  return SetItem(&lv);
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  const ListView* view = ViewOf(this);
  if (!ValidRow(view, item) || subItem < 0 || subItem >= std::max(1, view->columnCount())) return {};
  return platform::FromQt(view->topLevelItem(item)->text(subItem));
}

BOOL CListCtrl::SetItemData(int item, LPARAM data) {
  ListView* view = ViewOf(this);
  if (!ValidRow(view, item)) return FALSE;
  view->Item(item)->m_lParam = data;
  return TRUE;
}

LPARAM CListCtrl::GetItemData(int item) const {
  const ListView* view = ViewOf(this);
  return ValidRow(view, item) ? view->Item(item)->m_lParam : 0;
}

BOOL CListCtrl::DeleteItem(int item) {
  ListView* view = ViewOf(this);
  if (!ValidRow(view, item)) return FALSE;
  const bool wasSelected = view->selectionModel()->isRowSelected(item, QModelIndex());
  delete view->takeTopLevelItem(item);
  // The view would select the next row in its place; a deleted selection
  // leaves nothing selected, so a second delete cannot hit another row.
  if (wasSelected) view->selectionModel()->clearSelection();
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->clear();
  return TRUE;
}

int CListCtrl::GetItemCount() const {
  const ListView* view = ViewOf(this);
  return view ? view->topLevelItemCount() : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  if (item == -1) {
    for (int row = 0; row < view->topLevelItemCount(); ++row) SetItemState(row, state, mask);
    return TRUE;
  }
  if (!ValidRow(view, item)) return FALSE;
  QItemSelectionModel* selection = view->selectionModel();
  const QModelIndex index = view->model()->index(item, 0);
  if (mask & LVIS_SELECTED) {
    if (state & LVIS_SELECTED) {
      // The item where the selection starts is the selection mark.
      selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
      selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
  }
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  const ListView* view = ViewOf(this);
  if (!ValidRow(view, item)) return 0;
  UINT state = 0;
  const QModelIndex index = view->model()->index(item, 0);
  if (view->selectionModel()->isRowSelected(item, QModelIndex())) state |= LVIS_SELECTED;
  if (view->selectionModel()->currentIndex().row() == index.row() &&
      view->selectionModel()->currentIndex().isValid())
    state |= LVIS_FOCUSED;
  return state & mask;
}

int CListCtrl::GetNextItem(int start, int flags) const {
  const ListView* view = ViewOf(this);
  if (!view) return -1;
  for (int row = std::max(start + 1, 0); row < view->topLevelItemCount(); ++row) {
    const UINT wanted = (flags & LVNI_SELECTED ? LVIS_SELECTED : 0);
    if (GetItemState(row, wanted) == wanted) return row;
  }
  return -1;
}

int CListCtrl::GetSelectedCount() const {
  const ListView* view = ViewOf(this);
  return view ? static_cast<int>(view->selectionModel()->selectedRows().size()) : 0;
}

int CListCtrl::GetSelectionMark() const {
  const ListView* view = ViewOf(this);
  return view ? view->SelectionMark() : -1;
}

int CListCtrl::SetSelectionMark(int item) {
  ListView* view = ViewOf(this);
  if (!view) return -1;
  const int previous = GetSelectionMark();
  view->SetSelectionMark(ValidRow(view, item) ? view->model()->index(item, 0) : QModelIndex());
  return previous;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  ListView* view = ViewOf(this);
  if (!view) return 0;
  const DWORD previous = view->m_dwExStyle;
  view->m_dwExStyle = style;
  view->ApplyLook();
  return previous;
}

DWORD CListCtrl::GetExtendedStyle() const {
  const ListView* view = ViewOf(this);
  return view ? view->m_dwExStyle : 0;
}

BOOL CListCtrl::SetBkColor(COLORREF color) {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->m_crBk = color;
  view->ApplyLook();
  return TRUE;
}

COLORREF CListCtrl::GetBkColor() const {
  const ListView* view = ViewOf(this);
  return view ? view->m_crBk : 0;
}

BOOL CListCtrl::SetTextColor(COLORREF color) {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->m_crText = color;
  view->ApplyLook();
  return TRUE;
}

COLORREF CListCtrl::GetTextColor() const {
  const ListView* view = ViewOf(this);
  return view ? view->m_crText : 0;
}

BOOL CListCtrl::SetTextBkColor(COLORREF color) {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->m_crTextBk = color;
  view->ApplyLook();
  return TRUE;
}

COLORREF CListCtrl::GetTextBkColor() const {
  const ListView* view = ViewOf(this);
  return view ? view->m_crTextBk : CLR_NONE;
}

COLORREF CListCtrl::SetOutlineColor(COLORREF color) {
  ListView* view = ViewOf(this);
  if (!view) return 0;
  const COLORREF previous = view->m_crOutline;
  view->m_crOutline = color;
  view->ApplyLook();
  return previous;
}

COLORREF CListCtrl::GetOutlineColor() const {
  const ListView* view = ViewOf(this);
  return view ? view->m_crOutline : 0;
}

BOOL CListCtrl::SetItemTextColor(int item, COLORREF color) {
  ListView* view = ViewOf(this);
  if (!ValidRow(view, item)) return FALSE;
  ListItem* li = view->Item(item);
  li->m_crText = color;
  li->Changed();
  return TRUE;
}

COLORREF CListCtrl::GetItemTextColor(int item) const {
  const ListView* view = ViewOf(this);
  return ValidRow(view, item) ? view->Item(item)->m_crText : CLR_DEFAULT;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int type) {
  ListView* view = ViewOf(this);
  if (!view) return nullptr;
  CImageList*& slot = type == LVSIL_SMALL ? view->m_pSmallImages : view->m_pNormalImages;
  CImageList* previous = slot;
  slot = list;
  if (type == LVSIL_SMALL && list && list->IsCreated()) {
    const CSize size = list->GetImageSize();
    view->setIconSize(QSize(size.cx, size.cy));
  }
  view->viewport()->update();
  return previous;
}

CImageList* CListCtrl::GetImageList(int type) const {
  const ListView* view = ViewOf(this);
  if (!view) return nullptr;
  return type == LVSIL_SMALL ? view->m_pSmallImages : view->m_pNormalImages;
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, LPARAM data) {
  ListView* view = ViewOf(this);
  if (!view || !compare) return FALSE;
  QTreeWidgetItem* current = view->currentItem();
  std::vector<QTreeWidgetItem*> selected;
  for (QTreeWidgetItem* item : view->selectedItems()) selected.push_back(item);
  QList<QTreeWidgetItem*> items = view->invisibleRootItem()->takeChildren();
  std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return compare(static_cast<ListItem*>(a)->m_lParam, static_cast<ListItem*>(b)->m_lParam, data) < 0;
  });
  view->addTopLevelItems(items);
  if (current) view->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  for (QTreeWidgetItem* item : selected) item->setSelected(true);
  return TRUE;
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int, CRect& rect) const {
  const ListView* view = ViewOf(this);
  if (!ValidRow(view, item) || subItem < 0 || subItem >= view->columnCount()) return FALSE;
  const QRect cell = view->visualRect(view->model()->index(item, subItem));
  // The viewport sits below the header; the list's client area includes both.
  const QPoint topLeft = view->viewport()->mapTo(view, cell.topLeft());
  rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + cell.width(), topLeft.y() + cell.height());
  return TRUE;
}

void CListCtrl::SetRedraw(BOOL redraw) {
  if (ListView* view = ViewOf(this)) view->SetRedraw(redraw != FALSE);
}

BOOL CListCtrl::OnNotify(NMHDR* header, LRESULT* result) {
  LRESULT forwarded = ForwardNotify(header);
  if (result) *result = forwarded;
  return TRUE;
}

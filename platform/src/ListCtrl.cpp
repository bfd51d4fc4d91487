#include <platform/ListCtrl.h>

#include "Handles.h"
#include "ListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <utility>

using platform::ListModel;
using platform::ListRow;
using platform::ListView;

int CHeaderCtrl::GetItemCount() const {
  const auto* header = dynamic_cast<const QHeaderView*>(GetWidget());
  return header ? header->count() : -1;
}

namespace {

ListView* ViewOf(const CWnd* wnd) { return ListView::Of(wnd->GetWidget()); }

// The view when col is one of its columns, else null.
ListView* ViewWithColumn(const CWnd* wnd, int col) {
  ListView* view = ViewOf(wnd);
  return view && col >= 0 && col < view->Model()->Columns() ? view : nullptr;
}

// The model when item is one of its rows, else null.
ListModel* ModelWithRow(const CWnd* wnd, int item) {
  const ListView* view = ViewOf(wnd);
  return view && view->Model()->IsRow(item) ? view->Model() : nullptr;
}

std::string_view Bytes(const CString& text) { return {text.GetString(), static_cast<std::size_t>(text.GetLength())}; }

// Sets one colour of the look and applies it; previous tells what it was.
BOOL SetLookColor(const CWnd* wnd, COLORREF platform::ListLook::*member, COLORREF color, COLORREF* previous = nullptr) {
  ListView* view = ViewOf(wnd);
  if (!view) return FALSE;
  if (previous) *previous = view->Look().*member;
  view->Look().*member = color;
  view->ApplyLook();
  return TRUE;
}

COLORREF LookColor(const CWnd* wnd, COLORREF platform::ListLook::*member, COLORREF none) {
  const ListView* view = ViewOf(wnd);
  return view ? view->Look().*member : none;
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

void CListCtrl::OnStyleChanged(DWORD oldStyle, DWORD newStyle) {
  if (ListView* view = ViewOf(this); view && ((oldStyle ^ newStyle) & LVS_SINGLESEL))
    view->SetSingleSelection((newStyle & LVS_SINGLESEL) != 0);
}

int CListCtrl::InsertColumn(int col, const CString& heading, int format, int width, int) {
  ListView* view = ViewOf(this);
  if (!view || col < 0) return -1;
  col = std::min(col, view->Model()->Columns());
  view->Model()->InsertColumn(col, platform::ToQt(heading), format);
  view->setColumnWidth(col, width >= 0 ? width : view->header()->defaultSectionSize());
  return col;
}

BOOL CListCtrl::DeleteColumn(int col) {
  ListView* view = ViewWithColumn(this, col);
  if (!view) return FALSE;
  view->Model()->RemoveColumn(col);
  return TRUE;
}

BOOL CListCtrl::GetColumn(int col, LVCOLUMN* column) const {
  const ListView* view = ViewWithColumn(this, col);
  if (!view || !column) return FALSE;
  if (column->mask & LVCF_FMT) column->fmt = view->Model()->Format(col);
  if (column->mask & LVCF_WIDTH) column->cx = view->columnWidth(col);
  if (column->mask & LVCF_TEXT) column->pszText = platform::FromQt(view->Model()->Heading(col));
  return TRUE;
}

int CListCtrl::GetColumnWidth(int col) const {
  const ListView* view = ViewWithColumn(this, col);
  return view ? view->columnWidth(col) : 0;
}

BOOL CListCtrl::SetColumnWidth(int col, int width) {
  ListView* view = ViewWithColumn(this, col);
  if (!view || width < 0) return FALSE;
  view->setColumnWidth(col, width);
  return TRUE;
}

BOOL CListCtrl::GetColumnOrderArray(int* order, int count) const {
  const ListView* view = ViewOf(this);
  if (!view || !order) return FALSE;
  const int columns = view->Model()->Columns();
  if (count != -1 && count != columns) return FALSE;
  for (int visual = 0; visual < columns; ++visual) order[visual] = view->header()->logicalIndex(visual);
  return TRUE;
}

BOOL CListCtrl::SetColumnOrderArray(int count, const int* order) {
  ListView* view = ViewOf(this);
  if (!view || !order || count != view->Model()->Columns()) return FALSE;
  std::vector<bool> seen(static_cast<std::size_t>(count));
  for (int visual = 0; visual < count; ++visual) {
    const int col = order[visual];
    if (col < 0 || col >= count || seen[static_cast<std::size_t>(col)]) return FALSE;
    seen[static_cast<std::size_t>(col)] = true;
  }
  QHeaderView* header = view->header();
  for (int visual = 0; visual < count; ++visual) header->moveSection(header->visualIndex(order[visual]), visual);
  return TRUE;
}

BOOL CListCtrl::ShowColumn(int col, BOOL show) {
  ListView* view = ViewWithColumn(this, col);
  if (!view) return FALSE;
  view->setColumnHidden(col, !show);
  return TRUE;
}

BOOL CListCtrl::IsColumnShown(int col) const {
  const ListView* view = ViewWithColumn(this, col);
  return view && !view->isColumnHidden(col);
}

int CListCtrl::GetStringWidth(const CString& text) const {
  const ListView* view = ViewOf(this);
  return view ? view->fontMetrics().horizontalAdvance(platform::ToQt(text)) : 0;
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

int CListCtrl::InsertItem(UINT mask, int item, const CString& text, UINT, UINT, int image, LPARAM lParam) {
  ListView* view = ViewOf(this);
  if (!view || item < 0) return -1;
  ListRow row;
  if (mask & LVIF_TEXT) row.cells.Set(0, Bytes(text));
  if (mask & LVIF_IMAGE) row.nImage = image;
  if (mask & LVIF_PARAM) row.data = lParam;
  item = std::min(item, view->Model()->Rows());
  view->Model()->Store().Insert(item, std::move(row));
  return item;
}

BOOL CListCtrl::SetItem(const LVITEM* item) {
  ListModel* model = item ? ModelWithRow(this, item->iItem) : nullptr;
  if (!model || item->iSubItem < 0) return FALSE;
  if ((item->mask & LVIF_TEXT) && item->iSubItem > 0 && item->iSubItem >= model->Columns()) return FALSE;
  model->Store().Change(
      item->iItem,
      [item](ListRow& row) {
        if (item->mask & LVIF_TEXT) row.cells.Set(item->iSubItem, Bytes(item->pszText));
        // Only the first column carries an image in report style.
        if ((item->mask & LVIF_IMAGE) && item->iSubItem == 0) row.nImage = item->iImage;
        if (item->mask & LVIF_PARAM) row.data = item->lParam;
      },
      (item->mask & (LVIF_TEXT | LVIF_IMAGE)) != 0);
  return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* item) const {
  const ListModel* model = item ? ModelWithRow(this, item->iItem) : nullptr;
  if (!model) return FALSE;
  const ListRow& row = model->Row(item->iItem);
  if (item->mask & LVIF_IMAGE) item->iImage = item->iSubItem == 0 ? row.nImage : -1;
  if (item->mask & LVIF_PARAM) item->lParam = row.data;
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
  const ListModel* model = ModelWithRow(this, item);
  if (!model || subItem < 0 || subItem >= std::max(1, model->Columns())) return {};
  const std::string_view text = model->Row(item).cells.Get(subItem);
  return CString(text.data(), static_cast<int>(text.size()));
}

BOOL CListCtrl::SetItemData(int item, LPARAM data) {
  ListModel* model = ModelWithRow(this, item);
  if (!model) return FALSE;
  model->Store().Change(item, [data](ListRow& row) { row.data = data; }, false);
  return TRUE;
}

LPARAM CListCtrl::GetItemData(int item) const {
  const ListModel* model = ModelWithRow(this, item);
  return model ? model->Row(item).data : 0;
}

BOOL CListCtrl::DeleteItem(int item) {
  ListView* view = ViewOf(this);
  if (!view || !view->Model()->IsRow(item)) return FALSE;
  view->RemoveRow(item);
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->Model()->Store().Clear();
  return TRUE;
}

int CListCtrl::GetItemCount() const {
  const ListView* view = ViewOf(this);
  return view ? view->Model()->Rows() : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  ListView* view = ViewOf(this);
  if (!view || (item != -1 && !view->Model()->IsRow(item))) return FALSE;
  view->Model()->Settle();
  const bool single = view->selectionMode() == QAbstractItemView::SingleSelection;
  const int rows = view->Model()->Rows();
  if (item == -1 && (mask & LVIS_SELECTED) && rows > 0) {
    if (!(state & LVIS_SELECTED)) view->selectionModel()->clearSelection();
    else if (single) SetItemState(rows - 1, LVIS_SELECTED, LVIS_SELECTED);
    else view->SelectRows(0, rows - 1, true);
  }
  if (item == -1) return TRUE;
  QItemSelectionModel* selection = view->selectionModel();
  const QModelIndex index = view->Model()->index(item, 0);
  if (mask & LVIS_SELECTED) {
    if (state & LVIS_SELECTED) {
      // The item where the selection starts is the selection mark.
      const auto command = single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select;
      selection->setCurrentIndex(index, command | QItemSelectionModel::Rows);
    } else {
      view->SelectRows(item, item, false);
    }
  }
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  return TRUE;
}

BOOL CListCtrl::SelectItems(const std::vector<int>& items) {
  ListView* view = ViewOf(this);
  if (!view) return FALSE;
  view->Model()->Settle();
  std::vector<int> rows;
  for (int item : items)
    if (view->Model()->IsRow(item)) rows.push_back(item);
  base::RowRuns runs = base::RunsOfRows(std::move(rows));
  // With one row selectable, the first.
  if (!runs.empty() && view->selectionMode() == QAbstractItemView::SingleSelection)
    runs = {{runs[0].first, runs[0].first}};
  const auto command = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
  view->selectionModel()->select(view->SelectionOf(runs), command);
  return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  const ListView* view = ViewOf(this);
  if (!view || !view->Model()->IsRow(item)) return 0;
  UINT state = 0;
  if (view->IsSelected(item)) state |= LVIS_SELECTED;  // first: it settles the model
  if (view->currentIndex().isValid() && view->currentIndex().row() == item) state |= LVIS_FOCUSED;
  return state & mask;
}

int CListCtrl::GetNextItem(int start, int flags) const {
  const ListView* view = ViewOf(this);
  if (!view) return -1;
  const int next = std::max(start + 1, 0);
  if (flags & LVNI_FOCUSED) {
    const int focused = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    const bool found = focused >= next && (!(flags & LVNI_SELECTED) || view->IsSelected(focused));
    return found ? focused : -1;
  }
  if (!(flags & LVNI_SELECTED)) return next < view->Model()->Rows() ? next : -1;
  return base::FirstRowFrom(view->SelectedRuns(), next);
}

int CListCtrl::GetSelectedCount() const {
  const ListView* view = ViewOf(this);
  return view ? base::RowsIn(view->SelectedRuns()) : 0;
}

int CListCtrl::GetSelectionMark() const {
  const ListView* view = ViewOf(this);
  return view ? view->SelectionMark() : -1;
}

int CListCtrl::SetSelectionMark(int item) {
  ListView* view = ViewOf(this);
  if (!view) return -1;
  const int previous = GetSelectionMark();
  view->SetSelectionMark(item);
  return previous;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  ListView* view = ViewOf(this);
  if (!view) return 0;
  const DWORD previous = view->Look().dwExStyle;
  view->Look().dwExStyle = style;
  view->ApplyLook();
  return previous;
}

DWORD CListCtrl::GetExtendedStyle() const {
  const ListView* view = ViewOf(this);
  return view ? view->Look().dwExStyle : 0;
}

BOOL CListCtrl::SetBkColor(COLORREF color) { return SetLookColor(this, &platform::ListLook::crBk, color); }
COLORREF CListCtrl::GetBkColor() const { return LookColor(this, &platform::ListLook::crBk, 0); }
BOOL CListCtrl::SetTextColor(COLORREF color) { return SetLookColor(this, &platform::ListLook::crText, color); }
COLORREF CListCtrl::GetTextColor() const { return LookColor(this, &platform::ListLook::crText, 0); }
BOOL CListCtrl::SetTextBkColor(COLORREF color) { return SetLookColor(this, &platform::ListLook::crTextBk, color); }
COLORREF CListCtrl::GetTextBkColor() const { return LookColor(this, &platform::ListLook::crTextBk, CLR_NONE); }

COLORREF CListCtrl::SetOutlineColor(COLORREF color) {
  COLORREF previous = 0;
  SetLookColor(this, &platform::ListLook::crOutline, color, &previous);
  return previous;
}

COLORREF CListCtrl::GetOutlineColor() const { return LookColor(this, &platform::ListLook::crOutline, 0); }

BOOL CListCtrl::SetItemTextColor(int item, COLORREF color) {
  ListModel* model = ModelWithRow(this, item);
  if (!model) return FALSE;
  model->Store().Change(item, [color](ListRow& row) { row.crText = color; });
  return TRUE;
}

COLORREF CListCtrl::GetItemTextColor(int item) const {
  const ListModel* model = ModelWithRow(this, item);
  return model ? model->Row(item).crText : CLR_DEFAULT;
}

BOOL CListCtrl::SetItemEmphasis(int item, int subItem, BOOL emphasis) {
  ListView* view = ViewOf(this);
  if (!view || subItem < -1 || subItem >= 64 || (item != -1 && !view->Model()->IsRow(item))) return FALSE;
  const std::uint64_t bits = subItem == -1 ? ~std::uint64_t{0} : std::uint64_t{1} << subItem;
  const auto change = [bits, emphasis](ListRow& row) { row.emphasis = emphasis ? row.emphasis | bits : row.emphasis & ~bits; };
  if (item == -1) view->Model()->Store().ChangeAll(change);
  else view->Model()->Store().Change(item, change);
  return TRUE;
}

BOOL CListCtrl::GetItemEmphasis(int item, int subItem) const {
  const ListModel* model = ModelWithRow(this, item);
  return model && subItem >= 0 && subItem < 64 && (model->Row(item).emphasis >> subItem & 1) ? TRUE : FALSE;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int type) {
  ListView* view = ViewOf(this);
  if (!view || type != LVSIL_SMALL) return nullptr;
  CImageList* previous = std::exchange(view->Look().pSmallImages, list);
  if (list && list->IsCreated()) view->setIconSize(QSize(list->GetImpl()->cx, list->GetImpl()->cy));
  view->viewport()->update();
  return previous;
}

CImageList* CListCtrl::GetImageList(int type) const {
  const ListView* view = ViewOf(this);
  return view && type == LVSIL_SMALL ? view->Look().pSmallImages : nullptr;
}

void CListCtrl::ShowRows(base::RowStore* rows) {
  if (ListView* view = ViewOf(this)) view->Model()->ShowRows(rows);
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, LPARAM data) {
  ListView* view = ViewOf(this);
  if (!view || !compare) return FALSE;
  view->Model()->Store().Sort([&](const ListRow& a, const ListRow& b) { return compare(a.data, b.data, data) < 0; });
  return TRUE;
}

void CListCtrl::SetSortIndicator(int col, BOOL ascending) {
  ListView* view = ViewOf(this);
  if (!view) return;
  view->header()->setSortIndicatorShown(col >= 0);
  view->header()->setSortIndicator(col, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int CListCtrl::GetSortIndicator(BOOL* ascending) const {
  const ListView* view = ViewOf(this);
  if (!view || !view->header()->isSortIndicatorShown()) return -1;
  if (ascending) *ascending = view->header()->sortIndicatorOrder() == Qt::AscendingOrder;
  return view->header()->sortIndicatorSection();
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int, CRect& rect) const {
  const ListView* view = ViewWithColumn(this, subItem);
  if (!view || !view->Model()->IsRow(item)) return FALSE;
  const QRect cell = view->visualRect(view->Model()->index(item, subItem));
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

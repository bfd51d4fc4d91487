#pragma once
// CListCtrl: a list view in report style. Items hold a text per column, one
// image index into the small-image list, one integer of item data, a text
// colour and emphasised cells. The items are data that the view reads when it
// draws them, so a list of 100,000 items costs little more than their texts.
// The control either makes its own widget (Create) or is bound to the list a
// dialog made from its template (Attach).
//
// The owner hears, as notifications: NM_DBLCLK, NM_RCLICK and LVN_HOTTRACK
// from the mouse; HDN_ITEMCLICKA from the header (control id 0), forwarded by
// the list, and NM_RCLICK from the header (control id 0, an NMITEMACTIVATE
// with the point in the list's client coordinates as ptAction); LVN_KEYDOWN
// (NMLVKEYDOWN) for Enter, F2 and Delete when there is a focused item; and
// LVN_ITEMCHANGED when the selection changes, by mouse,
// keyboard, program or assistive technology. One item becoming selected is
// reported with its index and LVIS_SELECTED | LVIS_FOCUSED. With LVS_SINGLESEL
// that is all. Without it (click, Shift-click, Ctrl-click, Ctrl+A and
// Shift+arrows select several items) each other change is reported once:
// iItem -1 and LVIS_SELECTED when several items became selected, and
// uNewState 0 when items were only deselected (iItem the item when it was
// one, else -1); the owner reads the selection with GetSelectedCount and
// GetNextItem.
#include <platform/ImageList.h>
#include <base/String.h>
#include <platform/Types.h>
#include <platform/Wnd.h>

#include <memory>
#include <vector>

// Column alignment.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// Which members of LVITEM / LVCOLUMN are meant.
constexpr UINT LVIF_TEXT = 0x0001;
constexpr UINT LVIF_IMAGE = 0x0002;
constexpr UINT LVIF_PARAM = 0x0004;
constexpr UINT LVCF_FMT = 0x0001;
constexpr UINT LVCF_WIDTH = 0x0002;
constexpr UINT LVCF_TEXT = 0x0004;

// Item states.
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;

// GetNextItem relations.
constexpr int LVNI_FOCUSED = 0x0001;
constexpr int LVNI_SELECTED = 0x0002;

// Styles of the window word and the extended list-view styles.
constexpr DWORD LVS_REPORT = 0x0001;
constexpr DWORD LVS_SINGLESEL = 0x0004;
constexpr DWORD LVS_SHOWSELALWAYS = 0x0008;
constexpr DWORD LVS_EX_GRIDLINES = 0x0001;
constexpr DWORD LVS_EX_HEADERDRAGDROP = 0x0010;  // the user may drag columns to another order
constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;

// Image lists of a list view; only the small one is drawn in report style.
constexpr int LVSIL_SMALL = 1;

// Parts of a cell for GetSubItemRect.
constexpr int LVIR_BOUNDS = 0;

// "No colour": the text background is left to the control's background.
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

struct LVITEM {
  UINT mask = 0;
  int iItem = 0;
  int iSubItem = 0;
  CString pszText;  // LVIF_TEXT: the cell's text
  int iImage = -1;
  LPARAM lParam = 0;
};

struct LVCOLUMN {
  UINT mask = 0;
  int fmt = LVCFMT_LEFT;
  int cx = 0;
  CString pszText;
};

using PFNLVCOMPARE = int(CALLBACK*)(LPARAM, LPARAM, LPARAM);

// The header of a list view: one item per column. Its notifications go to the
// list, which hands them on to its owner.
namespace base {
class RowStore;
}

class CHeaderCtrl : public CWnd {
 public:
  int GetItemCount() const;
};

class CListCtrl : public CWnd {
 public:
  CListCtrl();
  ~CListCtrl() override;

  // Makes the control's own widget under parent, at rect in the parent's
  // client coordinates; false when it already has one or parent has no window.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Columns. InsertColumn returns the new column's index, or -1.
  int InsertColumn(int col, const CString& heading, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  BOOL DeleteColumn(int col);
  BOOL GetColumn(int col, LVCOLUMN* column) const;
  // A hidden column's width is 0; one set while it is hidden shows when it is shown.
  int GetColumnWidth(int col) const;
  BOOL SetColumnWidth(int col, int width);
  // Columns are numbered as inserted, whatever order they are shown in; the
  // order array lists them from left to right on screen. count must be the
  // number of columns (-1 for Get), and Set takes only a permutation of them.
  BOOL GetColumnOrderArray(int* order, int count = -1) const;
  BOOL SetColumnOrderArray(int count, const int* order);
  // A hidden column keeps its cells and its number; it only is not shown.
  BOOL ShowColumn(int col, BOOL show);
  BOOL IsColumnShown(int col) const;
  // The width of text in pixels in the list's font.
  int GetStringWidth(const CString& text) const;
  CHeaderCtrl* GetHeaderCtrl();

  // Items. InsertItem places the item at index item (clamped to the end) and
  // returns its index, or -1 without a widget; it sets no item state.
  int InsertItem(int item, const CString& text, int image = -1);
  int InsertItem(UINT mask, int item, const CString& text, UINT state, UINT stateMask, int image,
                 LPARAM lParam);
  BOOL SetItem(const LVITEM* item);
  // Fills the members mask asks for (LVIF_IMAGE, LVIF_PARAM).
  BOOL GetItem(LVITEM* item) const;
  BOOL SetItemText(int item, int subItem, const CString& text);
  // Empty for a cell that does not exist.
  CString GetItemText(int item, int subItem) const;
  BOOL SetItemData(int item, LPARAM data);
  LPARAM GetItemData(int item) const;
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  int GetItemCount() const;

  // Selection. SetItemState on item -1 changes every item (with LVS_SINGLESEL,
  // selecting "every" item selects the last). Selecting an item, by any
  // means, makes it the selection mark and the focused item, as a click does;
  // with LVS_SINGLESEL the other items lose the selection. Focusing another
  // item afterwards, or extending the selection with Shift, leaves the mark
  // where it was; deselecting the mark's item moves it to a selected one.
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const;
  // Selects exactly the items (every other one loses the selection) in one
  // change, however many there are; numbers that are no item are passed over.
  BOOL SelectItems(const std::vector<int>& items);
  // The next item after start (-1: from the top) with the flags (the
  // focused item, selected items, or both), or -1.
  int GetNextItem(int start, int flags) const;
  int GetSelectedCount() const;
  int GetSelectionMark() const;
  int SetSelectionMark(int item);

  // Extended styles (LVS_EX_*); returns the previous ones.
  DWORD SetExtendedStyle(DWORD style);
  DWORD GetExtendedStyle() const;

  // Colours: background of the control, text, text background (CLR_NONE: the
  // control's background) and outline, in which the grid lines are drawn.
  BOOL SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  BOOL SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  BOOL SetTextBkColor(COLORREF color);
  COLORREF GetTextBkColor() const;
  COLORREF SetOutlineColor(COLORREF color);
  COLORREF GetOutlineColor() const;
  // One item's text colour in every column, kept with the item when the items
  // are sorted; CLR_DEFAULT (also for an item that does not exist) is the
  // control's text colour.
  BOOL SetItemTextColor(int item, COLORREF color);
  COLORREF GetItemTextColor(int item) const;

  // The list stays the caller's; items draw from it whenever they are painted,
  // so a changed image shows in every item that uses its index. Returns the
  // previous list.
  CImageList* SetImageList(CImageList* list, int type);
  CImageList* GetImageList(int type) const;

  // An emphasised cell (an edit not saved yet, say) is drawn in bold on a
  // background a little towards the highlight colour; the mark stays with its
  // item. item -1 changes every item, subItem -1 every cell of the item.
  // Columns 0 to 63.
  BOOL SetItemEmphasis(int item, int subItem, BOOL emphasis);
  BOOL GetItemEmphasis(int item, int subItem) const;

  // Shows the rows its owner keeps as data (a folder's rows) instead of rows
  // of its own: the item calls above act on them, and every change the owner
  // makes shows at once. Null: rows of its own again (empty).
  void ShowRows(base::RowStore* rows);
  // Sorts the items by their item data with compare (negative, 0, positive);
  // items that compare equal keep their order. The selection stays with its item.
  BOOL SortItems(PFNLVCOMPARE compare, LPARAM data);
  // The header's sort arrow on column col (-1: none), pointing the way the
  // desktop's style shows ascending or descending order.
  void SetSortIndicator(int col, BOOL ascending);
  // The column with the arrow, or -1; ascending tells its direction.
  int GetSortIndicator(BOOL* ascending = nullptr) const;

  // The rectangle of a cell in the control's client coordinates; false when
  // the cell does not exist.
  BOOL GetSubItemRect(int item, int subItem, int area, CRect& rect) const;

  // FALSE stops painting while many items change; TRUE paints them at once.
  // Items inserted, deleted or sorted meanwhile reach the view in one go
  // then; the selection stays with its items.
  void SetRedraw(BOOL redraw = TRUE);

  // Hands header notifications on to the owner of the list.
  BOOL OnNotify(NMHDR* header, LRESULT* result) override;

 protected:
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;

 private:
  CHeaderCtrl m_header;
};

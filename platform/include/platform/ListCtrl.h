#pragma once
// CListCtrl: a list view in report style. Items (a text per column, an image
// index, item data, a text colour, emphasised cells) are data the view reads
// when it draws, so 100,000 items cost little more than their texts.
//
// The owner hears: NM_DBLCLK, NM_RCLICK and LVN_HOTTRACK from the mouse;
// HDN_ITEMCLICKA and NM_RCLICK (ptAction in the list's client coordinates)
// from the header, control id 0; LVN_KEYDOWN for Enter, F2 and Delete when an
// item has the focus; LVN_ITEMCHANGED for every change of the selection, by
// whatever means. One item becoming selected comes with its index and
// LVIS_SELECTED | LVIS_FOCUSED; with LVS_SINGLESEL that is all. Otherwise each
// other change comes once: iItem -1 and LVIS_SELECTED when several items were
// selected, uNewState 0 when items were only deselected (iItem the item when
// it was one, else -1); the owner reads the selection with GetNextItem.
#include <platform/ImageList.h>
#include <platform/Wnd.h>

#include <vector>

// Column alignment.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// LVITEM / LVCOLUMN members meant.
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

  // False when it has a widget already or parent has none.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Columns. InsertColumn returns the new column's index, or -1.
  int InsertColumn(int col, const CString& heading, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  BOOL DeleteColumn(int col);
  BOOL GetColumn(int col, LVCOLUMN* column) const;
  // A hidden column's width is 0; one set while it is hidden shows when it is shown.
  int GetColumnWidth(int col) const;
  BOOL SetColumnWidth(int col, int width);
  // Columns keep the numbers they were inserted with; the order array lists
  // them left to right on screen. Set takes only a permutation of them all.
  BOOL GetColumnOrderArray(int* order, int count = -1) const;
  BOOL SetColumnOrderArray(int count, const int* order);
  // A hidden column keeps its cells and its number; it only is not shown.
  BOOL ShowColumn(int col, BOOL show);
  BOOL IsColumnShown(int col) const;
  // The width of text in pixels in the list's font.
  int GetStringWidth(const CString& text) const;
  CHeaderCtrl* GetHeaderCtrl();

  // InsertItem clamps item to the end; returns the index, or -1 without a widget.
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

  // SetItemState on item -1 changes every item (with LVS_SINGLESEL: selects
  // the last). Selecting an item makes it the selection mark and the focused
  // item, as a click does; Shift-extending leaves the mark, and deselecting
  // its item moves it to a selected one.
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const;
  // Selects exactly these items in one change; numbers that are no item are passed over.
  BOOL SelectItems(const std::vector<int>& items);
  // The next item after start (-1: from the top) with the flags, or -1.
  int GetNextItem(int start, int flags) const;
  int GetSelectedCount() const;
  int GetSelectionMark() const;
  int SetSelectionMark(int item);

  // Extended styles (LVS_EX_*); returns the previous ones.
  DWORD SetExtendedStyle(DWORD style);
  DWORD GetExtendedStyle() const;

  // Colours; the outline is the grid lines'.
  BOOL SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  BOOL SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  BOOL SetTextBkColor(COLORREF color);
  COLORREF GetTextBkColor() const;
  COLORREF SetOutlineColor(COLORREF color);
  COLORREF GetOutlineColor() const;
  // One item's text colour, kept with it through sorting; CLR_DEFAULT: the control's.
  BOOL SetItemTextColor(int item, COLORREF color);
  COLORREF GetItemTextColor(int item) const;

  // The list stays the caller's and is read at every paint. Returns the previous one.
  CImageList* SetImageList(CImageList* list, int type);
  CImageList* GetImageList(int type) const;

  // An emphasised cell (an unsaved edit, say) is bold on a background tinted
  // towards the highlight. -1: every item, every cell. Columns 0 to 63.
  BOOL SetItemEmphasis(int item, int subItem, BOOL emphasis);
  BOOL GetItemEmphasis(int item, int subItem) const;

  // Shows rows the owner keeps (the item calls then act on them, and the
  // owner's changes show at once); null: rows of its own again, empty.
  void ShowRows(base::RowStore* rows);
  // A stable sort by item data; the selection stays with its items.
  BOOL SortItems(PFNLVCOMPARE compare, LPARAM data);
  // The header's sort arrow on column col (-1: none).
  void SetSortIndicator(int col, BOOL ascending);
  // The column with the arrow, or -1.
  int GetSortIndicator(BOOL* ascending = nullptr) const;

  // In the control's client coordinates.
  BOOL GetSubItemRect(int item, int subItem, int area, CRect& rect) const;

  // FALSE stops painting while many items change; TRUE shows them in one go.
  void SetRedraw(BOOL redraw = TRUE);

  // Hands header notifications on to the owner of the list.
  BOOL OnNotify(NMHDR* header, LRESULT* result) override;

 protected:
  void OnStyleChanged(DWORD oldStyle, DWORD newStyle) override;

 private:
  CHeaderCtrl m_header;
};

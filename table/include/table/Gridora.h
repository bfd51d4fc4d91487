#pragma once
// CGridora: a table of text cells over a report-style list view the caller
// owns. Rows are built cell by cell, each new row at the top; numbers are
// formatted into text on the way in and read back from it on the way out. The
// table keeps no data of its own: every cell is the text of a list item.
// Until Setup nearly every operation does nothing or returns its failure value.
#include <base/String.h>
#include <platform/Types.h>

#include <vector>

class CImageList;
class CListCtrl;

class CGridora {
 public:
  CGridora() = default;

  // Binds to a list (again, to rebind) and gives it grid lines and full-row selection.
  void Setup(CListCtrl* list);

  // Appends a column. align 'L', 'R' or 'C'; any other character keeps the
  // previous column's alignment (centre for the first).
  void SetTitle(CString title, int width, char align);

  // The next cell of the row being built; the first cell inserts the row at
  // the top. An image index that the image list does not hold gives no image.
  void AddRow(CString text);
  void AddRow(CString text, int image);
  void AddRow(int value);
  void AddRow(int value, int image);
  void AddRow(double value);
  void AddRow(double value, unsigned image);
  // precision: decimal places 0 to 9; any other value gives four.
  void AddRow(double value, int precision);
  void AddRow(double value, int precision, int image);
  void EndRow();

  void UpdateRow(int row, int col, CString text);
  void UpdateRow(int row, int col, int value);
  void UpdateRow(int row, int col, double value);
  void UpdateRow(int row, int col, double value, int precision);
  void UpdateImage(int row, int col, int image);
  // The image index of a cell; -1 for none, or before Setup.
  int GetImage(int row, int col);
  // Inserts a whole row at index row (past the end: at the end), its cells
  // from the left, with an image (as AddRow takes it) and its row data;
  // returns its index, -1 before Setup.
  int InsertRow(int row, const std::vector<CString>& cells, int image, LPARAM data);
  // One number the caller keeps with each row (0 for a new row): sorts,
  // inserts and deletes move it with its row, so it can name the row.
  void SetRowData(int row, LPARAM data);
  LPARAM GetRowData(int row);

  // The cell as text, or read the way atoi / atof read it (0 for a text that
  // does not start with a number). Only after Setup.
  CString GetValStr(int row, int col);
  int GetValInt(int row, int col);
  double GetValDbl(int row, int col);

  void DeleteRow(int row);
  // Removes all rows and keeps the columns; false before Setup.
  bool ClearTable();
  // Removes all rows and all columns; false before Setup.
  bool ResetTable();
  // -1 before Setup.
  int GetNumOfCol();
  int GetNumOfRow();
  // The selected row (the selection mark), or -1.
  int GetSelectedRow();
  // Every selected row, from the top down; empty when none is (or before Setup).
  std::vector<int> GetSelectedRows();

  void SetBackClr(COLORREF color);
  void SetTxtClr(COLORREF color);
  void SetTxtBkClr(COLORREF color);
  void SetOutlineClr(COLORREF color);
  // One row's text colour, which stays with the row when the table is sorted;
  // CLR_DEFAULT gives it the table's text colour again. CLR_DEFAULT is also
  // what GetRowTxtClr reads for a row that does not exist or before Setup.
  void SetRowTxtClr(int row, COLORREF color);
  COLORREF GetRowTxtClr(int row);
  // A cell drawn emphasised (bold, on a tint of the highlight colour), say for
  // an edit not saved yet; it stays with its row through sorts, inserts and
  // deletes. row -1: every row; col -1: every cell of the row.
  void SetCellEmphasis(int row, int col, bool emphasis);
  bool GetCellEmphasis(int row, int col);

  // Makes images (cx by cy, 8-bit colour with mask) the list's small-image
  // list, once; mask 0 keeps the previous mask colour (white at first).
  void CreateImages(CImageList* images, int cx, int cy, COLORREF mask, int initial);
  // Adds a bitmap or icon resource of that id, found in the module holding it.
  void AddImage(UINT bitmapId);
  void AddIcon(UINT iconId);
  // The icon stays the caller's.
  void AddIcon(HICON icon);
  void ClearImages();

  // The first row whose cell equals value (text: byte for byte), or -1.
  int GetRowIndex(CString value, int col);
  int GetRowIndex(int value, int col);
  int GetRowIndex(double value, int col);
  // The row of the largest / smallest number, the topmost on ties; -1 when empty.
  int GetMaxIntValIndex(int col);
  int GetMinIntValIndex(int col);
  int GetMaxDblValIndex(int col);
  int GetMinDblValIndex(int col);
  // Average of the column read as reals (text cells count as 0); 0.0 when empty.
  double GetAvrgVal(int col);

  // Sorts by the clicked header column (NMHEADER::iItem) in natural order:
  // ascending, then descending on the next click on the same column. The last
  // column and direction are shared by every table of the process. Rows keep
  // their row data.
  void SortData(NMHDR* header, LRESULT* result);
  // Sorts by col in natural order in the given direction, as a header click
  // does: the header shows the arrow, and the next click on col reverses it.
  void SortBy(int col, bool ascending);
  // What this table was sorted by last: the column (-1 before the first sort
  // and after ResetTable; ClearTable keeps it) and the direction.
  int GetSortCol();
  bool GetSortAscending();
  // Orders two sort keys.
  static int CALLBACK MyCompareProc(LPARAM a, LPARAM b, LPARAM sortData);

 private:
  CString Format(double value, int precision);
  // Runs the plain AddRow with m_nImage set to image when the list holds it.
  template <typename Add>
  void AddWithImage(int image, Add add);

  CImageList* m_pImageList = nullptr;
  bool m_bSetup = false;
  CListCtrl* m_pList = nullptr;
  int m_nAlign = 2;
  int m_nCols = 0;
  int m_nCell = 0;
  int m_nImage = -1;
  COLORREF m_crMask = 0xFFFFFF;
  bool m_bImages = false;
  int m_nPrecision = 4;
  int m_nSortCol = -1;
  bool m_bSortAscending = true;
};

#include <table/Gridora.h>

#include "NumberText.h"

#include <platform/ImageList.h>
#include <platform/ListCtrl.h>
#include <platform/Resources.h>

void CGridora::Setup(CListCtrl* list) {
  m_pList = list;
  m_bSetup = list != nullptr;
  if (m_bSetup) m_pList->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void CGridora::SetTitle(CString title, int width, char align) {
  if (!m_bSetup) return;
  switch (align) {
    case 'L': m_nAlign = LVCFMT_LEFT; break;
    case 'R': m_nAlign = LVCFMT_RIGHT; break;
    case 'C': m_nAlign = LVCFMT_CENTER; break;
    default: break;  // the previous column's alignment carries over
  }
  m_pList->InsertColumn(m_nCols, title, m_nAlign, width, -1);
  ++m_nCols;
}

void CGridora::AddRow(CString text) {
  if (!m_bSetup) return;
  if (m_nCell == 0)
    m_pList->InsertItem(LVIF_TEXT | LVIF_IMAGE, 0, text, 0, 0, m_nImage, 0);
  else
    m_pList->SetItemText(0, m_nCell, text);
  ++m_nCell;
}

template <typename Add>
void CGridora::AddWithImage(int image, Add add) {
  if (m_bImages && image <= m_pImageList->GetImageCount() - 1) m_nImage = image;
  add();
  m_nImage = -1;
}

void CGridora::AddRow(CString text, int image) {
  AddWithImage(image, [&] { AddRow(text); });
}

void CGridora::AddRow(int value) { AddRow(CString::Formatted("%d", value)); }

void CGridora::AddRow(int value, int image) {
  AddWithImage(image, [&] { AddRow(value); });
}

void CGridora::AddRow(double value) { AddRow(Format(value, m_nPrecision)); }

void CGridora::AddRow(double value, unsigned image) {
  // The index is compared as a signed number, as the other overloads do.
  AddWithImage(static_cast<int>(image), [&] { AddRow(value); });
}

void CGridora::AddRow(double value, int precision) { AddRow(Format(value, precision)); }

void CGridora::AddRow(double value, int precision, int image) {
  AddWithImage(image, [&] { AddRow(value, precision); });
}

void CGridora::EndRow() { m_nCell = 0; }

void CGridora::UpdateRow(int row, int col, CString text) {
  if (!m_bSetup) return;
  m_pList->SetItemText(row, col, text);
}

void CGridora::UpdateRow(int row, int col, int value) { UpdateRow(row, col, CString::Formatted("%d", value)); }

void CGridora::UpdateRow(int row, int col, double value) { UpdateRow(row, col, Format(value, m_nPrecision)); }

void CGridora::UpdateRow(int row, int col, double value, int precision) {
  UpdateRow(row, col, Format(value, precision));
}

void CGridora::UpdateImage(int row, int col, int image) {
  if (!m_bSetup || !m_bImages || image >= m_pImageList->GetImageCount()) return;
  LVITEM item;
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = col;
  item.iImage = image;
  m_pList->SetItem(&item);
}

int CGridora::GetImage(int row, int col) {
  LVITEM item;
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = col;
  return m_bSetup && m_pList->GetItem(&item) ? item.iImage : -1;
}

int CGridora::InsertRow(int row, const std::vector<CString>& cells, int image, LPARAM data) {
  if (!m_bSetup || row < 0) return -1;
  const int count = m_pList->GetItemCount();
  if (m_bImages && image > m_pImageList->GetImageCount() - 1) image = -1;
  row = m_pList->InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, row > count ? count : row,
                            cells.empty() ? CString() : cells.front(), 0, 0, image, data);
  for (std::size_t col = 1; row >= 0 && col < cells.size(); ++col)
    m_pList->SetItemText(row, static_cast<int>(col), cells[col]);
  return row;
}

void CGridora::SetRowData(int row, LPARAM data) {
  if (m_bSetup) m_pList->SetItemData(row, data);
}

LPARAM CGridora::GetRowData(int row) { return m_bSetup ? m_pList->GetItemData(row) : 0; }

// The three readers need a list; without one they read an empty cell rather
// than crash.
CString CGridora::GetValStr(int row, int col) { return m_pList ? m_pList->GetItemText(row, col) : CString(); }

int CGridora::GetValInt(int row, int col) { return gridora::ReadInt(GetValStr(row, col)); }

double CGridora::GetValDbl(int row, int col) { return gridora::ReadReal(GetValStr(row, col)); }

void CGridora::DeleteRow(int row) {
  if (!m_bSetup || m_pList->GetItemCount() < 1) return;
  m_pList->DeleteItem(row);
}

bool CGridora::ClearTable() {
  if (!m_bSetup) return false;
  m_pList->DeleteAllItems();
  return true;
}

bool CGridora::ResetTable() {
  if (!m_bSetup) return false;
  const CHeaderCtrl* header = m_pList->GetHeaderCtrl();
  const int columns = header ? header->GetItemCount() : 0;
  m_pList->DeleteAllItems();
  for (int i = 0; i < columns; ++i) m_pList->DeleteColumn(0);
  m_nCols = 0;
  m_nCell = 0;
  m_nSortCol = -1;
  m_bSortAscending = true;
  m_pList->SetSortIndicator(-1, TRUE);
  return true;
}

int CGridora::GetNumOfCol() {
  if (!m_bSetup) return -1;
  const CHeaderCtrl* header = m_pList->GetHeaderCtrl();
  return header ? header->GetItemCount() : 0;
}

int CGridora::GetNumOfRow() { return m_bSetup ? m_pList->GetItemCount() : -1; }

int CGridora::GetSelectedRow() {
  if (!m_bSetup || m_pList->GetItemCount() == 0) return -1;
  if (m_pList->GetNextItem(-1, LVNI_SELECTED) == -1) return -1;
  const int mark = m_pList->GetSelectionMark();
  return mark >= 0 ? mark : -1;
}

std::vector<int> CGridora::GetSelectedRows() {
  std::vector<int> rows;
  if (!m_bSetup) return rows;
  for (int row = m_pList->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_pList->GetNextItem(row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

void CGridora::SetBackClr(COLORREF color) {
  if (m_bSetup) m_pList->SetBkColor(color);
}

void CGridora::SetTxtClr(COLORREF color) {
  if (m_bSetup) m_pList->SetTextColor(color);
}

void CGridora::SetTxtBkClr(COLORREF color) {
  if (m_bSetup) m_pList->SetTextBkColor(color);
}

void CGridora::SetOutlineClr(COLORREF color) {
  if (m_bSetup) m_pList->SetOutlineColor(color);
}

void CGridora::SetRowTxtClr(int row, COLORREF color) {
  if (m_bSetup) m_pList->SetItemTextColor(row, color);
}

COLORREF CGridora::GetRowTxtClr(int row) { return m_bSetup ? m_pList->GetItemTextColor(row) : CLR_DEFAULT; }

void CGridora::SetCellEmphasis(int row, int col, bool emphasis) {
  if (m_bSetup) m_pList->SetItemEmphasis(row, col, emphasis ? TRUE : FALSE);
}

bool CGridora::GetCellEmphasis(int row, int col) { return m_bSetup && m_pList->GetItemEmphasis(row, col); }

void CGridora::CreateImages(CImageList* images, int cx, int cy, COLORREF mask, int initial) {
  if (!m_bSetup || m_bImages) return;
  m_pImageList = images;
  if (!images) return;
  if (!images->Create(cx, cy, ILC_COLOR8 | ILC_MASK, initial, 4)) return;
  if (mask != 0) m_crMask = mask;
  m_bImages = true;
  m_pList->SetImageList(images, LVSIL_SMALL);
}

void CGridora::AddImage(UINT bitmapId) {
  if (!m_bSetup || !m_bImages) return;
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  HBITMAP bitmap = LoadBitmap(AfxFindResourceHandle(bitmapId, RT_BITMAP), bitmapId);
  if (!bitmap) return;
  m_pImageList->Add(bitmap, m_crMask);
  DeleteObject(bitmap);
}

void CGridora::AddIcon(UINT iconId) {
  if (!m_bSetup || !m_bImages) return;
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  AddIcon(LoadIcon(AfxFindResourceHandle(iconId, RT_GROUP_ICON), iconId));
}

void CGridora::AddIcon(HICON icon) {
  if (!m_bSetup || !m_bImages || !icon) return;
  m_pImageList->Replace(-1, icon);
}

void CGridora::ClearImages() {
  if (!m_bSetup || !m_bImages) return;
  while (m_pImageList->GetImageCount() != 0)
    if (!m_pImageList->Remove(0)) break;  // a list that refuses would loop for ever
}

CString CGridora::Format(double value, int precision) {
  if (precision < 0 || precision > 9) precision = 4;
  return gridora::FormatFixed(value, precision);
}

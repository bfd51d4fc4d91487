#include <menus/MyMenu.h>

#include <platform/DC.h>
#include <platform/Resources.h>
#include <platform/Wnd.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Length in characters, not bytes, so that accented texts compare fairly.
int CharCount(const CString& text) {
  int n = 0;
  for (const char c : text.Str())
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

CMyMenu::CMyMenu() { CreatePopupMenu(); }

CMyMenu::~CMyMenu() { DestroyMenu(); }

void CMyMenu::SetColors(unsigned long back, unsigned long selBack, unsigned long text, unsigned long disabledText) {
  m_clrBack = static_cast<COLORREF>(back);
  m_clrSelBack = static_cast<COLORREF>(selBack);
  m_clrText = static_cast<COLORREF>(text);
  m_clrDisabledText = static_cast<COLORREF>(disabledText);
}

void CMyMenu::SetMenuItemDim(int minWidth, int minHeight, int margin, int sepHeight) {
  m_nMinWidth = minWidth;
  m_nMinHeight = minHeight;
  m_nMargin = margin;
  m_nSepHeight = sepHeight;
}

void CMyMenu::SetIconDim(int width, int height) {
  m_nIconWidth = width;
  m_nIconHeight = height;
}

void CMyMenu::Insert(unsigned int id, CString text) {
  AppendMenu(MF_STRING, id, text);
  const int length = CharCount(text);
  if (length > m_nLongestLen) {
    m_strLongest = text;
    m_nLongestLen = length;
  }
  ++m_nCount;
}

void CMyMenu::InsertItem(CString text, HICON icon) {
  Insert(m_nFirstID + m_nCount, text);
  m_icons.push_back(icon);
}

void CMyMenu::InsertItem(unsigned int iconId, CString text) {
  HICON icon = nullptr;
  if (iconId != 0) {
    // The icon belongs to the program that asks, so no module is made current here.
    if (HINSTANCE module = AfxFindResourceHandle(iconId, RT_GROUP_ICON)) icon = LoadIcon(module, iconId);
  }
  InsertItem(text, icon);
}

void CMyMenu::AddSeparator() { AddSeparator(m_nFirstID + m_nCount); }

void CMyMenu::AddSeparator(unsigned int id) {
  AppendMenu(MF_SEPARATOR, id);
  ++m_nCount;
  // Keeps items and icons paired: the entry index is the id minus the first id.
  m_icons.push_back(nullptr);
}

void CMyMenu::RenameItem(int pos, CString text) {
  if (!CheckItemPos(pos)) return;
  const unsigned int id = getZBID(pos - 1);
  ModifyMenu(id, MF_BYCOMMAND | MF_STRING, id, text);
  if (m_bShowIcons) ShowIcons(true);
}

void CMyMenu::RemoveItem(int pos) {
  if (CheckItemPos(pos)) RemoveMenu(getZBID(pos - 1), MF_BYCOMMAND);
}

void CMyMenu::DeleteAll() {
  const int n = CountItems();
  // By position, so that separators sharing an id with an item go too.
  for (int i = 0; i < n; ++i) RemoveMenu(0, MF_BYPOSITION);
  m_nCount = 0;
  // Ids start again at the first id, so the icon list does too.
  m_icons.clear();
}

void CMyMenu::EnableItem(unsigned int id, bool enable) {
  EnableMenuItem(id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void CMyMenu::EnableItem(int pos, bool enable) {
  if (CheckItemPos(pos)) EnableItem(getZBID(pos - 1), enable);
}

void CMyMenu::CheckItem(unsigned int id, bool check) {
  CheckMenuItem(id, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CMyMenu::CheckItem(int pos, bool check) {
  if (CheckItemPos(pos)) CheckItem(getZBID(pos - 1), check);
}

unsigned int CMyMenu::GetItemState(unsigned int id) { return GetMenuState(id, MF_BYCOMMAND); }

unsigned int CMyMenu::GetItemState(int pos) { return CheckItemPos(pos) ? GetItemState(getZBID(pos - 1)) : 0; }

void CMyMenu::SaveItemState(unsigned int id) { m_nSaveState = GetItemState(id); }

void CMyMenu::SaveItemState(int pos) { m_nSaveState = GetItemState(pos); }

unsigned int CMyMenu::RestoreItemState() { return m_nSaveState; }

unsigned int CMyMenu::GetItemID(int pos) { return CheckItemPos(pos) ? getZBID(pos - 1) : 0; }

CString CMyMenu::GetMenuStr(int pos) {
  CString text;
  if (CheckItemPos(pos)) GetMenuString(static_cast<UINT>(pos - 1), text, MF_BYPOSITION);
  return text;
}

CString CMyMenu::GetMenuStr(unsigned int id) {
  CString text;
  GetMenuString(id, text, MF_BYCOMMAND);
  return text;
}

int CMyMenu::CountItems() { return GetMenuItemCount(); }

HMENU CMyMenu::GetHandel() { return GetSafeHmenu(); }

void CMyMenu::ShowIcons(bool on) {
  m_bShowIcons = on;
  for (int pos = 0; pos < CountItems(); ++pos) {
    MENUITEMINFOA info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfo(static_cast<UINT>(pos), &info, TRUE);
    // A separator stays one (painted as a blank strip, never chosen).
    info.fType = (info.fType & MFT_SEPARATOR) | (on ? MFT_OWNERDRAW : MFT_STRING);
    SetMenuItemInfo(static_cast<UINT>(pos), &info, TRUE);
  }
}

unsigned int CMyMenu::Show(CWnd* window, CPoint point, char align) {
  CalcIConPos();
  CheckScrPos(align);
  const auto id = static_cast<unsigned int>(TrackPopupMenuEx(m_nAlign | TPM_RETURNCMD, point.x, point.y, window));
  return m_bReturnID ? id : id - m_nFirstID;
}

unsigned int CMyMenu::ShowWithMouse(CWnd* window, CPoint point, char align) {
  CheckScrPos(align);
  if (window) window->ClientToScreen(&point);
  return Show(window, point, align);
}

unsigned int CMyMenu::ShowWithButton(CWnd* window, unsigned int controlId, char align) {
  CheckScrPos(align);
  CWnd* control = window ? window->GetDlgItem(static_cast<int>(controlId)) : nullptr;
  // Without the control there is nowhere to show the menu: nothing is chosen.
  if (!control) return m_bReturnID ? 0 : 0 - m_nFirstID;
  CRect rect;
  control->GetWindowRect(&rect);
  const CPoint centre(rect.left + static_cast<int>(rect.Width() / 2.0), rect.top + static_cast<int>(rect.Height() / 2.0));
  return Show(window, centre, align);
}

unsigned int CMyMenu::getZBID(int pos) { return GetMenuItemID(pos); }

void CMyMenu::CheckScrPos(char align) {
  switch (align) {
    case 'L': m_nAlign = TPM_LEFTALIGN; break;
    case 'C': m_nAlign = TPM_CENTERALIGN; break;
    case 'R': m_nAlign = TPM_RIGHTALIGN; break;
    default: break;
  }
}

bool CMyMenu::CheckItemPos(int pos) { return pos >= 1 && pos <= CountItems(); }

void CMyMenu::CalcIConPos() {
  if (m_nMinHeight < m_nIconHeight) m_nMinHeight = m_nIconHeight;
  m_nIconTop = (m_nMinHeight - m_nIconHeight) / 2;
}

void CMyMenu::MeasureItem(MEASUREITEMSTRUCT* measure) {
  if (!measure || measure->CtlType != ODT_MENU) return;
  // Measured in the main window's font, or the desktop's when no window is shown.
  CClientDC dc(AfxGetMainWnd());
  const CSize extent = dc.GetTextExtent(m_strLongest);
  const bool separator = GetMenuStr(measure->itemID).IsEmpty();
  measure->itemHeight = static_cast<UINT>(separator ? m_nSepHeight : std::max<int>(extent.cy, m_nMinHeight));
  measure->itemWidth = static_cast<UINT>(std::max<int>(m_nIconWidth + extent.cx, m_nMinWidth));
}

void CMyMenu::DrawItem(DRAWITEMSTRUCT* draw) {
  if (!draw || draw->CtlType != ODT_MENU) return;
  CDC* dc = CDC::FromHandle(draw->hDC);
  const CRect rect(draw->rcItem);
  TEXTMETRIC metrics;
  dc->GetTextMetrics(&metrics);
  if (draw->itemAction & ODA_DRAWENTIRE) dc->FillSolidRect(rect, m_clrBack);

  const CString text = GetMenuStr(draw->itemID);
  const bool selected = draw->itemState & ODS_SELECTED;
  if (!text.IsEmpty()) {
    if (selected && (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) dc->FillSolidRect(rect, m_clrSelBack);
    if (!selected && (draw->itemAction & ODA_SELECT)) dc->FillSolidRect(rect, m_clrBack);
  }
  dc->SetTextColor(m_clrText);
  if (text.IsEmpty()) return;

  if (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) dc->SetTextColor(m_clrDisabledText);
  const int y = rect.top + std::abs((rect.bottom - rect.top) / 2) - metrics.tmHeight / 2;
  dc->TextOut(rect.left + m_nIconWidth + 2 * m_nMargin, y, text);

  const unsigned int index = draw->itemID - m_nFirstID;
  if (index < m_icons.size())
    DrawIconEx(dc->GetSafeHdc(), rect.left + m_nMargin, rect.top + m_nIconTop, m_icons[index], m_nIconWidth,
               m_nIconHeight, 0, nullptr, DI_NORMAL);
}

#include "RowMenu.h"

#include "WindowMenus.h"

#include <menus/IconMenu.h>
#include <platform/ListCtrl.h>

CRowMenu::CRowMenu(CListCtrl& list) : m_list(list), m_pMenu(std::make_unique<CIconMenu>()) {}

CRowMenu::~CRowMenu() = default;

void CRowMenu::SetUp() { BuildRowMenu(*m_pMenu); }

void CRowMenu::Track(const NMLISTVIEW& item) {
  m_nHotItem = item.iItem;
  m_nHotSubItem = item.iSubItem;
}

int CRowMenu::Choose(const NMITEMACTIVATE& click) {
  if (m_nHotItem < 0 || m_nHotSubItem < 0) return 0;
  CRect cell;
  CPoint where;
  if (m_list.GetSubItemRect(m_nHotItem, m_nHotSubItem, LVIR_BOUNDS, cell))
    where = cell.TopLeft();
  else
    where = CPoint(click.ptAction.x, click.ptAction.y);
  m_list.ClientToScreen(&where);
  return RowMenuCommand(m_pMenu->Show(&m_list, where, 'L'));
}

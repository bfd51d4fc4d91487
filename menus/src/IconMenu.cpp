#include <menus/IconMenu.h>
#include <menus/MyMenu.h>

// Every operation forwards to the owned menu, so the two classes cannot drift
// apart; only the first id and the return mode are set here directly.
CIconMenu::CIconMenu() : m_pMenu(std::make_unique<CMyMenu>()) {}

CIconMenu::~CIconMenu() = default;

void CIconMenu::SetFirstID(unsigned int id) { m_pMenu->m_nFirstID = id; }

void CIconMenu::SetReturnVal(bool returnId) { m_pMenu->m_bReturnID = returnId; }

void CIconMenu::SetColors(unsigned long back, unsigned long selBack, unsigned long text, unsigned long disabledText) {
  m_pMenu->SetColors(back, selBack, text, disabledText);
}

void CIconMenu::SetMenuItemDim(int minWidth, int minHeight, int margin, int sepHeight) {
  m_pMenu->SetMenuItemDim(minWidth, minHeight, margin, sepHeight);
}

void CIconMenu::SetIconDim(int width, int height) { m_pMenu->SetIconDim(width, height); }

void CIconMenu::InsertItem(unsigned int iconId, CString text) { m_pMenu->InsertItem(iconId, text); }

void CIconMenu::InsertItem(CString text, HICON icon) { m_pMenu->InsertItem(text, icon); }

void CIconMenu::AddSeparator() { m_pMenu->AddSeparator(); }

void CIconMenu::AddSeparator(unsigned int id) { m_pMenu->AddSeparator(id); }

void CIconMenu::RenameItem(int pos, CString text) { m_pMenu->RenameItem(pos, text); }

void CIconMenu::RemoveItem(int pos) { m_pMenu->RemoveItem(pos); }

void CIconMenu::DeleteAll() { m_pMenu->DeleteAll(); }

void CIconMenu::EnableItem(unsigned int id, bool enable) { m_pMenu->EnableItem(id, enable); }

void CIconMenu::EnableItem(int pos, bool enable) { m_pMenu->EnableItem(pos, enable); }

void CIconMenu::CheckItem(unsigned int id, bool check) { m_pMenu->CheckItem(id, check); }

void CIconMenu::CheckItem(int pos, bool check) { m_pMenu->CheckItem(pos, check); }

unsigned int CIconMenu::GetItemState(unsigned int id) { return m_pMenu->GetItemState(id); }

unsigned int CIconMenu::GetItemState(int pos) { return m_pMenu->GetItemState(pos); }

void CIconMenu::SaveItemState(unsigned int id) { m_pMenu->SaveItemState(id); }

void CIconMenu::SaveItemState(int pos) { m_pMenu->SaveItemState(pos); }

unsigned int CIconMenu::RestoreItemState() { return m_pMenu->RestoreItemState(); }

unsigned int CIconMenu::GetItemID(int pos) { return m_pMenu->GetItemID(pos); }

CString CIconMenu::GetMenuStr(int pos) { return m_pMenu->GetMenuStr(pos); }

CString CIconMenu::GetMenuStr(unsigned int id) { return m_pMenu->GetMenuStr(id); }

int CIconMenu::CountItems() { return m_pMenu->CountItems(); }

HMENU CIconMenu::GetHandel() { return m_pMenu ? m_pMenu->GetHandel() : nullptr; }

void CIconMenu::ShowIcons(bool on) { m_pMenu->ShowIcons(on); }

unsigned int CIconMenu::Show(CWnd* window, CPoint point, char align) { return m_pMenu->Show(window, point, align); }

unsigned int CIconMenu::ShowWithMouse(CWnd* window, CPoint point, char align) {
  return m_pMenu->ShowWithMouse(window, point, align);
}

unsigned int CIconMenu::ShowWithButton(CWnd* window, unsigned int controlId, char align) {
  return m_pMenu->ShowWithButton(window, controlId, align);
}

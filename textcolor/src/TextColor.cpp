#include <textcolor/TextColor.h>

#include <platform/Resources.h>
#include <platform/Wnd.h>

CTextColor::CTextColor() = default;

CTextColor::~CTextColor() = default;

void CTextColor::SetColor(UINT id, COLORREF crText, COLORREF crBack) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  m_arrIds.push_back(id);
  m_arrText.push_back(crText);
  m_arrBack.push_back(crBack);
}

void CTextColor::SetColor(UINT id, COLORREF crText) { SetColor(id, crText, 0); }

void CTextColor::SetBackColor(COLORREF crBack, UINT id) { SetColor(id, 0, crBack); }

bool CTextColor::Check(CWnd* pWnd) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bStop) {
    m_crText = 0;
    m_crBack = 0;
    return false;
  }
  const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
  if (id == 0) return false;
  GetTextClr(static_cast<UINT>(id));
  return true;
}

void CTextColor::Stop(bool stop) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  m_bStop = stop;
}

bool CTextColor::GetTextClr(UINT id) {
  if (m_arrIds.empty()) return false;
  // The first entry answers: later registrations of an id never override it.
  for (std::size_t i = 0; i < m_arrIds.size(); ++i) {
    if (m_arrIds[i] == id) {
      m_crText = m_arrText[i];
      m_crBack = m_arrBack[i];
      return true;
    }
  }
  m_crText = 0;
  m_crBack = 0;
  return false;
}

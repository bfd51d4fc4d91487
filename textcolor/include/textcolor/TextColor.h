#pragma once
// CTextColor: a registry of text and background colours by control id, asked
// by the owner's colour handler for each control it paints. A colour of 0
// means "none": the owner keeps the default colour.
#include <platform/Types.h>

#include <vector>

class CWnd;

class CTextColor {
 public:
  // The answer of the last Check, read by the owner right after it.
  COLORREF m_crText = 0;
  COLORREF m_crBack = 0;

  CTextColor();
  ~CTextColor();

  // Registers colours for a control id; an id registered twice keeps the
  // colours of its first registration.
  void SetColor(UINT id, COLORREF crText, COLORREF crBack);
  // Text colour only.
  void SetColor(UINT id, COLORREF crText);
  // Background colour only, the colour first. It cannot be a third SetColor
  // here: COLORREF and UINT are the same type on this platform.
  void SetBackColor(COLORREF crBack, UINT id);

  // Looks up the control's id: true with the colours in m_crText and m_crBack
  // (both 0 for an unregistered id). False while stopped (colours 0) and for
  // a window without an id (colours left as they were).
  bool Check(CWnd* pWnd);
  // While stopped every Check answers false; the entries stay.
  void Stop(bool stop);

 private:
  bool GetTextClr(UINT id);

  bool m_bStop = false;
  std::vector<COLORREF> m_arrText;
  std::vector<COLORREF> m_arrBack;
  std::vector<UINT> m_arrIds;
};

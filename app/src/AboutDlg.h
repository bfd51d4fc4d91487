#pragma once
// CAboutDlg: the About box. Its two links open the maker's addresses through
// the main window's shell-command object; without one they do nothing.
#include <platform/Dialog.h>

class CShellcmd;

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* parent = nullptr);

  CShellcmd* m_pShell = nullptr;  // not owned

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(CCtlColorDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
  void OnSite();
  void OnSite2();

  HCURSOR m_hHand = nullptr;
  HCURSOR m_hArrow = nullptr;
  CStatic m_lnkSite;
  CStatic m_lnkSite2;

 private:
  void Open(const char* address);
};

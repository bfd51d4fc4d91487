#pragma once
// CQuilloryApp: starts the program and runs the main window until it closes.
#include <platform/WinApp.h>

class CQuilloryApp : public CWinApp {
 public:
  CQuilloryApp() : CWinApp("quillory") {}
  BOOL ParseCommandLine() override;
  BOOL InitInstance() override;
  int ExitInstance() override { return m_nExitCode; }

 private:
  int m_nExitCode = 0;
};

#pragma once
// CWinApp: the program's one application object; it owns the Qt application.
#include <base/String.h>
#include <platform/Types.h>

#include <memory>
#include <vector>

class QApplication;
// The framework's help command; a dialog's "&Help" button carries this id.
constexpr int ID_HELP = 0xE146;

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Makes the Qt application (unless one exists), then InitInstance, the event
  // loop unless it returned false, and ExitInstance, whose code it returns.
  int Run(int argc, char** argv);

  // Runs before the Qt application is made (so --help needs no display), with
  // GetArguments holding the raw arguments; false ends the program at once.
  virtual BOOL ParseCommandLine();
  virtual BOOL InitInstance();
  virtual int ExitInstance();

  // After the program's name, without the platform's own options.
  const std::vector<CString>& GetArguments() const { return m_arguments; }

  const char* m_pszAppName;
  CWnd* m_pMainWnd = nullptr;

 private:
  std::vector<CString> m_arguments;
  // QApplication keeps a reference to argc, so both live in the object.
  int m_argc = 0;
  std::vector<char*> m_argv;
  std::unique_ptr<QApplication> m_pApp;
};

#pragma once
// CWinApp: the application object. There is one per program; it owns the Qt
// application and hands the command line to InitInstance.
#include <base/String.h>
#include <platform/Types.h>

#include <memory>
#include <vector>

// The framework's help command; a dialog's "&Help" button carries this id.
constexpr int ID_HELP = 0xE146;

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs the program: makes the Qt application (unless one exists already),
  // takes the arguments, then InitInstance; when that returns false the
  // program ends with ExitInstance's code, otherwise the event loop runs first.
  int Run(int argc, char** argv);

  // Runs before the Qt application is made (so --help needs no display), with
  // GetArguments holding the raw arguments; false ends the program at once.
  virtual BOOL ParseCommandLine();
  virtual BOOL InitInstance();
  virtual int ExitInstance();

  // The command-line arguments after the program's name (the platform's own
  // options already removed).
  const std::vector<CString>& GetArguments() const { return m_arguments; }

  const char* m_pszAppName;
  CWnd* m_pMainWnd = nullptr;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
  std::vector<CString> m_arguments;
};

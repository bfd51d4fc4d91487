#include <platform/WinApp.h>

#include "Handles.h"

#include <QApplication>

struct CWinApp::Impl {
  int argc = 0;
  std::vector<char*> argv;
  std::unique_ptr<QApplication> app;
};

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), m_pImpl(std::make_unique<Impl>()) {}

CWinApp::~CWinApp() = default;

int CWinApp::Run(int argc, char** argv) {
  // QApplication keeps a reference to argc, so both live in the object.
  m_arguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!ParseCommandLine()) return ExitInstance();
  m_pImpl->argc = argc;
  m_pImpl->argv.assign(argv, argv + argc);
  m_pImpl->argv.push_back(nullptr);
  if (!QApplication::instance()) {
    m_pImpl->app = std::make_unique<QApplication>(m_pImpl->argc, m_pImpl->argv.data());
    if (m_pszAppName) QApplication::setApplicationName(QString::fromUtf8(m_pszAppName));
  }
  m_arguments.clear();
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) m_arguments.push_back(platform::FromQt(args[i]));

  if (InitInstance()) QApplication::exec();
  const int code = ExitInstance();
  m_pMainWnd = nullptr;
  m_pImpl->app.reset();
  return code;
}

BOOL CWinApp::ParseCommandLine() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }


#include <platform/WinApp.h>

#include "Handles.h"

#include <QApplication>

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {}

CWinApp::~CWinApp() = default;

int CWinApp::Run(int argc, char** argv) {
  m_arguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (!ParseCommandLine()) return ExitInstance();
  m_argc = argc;
  m_argv.assign(argv, argv + argc);
  m_argv.push_back(nullptr);
  if (!QApplication::instance()) {
    m_pApp = std::make_unique<QApplication>(m_argc, m_argv.data());
    if (m_pszAppName) QApplication::setApplicationName(QString::fromUtf8(m_pszAppName));
  }
  m_arguments.clear();
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) m_arguments.push_back(platform::FromQt(args[i]));

  if (InitInstance()) QApplication::exec();
  const int code = ExitInstance();
  m_pMainWnd = nullptr;
  m_pApp.reset();
  return code;
}

BOOL CWinApp::ParseCommandLine() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }


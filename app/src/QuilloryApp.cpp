#include "QuilloryApp.h"

#include "QuilloryDlg.h"

#include <platform/Path.h>

#include <cstdio>

namespace {

constexpr const char* kUsage =
    "Usage: quillory [FOLDER]\n"
    "Edits the ID3 tags of the MP3 files in FOLDER (or in a folder chosen with Open Folder).\n";

}  // namespace

BOOL CQuilloryApp::ParseCommandLine() {
  const auto& args = GetArguments();
  if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
    std::fputs(kUsage, stdout);
    return FALSE;
  }
  // Qt's own options (-platform, -style, ...) are taken by Qt later.
  int folders = 0;
  for (const CString& arg : args)
    if (arg.Left(1) != "-") ++folders;
  if (folders > 1) {
    std::fputs(kUsage, stderr);
    m_nExitCode = 2;
    return FALSE;
  }
  return TRUE;
}

BOOL CQuilloryApp::InitInstance() {
  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey("Local AppWizard-Generated Applications");

  const auto& args = GetArguments();
  if (args.size() > 1 || (!args.empty() && args[0].Left(1) == "-")) {
    std::fprintf(stderr, "quillory: unknown option %s\n%s", args[0].GetString(), kUsage);
    m_nExitCode = 2;
    return FALSE;
  }

  CQuilloryDlg dlg;
  if (!args.empty()) {
    // A folder that is not there is reported in the window as well, where a
    // user who started the program from a file manager sees it.
    if (!platform::DirectoryExists(args[0])) std::fprintf(stderr, "quillory: folder not found: %s\n", args[0].GetString());
    dlg.SetStartFolder(args[0]);
  }
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}

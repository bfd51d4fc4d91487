#include "QuilloryApp.h"

#include "QuilloryDlg.h"

#include <base/Path.h>

#include <cstdio>

namespace {

constexpr const char* kUsage =
    "Usage: quillory [-r] [FOLDER]\n"
    "Edits the tags of the music files (MP3, FLAC, Ogg Vorbis, Opus, MP4/M4A) in FOLDER\n"
    "(or in a folder chosen with Open Folder).\n"
    "  -r  include the files in the folders below FOLDER\n";

// The arguments taken apart: "-r" and the folder, in either order. Returns
// the first argument that is neither (empty when all are good).
CString SplitArguments(const std::vector<CString>& args, bool* subfolders, CString* folder) {
  *subfolders = false;
  folder->Empty();
  for (const CString& arg : args) {
    if (arg == "-r" && !*subfolders)
      *subfolders = true;
    else if (arg.Left(1) != "-" && folder->IsEmpty())
      *folder = arg;
    else
      return arg;
  }
  return CString();
}

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
  CWinApp::InitInstance();

  bool subfolders = false;
  CString folder;
  const CString unknown = SplitArguments(GetArguments(), &subfolders, &folder);
  if (!unknown.IsEmpty() || (subfolders && folder.IsEmpty())) {
    if (unknown.IsEmpty())
      std::fprintf(stderr, "quillory: -r needs a folder\n%s", kUsage);
    else
      std::fprintf(stderr, "quillory: unknown option %s\n%s", unknown.GetString(), kUsage);
    m_nExitCode = 2;
    return FALSE;
  }

  CQuilloryDlg dlg;
  if (!folder.IsEmpty()) {
    // A folder that is not there is reported in the window as well, where a
    // user who started the program from a file manager sees it.
    if (!base::DirectoryExists(folder)) std::fprintf(stderr, "quillory: folder not found: %s\n", folder.GetString());
    dlg.SetStartFolder(folder, subfolders);
  } else {
    dlg.BrowseAtStart();
  }
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}

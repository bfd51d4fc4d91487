#include "DesktopCommands.h"

#include "AboutDlg.h"
#include "Resource.h"
#include "UserGuide.h"

#include <core/RowFiles.h>

#include <base/Launch.h>
#include <base/Path.h>
#include <platform/Html.h>
#include <platform/ListCtrl.h>
#include <platform/MessageBox.h>
#include <shell/Shellcmd.h>
#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <utility>

namespace {

// The request with the shell's own message boxes off; the caller says what failed.
bool Quietly(CShellcmd& shell, bool (CShellcmd::*request)(CString), const CString& path) {
  const bool showErrors = std::exchange(shell.m_bShowErrors, false);
  const bool done = (shell.*request)(path);
  shell.m_bShowErrors = showErrors;
  return done;
}

}  // namespace

bool OpenOnDesktop(CShellcmd& shell, CWnd* parent, const CString& target) {
  const bool done = Quietly(shell, &CShellcmd::Run, target);
  if (done || !shell.m_bShowErrors) return done;
  // A file that is there and readable, or an address, failed for want of a
  // program to open it; a missing or unreadable file keeps the shell's reason.
  const bool address = base::IsAddress(target.Str());
  CString text = shell.GetLastErr();
  if (address || base::ProblemOpening(target) == base::PathProblem::None)
    text = CString(address ? "The address" : "The file") + " could not be opened: no program to open it was found.";
  MessageBoxA(parent ? parent->GetSafeHwnd() : nullptr, text + "\n\n" + target, "Could not open",
              MB_OK | MB_ICONWARNING);
  return false;
}

void CDesktopCommands::Play() {
  m_status.Clear();
  const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  const int row = focused >= 0 ? focused : m_table.GetSelectedRow();
  if (row < 0) {
    m_status.ErrorMsg("Select a file to play.");
    return;
  }
  const CString& folder = m_session.Folder();
  if (folder.IsEmpty()) return;
  const CString key = m_session.FileKeyOf(m_session.Table().IdOf(row));
  m_status.InfoMsg(CString::Formatted("Now playing file:%s", key));
  OpenOnDesktop(m_shell, &m_parent, CRowFiles(folder).OpenPathOf(key));
}

void CDesktopCommands::Explore() {
  m_status.Clear();
  const CString& folder = m_session.Folder();
  if (folder.IsEmpty()) {
    m_status.ErrorMsg("Open a folder first: there is nothing to explore.");
    return;
  }
  if (Quietly(m_shell, &CShellcmd::exploreFolder, folder))
    m_status.InfoMsg("The folder opens in your file manager: " + folder);
  else
    m_status.ErrorMsg("No file manager could be started to show " + folder + ".");
}

void CDesktopCommands::WebSite() { OpenOnDesktop(m_shell, &m_parent, kWebSite); }

void CDesktopCommands::Help() {
  m_status.Clear();
  const CString guide = UserGuidePath();
  if (guide.IsEmpty()) {
    m_status.ErrorMsg("The user guide is not installed.");
    return;
  }
  // A desktop without a browser gets the guide in a window of the program's own.
  if (Quietly(m_shell, &CShellcmd::Run, guide))
    m_status.InfoMsg("The user guide opens in your web browser.");
  else if (platform::ShowHtmlWindow(guide, "Quillory User Guide", &m_parent))
    m_status.InfoMsg("No web browser could be started: the user guide is shown in a window of its own.");
  else
    m_status.ErrorMsg("The user guide could not be read: " + guide);
}

void CDesktopCommands::About() {
  CAboutDlg about(&m_parent);
  about.m_pShell = &m_shell;
  about.DoModal();
}

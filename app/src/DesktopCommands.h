#pragma once
// CDesktopCommands: what the window hands to the desktop — playing the
// focused row's file, showing the folder in the file manager, the web site,
// the user guide (in the browser, else in a window of its own) and About.
#include <core/FolderSession.h>

class CGridora;
class CListCtrl;
class CShellcmd;
class CStatus;
class CWnd;

// Opens target (a file, or a web address) with the desktop's program for it.
// When that cannot be done, a message box over parent says so in plain words
// and names target (with shell's m_bShowErrors off, nothing is shown); false then.
bool OpenOnDesktop(CShellcmd& shell, CWnd* parent, const CString& target);

class CDesktopCommands {
 public:
  CDesktopCommands(CWnd& parent, CShellcmd& shell, CStatus& status, CFolderSession& session, CGridora& table,
                   CListCtrl& list)
      : m_parent(parent), m_shell(shell), m_status(status), m_session(session), m_table(table), m_list(list) {}

  // One file plays: of several selected rows, the focused one.
  void Play();
  void Explore();
  void WebSite();
  void Help();
  void About();

 private:
  CWnd& m_parent;
  CShellcmd& m_shell;
  CStatus& m_status;
  CFolderSession& m_session;
  CGridora& m_table;
  CListCtrl& m_list;
};

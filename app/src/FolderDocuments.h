#pragma once
// CFolderDocuments: the documents made of the folder's rows, beside them —
// "Export…" of the rows as CSV (the command line's format) and "Import…" of
// such a sheet, "Make playlist…" of the selected rows, and the HTML report
// opened in the web browser.
#include <core/FolderSession.h>

#include <string>
#include <vector>

class CGridora;
class CRowsDialogs;
class CShellcmd;
class CStatus;
class CWnd;

class CFolderDocuments {
 public:
  CFolderDocuments(CWnd& parent, CFolderSession& session, CGridora& table, CStatus& status, CRowsDialogs& dialogs,
                   CShellcmd& shell)
      : m_parent(parent), m_session(session), m_table(table), m_status(status), m_dialogs(dialogs), m_shell(shell) {}

  void Export();
  // The sheet is checked whole, then its changes are previewed and applied as one step.
  void Import();
  void MakePlaylist();
  // report.html beside the music files, opened in the web browser.
  void WriteReport();

 private:
  // The selected rows' ids in the table's order (every row's when none is
  // selected, or when selectedOnly is false).
  std::vector<RowId> RowsOrAll(bool selectedOnly) const;
  // A file to write, chosen in a save dialog that offers FOLDER.extension; empty when cancelled.
  CString ChooseFileToWrite(const char* extension, const char* filter);
  // Writes text to path durably; false, with what and why in the status bar, when it cannot.
  bool WriteBesideRows(const CString& path, const std::string& text, const char* what);
  // There are rows; else the status bar says "Open a folder first: there are no rows " + forWhat.
  bool HasRows(const char* forWhat);

  CWnd& m_parent;
  CFolderSession& m_session;
  CGridora& m_table;
  CStatus& m_status;
  CRowsDialogs& m_dialogs;
  CShellcmd& m_shell;
};

#pragma once
// The command history of the file table: every change to the table is a
// command that can be done, undone and done again. The history keeps the
// steps done (for Undo) and the steps undone since (for Redo), without a
// limit; doing a new step forgets what could have been redone. It knows
// nothing of tables or windows: a command does and undoes itself.
#include <base/String.h>

#include <memory>
#include <vector>

class CCommand {
 public:
  virtual ~CCommand() = default;
  // What the status bar calls the step: "Update list (24 rows)".
  virtual CString Name() const = 0;
  // Does the change; called again to redo it after Undo.
  virtual void Do() = 0;
  // Takes the change back, leaving what Do found.
  virtual void Undo() = 0;
};

class CCommandHistory {
 public:
  // Does the command and keeps it as the step Undo takes back.
  void Do(std::unique_ptr<CCommand> command);
  // Takes back the last step done, or does again the last step undone;
  // returns its name, empty when there was none.
  CString Undo();
  CString Redo();
  bool CanUndo() const { return !m_done.empty(); }
  bool CanRedo() const { return !m_undone.empty(); }
  // A new history: nothing to undo or redo (a folder was read anew).
  void Clear();

 private:
  std::vector<std::unique_ptr<CCommand>> m_done;
  std::vector<std::unique_ptr<CCommand>> m_undone;
};

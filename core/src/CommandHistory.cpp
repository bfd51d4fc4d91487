#include <core/CommandHistory.h>

void CCommandHistory::Do(std::unique_ptr<CCommand> command) {
  if (!command) return;
  command->Do();
  m_done.push_back(std::move(command));
  m_undone.clear();
}

namespace {

// Takes the last step of from, undoes or does it, and keeps it in to; its name.
CString Move(std::vector<std::unique_ptr<CCommand>>& from, std::vector<std::unique_ptr<CCommand>>& to,
             void (CCommand::*step)()) {
  if (from.empty()) return CString();
  std::unique_ptr<CCommand> command = std::move(from.back());
  from.pop_back();
  (command.get()->*step)();
  const CString name = command->Name();
  to.push_back(std::move(command));
  return name;
}

}  // namespace

CString CCommandHistory::Undo() { return Move(m_done, m_undone, &CCommand::Undo); }

CString CCommandHistory::Redo() { return Move(m_undone, m_done, &CCommand::Do); }

void CCommandHistory::Clear() {
  m_done.clear();
  m_undone.clear();
}

#include "CommandHistory.h"

void CCommandHistory::Do(std::unique_ptr<CCommand> command) {
  if (!command) return;
  command->Do();
  m_done.push_back(std::move(command));
  m_undone.clear();
}

CString CCommandHistory::Undo() {
  if (m_done.empty()) return CString();
  std::unique_ptr<CCommand> command = std::move(m_done.back());
  m_done.pop_back();
  command->Undo();
  const CString name = command->Name();
  m_undone.push_back(std::move(command));
  return name;
}

CString CCommandHistory::Redo() {
  if (m_undone.empty()) return CString();
  std::unique_ptr<CCommand> command = std::move(m_undone.back());
  m_undone.pop_back();
  command->Do();
  const CString name = command->Name();
  m_done.push_back(std::move(command));
  return name;
}

void CCommandHistory::Clear() {
  m_done.clear();
  m_undone.clear();
}

#include "FailedRows.h"

#include <table/Gridora.h>

namespace {

constexpr COLORREF kFailedText = RGB(204, 0, 0);

}  // namespace

void CFailedRows::Mark(int row, const CString& message) {
  if (row < 0 || row >= m_pTable->GetNumOfRow()) return;
  m_pTable->SetRowTxtClr(row, kFailedText);
  m_messages[m_pRows->IdOf(row)] = message;
}

void CFailedRows::Unmark(int row) {
  if (!IsMarked(row)) return;
  m_pTable->SetRowTxtClr(row, CLR_DEFAULT);
  m_messages.erase(m_pRows->IdOf(row));
}

bool CFailedRows::IsMarked(int row) {
  return !m_messages.empty() && row >= 0 && m_pTable->GetRowTxtClr(row) == kFailedText;
}

CString CFailedRows::MessageOf(int row) {
  if (!IsMarked(row)) return {};
  const auto found = m_messages.find(m_pRows->IdOf(row));
  return found != m_messages.end() ? found->second : CString();
}

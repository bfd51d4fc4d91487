// The apply-to-all rules.
#include "QuilloryDlg.h"

#include "Resource.h"

#include <statusbar/Status.h>

void CQuilloryDlg::OnCheckAll() {
  m_pStatus->Clear();
  SetAllRuleChecks(BST_CHECKED);
  m_pStatus->InfoMsg("All check boxes gave been checked.");
}

void CQuilloryDlg::OnUncheckAll() {
  m_pStatus->Clear();
  SetAllRuleChecks(BST_UNCHECKED);
  m_pStatus->InfoMsg("All check boxes gave been unchecked.");
}

void CQuilloryDlg::SetAllRuleChecks(int state) {
  for (int id = IDC_RULE_FIRST; id <= IDC_RULE_LAST; ++id) CheckDlgButton(id, static_cast<UINT>(state));
}

void CQuilloryDlg::OnUpdateList() {
  m_pStatus->Clear();
  m_pStatus->InfoMsg("Not available yet");
}

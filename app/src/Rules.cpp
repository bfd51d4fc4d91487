// The apply-to-all rules.
#include "QuilloryDlg.h"

#include "FieldBoxes.h"
#include <core/RowCommands.h>

#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <array>
#include <vector>

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
  for (Field field : kRuleFields) CheckDlgButton(BoxOf(field).rule.nId, static_cast<UINT>(state));
}

void CQuilloryDlg::OnUpdateList() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Nothing in list to be updated.");
    return;
  }
  UpdateData(TRUE);
  // Nothing can change a box while the rows are walked, so each box is read once.
  std::array<CRuleChoice, kRuleCount> rules;
  for (std::size_t k = 0; k < rules.size(); ++k) {
    const Field field = kRuleFields[k];
    const FieldRule& rule = SpecOf(field).rule;
    rules[k] = {IsDlgButtonChecked(BoxOf(field).rule.nId) == BST_CHECKED ? rule.checked : rule.unchecked,
                this->*BoxOf(field).edit.pValue};
  }
  m_list.SetRedraw(FALSE);
  m_pSession->ApplyRules(rules);
  m_list.SetRedraw(TRUE);
  // The boxes' texts are now in the table: leaving does not ask for them.
  NoteBoxesShown();
  ShowTableState();
}

// The apply-to-all rules.
#include "QuilloryDlg.h"

#include "Fields.h"

#include <statusbar/Status.h>
#include <table/Gridora.h>

#include <array>

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
  for (Field field : kEditableFields) CheckDlgButton(SpecOf(field).rule.nId, static_cast<UINT>(state));
}

namespace {

// Writes what the rule's value says into the field's cell of the row.
void WriteRuleValue(CGridora& table, int row, Field field, const RuleValue& value, const CString& edit) {
  const int column = ColumnOf(field);
  if (value.kind == RuleValue::kRowNumber)
    table.UpdateRow(row, column, row + 1);
  else if (value.kind == RuleValue::kCell)
    table.UpdateRow(row, column, table.GetValStr(row, ColumnOf(value.source)));
  else if (value.kind == RuleValue::kEditBox)
    table.UpdateRow(row, column, edit);
}

}  // namespace

void CQuilloryDlg::OnUpdateList() {
  m_pStatus->Clear();
  if (m_pTable->GetNumOfRow() <= 0) {
    m_pStatus->ErrorMsg("Nothing in list to be updated.");
    return;
  }
  const int rows = m_pTable->GetNumOfRow();
  UpdateData(TRUE);
  // Nothing can change a box while the rows are walked, so each box is read
  // once; finding a control by its id costs more than a row's whole update.
  std::array<const RuleValue*, kEditableCount> values{};
  for (std::size_t k = 0; k < values.size(); ++k) {
    const FieldRule& rule = SpecOf(kEditableFields[k]).rule;
    values[k] = IsDlgButtonChecked(rule.nId) == BST_CHECKED ? &rule.checked : &rule.unchecked;
  }
  m_list.SetRedraw(FALSE);
  for (int row = 0; row < rows; ++row)
    for (std::size_t k = 0; k < values.size(); ++k) {
      const Field field = kEditableFields[k];
      WriteRuleValue(*m_pTable, row, field, *values[k], this->*SpecOf(field).edit.pValue);
    }
  m_list.SetRedraw(TRUE);
  m_bDataChanged = true;
}

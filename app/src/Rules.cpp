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
  const int rows = m_pTable->GetNumOfRow();
  UpdateData(TRUE);
  // Nothing can change a box while the rows are walked, so each box is read
  // once; finding a control by its id costs more than a row's whole update.
  std::array<const RuleValue*, kRuleCount> values{};
  for (std::size_t k = 0; k < values.size(); ++k) {
    const FieldRule& rule = SpecOf(kRuleFields[k]).rule;
    values[k] = IsDlgButtonChecked(BoxOf(kRuleFields[k]).rule.nId) == BST_CHECKED ? &rule.checked : &rule.unchecked;
  }
  // Each row's new cells are worked out first, the rules in their order (a
  // rule may copy a cell an earlier one wrote); the rows whose cells change
  // then change in one step of the history.
  std::vector<CRowChange> changes;
  for (int row = 0; row < rows; ++row) {
    CPackedCells wanted;
    const auto cell = [&](Field field) {
      const int col = ColumnOf(field);
      return wanted.Has(col) ? wanted.Get(col) : m_pTable->GetValStr(row, col);
    };
    for (std::size_t k = 0; k < values.size(); ++k) {
      const Field field = kRuleFields[k];
      const RuleValue& value = *values[k];
      if (value.kind == RuleValue::kRowNumber)
        wanted.Set(ColumnOf(field), CString::Formatted("%d", row + 1));
      else if (value.kind == RuleValue::kCell)
        wanted.Set(ColumnOf(field), cell(value.source));
      else if (value.kind == RuleValue::kEditBox)
        wanted.Set(ColumnOf(field), this->*BoxOf(field).edit.pValue);
    }
    if (auto change = ChangeTo(*m_pRows, m_pRows->IdOf(row), wanted)) changes.push_back(std::move(*change));
  }
  // The boxes' texts are now in the table: leaving does not ask for them.
  NoteBoxesShown();
  if (changes.empty()) return;
  const int changed = static_cast<int>(changes.size());
  const CString name = CString::Formatted("Update list (%d %s)", changed, changed == 1 ? "row" : "rows");
  m_list.SetRedraw(FALSE);
  DoCommand(std::make_unique<CRowsEdit>(*m_pRows, name, std::move(changes)));
  m_list.SetRedraw(TRUE);
}

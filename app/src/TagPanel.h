#pragma once
// CTagPanel: the tag panel under the list — an edit box per field, the genre
// list, and the check box of each apply-to-all rule. It knows the rows it was
// filled from and the texts it showed them with, so it can tell which boxes
// the user typed into; the window hands those cells to the session.
#include "FieldBoxes.h"

#include <core/FolderSession.h>
#include <core/PackedCells.h>

#include <platform/Controls.h>
#include <platform/Dialog.h>

#include <array>
#include <memory>
#include <vector>

class CTagPanel {
 public:
  explicit CTagPanel(CDialog& dialog) : m_dlg(dialog) {}

  // Binds the boxes' texts to the panel (from the dialog's DoDataExchange).
  void Exchange(CDataExchange* pDX);
  // Once the controls exist: the genre names to choose from, and the marker
  // of a missing field, which typing replaces.
  void SetUp();

  // Fills the boxes from the rows: one row shows its cells (a genre by its
  // name), several their common texts, with "(different values)" in each box
  // where they differ.
  void Fill(CFolderSession& session, const std::vector<int>& rows);
  void Clear();
  // The rows the boxes were filled from, by id; empty while they hold none.
  const std::vector<RowId>& Rows() const { return m_rows; }
  // A box's text as last shown or read (Read).
  const CString& Text(Field field) const { return m_texts[static_cast<std::size_t>(field)]; }
  // Takes in what the boxes hold now.
  void Read() { m_dlg.UpdateData(TRUE); }
  // The cells of the boxes changed since they were filled (after Read).
  CPackedCells TypedCells() const;
  // The boxes have been typed into since they were shown (or noted as shown).
  bool HasTyping() const;
  // The boxes' present texts count as shown: they are in the table now.
  void NoteShown();
  // Update is enabled exactly while the boxes hold a row.
  void EnableUpdate();
  void CheckAllRules(bool checked);
  // Each rule as its check box chooses it, with its box's text (after Read).
  std::array<CRuleChoice, kRuleCount> RuleChoices() const;

 private:
  // Shows m_texts, for rows, with the hint in each box whose rows differ.
  void Show(const std::vector<bool>& differs, std::vector<RowId> rows);

  CDialog& m_dlg;
  std::array<CString, kPanelEnd> m_texts;
  CComboBox m_genre;
  std::vector<std::unique_ptr<CEdit>> m_edits;  // the editable text boxes, for their hints
  std::vector<RowId> m_rows;
  std::vector<CString> m_filled;  // the editable boxes' texts as filled from m_rows
  std::vector<CString> m_shown;   // and as last shown or noted
};

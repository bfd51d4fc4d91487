#pragma once
// The tag panel's controls of each field: its edit box, the box's label and
// the dialog's string the box exchanges its text with, and the check box of
// its apply-to-all rule (id 0 where it has none). The core's field table
// knows nothing of them.
#include <core/Fields.h>

class CButton;
class CQuilloryDlg;

struct FieldEdit {
  int nId = 0;
  int nLabelId = 0;
  const char* strLabel = nullptr;
  CString CQuilloryDlg::*pValue = nullptr;
};
struct FieldRuleBox {
  int nId = 0;
  const char* strCaption = nullptr;
  CButton CQuilloryDlg::*pBox = nullptr;
};
struct FieldBoxes {
  FieldEdit edit{};
  FieldRuleBox rule{};
};

// The controls of a field of the panel (kFileName up to kPanelEnd).
const FieldBoxes& BoxOf(Field field);

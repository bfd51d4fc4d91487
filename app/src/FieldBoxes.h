#pragma once
// The tag panel's controls of each field: its edit box and the box's label,
// and the check box of its apply-to-all rule (id 0 where it has none). The
// core's field table knows nothing of them.
#include <core/Fields.h>

struct FieldEdit {
  int nId = 0;
  int nLabelId = 0;
  const char* strLabel = nullptr;
};
struct FieldRuleBox {
  int nId = 0;
  const char* strCaption = nullptr;
};
struct FieldBoxes {
  FieldEdit edit{};
  FieldRuleBox rule{};
};

// The controls of a field of the panel (kFileName up to kPanelEnd).
const FieldBoxes& BoxOf(Field field);

// The field table against the window it describes: each field's edit box,
// label and check box are the template's controls with the table's captions,
// and the dialog members the table names are the ones bound to them.
#include "FieldBoxes.h"
#include "QuilloryDlg.h"
#include "Resource.h"

#include <platform/Controls.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dlg.Create()); }
  // The template's control with the id; null when there is none or several.
  const platform::DialogItem* Item(int id) {
    const platform::DialogItem* found = nullptr;
    for (const auto& item : m_dlg.GetTemplate().items) {
      if (item.id != id) continue;
      if (found) return nullptr;
      found = &item;
    }
    return found;
  }

  struct PanelDlg : CQuilloryDlg {
    using CQuilloryDlg::m_panel;
  };
  PanelDlg m_dlg;
};

}  // namespace

TEST_F(FieldsTest, EachPanelFieldHasItsOwnEditBoxLabelAndString) {
  std::set<int> ids;
  for (Field field : kPanelFields) {
    const FieldEdit& edit = BoxOf(field).edit;
    const platform::DialogItem* box = Item(edit.nId);
    const platform::DialogItem* label = Item(edit.nLabelId);
    ASSERT_NE(box, nullptr) << edit.strLabel;
    ASSERT_NE(label, nullptr) << edit.strLabel;
    EXPECT_STREQ(box->windowClass, field == kGenre ? "ComboBox" : "Edit");
    EXPECT_EQ((box->style & ES_MULTILINE) != 0, field == kLyrics) << edit.strLabel;
    EXPECT_EQ((box->style & ES_READONLY) != 0, field == kFileName) << edit.strLabel;
    EXPECT_STREQ(label->windowClass, "Static");
    EXPECT_STREQ(label->caption, edit.strLabel);
    EXPECT_TRUE(ids.insert(edit.nId).second && ids.insert(edit.nLabelId).second) << edit.strLabel;
    const bool more = edit.nLabelId >= IDC_MORE_FIRST && edit.nLabelId <= IDC_MORE_LAST;
    EXPECT_TRUE((edit.nLabelId >= IDC_LABEL_FIRST && edit.nLabelId <= IDC_LABEL_LAST) || field == kGenre ||
                (more && (field == kDisc || field == kLyrics)))
        << edit.strLabel;
  }
  // A text exchanged with another field's box would move every edit to the wrong column.
  for (Field field : kPanelFields) m_dlg.SetDlgItemText(BoxOf(field).edit.nId, SpecOf(field).strTitle);
  CTagPanel& panel = m_dlg.m_panel;
  panel.Read();
  for (Field field : kPanelFields) EXPECT_EQ(panel.Text(field).Str(), SpecOf(field).strTitle);
}

TEST_F(FieldsTest, EachEditableFieldHasItsOwnRuleBoxInIdOrder) {
  int expected = IDC_RULE_FIRST;
  for (Field field : kRuleFields) {
    const FieldRuleBox& rule = BoxOf(field).rule;
    // Check all, the tests and the layout's two columns walk the boxes by id.
    EXPECT_EQ(rule.nId, expected++) << rule.strCaption;
    const platform::DialogItem* box = Item(rule.nId);
    ASSERT_NE(box, nullptr) << rule.strCaption;
    EXPECT_STREQ(box->windowClass, "Button");
    EXPECT_EQ(box->style & BS_AUTOCHECKBOX, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_STREQ(box->caption, rule.strCaption);
  }
  EXPECT_EQ(expected, IDC_RULE_LAST + 1);
}

#include "FormatFieldsDlg.h"

#include "Resource.h"


#include <iterator>

namespace {

// The case list's choices after "Leave as it is", in its order.
constexpr struct {
  const char* name;
  TextCase textCase;
} kCases[] = {
    {"Title Case", TextCase::kTitle},
    {"lower case", TextCase::kLower},
    {"UPPER CASE", TextCase::kUpper},
    {"First letter only", TextCase::kFirstLetter},
};

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kList = kVisible | WS_TABSTOP | CBS_DROPDOWNLIST;
  constexpr DWORD kEdit = kVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_FORMAT_FIELDS, "Format fields",
      {
          {IDC_STATIC, "Static", "&Fields:", 7, 9, 32, 8, kVisible | SS_LEFT},
          {IDC_FORMAT_FIELD, "ComboBox", "", 42, 7, 110, 12, kList},
          {IDC_STATIC, "Static", "&Case:", 165, 9, 24, 8, kVisible | SS_LEFT},
          {IDC_FORMAT_CASE, "ComboBox", "", 192, 7, 90, 12, kList},
          {IDC_STATIC, "Static", "&Replace:", 7, 25, 32, 8, kVisible | SS_LEFT},
          {IDC_FIND, "Edit", "", 42, 23, 110, 12, kEdit},
          {IDC_STATIC, "Static", "&with:", 165, 25, 24, 8, kVisible | SS_LEFT},
          {IDC_REPLACE_WITH, "Edit", "", 192, 23, 90, 12, kEdit},
          {IDC_REGEX, "Button", "Regular e&xpression", 290, 24, 83, 10, kVisible | WS_TABSTOP | BS_AUTOCHECKBOX},
      });
  return t;
}

}  // namespace

CFormatFieldsDlg::CFormatFieldsDlg(const CRowTexts& rows, CWnd* parent) : CPreviewDlg(Template(), rows, parent) {
  RefreshOn(IDC_FORMAT_FIELD, CBN_SELCHANGE);
  RefreshOn(IDC_FORMAT_CASE, CBN_SELCHANGE);
  RefreshOn(IDC_FIND, EN_CHANGE);
  RefreshOn(IDC_REPLACE_WITH, EN_CHANGE);
  RefreshOn(IDC_REGEX, BN_CLICKED);
}

void CFormatFieldsDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_FORMAT_FIELD, m_cmbField);
  DDX_Control(pDX, IDC_FORMAT_CASE, m_cmbCase);
}

BOOL CFormatFieldsDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  m_cmbField.AddString("All text fields");
  for (Field field : kEditableFields) m_cmbField.AddString(FieldName(field));
  m_cmbCase.AddString("Leave as it is");
  for (const auto& entry : kCases) m_cmbCase.AddString(entry.name);
  m_cmbField.SetCurSel(0);
  m_cmbCase.SetCurSel(0);
  Refresh();
  return TRUE;
}

CString CFormatFieldsDlg::ReadInputs() {
  const int field = m_cmbField.GetCurSel();
  std::vector<Field> fields(kEditableFields.begin(), kEditableFields.end());
  if (field > 0) fields = {kEditableFields[static_cast<std::size_t>(field - 1)]};
  const int textCase = m_cmbCase.GetCurSel();
  std::optional<TextCase> chosen;
  if (textCase > 0 && textCase <= static_cast<int>(std::size(kCases))) chosen = kCases[textCase - 1].textCase;
  CString error;
  m_format.Prepare(fields, chosen, GetDlgItemText(IDC_FIND), GetDlgItemText(IDC_REPLACE_WITH),
                   IsDlgButtonChecked(IDC_REGEX) == BST_CHECKED, error);
  return error;
}

std::vector<CString> CFormatFieldsDlg::Columns() const { return {"File name", "Field", "Now", "After formatting"}; }

void CFormatFieldsDlg::AddLines(int row, const CRowEdit& edit, std::vector<CPreviewLine>& lines) const {
  for (const auto& [field, text] : edit.values)
    lines.push_back({{m_rows.KeyOf(row), FieldName(field), m_rows.TextOf(row, field), text}});
}

#include "AllFieldsDlg.h"

#include "Resource.h"

#include <platform/MessageBox.h>

#include <cctype>
#include <string>

namespace {

constexpr const char* kDifferent = "(different values)";

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kButton = kVisible | WS_TABSTOP | BS_PUSHBUTTON;
  static const platform::DialogTemplate t{
      IDD_ALL_FIELDS,
      "All fields",
      420,
      262,
      "MS Shell Dlg",
      8,
      DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
      {
          {IDC_FIELDS_ROWS, "Static", "", 7, 7, 406, 8, kVisible | SS_LEFT},
          {IDC_FIELDS_LIST, "SysListView32", "", 7, 18, 406, 150,
           kVisible | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS},
          {IDC_STATIC, "Static", "&Field:", 7, 176, 30, 8, kVisible | SS_LEFT},
          {IDC_FIELD_KEY, "ComboBox", "", 40, 174, 240, 12, kVisible | WS_TABSTOP | CBS_DROPDOWN},
          // Tab goes from the field's name to its value, then to the buttons that use them.
          {IDC_STATIC, "Static", "&Value:", 7, 192, 30, 8, kVisible | SS_LEFT},
          {IDC_FIELD_VALUE, "Edit", "", 40, 190, 373, 34, kVisible | WS_BORDER | WS_TABSTOP | ES_MULTILINE},
          {IDC_FIELD_SET, "Button", "&Set", 298, 173, 55, 14, kButton},
          {IDC_FIELD_DELETE, "Button", "&Delete", 358, 173, 55, 14, kButton},
          {IDC_FIELD_MESSAGE, "Static", "Several values: separate them with \"; \".", 7, 229, 406, 16,
           kVisible | SS_LEFT},
          {IDCANCEL, "Button", "Close", 363, 244, 50, 14, kButton},
      }};
  return t;
}

CString Joined(const std::vector<CString>& values) {
  CString text;
  for (std::size_t k = 0; k < values.size(); ++k) text += (k ? "; " : "") + values[k];
  return text;
}

}  // namespace

std::vector<CString> CAllFieldsDlg::ValuesOf(const CString& key, const CString& text) {
  if (text.IsEmpty()) return {};
  std::string upper = key.Str();
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  for (const char* whole : {"USLT", "COMM", "LYRICS", "COMMENT", "DESCRIPTION", "\xC2\xA9LYR", "\xC2\xA9" "CMT"})
    if (upper.rfind(whole, 0) == 0) return {text};
  std::vector<CString> values;
  const std::string& s = text.Str();
  std::size_t at = 0;
  for (std::size_t sep; (sep = s.find("; ", at)) != std::string::npos; at = sep + 2) values.emplace_back(s.substr(at, sep - at));
  values.emplace_back(s.substr(at));
  return values;
}

CAllFieldsDlg::CAllFieldsDlg(const CString& rows, Load load, Change change, std::vector<CString> suggested,
                             CWnd* parent)
    : CDialog(Template(), parent),
      m_strRows(rows),
      m_load(std::move(load)),
      m_change(std::move(change)),
      m_suggested(std::move(suggested)) {
  RouteNotify(IDC_FIELDS_LIST, LVN_ITEMCHANGED, [this](NMHDR*, LRESULT*) { OnChosen(); });
  RouteCommand(IDC_FIELD_SET, [this] { Apply(false); });
  RouteCommand(IDC_FIELD_DELETE, [this] { Apply(true); });
}

void CAllFieldsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_FIELDS_LIST, m_list);
  DDX_Control(pDX, IDC_FIELD_KEY, m_cmbKey);
}

BOOL CAllFieldsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_list.InsertColumn(0, "Field", LVCFMT_LEFT, 190);
  m_list.InsertColumn(1, "Value", LVCFMT_LEFT, 420);
  for (const CString& key : m_suggested) m_cmbKey.AddString(key);
  SetDlgItemText(IDC_FIELDS_ROWS, m_strRows);
  Reload();
  return TRUE;
}

void CAllFieldsDlg::Reload() {
  CString problem;
  m_fields = m_load(&problem);
  m_list.DeleteAllItems();
  for (std::size_t k = 0; k < m_fields.size(); ++k) {
    const CCommonField& field = m_fields[k];
    const int item = m_list.InsertItem(static_cast<int>(k), field.strKey);
    std::string value = (!field.bText ? field.strSummary : field.values ? Joined(*field.values) : CString(kDifferent)).Str();
    // A line of the list shows a long text's lines one after the other.
    for (std::size_t at = 0; (at = value.find('\n', at)) != std::string::npos;) value.replace(at, 1, " \u21b5 ");
    m_list.SetItemText(item, 1, CString(value));
  }
  if (!problem.IsEmpty()) SetDlgItemText(IDC_FIELD_MESSAGE, problem);
}

void CAllFieldsDlg::OnChosen() {
  const int item = m_list.GetNextItem(-1, LVNI_SELECTED);
  if (item < 0 || item >= static_cast<int>(m_fields.size())) return;
  const CCommonField& field = m_fields[static_cast<std::size_t>(item)];
  m_cmbKey.SetWindowText(field.strKey);
  SetDlgItemText(IDC_FIELD_VALUE, !field.bText ? CString() : field.values ? Joined(*field.values) : CString(kDifferent));
  GetDlgItem(IDC_FIELD_VALUE)->EnableWindow(field.bText);
}

void CAllFieldsDlg::Apply(bool remove) {
  const CString key = m_cmbKey.GetWindowText();
  const CString text = GetDlgItemText(IDC_FIELD_VALUE);
  if (key.IsEmpty()) {
    SetDlgItemText(IDC_FIELD_MESSAGE, "Choose a field in the list, or type its name in the Field box.");
    return;
  }
  if (!remove && (text.IsEmpty() || text == kDifferent)) {
    SetDlgItemText(IDC_FIELD_MESSAGE, "Type the value to set, or delete the field.");
    return;
  }
  SetDlgItemText(IDC_FIELD_MESSAGE, m_change(key, remove ? std::vector<CString>() : ValuesOf(key, text)));
  Reload();
  GetDlgItem(IDC_FIELD_VALUE)->EnableWindow(TRUE);
}

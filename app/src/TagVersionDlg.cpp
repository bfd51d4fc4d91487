#include "TagVersionDlg.h"

#include "Resource.h"

namespace {

const platform::DialogTemplate& Template() {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kList = kVisible | WS_TABSTOP | CBS_DROPDOWNLIST;
  static const platform::DialogTemplate t = CPreviewDlg::MakeTemplate(
      IDD_TAG_VERSION, "Tag version",
      {
          {IDC_STATIC, "Static", "ID3v&2 tag:", 7, 9, 40, 8, kVisible | SS_LEFT},
          {IDC_TAG_V2, "ComboBox", "", 50, 7, 100, 12, kList},
          {IDC_STATIC, "Static", "ID3v&1 tag:", 160, 9, 40, 8, kVisible | SS_LEFT},
          {IDC_TAG_V1, "ComboBox", "", 203, 7, 90, 12, kList},
          {IDC_TAG_REMOVE_ALL, "Button", "&Remove every tag", 303, 8, 100, 10, kVisible | WS_TABSTOP | BS_AUTOCHECKBOX},
          {IDC_STATIC, "Static", "Only MP3 files have ID3 tags. The next save makes the change; Undo takes it back.", 7,
           25, 400, 8, kVisible | SS_LEFT},
      });
  return t;
}

CString Joined(const std::vector<Field>& fields) {
  CString text;
  for (Field field : fields) text += (text.IsEmpty() ? "" : ", ") + CPreviewDlg::FieldName(field);
  return text;
}

}  // namespace

CTagVersionDlg::CTagVersionDlg(const CRowTexts& rows, std::function<CString(int)> pathOf, CWnd* parent)
    : CPreviewDlg(Template(), rows, parent), m_pathOf(std::move(pathOf)) {
  RefreshOn(IDC_TAG_V2, CBN_SELCHANGE);
  RefreshOn(IDC_TAG_V1, CBN_SELCHANGE);
  RefreshOn(IDC_TAG_REMOVE_ALL, BN_CLICKED);
}

void CTagVersionDlg::DoDataExchange(CDataExchange* pDX) {
  CPreviewDlg::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_TAG_V2, m_cmbV2);
  DDX_Control(pDX, IDC_TAG_V1, m_cmbV1);
}

BOOL CTagVersionDlg::OnInitDialog() {
  CPreviewDlg::OnInitDialog();
  for (const char* text : {"Keep its version", "Convert to ID3v2.3", "Convert to ID3v2.4"}) m_cmbV2.AddString(text);
  for (const char* text : {"Keep it as it is", "Add one", "Remove it"}) m_cmbV1.AddString(text);
  m_cmbV2.SetCurSel(0);
  m_cmbV1.SetCurSel(0);
  Refresh();
  return TRUE;
}

CString CTagVersionDlg::ReadInputs() {
  m_trials.assign(static_cast<std::size_t>(m_rows.Count()), std::nullopt);
  m_choice = CTagChoice();
  m_choice.bRemoveAll = IsDlgButtonChecked(IDC_TAG_REMOVE_ALL) == BST_CHECKED;
  m_cmbV2.EnableWindow(!m_choice.bRemoveAll);
  m_cmbV1.EnableWindow(!m_choice.bRemoveAll);
  if (!m_choice.bRemoveAll) {
    m_choice.v2 = static_cast<CTagChoice::V2>(std::max(0, m_cmbV2.GetCurSel()));
    m_choice.v1 = static_cast<CTagChoice::V1>(std::max(0, m_cmbV1.GetCurSel()));
  }
  if (m_choice.IsEmpty()) return "Choose a version, an ID3v1 change or the removal of every tag.";
  return CString();
}

const CTagTrial& CTagVersionDlg::TrialOf(int row) const {
  std::optional<CTagTrial>& trial = m_trials[static_cast<std::size_t>(row)];
  if (!trial) trial = TryTagChoice(m_pathOf(row), m_choice);
  return *trial;
}

CRowEdit CTagVersionDlg::MakeEdit(int row) const {
  const CTagTrial& trial = TrialOf(row);
  if (!trial.strRefusal.IsEmpty()) return {false, {}, {}};
  if (trial.strTag == m_rows.TextOf(row, kTagVersion)) return {};
  return {true, {{kTagVersion, trial.strTag}}, {}};
}

std::vector<CString> CTagVersionDlg::Columns() const {
  return {"File name", "Tag now", "Tag once saved", "ID3v1 cannot hold"};
}

void CTagVersionDlg::AddLines(int row, const CRowEdit&, std::vector<CPreviewLine>& lines) const {
  const CTagTrial& trial = TrialOf(row);
  const CString after = trial.strRefusal.IsEmpty() ? trial.strTag : "not changed: " + trial.strRefusal;
  lines.push_back({{m_rows.KeyOf(row), m_rows.TextOf(row, kTagVersion), after, Joined(trial.losses)}});
}

CString CTagVersionDlg::UnmatchedText(int n) const {
  return CString::Formatted("%d cannot have it and stay as they are", n);
}

CString CTagVersionDlg::UnmatchedDone(int n) const {
  return CString::Formatted("%d %s that cannot have it %s as %s", n, n == 1 ? "file" : "files",
                            n == 1 ? "stays" : "stay", n == 1 ? "it was" : "they were");
}

#include <dialogs/FolderDialog.h>

#include <platform/FolderBrowser.h>
#include <platform/Wnd.h>

namespace {

constexpr int kShortNameLength = 35;

}  // namespace

CFolderDialog::CFolderDialog(const char* initial, unsigned long flags, CWnd* parent)
    : m_strInitial(initial), m_szDisplayName{}, m_szPath{} {
  m_bi.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
  m_bi.pidlRoot = nullptr;
  m_bi.pszDisplayName = m_szDisplayName;
  m_bi.lpszTitle = "Current Selection";
  m_bi.ulFlags = static_cast<UINT>(flags) | BIF_STATUSTEXT;
  m_bi.lpfn = &CFolderDialog::BrowseCallback;
  m_bi.lParam = reinterpret_cast<LPARAM>(this);
}

CFolderDialog::~CFolderDialog() = default;

bool CFolderDialog::Show() {
  m_strPath = m_strInitial;
  const BOOL checkedAtStart = m_bChecked;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&m_bi);
  m_hDlg = nullptr;  // the browser is gone
  bool result = false;
  if (chosen && SHGetPathFromIDListA(chosen, m_szPath, MAX_PATH)) {
    m_strPath = m_szPath;
    result = true;
  }
  ILFree(chosen);
  if (!result) m_bChecked = checkedAtStart;
  return result;
}

void CFolderDialog::AddCheckBox(const char* caption, bool checked) {
  m_strCheckBox = caption;
  m_bChecked = checked ? TRUE : FALSE;
}

CString CFolderDialog::GetPathName() const { return m_strPath; }

int CFolderDialog::BrowseCallback(HWND browser, UINT notification, LPARAM parameter, LPARAM data) {
  reinterpret_cast<CFolderDialog*>(data)->CallbackFunction(browser, notification, static_cast<long>(parameter));
  return 0;
}

void CFolderDialog::CallbackFunction(HWND browser, unsigned int notification, long parameter) {
  m_hDlg = browser;
  if (notification == BFFM_INITIALIZED && !m_strCheckBox.IsEmpty())
    BrowseForFolder_AddCheckBox(browser, m_strCheckBox, &m_bChecked);
  if (notification == BFFM_INITIALIZED) OnInitDialog();
  else if (notification == BFFM_SELCHANGED) OnSelChanged(reinterpret_cast<ITEMIDLIST*>(parameter));
}

void CFolderDialog::OnInitDialog() {
  SetSelection(m_strInitial);
  SetStatusText(ShortName(m_strInitial));
}

void CFolderDialog::OnSelChanged(ITEMIDLIST* item) {
  // A selection without a path keeps the last one rather than showing stale text.
  if (SHGetPathFromIDListA(item, m_szPath, MAX_PATH)) m_strPath = m_szPath;
  SetStatusText(ShortName(m_strPath));
}

void CFolderDialog::SetSelection(const char* path) { BrowseForFolder_SetSelection(m_hDlg, path); }

void CFolderDialog::SetSelection(ITEMIDLIST* item) { BrowseForFolder_SetSelection(m_hDlg, item); }

void CFolderDialog::SetStatusText(const char* text) { BrowseForFolder_SetStatusText(m_hDlg, text); }

void CFolderDialog::EnableOK(int enable) { BrowseForFolder_EnableOK(m_hDlg, enable != 0 ? TRUE : FALSE); }

CString CFolderDialog::ShortName(const CString& path) {
  // Counted in characters, so that the cut never splits a UTF-8 sequence.
  int chars = 0;
  for (int i = 0; i < path.GetLength(); ++i) {
    if ((static_cast<unsigned char>(path.GetAt(i)) & 0xC0) == 0x80) continue;
    if (chars++ == kShortNameLength) return path.Left(i) + "...";
  }
  return path;
}

#pragma once
// CFileDialog: the modal open-file and save-file dialogs.
#include <base/String.h>
#include <platform/Types.h>

class CWnd;

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CFileDialog {
 public:
  // filter: pairs of a description and patterns ("*.mp3;*.MP3"), every part
  // followed by '|', the list closed by one more '|'; empty shows every file.
  // An open dialog with OFN_FILEMUSTEXIST takes only existing files; a save
  // dialog asks before overwriting only with OFN_OVERWRITEPROMPT. defaultExt
  // (without the dot) is added to a name typed without one.
  CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* parent = nullptr, DWORD size = 0);
  virtual ~CFileDialog();
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when the user chose a file, else IDCANCEL.
  virtual int DoModal();

  // Full path, name, name without extension, extension without the dot.
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileTitle() const;
  CString GetFileExt() const;

 private:
  bool m_bOpen;
  CString m_strDefaultExt;
  CString m_strFileName;
  DWORD m_dwFlags;
  CString m_strFilter;
  CWnd* m_pParent;
  CString m_strChosen;
};

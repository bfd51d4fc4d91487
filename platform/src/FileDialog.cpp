#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <base/Path.h>

#include <QApplication>
#include <QFileDialog>

namespace {

// "desc|*.a;*.b|desc2|*.c||" as Qt's name filters "desc (*.a *.b)".
QStringList NameFilters(const QString& filter) {
  QStringList parts = filter.split('|');
  QStringList result;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i];
    const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
    if (description.isEmpty() && patterns.isEmpty()) break;
    const QString shown = "(" + patterns + ")";
    result << (description.endsWith(shown) ? description : description + " " + shown);
  }
  return result;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent, DWORD)
    : m_bOpen(openFileDialog != FALSE),
      m_strDefaultExt(defaultExt ? defaultExt : ""),
      m_strFileName(fileName ? fileName : ""),
      m_dwFlags(flags),
      m_strFilter(filter ? filter : ""),
      m_pParent(parent) {}

CFileDialog::~CFileDialog() = default;

int CFileDialog::DoModal() {
  QWidget* parent = m_pParent ? m_pParent->GetWidget() : QApplication::activeWindow();
  QFileDialog dialog(parent, m_bOpen ? QObject::tr("Open") : QObject::tr("Save As"));
  // The same dialog on every desktop, and one that tests can drive.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  if (m_bOpen)
    dialog.setFileMode((m_dwFlags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  else
    dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_dwFlags & OFN_OVERWRITEPROMPT));
  const QStringList filters = NameFilters(platform::ToQt(m_strFilter));
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!m_strDefaultExt.IsEmpty()) dialog.setDefaultSuffix(platform::ToQt(m_strDefaultExt));
  // A name ending in '/' is a folder to open in, with the name box left empty.
  if (m_strFileName.Right(1) == "/")
    dialog.setDirectory(platform::ToQt(m_strFileName));
  else if (!m_strFileName.IsEmpty())
    dialog.selectFile(platform::ToQt(m_strFileName));
  int code = QDialog::Rejected;
  platform::RunModal(
      platform::ModalQuestion{platform::ModalKind::FileDialog, platform::FromQt(dialog.windowTitle()), {}, 0}, &dialog,
      [&] { code = dialog.exec(); }, [&] { dialog.reject(); });
  if (code != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
  m_strChosen = platform::FromQt(dialog.selectedFiles().first());
  return IDOK;
}

CString CFileDialog::GetPathName() const { return m_strChosen; }

CString CFileDialog::GetFileName() const { return base::FileNameOf(m_strChosen); }

// A name's extension follows its last dot; a leading dot starts a hidden name, not an extension.
CString CFileDialog::GetFileTitle() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

CString CFileDialog::GetFileExt() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot > 0 ? name.Mid(dot + 1) : CString();
}

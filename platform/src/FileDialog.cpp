#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

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

struct CFileDialog::Impl {
  bool open = true;
  QString defaultExt;
  QString fileName;
  DWORD flags = 0;
  QString filter;
  CWnd* parent = nullptr;
  QString chosen;
};

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent, DWORD)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->open = openFileDialog != FALSE;
  m_pImpl->defaultExt = QString::fromUtf8(defaultExt ? defaultExt : "");
  m_pImpl->fileName = QString::fromUtf8(fileName ? fileName : "");
  m_pImpl->flags = flags;
  m_pImpl->filter = QString::fromUtf8(filter ? filter : "");
  m_pImpl->parent = parent;
}

CFileDialog::~CFileDialog() = default;

int CFileDialog::DoModal() {
  QWidget* parent = m_pImpl->parent ? m_pImpl->parent->GetWidget() : QApplication::activeWindow();
  QFileDialog dialog(parent, m_pImpl->open ? QObject::tr("Open") : QObject::tr("Save As"));
  // The same dialog on every desktop, and one that tests can drive.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(m_pImpl->open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  if (m_pImpl->open)
    dialog.setFileMode((m_pImpl->flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  else
    dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_pImpl->flags & OFN_OVERWRITEPROMPT));
  const QStringList filters = NameFilters(m_pImpl->filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!m_pImpl->defaultExt.isEmpty()) dialog.setDefaultSuffix(m_pImpl->defaultExt);
  // A name ending in '/' is a folder to open in, with the name box left empty.
  if (m_pImpl->fileName.endsWith('/'))
    dialog.setDirectory(m_pImpl->fileName);
  else if (!m_pImpl->fileName.isEmpty())
    dialog.selectFile(m_pImpl->fileName);
  int code = QDialog::Rejected;
  platform::RunModal(
      platform::ModalQuestion{platform::ModalKind::FileDialog, platform::FromQt(dialog.windowTitle()), {}, 0}, &dialog,
      [&] { code = dialog.exec(); }, [&] { dialog.reject(); });
  if (code != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
  m_pImpl->chosen = dialog.selectedFiles().first();
  return IDOK;
}

CString CFileDialog::GetPathName() const { return platform::FromQt(m_pImpl->chosen); }

CString CFileDialog::GetFileName() const { return platform::FromQt(QFileInfo(m_pImpl->chosen).fileName()); }

CString CFileDialog::GetFileTitle() const {
  const QString name = QFileInfo(m_pImpl->chosen).fileName();
  const int dot = name.lastIndexOf('.');
  return platform::FromQt(dot > 0 ? name.left(dot) : name);
}

CString CFileDialog::GetFileExt() const {
  const QString name = QFileInfo(m_pImpl->chosen).fileName();
  const int dot = name.lastIndexOf('.');
  return platform::FromQt(dot > 0 ? name.mid(dot + 1) : QString());
}

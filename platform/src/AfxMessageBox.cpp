#include <platform/MessageBox.h>

#include "Handles.h"

#include <QCoreApplication>

int AfxMessageBox(const CString& text, UINT type, UINT) {
  return MessageBoxA(nullptr, text, platform::FromQt(QCoreApplication::applicationName()), type);
}

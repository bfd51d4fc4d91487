#include <platform/MessageBox.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

int MessageBoxA(HWND owner, const CString& text, const CString& caption, UINT type) {
  QWidget* parent = owner ? owner->GetWidget() : QApplication::activeWindow();
  QMessageBox box(parent);
  box.setWindowTitle(platform::ToQt(caption));
  box.setText(platform::ToQt(text));
  switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  switch (type & 0x0F) {
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  box.exec();
  const auto* clicked = box.clickedButton();
  if (clicked == box.button(QMessageBox::Yes)) return IDYES;
  if (clicked == box.button(QMessageBox::No)) return IDNO;
  if (clicked == box.button(QMessageBox::Cancel)) return IDCANCEL;
  if ((type & 0x0F) == MB_YESNO) return IDNO;
  if ((type & 0x0F) == MB_OKCANCEL && clicked != box.button(QMessageBox::Ok)) return IDCANCEL;
  return IDOK;
}

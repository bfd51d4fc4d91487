#include <platform/MessageBox.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <utility>

namespace {

// Room a title bar takes beside its title: the icon and the window buttons.
constexpr int kTitleBarExtra = 160;

// A box is as wide as its text, and the window manager cuts a longer title
// ("Data n…saved"): a row of the box's own grid keeps it wide enough for it.
void FitTitle(QMessageBox& box, const QString& title) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  const int width = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title) + kTitleBarExtra;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

}  // namespace

int MessageBoxA(HWND owner, const CString& text, const CString& caption, UINT type) {
  QWidget* parent = owner ? owner->GetWidget() : QApplication::activeWindow();
  QMessageBox box(parent);
  box.setWindowTitle(platform::ToQt(caption));
  box.setText(platform::ToQt(text));
  FitTitle(box, platform::ToQt(caption));
  if ((type & 0xF0) == MB_ICONQUESTION) box.setIcon(QMessageBox::Question);
  if ((type & 0xF0) == MB_ICONWARNING) box.setIcon(QMessageBox::Warning);
  const bool second = (type & 0xF00) == MB_DEFBUTTON2;
  switch (type & 0x0F) {
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(second ? QMessageBox::No : QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      if (second) box.setDefaultButton(QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  int answered = IDOK;
  const platform::ModalRun run = platform::RunModal(
      platform::ModalQuestion{platform::ModalKind::MessageBox, caption, text, type}, &box, [&] { box.exec(); },
      [&] { box.reject(); }, &answered);
  if (run == platform::ModalRun::Answered) return answered;
  // A box closed without a button (Escape, or unseen) answers as its escape button.
  const auto* clicked = run == platform::ModalRun::Ran ? box.clickedButton() : nullptr;
  for (const auto& [button, id] : {std::pair{QMessageBox::Yes, IDYES}, std::pair{QMessageBox::No, IDNO},
                                   std::pair{QMessageBox::Cancel, IDCANCEL}, std::pair{QMessageBox::Ok, IDOK}})
    if (clicked && clicked == box.button(button)) return id;
  if ((type & 0x0F) == MB_YESNO) return IDNO;
  if ((type & 0x0F) == MB_OKCANCEL) return IDCANCEL;
  return IDOK;
}

int AfxMessageBox(const CString& text, UINT type, UINT) {
  return MessageBoxA(nullptr, text, platform::FromQt(QCoreApplication::applicationName()), type);
}

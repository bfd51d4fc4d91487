#pragma once
// Every modal the platform runs first puts its question to the installed
// answerer (tests install one); with none, the real modal runs for the user.
#include <base/String.h>
#include <platform/Types.h>

namespace platform {

enum class ModalKind { MessageBox, FileDialog, FolderBrowser, PopupMenu, Dialog };

struct ModalQuestion {
  ModalKind kind = ModalKind::Dialog;
  CString caption;  // the window title; a popup menu's item texts joined by '|'
  CString text;     // a message box's text
  UINT type = 0;    // a message box's MB_ flags
};

struct ModalAnswer {
  enum class How {
    Show,     // run the real modal and hand it to Drive
    Result,   // answer result unseen; a file dialog or folder browser takes it as Dismiss
    Dismiss,  // close it unseen, as Escape would
  };
  How how = How::Dismiss;
  int result = 0;  // for Result: a message box's IDYES..., a menu's command id, a dialog's end code
};

class ModalAnswerer {
 public:
  virtual ~ModalAnswerer() = default;
  virtual ModalAnswer Answer(const ModalQuestion& question) = 0;
  // For How::Show: called once from inside the modal's own event loop, with
  // the modal shown; drives it as a user would.
  virtual void Drive(const ModalQuestion& question, HWND modal) = 0;
  // The modal was still open TimeoutMs() after Drive returned; the platform
  // closes it (as Escape would) right after this.
  virtual void StillOpen(const ModalQuestion& question) = 0;
  virtual int TimeoutMs() const { return 5000; }
};

// Installs answerer (null: the real modals for the user again); returns the one before.
ModalAnswerer* SetModalAnswerer(ModalAnswerer* answerer);

}  // namespace platform

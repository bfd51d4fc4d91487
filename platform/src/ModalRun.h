#pragma once
#include <platform/ModalSeam.h>

#include <functional>

class QWidget;

namespace platform {

// What became of a modal put through the seam.
enum class ModalRun {
  Ran,        // its own loop ran; read the result from the widget
  Answered,   // answered without being shown; the result is in *result
  Dismissed,  // closed unseen, as Escape would
};

// Puts question to the answerer (if any), then runs modal as it says: exec
// runs its loop, close ends it as Escape would.
ModalRun RunModal(const ModalQuestion& question, QWidget* modal, const std::function<void()>& exec,
                  const std::function<void()>& close, int* result = nullptr);

}  // namespace platform

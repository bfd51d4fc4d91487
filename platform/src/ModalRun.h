#pragma once
// Running a modal through the seam. Internal to the platform.
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

// Puts question to the answerer, then runs modal as it says: exec runs the
// modal's loop, close ends it as Escape would. Without an answerer the loop
// simply runs. A shown modal is handed to the answerer from inside its own
// loop, and one left open after that is reported and closed.
ModalRun RunModal(const ModalQuestion& question, QWidget* modal, const std::function<void()>& exec,
                  const std::function<void()>& close, int* result = nullptr);

}  // namespace platform

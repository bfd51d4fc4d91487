#include <platform/ModalSeam.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

ModalAnswerer*& Installed() {
  static ModalAnswerer* answerer = nullptr;
  return answerer;
}

// Kinds whose answer is a number the caller can return as it stands.
bool TakesResult(ModalKind kind) { return kind != ModalKind::FileDialog && kind != ModalKind::FolderBrowser; }

}  // namespace

ModalAnswerer* SetModalAnswerer(ModalAnswerer* answerer) {
  ModalAnswerer* before = Installed();
  Installed() = answerer;
  return before;
}

ModalRun RunModal(const ModalQuestion& question, QWidget* modal, const std::function<void()>& exec,
                  const std::function<void()>& close, int* result) {
  ModalAnswerer* answerer = Installed();
  if (!answerer) {
    exec();
    return ModalRun::Ran;
  }
  const ModalAnswer answer = answerer->Answer(question);
  if (answer.how == ModalAnswer::How::Result && TakesResult(question.kind)) {
    if (result) *result = answer.result;
    return ModalRun::Answered;
  }
  if (answer.how != ModalAnswer::How::Show) return ModalRun::Dismissed;

  // Both timers live only as long as this loop: neither can reach a later
  // modal. The zero timer fires as soon as the modal's own loop runs, the modal
  // shown.
  QTimer drive, watchdog;
  drive.setSingleShot(true);
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    answerer->StillOpen(question);
    close();
  });
  QObject::connect(&drive, &QTimer::timeout, [&] {
    answerer->Drive(question, CWnd::FromWidget(modal));
    if (modal->isVisible()) watchdog.start(answerer->TimeoutMs());
  });
  drive.start(0);
  exec();
  return ModalRun::Ran;
}

}  // namespace platform

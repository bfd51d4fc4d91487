#pragma once
// Answers to the program's modal questions, through the platform's seam. A
// test queues its answers before the code that asks; each question takes the
// next answer. A question with no answer queued, or of another kind than the
// next answer, fails the test at once and is closed unseen; a shown modal its
// answer left open fails the test after a few seconds and is closed; answers
// left over when the test ends fail it. Nothing waits for focus or a window.
#include <platform/ModalSeam.h>
#include <base/String.h>

#include <QImage>
#include <QList>
#include <QRect>
#include <QStringList>

#include <functional>

class QWidget;

namespace test {

using platform::ModalKind;
using platform::ModalQuestion;

// Answers the next question, which must be of kind, with result (a message
// box's IDYES..., a menu's command id, a dialog's end code) without showing
// anything. A message box must offer the button answered.
void AnswerModal(ModalKind kind, int result, ModalQuestion* seen = nullptr);
inline void AnswerMessageBox(int result, ModalQuestion* seen = nullptr) {
  AnswerModal(ModalKind::MessageBox, result, seen);
}

// Shows the next modal, which must be of kind, and runs drive on the real
// widget from inside the modal's own loop.
void DriveModal(ModalKind kind, std::function<void(QWidget*)> drive, ModalQuestion* seen = nullptr);

// How many modal questions the code under test asked in this test.
int ModalQuestionsAsked();

// Installs the answerer for the whole program (the test main does).
void InstallModalAnswerer();
// Ends the test's answers: fails for every one left over, and forgets them.
void EndModalAnswers();

// What a popup menu showed before it was answered.
struct MenuSeen {
  QStringList texts;
  QRect geometry;
  QImage image;            // the menu as painted, with the chosen item highlighted
  QList<QRect> itemRects;  // in image coordinates
};

// Chooses the item at index (among the menu's actions) with the keyboard; -1,
// or an item that cannot be chosen, closes the menu without a choice.
void ChooseInMenu(int index, MenuSeen* seen = nullptr);

// What a file dialog showed before it was answered.
struct FileDialogSeen {
  QStringList filters;
  QStringList selected;
  QString defaultSuffix;
  QString folder;    // where it opened
  QString nameText;  // what its name box held
};

// Types path into the next file dialog's name box and accepts it, or cancels
// the dialog when path is empty. A dialog that does not close on the name is
// cancelled and fails the test.
void AnswerFileDialog(const CString& path, FileDialogSeen* seen = nullptr);

}  // namespace test

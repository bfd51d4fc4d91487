#include "support/ModalAnswers.h"

#include <platform/MessageBox.h>
#include <platform/Wnd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <cstdlib>
#include <deque>
#include <map>
#include <sstream>

namespace test {

namespace {

using platform::ModalAnswer;

const char* ModalKindName(platform::ModalKind kind) {
  switch (kind) {
    case platform::ModalKind::MessageBox: return "message box";
    case platform::ModalKind::FileDialog: return "file dialog";
    case platform::ModalKind::FolderBrowser: return "folder browser";
    case platform::ModalKind::PopupMenu: return "popup menu";
    case platform::ModalKind::Dialog: return "dialog";
  }
  return "modal";
}

std::string Describe(const ModalQuestion& q) {
  std::ostringstream out;
  out << ModalKindName(q.kind) << " \"" << q.caption.GetString() << "\"";
  if (!q.text.IsEmpty()) out << " asking \"" << q.text.GetString() << "\"";
  return out.str();
}

// The buttons a message box of type offers.
bool Offers(UINT type, int result) {
  switch (type & 0x0F) {
    case MB_YESNO: return result == IDYES || result == IDNO;
    case MB_OKCANCEL: return result == IDOK || result == IDCANCEL;
    default: return result == IDOK;
  }
}

class ScriptedAnswerer : public platform::ModalAnswerer {
 public:
  struct Step {
    ModalKind kind;
    ModalAnswer answer;
    std::function<void(QWidget*)> drive;
    ModalQuestion* seen;
  };

  void Queue(Step step) { m_steps.push_back(std::move(step)); }
  int Asked() const { return m_asked; }

  ModalAnswer Answer(const ModalQuestion& q) override {
    ++m_asked;
    if (m_steps.empty()) {
      ADD_FAILURE() << "A " << Describe(q) << " opened with no answer queued; it was closed unanswered.";
      return {};
    }
    if (m_steps.front().kind != q.kind) {
      ADD_FAILURE() << "A " << Describe(q) << " opened where the test expected a "
                    << ModalKindName(m_steps.front().kind) << "; it was closed unanswered.";
      return {};
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    if (step.seen) *step.seen = q;
    if (q.kind == ModalKind::MessageBox && step.answer.how == ModalAnswer::How::Result &&
        !Offers(q.type, step.answer.result)) {
      ADD_FAILURE() << "The " << Describe(q) << " has no button for the answer " << step.answer.result
                    << "; it was closed unanswered.";
      return {};
    }
    if (step.drive) m_drives[&q] = std::move(step.drive);
    return step.answer;
  }

  void Drive(const ModalQuestion& q, HWND modal) override {
    const auto it = m_drives.find(&q);
    if (it == m_drives.end()) return;
    const auto drive = std::move(it->second);
    m_drives.erase(it);
    drive(modal->GetWidget());
  }

  // 5 s, or QUILLORY_MODAL_TIMEOUT_MS (the seam's own test shortens it).
  int TimeoutMs() const override {
    const char* set = std::getenv("QUILLORY_MODAL_TIMEOUT_MS");
    return set && std::atoi(set) > 0 ? std::atoi(set) : 5000;
  }

  void StillOpen(const ModalQuestion& q) override {
    ADD_FAILURE() << "The " << Describe(q) << " was still open " << TimeoutMs() / 1000
                  << " s after its answer; it was closed.";
  }

  void End() {
    for (const Step& step : m_steps)
      ADD_FAILURE() << "An answer for a " << ModalKindName(step.kind) << " was queued, but no "
                    << ModalKindName(step.kind) << " opened.";
    m_steps.clear();
    m_drives.clear();
    m_asked = 0;
  }

 private:
  std::deque<Step> m_steps;
  std::map<const ModalQuestion*, std::function<void(QWidget*)>> m_drives;
  int m_asked = 0;
};

ScriptedAnswerer& Answerer() {
  static ScriptedAnswerer answerer;
  return answerer;
}

}  // namespace

void AnswerModal(ModalKind kind, int result, ModalQuestion* seen) {
  Answerer().Queue({kind, {ModalAnswer::How::Result, result}, nullptr, seen});
}

void DriveModal(ModalKind kind, std::function<void(QWidget*)> drive, ModalQuestion* seen) {
  Answerer().Queue({kind, {ModalAnswer::How::Show, 0}, std::move(drive), seen});
}

int ModalQuestionsAsked() { return Answerer().Asked(); }

void InstallModalAnswerer() { platform::SetModalAnswerer(&Answerer()); }

void EndModalAnswers() { Answerer().End(); }

void ChooseInMenu(int index, MenuSeen* seen) {
  DriveModal(ModalKind::PopupMenu, [index, seen](QWidget* w) {
    QPointer<QMenu> menu = qobject_cast<QMenu*>(w);
    ASSERT_TRUE(menu) << "The popup menu is no menu widget.";
    const auto actions = menu->actions();
    const bool valid = index >= 0 && index < actions.size();
    if (valid) menu->setActiveAction(actions[index]);
    if (seen) {
      for (QAction* a : actions) {
        seen->texts << a->text();
        seen->itemRects << menu->actionGeometry(a);
      }
      seen->geometry = menu->geometry();
      seen->image = menu->grab().toImage();
    }
    if (valid) QTest::keyClick(menu, Qt::Key_Return);
    if (menu && menu->isVisible()) QTest::keyClick(menu, Qt::Key_Escape);
  });
}

void AnswerFileDialog(const CString& path, FileDialogSeen* seen) {
  DriveModal(ModalKind::FileDialog, [path, seen](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr) << "The file dialog is no QFileDialog.";
    auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (seen)
      *seen = {dialog->nameFilters(), dialog->selectedFiles(), dialog->defaultSuffix(),
               dialog->directory().absolutePath(), nameBox ? nameBox->text() : QString()};
    if (path.IsEmpty()) {
      dialog->reject();
      return;
    }
    const QString name = QString::fromUtf8(path.GetString());
    // Typed, not selected: Qt leaves a focused name box alone on selectFile.
    const bool asksToOverwrite = dialog->acceptMode() == QFileDialog::AcceptSave && QFileInfo::exists(name) &&
                                 !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    if (nameBox && !asksToOverwrite) {
      nameBox->setText(name);
      QMetaObject::invokeMethod(dialog, "accept");  // protected; runs at once
    }
    if (dialog->isVisible()) {
      ADD_FAILURE() << "The file dialog \"" << dialog->windowTitle().toStdString() << "\" did not close on \""
                    << path.GetString() << "\"" << (asksToOverwrite ? " (it would ask to overwrite the file)" : "")
                    << (nameBox ? "" : " (it has no file-name box)") << "; it was cancelled.";
      dialog->reject();
    }
  });
}

}  // namespace test

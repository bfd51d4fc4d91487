#pragma once
// Helpers shared by the test programs: temporary folders, fixture files and
// answering modal UI (message boxes, menus, dialogs) from a queued timer.
#include <platform/String.h>

#include <QString>

#include <functional>
#include <memory>
#include <string>

class QTemporaryDir;
class QWidget;

namespace test {

// A folder that is removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  CString Path() const;
  // Path of name inside the folder.
  CString File(const char* name) const;
  // Copies a fixture (by its file name in the fixtures folder) into the folder,
  // under newName when given; returns the copy's path.
  CString CopyFixture(const char* fixture, const char* newName = nullptr) const;

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
};

CString FixturePath(const char* name);
std::string ReadFile(const CString& path);
void WriteFile(const CString& path, const std::string& bytes);

// Runs act on the first modal or popup widget that becomes active within
// timeoutMs; call it before the code that opens the modal UI. The wait is long
// so a loaded machine does not leave a dialog unanswered; an answer still
// pending when its test ends is withdrawn (CancelPendingModalAnswers), so it
// never answers the next test's dialog.
void WhenModal(std::function<void(QWidget*)> act, int timeoutMs = 60000);
void CancelPendingModalAnswers();

// Runs a command through the shell and returns what it printed on stdout.
std::string RunCommand(const std::string& command, int* exitCode = nullptr);

// Lets queued events and repaints run.
void ProcessEvents();

}  // namespace test

#pragma once
// Helpers shared by the test programs: temporary folders, fixture files,
// commands. Modal questions are answered through ModalAnswers.h.
#include <base/String.h>

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTemporaryDir;

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

// Sets an environment variable for its lifetime, then gives back what was there.
struct ScopedEnv {
  ScopedEnv(const char* name, const CString& value);
  ~ScopedEnv();
  const std::string strName;
  const std::optional<std::string> old;
};

CString FixturePath(const char* name);
std::string ReadFile(const CString& path);
void WriteFile(const CString& path, const std::string& bytes);

// Runs a command through the shell and returns what it printed on stdout.
std::string RunCommand(const std::string& command, int* exitCode = nullptr);

// Makes a path unwritable even for root: mode bits, and the immutable
// attribute where the file system has it. Undone when the guard goes.
class CLocked {
 public:
  CLocked(const CString& path, unsigned mode);
  ~CLocked();
  CLocked(const CLocked&) = delete;
  CLocked& operator=(const CLocked&) = delete;
  // False for root on a file system without the immutable attribute.
  bool Holds() const;

 private:
  CString m_path;
  bool m_bImmutable = false;
};

// Gives the file an ID3v2.version tag of these pictures, "type:fixture" each
// ("4:cover_back.png"), through mutagen.
void WritePictures(const CString& path, int version, const std::vector<std::string>& pictures);

// Lets queued events and repaints run.
void ProcessEvents();

}  // namespace test

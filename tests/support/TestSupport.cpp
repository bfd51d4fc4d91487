#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test {

TempDir::TempDir() : m_dir(std::make_unique<QTemporaryDir>()) {}
// By its bytes: QTemporaryDir leaves a folder holding a name that is not UTF-8.
TempDir::~TempDir() { std::error_code ignored; std::filesystem::remove_all(m_dir->path().toStdString(), ignored); }

ScopedEnv::ScopedEnv(const char* name, const CString& value)
    : strName(name), old(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt) {
  ::setenv(name, value.GetString(), 1);
}
ScopedEnv::~ScopedEnv() { old ? ::setenv(strName.c_str(), old->c_str(), 1) : ::unsetenv(strName.c_str()); }

CString TempDir::Path() const { return CString(m_dir->path().toStdString()); }

CString TempDir::File(const char* name) const { return Path() + "/" + name; }

CString TempDir::CopyFixture(const char* fixture, const char* newName) const {
  const CString target = File(newName ? newName : fixture);
  QFile::remove(QString::fromUtf8(target.GetString()));
  QFile::copy(QString::fromUtf8(FixturePath(fixture).GetString()), QString::fromUtf8(target.GetString()));
  QFile::setPermissions(QString::fromUtf8(target.GetString()), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                       QFile::ReadOther);
  return target;
}

CString FixturePath(const char* name) { return CString(QUILLORY_FIXTURES_DIR) + "/" + name; }

std::string ReadFile(const CString& path) {
  std::ifstream in(path.GetString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const CString& path, const std::string& bytes) {
  std::ofstream out(path.GetString(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

CLocked::CLocked(const CString& path, unsigned mode) : m_path(path) {
  ::chmod(m_path, mode);
  int code = -1;
  if (::geteuid() == 0) RunCommand("chattr +i '" + m_path.Str() + "' 2>/dev/null", &code);
  m_bImmutable = code == 0;
}

CLocked::~CLocked() {
  if (m_bImmutable) RunCommand("chattr -i '" + m_path.Str() + "'");
  ::chmod(m_path, 0755);
}

bool CLocked::Holds() const { return ::geteuid() != 0 || m_bImmutable; }

std::string RunCommand(const std::string& command, int* exitCode) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    if (exitCode) *exitCode = -1;
    return output;
  }
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

void WritePictures(const CString& path, int version, const std::vector<std::string>& pictures) {
  std::string script = "import sys, mutagen.id3 as i\nt = i.ID3()\n";
  for (const std::string& p : pictures) {
    const std::string type = p.substr(0, p.find(':')), name = p.substr(p.find(':') + 1);
    script += "t.add(i.APIC(encoding=0, mime='image/" + std::string(name.ends_with(".png") ? "png" : "jpeg") +
              "', type=" + type + ", desc='" + name + "', data=open('" + FixturePath(name.c_str()).Str() +
              "', 'rb').read()))\n";
  }
  script += "t.save(sys.argv[1], v2_version=" + std::to_string(version) + ")\n";
  WriteFile(path + ".py", script);
  RunCommand("/usr/bin/python3 '" + path.Str() + ".py' '" + path.Str() + "'");
  std::remove((path + ".py").GetString());
}

void ProcessEvents() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace test

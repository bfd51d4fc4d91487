#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class CBaseTestDir {
 public:
  CBaseTestDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillory-base-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~CBaseTestDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  std::string Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // How many names the folder holds.
  std::size_t Count() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_path)) ++n;
    return n;
  }

 private:
  std::string m_path;
};

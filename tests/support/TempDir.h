#pragma once

#include <string>

namespace KivoTest {

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_Path; }
  std::string file(const std::string& name) const { return m_Path + "/" + name; }
  // Writes `content` to `name` inside the folder and returns the full path.
  std::string write(const std::string& name, const std::string& content) const;
  // The whole content of `name`, or "" when it cannot be read.
  std::string read(const std::string& name) const;

 private:
  std::string m_Path;
};

}  // namespace KivoTest

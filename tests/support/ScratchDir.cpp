#include "ScratchDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "du/FileSystem.h"

namespace testing_support {

ScratchDir::ScratchDir(const std::string& parent) {
  std::string pattern =
      (parent.empty() ? du::FileSystem::GetTempDir(false) : parent) + "/etbtest-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string file = path_ + "/" + name;
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

std::string Etb(std::string columns) {
  for (std::size_t at = columns.find('|'); at != std::string::npos;
       at = columns.find('|', at + 4)) {
    columns.replace(at, 1, "<@@>");
  }
  return columns;
}

std::string ReadFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return "<missing>";
  std::ostringstream content;
  content << stream.rdbuf();
  return content.str();
}

}  // namespace testing_support

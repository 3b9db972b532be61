#pragma once

#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  // Under `parent` when given and not "".
  explicit ScratchDir(const std::string& parent = "");
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();

  // Writes `bytes` to `name` inside the folder and answers the file's path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// ETB text written with '|' for the column separator "<@@>", so that records read as columns.
std::string Etb(std::string columns);

// The whole content of a file; "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace testing_support

#pragma once

#include <string>
#include <vector>

#include "du/HostApi.h"

namespace du {

// Reads a zip archive. Extraction is guarded: member names that are absolute or climb out with
// "..", links, folders, and members larger than the host's size limit are refused, and so are
// members past the reader's extraction budget, packed beyond the host's compression ratio, or
// that would leave too little free space (these are traced).
class ZN_HOST_API ZipReader {
 public:
  explicit ZipReader(const std::string& archivePath);
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;
  ~ZipReader();

  // The member names in the archive's order; false when the archive cannot be read.
  bool ListContents(std::vector<std::string>& names);
  // Writes the member to `destination`, making missing parent folders; the file appears whole
  // or not at all. False when the member is refused or cannot be read or written.
  bool Extract(const std::string& memberName, const std::string& destination);
  void Close();

 private:
  void* archive_ = nullptr;
};

}  // namespace du

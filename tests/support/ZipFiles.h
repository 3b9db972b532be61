#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ZipMember {
  std::string name;
  std::string content;
  bool symlink = false;  // stored as a link to `content`
};

// Writes a zip archive with the members in this order; members with the same name are allowed.
void WriteZip(const std::string& path, const std::vector<ZipMember>& members);

}  // namespace testing_support

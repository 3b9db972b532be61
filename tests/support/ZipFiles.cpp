#include "ZipFiles.h"

#include <sys/stat.h>
#include <zip.h>

#include <fstream>
#include <stdexcept>

#include "ScratchDir.h"

namespace testing_support {

namespace {

// libzip refuses to store a name twice, so duplicates are stored under stand-in names of the same
// length and patched to the real one in the finished file (names are outside the checksums).
std::string PlaceholderFor(std::size_t index, std::size_t length) {
  std::string placeholder = "~" + std::to_string(index);
  placeholder.resize(length, '~');
  return placeholder;
}

}  // namespace

void WriteZip(const std::string& path, const std::vector<ZipMember>& members) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("zip_open failed");
  std::vector<std::pair<std::string, std::string>> patches;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const ZipMember& member = members[i];
    std::string stored = member.name;
    if (zip_name_locate(archive, stored.c_str(), ZIP_FL_ENC_RAW) >= 0) {
      stored = PlaceholderFor(i, member.name.size());
      patches.emplace_back(stored, member.name);
    }
    zip_source_t* source =
        zip_source_buffer(archive, member.content.data(), member.content.size(), 0);
    const zip_int64_t index = zip_file_add(archive, stored.c_str(), source, ZIP_FL_ENC_RAW);
    if (index < 0) throw std::runtime_error("zip_file_add failed");
    if (member.symlink) {
      zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                       zip_uint32_t(S_IFLNK | 0777) << 16);
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
  if (patches.empty()) return;
  std::string bytes = ReadFile(path);
  for (const auto& [placeholder, name] : patches) {
    for (std::size_t at = bytes.find(placeholder); at != std::string::npos;
         at = bytes.find(placeholder, at + 1)) {
      bytes.replace(at, name.size(), name);
    }
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace testing_support

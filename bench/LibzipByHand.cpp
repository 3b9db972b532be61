#include "LibzipByHand.h"

#include <zip.h>

#include <fstream>
#include <vector>

namespace etbbench {

bool WriteArchive(const std::string& archive, const std::string& memberPath,
                  const std::string& memberName) {
  int error = 0;
  zip_t* handle = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (handle == nullptr) return false;
  zip_source_t* source = zip_source_file(handle, memberPath.c_str(), 0, -1);
  if (source == nullptr || zip_file_add(handle, memberName.c_str(), source, 0) < 0) {
    zip_discard(handle);
    return false;
  }
  return zip_close(handle) == 0;
}

bool ExtractByHand(const std::string& archive, const std::string& memberName,
                   const std::string& target) {
  int error = 0;
  zip_t* handle = zip_open(archive.c_str(), ZIP_RDONLY, &error);
  if (handle == nullptr) return false;
  zip_file_t* member = zip_fopen(handle, memberName.c_str(), 0);
  bool ok = member != nullptr;
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  std::vector<char> block(std::size_t{1} << 16);
  for (zip_int64_t got = 0; ok && (got = zip_fread(member, block.data(), block.size())) > 0;) {
    out.write(block.data(), std::streamsize(got));
  }
  out.close();
  if (member != nullptr) zip_fclose(member);
  zip_discard(handle);
  return ok && out.good();
}

}  // namespace etbbench

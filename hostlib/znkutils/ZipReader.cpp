#include "du/ZipReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "FaultPoints.h"
#include "standin/ZipLimits.h"

namespace {

namespace fs = std::filesystem;

std::atomic<std::uint64_t> memberSizeLimit{std::uint64_t{1} << 30};

zip_t* Archive(void* handle) { return static_cast<zip_t*>(handle); }

// Names that would land outside the destination's folder: absolute ones and any with a ".."
// part (either separator counts, as archives made elsewhere use both).
bool EscapesItsFolder(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

bool IsLinkOrFolder(zip_t* archive, zip_uint64_t index, const std::string& name) {
  if (name.back() == '/') return true;
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return true;
  const mode_t mode = attributes >> 16;
  return system == ZIP_OPSYS_UNIX && (S_ISLNK(mode) || S_ISDIR(mode));
}

// Streams the member into `fd`; false on a read or write error, or when the member turns out
// longer than it declared or than the limit.
bool CopyMember(zip_file_t* member, int fd, zip_uint64_t declared) {
  std::vector<char> block(std::size_t{1} << 16);
  zip_uint64_t total = 0;
  for (;;) {
    const zip_int64_t got = zip_fread(member, block.data(), block.size());
    if (got < 0) return false;
    if (got == 0) return true;
    total += zip_uint64_t(got);
    if (total > declared) return false;
    for (zip_int64_t done = 0; done < got;) {
      const ssize_t written = ::write(fd, block.data() + done, std::size_t(got - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += written;
    }
  }
}

}  // namespace

namespace du {

ZipReader::ZipReader(const std::string& archivePath) {
  int error = 0;
  archive_ = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
}

ZipReader::~ZipReader() { Close(); }

void ZipReader::Close() {
  if (archive_ != nullptr) zip_discard(Archive(archive_));
  archive_ = nullptr;
}

bool ZipReader::ListContents(std::vector<std::string>& names) {
  if (archive_ == nullptr) return false;
  const zip_int64_t count = zip_get_num_entries(Archive(archive_), 0);
  if (count < 0) return false;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(Archive(archive_), zip_uint64_t(i), ZIP_FL_ENC_RAW);
    if (name != nullptr) names.emplace_back(name);
  }
  return true;
}

bool ZipReader::Extract(const std::string& memberName, const std::string& destination) {
  if (standin::fault::Fires(standin::FileSystemOperation::kExtract)) return false;
  if (archive_ == nullptr || EscapesItsFolder(memberName) || destination.empty()) return false;
  zip_t* archive = Archive(archive_);
  const zip_int64_t index = zip_name_locate(archive, memberName.c_str(), ZIP_FL_ENC_RAW);
  zip_stat_t info;
  if (index < 0 || zip_stat_index(archive, zip_uint64_t(index), 0, &info) != 0 ||
      (info.valid & ZIP_STAT_SIZE) == 0 || info.size > memberSizeLimit.load() ||
      IsLinkOrFolder(archive, zip_uint64_t(index), memberName)) {
    return false;
  }

  std::error_code error;
  const fs::path target(destination);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  std::string temporary =
      (target.has_parent_path() ? target.parent_path().string() + "/" : std::string()) + "." +
      target.filename().string() + ".part-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  zip_file_t* member = zip_fopen_index(archive, zip_uint64_t(index), 0);
  bool ok = member != nullptr && CopyMember(member, fd, info.size);
  if (member != nullptr) ok = zip_fclose(member) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::chmod(temporary.c_str(), 0644) == 0 &&
       ::rename(temporary.c_str(), destination.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace du

void standin::SetZipMemberSizeLimit(std::uint64_t bytes) { memberSizeLimit.store(bytes); }

std::uint64_t standin::GetZipMemberSizeLimit() { return memberSizeLimit.load(); }

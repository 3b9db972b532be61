#include "du/ZipReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "FaultPoints.h"
#include "dp/ZnTracer.h"
#include "standin/InputFile.h"
#include "standin/InputLimits.h"

namespace {

namespace fs = std::filesystem;

std::atomic<std::uint64_t> memberSizeLimit{std::uint64_t{1} << 30};
std::atomic<std::uint64_t> extractBudget{std::uint64_t{4} << 30};
std::atomic<std::uint64_t> compressionRatioLimit{1000};
// Other programs, and the host's own saves and caches, need room on the same file system: a
// full disk would fail them in ways far worse than one refused member.
std::atomic<std::uint64_t> freeSpaceMargin{std::uint64_t{256} << 20};

// Members this small pass whatever their ratio: a short run of one byte packs beyond 1000 to 1
// and costs nothing.
constexpr std::uint64_t kRatioFloor = std::uint64_t{1} << 20;

const dp::ZnTracer kZipReaderTracer("du", "ZipReader");

// What the reader's opaque handle points to: the archive and what was taken from it so far.
struct OpenArchive {
  zip_t* zip;
  std::uint64_t extracted = 0;
};

OpenArchive& Opened(void* handle) { return *static_cast<OpenArchive*>(handle); }

// The nearest folder that exists: asking it before making the missing ones leaves no empty
// folder behind a refused member.
std::string ExistingFolderOf(const fs::path& target) {
  std::error_code error;
  fs::path folder = target.parent_path();
  while (!folder.empty() && !fs::is_directory(folder, error)) folder = folder.parent_path();
  return folder.empty() ? "." : folder.string();
}

bool Refuse(const std::string& member, const std::string& reason) {
  kZipReaderTracer(dp::TRACE_ERROR) << member << ": " << reason;
  return false;
}

// A member that would pass the archive's budget or the compression ratio, or fill the disk.
// Sizes are the declared ones: the copy refuses a member that turns out longer.
bool WithinBudget(const std::string& member, const zip_stat_t& info, std::uint64_t extracted,
                  const std::string& folder) {
  using std::to_string;
  const std::uint64_t ratio = compressionRatioLimit.load();
  const std::uint64_t packed = (info.valid & ZIP_STAT_COMP_SIZE) != 0 ? info.comp_size : 0;
  // ratio * packed only when it cannot overflow; past that the member is within the ratio.
  if (info.size > kRatioFloor &&
      (packed == 0 || (ratio <= ~std::uint64_t{0} / packed && info.size > ratio * packed))) {
    return Refuse(member, to_string(info.size) + " bytes from " + to_string(packed) +
                              " compressed, more than " + to_string(ratio) + " to 1");
  }
  const std::uint64_t budget = extractBudget.load();
  if (extracted > budget || info.size > budget - extracted) {
    return Refuse(
        member, "extracting it would pass the archive's budget of " + to_string(budget) + " bytes");
  }
  struct statvfs space;
  if (::statvfs(folder.c_str(), &space) != 0) {
    return Refuse(member, "cannot tell the free space in " + folder);
  }
  const std::uint64_t available = std::uint64_t(space.f_bavail) * space.f_frsize;
  const std::uint64_t margin = freeSpaceMargin.load();
  if (available < margin || available - margin < info.size) {
    return Refuse(member,
                  "would leave less than " + to_string(margin) + " bytes free in " + folder);
  }
  return true;
}

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
  // libzip's own open would wait on a FIFO; it reads from a descriptor opened without waiting.
  const standin::InputFile input = standin::OpenInputFile(archivePath);
  if (input.fd < 0) return;
  int error = 0;
  if (zip_t* zip = zip_fdopen(input.fd, 0, &error)) {
    archive_ = new OpenArchive{zip};
  } else {
    ::close(input.fd);  // libzip owns the descriptor only once it opened the archive
  }
}

ZipReader::~ZipReader() { Close(); }

void ZipReader::Close() {
  if (archive_ == nullptr) return;
  OpenArchive* opened = &Opened(archive_);
  zip_discard(opened->zip);
  delete opened;
  archive_ = nullptr;
}

bool ZipReader::ListContents(std::vector<std::string>& names) {
  if (archive_ == nullptr) return false;
  const zip_int64_t count = zip_get_num_entries(Opened(archive_).zip, 0);
  if (count < 0) return false;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(Opened(archive_).zip, zip_uint64_t(i), ZIP_FL_ENC_RAW);
    if (name != nullptr) names.emplace_back(name);
  }
  return true;
}

bool ZipReader::Extract(const std::string& memberName, const std::string& destination) {
  if (standin::fault::Fires(standin::FileSystemOperation::kExtract)) return false;
  if (archive_ == nullptr || EscapesItsFolder(memberName) || destination.empty()) return false;
  OpenArchive& opened = Opened(archive_);
  zip_t* archive = opened.zip;
  const zip_int64_t index = zip_name_locate(archive, memberName.c_str(), ZIP_FL_ENC_RAW);
  zip_stat_t info;
  if (index < 0 || zip_stat_index(archive, zip_uint64_t(index), 0, &info) != 0 ||
      (info.valid & ZIP_STAT_SIZE) == 0 || info.size > memberSizeLimit.load() ||
      IsLinkOrFolder(archive, zip_uint64_t(index), memberName)) {
    return false;
  }
  const fs::path target(destination);
  if (!WithinBudget(memberName, info, opened.extracted, ExistingFolderOf(target))) return false;

  std::error_code error;
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
  if (ok) {
    opened.extracted += info.size;
  } else {
    ::unlink(temporary.c_str());
  }
  return ok;
}

}  // namespace du

void standin::SetZipMemberSizeLimit(std::uint64_t bytes) { memberSizeLimit.store(bytes); }

std::uint64_t standin::GetZipMemberSizeLimit() { return memberSizeLimit.load(); }

void standin::SetZipExtractBudget(std::uint64_t bytes) { extractBudget.store(bytes); }

std::uint64_t standin::GetZipExtractBudget() { return extractBudget.load(); }

void standin::SetZipCompressionRatioLimit(std::uint64_t ratio) {
  compressionRatioLimit.store(ratio);
}

std::uint64_t standin::GetZipCompressionRatioLimit() { return compressionRatioLimit.load(); }

void standin::SetZipFreeSpaceMargin(std::uint64_t bytes) { freeSpaceMargin.store(bytes); }

std::uint64_t standin::GetZipFreeSpaceMargin() { return freeSpaceMargin.load(); }

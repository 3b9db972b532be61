#include "TimedWork.h"

#include <filesystem>
#include <utility>

#include "PhaseStats.h"
#include "standin/Progress.h"

namespace etbtool {

namespace {

void CommitStarts(standin::FileSystemOperation operation) {
  if (operation != standin::FileSystemOperation::kMkTempFile) {
    standin::WatchFileOperations(nullptr);
    PhaseStats::Get().Start("commit");
  }
}

}  // namespace

std::uint64_t FileBytes(const std::string& path) {
  std::error_code error;
  const std::uintmax_t bytes = std::filesystem::file_size(path, error);
  return error ? 0 : std::uint64_t(bytes);
}

TimedParse::TimedParse(std::uint64_t fileBytes)
    : firstBytes_(standin::BytesReadFromFiles()),
      firstRecords_(standin::EntriesMade()),
      progress_(ProgressLine::Work::kLoad, fileBytes) {
  PhaseStats::Get().Start("parse");
}

TimedParse::~TimedParse() {
  PhaseStats::Get().SetVolume("parse", standin::BytesReadFromFiles() - firstBytes_,
                              standin::EntriesMade() - firstRecords_);
}

TimedSave::TimedSave(std::uint64_t entries, std::string target)
    : entries_(entries), target_(std::move(target)), progress_(ProgressLine::Work::kSave, entries) {
  PhaseStats::Get().Start("save records");
  standin::WatchFileOperations(CommitStarts);
}

TimedSave::~TimedSave() {
  standin::WatchFileOperations(nullptr);
  PhaseStats::Get().SetVolume("save records", FileBytes(target_), entries_);
}

}  // namespace etbtool

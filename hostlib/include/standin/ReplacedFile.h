#pragma once

#include <cstddef>
#include <string>

#include "standin/Temporaries.h"

namespace standin {

// A file written the careful way. The bytes go into a new file beside the target; Commit gives it
// the target's permissions (a new target: what the umask allows), puts it on the disk when asked
// and renames it over the target, so the target is only ever the old file or the whole new one.
// A target that is a symbolic link stays one: the file it names is replaced. Dropped without a
// Commit that succeeded, the new file goes. Every failure is noted (standin/FileFailure.h).
class ReplacedFile {
 public:
  explicit ReplacedFile(const std::string& target);
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  ~ReplacedFile();

  // Where to write; -1 when the new file could not be made.
  int descriptor() const { return descriptor_; }
  // Writes all of it; false (and noted) on a failure. Nothing is written after one.
  bool Write(const char* data, std::size_t size);
  // The writer's own failure, an errno value (in `reason`'s words when given), about `path` or
  // else the target: Commit fails.
  void Fail(int error, const std::string& path = std::string(),
            const std::string& reason = std::string());
  bool failed() const { return failed_; }
  // The permissions the new file gets in place of the target's.
  void SetMode(unsigned int mode) { mode_ = int(mode & 07777); }
  // Closes the new file and renames it over the target; `durable`: synced to the disk first.
  // False with errno set to the first failure's.
  bool Commit(bool durable);

 private:
  bool Step(bool done);

  std::string target_;   // links followed
  std::string sibling_;  // the new file
  int descriptor_ = -1;
  bool failed_ = false;
  int error_ = 0;  // the first failure's errno
  int mode_ = -1;  // -1: the target's, or what the umask allows
  TemporarySlot slot_ = -1;
};

}  // namespace standin

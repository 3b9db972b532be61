#pragma once

#include <string>

namespace etbtool {

// All of standard input, copied into an unnamed file in $TMPDIR (else /tmp), for a reader that
// needs a regular file it can open by name: the checker reads its input twice side by side. The
// copy is unlinked as soon as it exists, so it goes with its descriptor however etbtool ends.
class StdinCopy {
 public:
  StdinCopy();
  StdinCopy(const StdinCopy&) = delete;
  StdinCopy& operator=(const StdinCopy&) = delete;
  ~StdinCopy();

  // Why standard input could not be copied; "" when it was, to its end.
  const std::string& problem() const { return problem_; }
  // A name that opens the copy from its start.
  std::string path() const;

 private:
  int fd_ = -1;
  std::string problem_;
};

}  // namespace etbtool

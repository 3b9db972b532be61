#pragma once

#include <cstdint>
#include <string>

#include "ProgressLine.h"

// The main phases of a command, timed for --stats and followed by the progress line.
namespace etbtool {

// A parse, from construction to destruction: the "parse" phase, with the bytes the host's file
// readers delivered and the entries made meanwhile. `fileBytes` (0: unknown) scales the progress.
class TimedParse {
 public:
  explicit TimedParse(std::uint64_t fileBytes);
  TimedParse(const TimedParse&) = delete;
  TimedParse& operator=(const TimedParse&) = delete;
  ~TimedParse();

 private:
  std::uint64_t firstBytes_;
  std::uint64_t firstRecords_;
  ProgressLine progress_;
};

// A save of `entries` entries to `target`: "save records" until the saver's first file
// operation after its temporary file (the commit begins with it), "commit" from there on.
class TimedSave {
 public:
  TimedSave(std::uint64_t entries, std::string target);
  TimedSave(const TimedSave&) = delete;
  TimedSave& operator=(const TimedSave&) = delete;
  ~TimedSave();

 private:
  std::uint64_t entries_;
  std::string target_;
  ProgressLine progress_;
};

// The size of a file, 0 when it cannot be read.
std::uint64_t FileBytes(const std::string& path);

}  // namespace etbtool

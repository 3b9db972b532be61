#pragma once

#include <mutex>
#include <string>

#include "znk/AsyncEvent.h"

namespace standin {

// A host event that remembers what a load reported to it.
class RecordingEvent : public znk::AsyncEvent {
 public:
  enum class Outcome { kNone, kSuccess, kFailure };

  void ReportFailure(const char* message, int code) override;
  void ReportSuccess() override;

  Outcome outcome() const;
  std::string message() const;  // of the last failure
  int code() const;             // of the last failure
  int reportCount() const;

 private:
  mutable std::mutex mutex_;
  Outcome outcome_ = Outcome::kNone;
  std::string message_;
  int code_ = 0;
  int reportCount_ = 0;
};

}  // namespace standin

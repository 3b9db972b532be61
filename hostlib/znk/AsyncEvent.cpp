#include "znk/AsyncEvent.h"

#include "standin/RecordingEvent.h"

namespace znk {

BaseAsyncEvent::~BaseAsyncEvent() = default;

// A plain event has no listener: reports go nowhere.
void AsyncEvent::ReportFailure(const char* /*message*/, int /*code*/) {}

void AsyncEvent::ReportSuccess() {}

}  // namespace znk

namespace standin {

void RecordingEvent::ReportFailure(const char* message, int code) {
  std::lock_guard<std::mutex> lock(mutex_);
  outcome_ = Outcome::kFailure;
  message_ = message != nullptr ? message : "";
  code_ = code;
  ++reportCount_;
}

void RecordingEvent::ReportSuccess() {
  std::lock_guard<std::mutex> lock(mutex_);
  outcome_ = Outcome::kSuccess;
  ++reportCount_;
}

RecordingEvent::Outcome RecordingEvent::outcome() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return outcome_;
}

std::string RecordingEvent::message() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return message_;
}

int RecordingEvent::code() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return code_;
}

int RecordingEvent::reportCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reportCount_;
}

}  // namespace standin

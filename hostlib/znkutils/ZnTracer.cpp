#include "dp/ZnTracer.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "du/Symbol.h"
#include "standin/TraceCapture.h"

namespace {

std::atomic<bool> tracingEnabled{true};
std::mutex sinkMutex;
standin::TraceCapture* currentCapture = nullptr;  // guarded by sinkMutex

void Emit(const dp::ZnTracer& tracer, dp::TraceType type, std::string text) {
  std::string name = std::string(tracer.GetNamespace()) + "::" + tracer.GetClassName();
  std::lock_guard<std::mutex> lock(sinkMutex);
  if (currentCapture != nullptr) {
    currentCapture->Append({std::move(name), type, std::move(text)});
    return;
  }
  std::fprintf(stderr, "[%s] %d: %s\n", name.c_str(), int(type), text.c_str());
}

}  // namespace

namespace dp {

TraceFormatter::TraceFormatter(const ZnTracer& tracer, TraceType type)
    : tracer_(tracer), type_(type), active_(tracingEnabled.load(std::memory_order_relaxed)) {}

TraceFormatter::~TraceFormatter() {
  if (active_) Emit(tracer_, type_, std::move(text_));
}

TraceFormatter& TraceFormatter::operator<<(const char* text) {
  if (active_ && text != nullptr) text_ += text;
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(const std::string& text) {
  if (active_) text_ += text;
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(const du::Symbol& text) {
  if (active_) text_.append(text.safe_c_str(), text.length());
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(long long value) {
  if (active_) text_ += std::to_string(value);
  return *this;
}

}  // namespace dp

namespace standin {

TraceCapture::TraceCapture() {
  std::lock_guard<std::mutex> lock(sinkMutex);
  previous_ = currentCapture;
  currentCapture = this;
}

TraceCapture::~TraceCapture() {
  std::lock_guard<std::mutex> lock(sinkMutex);
  if (currentCapture == this) currentCapture = previous_;
}

std::vector<TraceLine> TraceCapture::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

void TraceCapture::Append(TraceLine line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(std::move(line));
}

void SetTracingEnabled(bool on) { tracingEnabled.store(on); }

}  // namespace standin

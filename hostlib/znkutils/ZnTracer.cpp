#include "dp/ZnTracer.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "du/Symbol.h"
#include "standin/TraceCapture.h"

namespace {

std::atomic<bool> tracingEnabled{true};
std::atomic<long> partsWhileInactive{0};
std::mutex sinkMutex;
standin::TraceCapture* currentCapture = nullptr;  // guarded by sinkMutex

void Emit(const dp::ZnTracer& tracer, dp::TraceType type, std::string text) {
  std::string name = std::string(tracer.GetNamespace()) + "::" + tracer.GetClassName();
  std::lock_guard<std::mutex> lock(sinkMutex);
  if (currentCapture != nullptr) {
    currentCapture->Append({std::move(name), type, std::move(text)});
    return;
  }
  std::fprintf(stderr, "%s\n", standin::ShownTraceLine(name, type, text).c_str());
}

}  // namespace

namespace dp {

TraceFormatter::TraceFormatter(const ZnTracer& tracer, TraceType type)
    : tracer_(tracer), type_(type), active_(tracingEnabled.load(std::memory_order_relaxed)) {}

TraceFormatter::~TraceFormatter() {
  if (active_) Emit(tracer_, type_, std::move(text_));
}

bool TraceFormatter::IsActive() const noexcept { return active_; }

TraceFormatter& TraceFormatter::operator<<(const char* text) {
  if (!active_) partsWhileInactive.fetch_add(1, std::memory_order_relaxed);
  if (active_ && text != nullptr) text_ += text;
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(const std::string& text) {
  if (!active_) partsWhileInactive.fetch_add(1, std::memory_order_relaxed);
  if (active_) text_ += text;
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(const du::Symbol& text) {
  if (!active_) partsWhileInactive.fetch_add(1, std::memory_order_relaxed);
  if (active_) text_.append(text.safe_c_str(), text.length());
  return *this;
}

TraceFormatter& TraceFormatter::operator<<(long long value) {
  if (!active_) partsWhileInactive.fetch_add(1, std::memory_order_relaxed);
  if (active_) text_ += std::to_string(value);
  return *this;
}

ZnTracer::ZnTracer(const char* nameSpace, const char* className) noexcept
    : nameSpace_(nameSpace), className_(className) {}

TraceFormatter ZnTracer::operator()(TraceType type) const { return TraceFormatter(*this, type); }

const char* ZnTracer::GetNamespace() const noexcept { return nameSpace_; }

const char* ZnTracer::GetClassName() const noexcept { return className_; }

}  // namespace dp

namespace standin {

std::string ShownTraceLine(const std::string& tracer, int type, const std::string& text) {
  static constexpr const char* kLevels[] = {"info", "warning", "error"};
  const bool named = type >= dp::TRACE_INFO && type <= dp::TRACE_ERROR;
  return "[" + tracer + "] " + (named ? kLevels[type - dp::TRACE_INFO] : std::to_string(type)) +
         ": " + text;
}

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

long TakePartsStreamedWhileInactive() { return partsWhileInactive.exchange(0); }

}  // namespace standin

#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct TraceLine {
  std::string tracer;  // "namespace::class", e.g. "etb::Parser"
  int type;
  std::string text;
};

// A trace line as a person reads it: "[etb::Parser] error: text", the type as compilers name
// their levels ("info", "warning", "error"; another type as its number).
std::string ShownTraceLine(const std::string& tracer, int type, const std::string& text);

// While alive, trace lines go here instead of stderr. Captures nest: the newest one wins and the
// previous one is restored when it goes.
class TraceCapture {
 public:
  TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;
  ~TraceCapture();

  std::vector<TraceLine> Lines() const;
  void Append(TraceLine line);

 private:
  TraceCapture* previous_;
  mutable std::mutex mutex_;
  std::vector<TraceLine> lines_;
};

// Tracing is on by default; off, formatters are inactive and keep no text.
void SetTracingEnabled(bool on);

// Parts streamed into inactive formatters since the last call. A caller that asks IsActive first
// streams none; a host that is not this one may not accept them.
long TakePartsStreamedWhileInactive();

}  // namespace standin

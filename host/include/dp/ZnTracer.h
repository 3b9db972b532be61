#pragma once

#include <string>

#include "du/HostApi.h"

namespace du {
class Symbol;
}

namespace dp {

enum TraceType : int { TRACE_INFO = 1, TRACE_WARNING = 2, TRACE_ERROR = 3 };

class ZnTracer;

// Collects one trace line and emits it when destroyed. Text is only kept while the formatter is
// active, that is, while the host wants lines of its type.
class ZN_HOST_API TraceFormatter {
 public:
  TraceFormatter(const ZnTracer& tracer, TraceType type);
  TraceFormatter(const TraceFormatter&) = delete;
  TraceFormatter& operator=(const TraceFormatter&) = delete;
  ~TraceFormatter();

  bool IsActive() const noexcept;

  TraceFormatter& operator<<(const char* text);
  TraceFormatter& operator<<(const std::string& text);
  TraceFormatter& operator<<(const du::Symbol& text);
  TraceFormatter& operator<<(long long value);
  TraceFormatter& operator<<(int value) { return *this << static_cast<long long>(value); }

 private:
  const ZnTracer& tracer_;
  TraceType type_;
  bool active_;
  std::string text_;
};

// A named trace channel, (namespace, class). Both names must outlive the tracer; string literals
// do, which lets tracers be constants made at load time without allocating.
class ZN_HOST_API ZnTracer {
 public:
  ZnTracer(const char* nameSpace, const char* className) noexcept;

  TraceFormatter operator()(TraceType type) const;

  const char* GetNamespace() const noexcept;
  const char* GetClassName() const noexcept;

 private:
  const char* nameSpace_;
  const char* className_;
};

}  // namespace dp

#pragma once

#include "du/HostApi.h"

namespace znk {

class ZN_HOST_API BaseAsyncEvent {
 public:
  // How a host fetch ended, as handed to FileParser::OnComplete.
  enum EventStatus : int { EVENT_DELIVERED = 0, EVENT_FAILED = 1, EVENT_CANCELLED = 2 };

  BaseAsyncEvent() noexcept = default;
  BaseAsyncEvent(const BaseAsyncEvent&) = delete;
  BaseAsyncEvent& operator=(const BaseAsyncEvent&) = delete;
  virtual ~BaseAsyncEvent();
};

// The host's completion event of one load. Loaders hold it unowned, for the time of the load.
class ZN_HOST_API AsyncEvent : public BaseAsyncEvent {
 public:
  virtual void ReportFailure(const char* message, int code);
  virtual void ReportSuccess();
};

}  // namespace znk

#pragma once

#include <cstdint>

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/Symbol.h"
#include "znk/AsyncEvent.h"
#include "znk/MemoryPoolAllocated.h"

namespace znloader {

// Base of every host parser: pooled (first base, which carries the primary vtable) and
// reference-counted (second base, so its address is never the object's start).
class ZN_HOST_API FileParser : public znk::MemoryPoolAllocated, public du::RefCounted {
 public:
  FileParser() noexcept;
  FileParser(const FileParser& other) noexcept;
  FileParser& operator=(const FileParser& other) noexcept;
  ~FileParser() override;

  // The object's class name as the host shows it in diagnostics, e.g. "etb::Parser".
  virtual du::Symbol GetDebugClassName() const;
  // Progress of a fetch started with GetFile; false asks the host to stop it.
  virtual bool OnProgress(std::uint64_t requestId, unsigned char progress) = 0;
  // End of a fetch started with GetFile; ignored by default.
  virtual void OnComplete(std::uint64_t requestId, znk::BaseAsyncEvent::EventStatus status);
  // The parser's registered name; unset when it has none.
  virtual du::Symbol GetParserName() const;
  virtual bool IsPresaveNeeded() const;
  virtual bool Presave();
};

}  // namespace znloader

#pragma once

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
  virtual bool OnProgress(unsigned long long requestId, unsigned char progress) = 0;
  // End of a fetch started with GetFile; ignored by default.
  virtual void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status);
  // The parser's registered name; unset when it has none.
  virtual du::Symbol GetParserName() const;
  virtual bool IsPresaveNeeded() const;
  virtual bool Presave();

  // Starts fetching `url` (file:// or a local path) and answers the request's identifier; the
  // host later calls OnComplete with it. The request holds a reference to this parser until the
  // completion is delivered or cancelled, so the parser must be reference-counted by then.
  // `reserved` and `base` are unused by this host.
  unsigned long long GetFile(const du::Symbol& url, bool reserved, const du::Symbol& base);
  // The local path of a fetched file, for a request that is pending or being delivered.
  bool GetAsyncFileName(unsigned long long requestId, du::Symbol& path) const;
};

}  // namespace znloader

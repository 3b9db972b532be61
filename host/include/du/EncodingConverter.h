#pragma once

#include <string>

#include "du/HostApi.h"

namespace du {

// Converts text between character sets. The system default set is WINDOWS-1252 unless the
// environment variable ZN_SYSTEM_ENCODING names another when the host first asks for it.
class ZN_HOST_API EncodingConverter {
 public:
  static const char* UTF8();
  static const char* SystemDefault();

  // System default -> UTF-8.
  EncodingConverter();
  EncodingConverter(const char* from, const char* to);
  EncodingConverter(const EncodingConverter&) = delete;
  EncodingConverter& operator=(const EncodingConverter&) = delete;
  ~EncodingConverter();

  // Converts `input` into `output`. Bytes that cannot be converted become '?'; the result is
  // then false, as it is when the pair of sets is unknown (the output is then the input).
  // `reserved` is unused and may be null.
  bool Convert(const std::string& input, std::string& output, const char* reserved);

 private:
  // Set up lazily: most converters never convert anything, so making one costs nothing.
  std::string from_;  // empty for the default pair, named on first use
  std::string to_;
  void* handle_ = nullptr;
  bool opened_ = false;
};

}  // namespace du

#include "du/EncodingConverter.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace du {

const char* EncodingConverter::UTF8() { return "UTF-8"; }

const char* EncodingConverter::SystemDefault() {
  const char* configured = std::getenv("ZN_SYSTEM_ENCODING");
  return configured != nullptr && *configured != '\0' ? configured : "WINDOWS-1252";
}

EncodingConverter::EncodingConverter() = default;

EncodingConverter::EncodingConverter(const char* from, const char* to)
    : from_(from != nullptr ? from : ""), to_(to != nullptr ? to : "") {}

EncodingConverter::~EncodingConverter() {
  if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

bool EncodingConverter::Convert(const std::string& input, std::string& output,
                                const char* /*reserved*/) {
  if (!opened_) {
    opened_ = true;
    if (from_.empty() && to_.empty()) {
      from_ = SystemDefault();
      to_ = UTF8();
    }
    iconv_t handle = iconv_open(to_.c_str(), from_.c_str());
    // iconv_open answers (iconv_t)-1 for a pair it does not know.
    handle_ = reinterpret_cast<std::intptr_t>(handle) == -1 ? nullptr : handle;
  }
  if (handle_ == nullptr) {
    output = input;
    return false;
  }
  auto* handle = static_cast<iconv_t>(handle_);
  iconv(handle, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every text

  output.assign(input.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  std::size_t written = 0;
  bool clean = true;
  while (inLeft > 0) {
    char* out = output.data() + written;
    std::size_t outLeft = output.size() - written;
    const std::size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
    written = output.size() - outLeft;
    if (result != std::size_t(-1)) break;
    if (errno == E2BIG) {
      output.resize(output.size() * 2);
    } else {  // EILSEQ or EINVAL: an unconvertible or truncated byte sequence
      clean = false;
      if (output.size() - written < 1) output.resize(output.size() * 2);
      output[written++] = '?';
      ++in;
      --inLeft;
    }
  }
  output.resize(written);
  return clean;
}

}  // namespace du

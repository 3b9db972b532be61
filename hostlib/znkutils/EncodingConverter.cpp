#include "du/EncodingConverter.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "standin/SystemEncoding.h"

namespace du {

const char* EncodingConverter::UTF8() { return "UTF-8"; }

namespace {

// The system's character set is read from the environment once, as a host reads its settings at
// start; writers ask for it once per record.
std::atomic<const std::string*> systemEncoding{nullptr};

// Conversions still to fail untouched (standin::FailConversionsUntouched).
std::atomic<int> untouchedFailures{0};

// Every name read stays, so that a name handed out stays valid for as long as anyone holds it
// (the list grows only when tests read the setting again).
const std::string* ReadSystemEncoding() {
  static std::mutex mutex;
  static auto* names = new std::deque<std::string>;  // never destroyed
  const char* configured = std::getenv("ZN_SYSTEM_ENCODING");
  std::lock_guard<std::mutex> lock(mutex);
  names->emplace_back(configured != nullptr && *configured != '\0' ? configured : "WINDOWS-1252");
  return &names->back();
}

}  // namespace

const char* EncodingConverter::SystemDefault() {
  const std::string* name = systemEncoding.load(std::memory_order_acquire);
  if (name == nullptr) {
    const std::string* read = ReadSystemEncoding();
    if (systemEncoding.compare_exchange_strong(name, read)) name = read;
  }
  return name->c_str();
}

EncodingConverter::EncodingConverter() = default;

EncodingConverter::EncodingConverter(const char* from, const char* to)
    : from_(from != nullptr ? from : ""), to_(to != nullptr ? to : "") {}

EncodingConverter::~EncodingConverter() {
  if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

bool EncodingConverter::Convert(const std::string& input, std::string& output,
                                const char* /*reserved*/) {
  for (int left = untouchedFailures.load(); left > 0;) {
    if (untouchedFailures.compare_exchange_weak(left, left - 1)) return false;
  }
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

void standin::FailConversionsUntouched(int times) { du::untouchedFailures.store(times); }

void standin::RereadSystemEncoding() {
  du::systemEncoding.store(du::ReadSystemEncoding(), std::memory_order_release);
}

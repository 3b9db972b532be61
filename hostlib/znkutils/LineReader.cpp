#include "du/LineReader.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "RecentTexts.h"
#include "dp/ZnTracer.h"
#include "du/FileReader.h"
#include "standin/InputLimits.h"
#include "standin/LineFaults.h"

namespace {

std::atomic<long> throwOnLine{0};
std::atomic<std::size_t> lineLengthLimit{std::size_t{256} << 20};

const dp::ZnTracer kLineReaderTracer("du", "LineReader");

}  // namespace

void standin::ThrowOnLine(long n) { throwOnLine.store(n); }

void standin::SetLineLengthLimit(std::size_t bytes) { lineLengthLimit.store(bytes); }

std::size_t standin::GetLineLengthLimit() { return lineLengthLimit.load(); }

namespace du {

// Lines are handed out in place: the line feed that ends a line is overwritten by the NUL, so a
// line that lies inside the block costs no copy. Only a line that runs past the block's end
// moves (to the block's start) and, when it fills the block, makes the block grow.
LineReader::LineReader(FileReader* reader, int /*mode*/) : reader_(reader) {
  const std::size_t blockSize = reader != nullptr ? reader->GetBlockSize() : 0;
  block_.resize(blockSize > 0 ? blockSize : std::size_t{64} * 1024);
}

// A line over the limit ends the reading as a read error would: the caller keeps what it read.
void LineReader::RefuseLongLine() {
  const std::size_t limit = lineLengthLimit.load(std::memory_order_relaxed);
  kLineReaderTracer(dp::TRACE_ERROR)
      << "line " << static_cast<long long>(linesRead_) + 1 << " is longer than "
      << static_cast<long long>(limit) << " bytes: reading stops there";
  throw true;
}

LineReader::~LineReader() = default;

char* LineReader::GetBuffer() noexcept { return line_; }

bool LineReader::ReadLine() {
  for (;;) {
    const void* feed =
        std::memchr(block_.data() + begin_ + scanned_, '\n', end_ - begin_ - scanned_);
    std::size_t lineEnd = 0;
    if (feed != nullptr) {
      lineEnd = std::size_t(static_cast<const char*>(feed) - block_.data());
    } else if (end_ - begin_ > lineLengthLimit.load(std::memory_order_relaxed)) {
      RefuseLongLine();
    } else if (atEnd_ || !FillMore()) {
      if (begin_ == end_) return false;
      lineEnd = end_;  // the last line has no line feed
    } else {
      continue;
    }
    if (lineEnd - begin_ > lineLengthLimit.load(std::memory_order_relaxed)) RefuseLongLine();
    if (throwOnLine.load(std::memory_order_relaxed) == ++linesRead_) throw true;
    standin::StartLineOfTexts();
    // Only now: FillMore may have moved the block.
    char* data = block_.data();
    line_ = data + begin_;
    // Carriage returns that end a line belong to its terminator, also at the end of the file
    // and also when a file went through two conversions ("\r\r\n"): a text never ends in one,
    // so a writer that ends its lines with a bare line feed reads back what it was given. A NUL
    // ends the line's text as a C string, so the returns before it go too.
    const void* nul = std::memchr(data + begin_, '\0', lineEnd - begin_);
    std::size_t textEnd =
        nul != nullptr ? std::size_t(static_cast<const char*>(nul) - data) : lineEnd;
    while (textEnd > begin_ && data[textEnd - 1] == '\r') --textEnd;
    data[textEnd] = '\0';
    begin_ = lineEnd < end_ ? lineEnd + 1 : end_;
    scanned_ = 0;
    return true;
  }
}

// Reads more bytes behind the unfinished line; false at end of file.
bool LineReader::FillMore() {
  scanned_ = end_ - begin_;
  if (begin_ > 0) {
    std::memmove(block_.data(), block_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // One byte stays free for the NUL that ends a last line without line feed. The block grows no
  // further than a line of the limit with its line feed needs.
  if (block_.size() - end_ < 2) {
    const std::size_t limit = lineLengthLimit.load(std::memory_order_relaxed);
    const std::size_t most = limit < SIZE_MAX - 2 ? limit + 2 : SIZE_MAX;
    block_.resize(std::min(block_.size() * 2, most));
  }
  const std::size_t got =
      reader_ != nullptr ? reader_->Read(block_.data() + end_, block_.size() - end_ - 1) : 0;
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  end_ += got;
  return true;
}

}  // namespace du

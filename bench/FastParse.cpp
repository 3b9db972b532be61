#include "FastParse.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace etbbench {

namespace {

constexpr char kSeparator[] = "<@@>";
constexpr std::size_t kSeparatorSize = sizeof kSeparator - 1;

// The lines of a file, read in blocks; a line is a view into the buffer, valid until the next call.
class LineReader {
 public:
  LineReader(int fd, std::size_t blockBytes) : fd_(fd), buffer_(blockBytes > 0 ? blockBytes : 1) {}

  // The next line without its '\n' and a '\r' before it, as std::getline and NaiveParse see it:
  // the bytes after the last '\n' are a line when there are any. False at the end or on an error.
  bool Next(std::string_view& line) {
    for (;;) {
      const char* start = buffer_.data() + begin_;
      const std::size_t unread = end_ - begin_;
      const auto* feed = static_cast<const char*>(std::memchr(start, '\n', unread));
      if (feed != nullptr) {
        begin_ += std::size_t(feed - start) + 1;
        line = WithoutReturn(start, std::size_t(feed - start));
        return true;
      }
      if (atEnd_) {
        if (unread == 0) return false;
        begin_ = end_;
        line = WithoutReturn(start, unread);
        return true;
      }
      Fill();
    }
  }

  bool failed() const { return failed_; }

 private:
  static std::string_view WithoutReturn(const char* start, std::size_t size) {
    if (size > 0 && start[size - 1] == '\r') --size;
    return {start, size};
  }

  // Keeps the unread bytes at the front and reads behind them; a buffer full of one line doubles.
  void Fill() {
    if (begin_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(2 * buffer_.size());
    for (;;) {
      const ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
      if (got < 0 && errno == EINTR) continue;
      if (got > 0) {
        end_ += std::size_t(got);
      } else {
        atEnd_ = true;
        failed_ = got < 0;
      }
      return;
    }
  }

  int fd_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool failed_ = false;
};

// The columns of a line. Only the first eleven are read; `count` is the true number up to
// eleven and twelve for any more, which is all a record's rules look at.
struct Columns {
  static constexpr std::size_t kKept = 11;
  std::array<std::string_view, kKept> at;
  std::size_t count = 0;
};

const char* FindSeparator(const char* from, const char* end) {
  while (from < end) {
    const auto* mark = static_cast<const char*>(std::memchr(from, '<', std::size_t(end - from)));
    if (mark == nullptr || std::size_t(end - mark) < kSeparatorSize) return nullptr;
    if (std::memcmp(mark, kSeparator, kSeparatorSize) == 0) return mark;
    from = mark + 1;
  }
  return nullptr;
}

void Split(std::string_view line, Columns& columns) {
  columns.count = 0;
  const char* from = line.data();
  const char* const end = from + line.size();
  for (;;) {
    const char* separator = FindSeparator(from, end);
    columns.at[columns.count++] = {from,
                                   std::size_t((separator != nullptr ? separator : end) - from)};
    if (separator == nullptr) return;
    from = separator + kSeparatorSize;
    if (columns.count == Columns::kKept) {
      columns.count = Columns::kKept + 1;
      return;
    }
  }
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What NaiveParse's std::stoi gives in the C locale: leading white space, a sign, digits; 0 when
// there are no digits or the number does not fit an int.
int ToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || !IsDigit(text[i])) return 0;
  constexpr std::int64_t kBeyond = std::int64_t{INT_MAX} + 1;
  std::int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kBeyond) return 0;
  }
  if (negative) return int(-value);
  return value == kBeyond ? 0 : int(value);
}

// Columns 8 on: `tail[0]` is column 8, `count` of them present.
void SetTail(NaiveRecord& record, const std::string_view* tail, std::size_t count) {
  if (count > 0) record.secondState = ToInt(tail[0]);
  if (count > 1) record.extraText1.assign(tail[1]);
  if (count > 2 && !record.extraText1.empty()) record.extraText2.assign(tail[2]);
}

void SetHead(NaiveRecord& record, const Columns& columns) {
  record.componentId = ToInt(columns.at[0]);
  record.componentName.assign(columns.at[1]);
  record.propertyName.assign(columns.at[2]);
  record.propertyValue.assign(columns.at[3]);
  record.name.assign(columns.at[4]);
  record.file.assign(columns.at[5]);
  record.annotationType = ToInt(columns.at[6]);
}

void SetSeventh(NaiveRecord& record, std::string_view seventh) {
  record.accessState = ToInt(seventh);
  if (seventh.size() >= 4) record.comment.assign(seventh.substr(2));
}

}  // namespace

bool FastParse(const std::string& path, std::vector<NaiveRecord>& records, std::size_t blockBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  LineReader reader(fd, blockBytes);
  std::string_view line;
  Columns columns;
  Columns more;
  while (reader.Next(line)) {
    Split(line, columns);
    if (columns.count < 7) continue;
    NaiveRecord& record = records.emplace_back();
    SetHead(record, columns);
    if (columns.count == 8 && columns.at[7].size() >= 4) {
      // A comment that ends its line goes on over the next lines, up to one with a separator.
      // The line's views die with the next read, so the comment is gathered in a copy.
      std::string seventh(columns.at[7]);
      bool ended = false;
      while (!ended && reader.Next(line)) {
        Split(line, more);
        seventh += '\n';
        seventh.append(more.at[0]);
        ended = more.count > 1;
      }
      SetSeventh(record, seventh);
      if (ended) SetTail(record, more.at.data() + 1, more.count - 1);
      continue;
    }
    if (columns.count > 7) SetSeventh(record, columns.at[7]);
    if (columns.count > 8) SetTail(record, columns.at.data() + 8, columns.count - 8);
  }
  ::close(fd);
  return !reader.failed();
}

}  // namespace etbbench

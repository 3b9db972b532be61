#pragma once

#include <cstring>
#include <memory>
#include <ostream>
#include <streambuf>

namespace etb {

// An output stream that gathers the many small writes of a save (a record is some twenty
// separators, numbers and texts) and passes them on to `target` in large blocks. The file
// stream's own buffer pays a virtual call and a conversion check per write; this one copies.
// A failed pass-on sets badbit on `target`, where the saver looks for it after the commit.
class BufferedOutput : public std::ostream {
 public:
  explicit BufferedOutput(std::ostream& target) : std::ostream(nullptr), buffer_(target) {
    init(&buffer_);
  }
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;
  // Passes on what is left; call before committing the target.
  ~BufferedOutput() override { buffer_.pubsync(); }

  // The same as write(data, size), without a virtual call when the bytes fit.
  void Append(const char* data, std::size_t size) { buffer_.Append(data, size); }

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::ostream& target) : target_(target), block_(new char[kSize]) {
      setp(block_.get(), block_.get() + kSize);
    }

    void Append(const char* data, std::size_t size) {
      if (std::streamsize(size) > epptr() - pptr()) {
        sputn(data, std::streamsize(size));
        return;
      }
      std::memcpy(pptr(), data, size);
      pbump(int(size));
    }

   protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
      if (size > epptr() - pptr() && Drain() != 0) return 0;
      if (size > epptr() - pptr()) return PassOn(data, size) ? size : 0;
      CopyShort(pptr(), data, std::size_t(size));
      pbump(int(size));
      return size;
    }
    int_type overflow(int_type c) override {
      if (Drain() != 0) return traits_type::eof();
      if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
      }
      return traits_type::not_eof(c);
    }
    int sync() override { return Drain(); }

   private:
    static constexpr std::streamsize kSize = 1 << 16;

    // Separators and markers, which the host prints through the stream, are a few bytes: two
    // overlapping fixed-size moves copy them without a call to memcpy.
    static void CopyShort(char* to, const char* from, std::size_t size) {
      if (size >= 4 && size <= 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + size - 4, from + size - 4, 4);
      } else if (size > 0 && size < 4) {
        to[0] = from[0];
        to[size / 2] = from[size / 2];
        to[size - 1] = from[size - 1];
      } else {
        std::memcpy(to, from, size);
      }
    }

    int Drain() {
      const std::streamsize size = pptr() - pbase();
      setp(block_.get(), block_.get() + kSize);
      return size == 0 || PassOn(block_.get(), size) ? 0 : -1;
    }
    bool PassOn(const char* data, std::streamsize size) {
      if (target_.good() && target_.rdbuf()->sputn(data, size) == size) return true;
      target_.setstate(std::ios_base::badbit);
      return false;
    }

    std::ostream& target_;
    // On the heap, once per save: saves run on whatever thread the host calls from, and a
    // host thread's stack may be far smaller than the block.
    std::unique_ptr<char[]> block_;
  };

  Buffer buffer_;
};

}  // namespace etb

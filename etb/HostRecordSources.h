#pragma once

#include <string>

#include "du/EncodingConverter.h"
#include "du/LineReader.h"
#include "etb/EtbRecordReader.h"

// The host's line reader and converter as the record reader takes them: the loader and
// `etbtool check` read records through the same two adapters.
namespace etb {

class HostLines : public LineSource {
 public:
  explicit HostLines(du::LineReader& reader) : reader_(reader) {}
  char* NextLine() override { return reader_.ReadLine() ? reader_.GetBuffer() : nullptr; }

 protected:
  du::LineReader& reader_;
};

// A converter in its default configuration (the system's character set to UTF-8).
class HostConverter final : public TextConverter {
 public:
  void Convert(const std::string& bytes, std::string& out) override {
    converter_.Convert(bytes, out, nullptr);
  }

 private:
  du::EncodingConverter converter_;
};

}  // namespace etb

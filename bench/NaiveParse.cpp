#include "NaiveParse.h"

#include <cctype>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace etbbench {

namespace {

const std::string kSeparator = "<@@>";

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = line.find(kSeparator, start);
    if (found == std::string::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, found - start));
    start = found + kSeparator.size();
  }
}

int ToInt(const std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  if (first < text.size() && (text[first] == '-' || text[first] == '+')) ++first;
  if (first == text.size() || !std::isdigit(static_cast<unsigned char>(text[first]))) return 0;
  try {
    return std::stoi(text);
  } catch (const std::out_of_range&) {
    return 0;
  }
}

bool GetLine(std::ifstream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

bool NaiveParse(const std::string& path, std::vector<NaiveRecord>& records) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (GetLine(in, line)) {
    std::vector<std::string> fields = Split(line);
    // A comment that ends its line goes on over the next lines, up to one with a separator.
    if (fields.size() == 8 && fields[7].size() >= 4) {
      while (GetLine(in, line)) {
        std::vector<std::string> more = Split(line);
        fields[7] += '\n';
        fields[7] += more[0];
        if (more.size() > 1) {
          fields.insert(fields.end(), more.begin() + 1, more.end());
          break;
        }
      }
    }
    if (fields.size() < 7) continue;

    NaiveRecord record;
    record.componentId = ToInt(fields[0]);
    record.componentName = fields[1];
    record.propertyName = fields[2];
    record.propertyValue = fields[3];
    record.name = fields[4];
    record.file = fields[5];
    record.annotationType = ToInt(fields[6]);
    if (fields.size() > 7) {
      record.accessState = ToInt(fields[7]);
      if (fields[7].size() >= 4) record.comment = fields[7].substr(2);
    }
    if (fields.size() > 8) record.secondState = ToInt(fields[8]);
    if (fields.size() > 9) record.extraText1 = fields[9];
    if (fields.size() > 10 && !record.extraText1.empty()) record.extraText2 = fields[10];
    records.push_back(std::move(record));
  }
  return true;
}

}  // namespace etbbench

#pragma once

#include <string>
#include <vector>

// The baseline the module is measured against: an ETB reader written the obvious way with the
// standard library, doing the same work per record (split, numbers, texts, comment lines).
namespace etbbench {

struct NaiveRecord {
  int componentId = 0;
  std::string componentName;
  std::string propertyName;
  std::string propertyValue;
  std::string name;
  std::string file;
  int annotationType = 0;
  int accessState = 0;
  std::string comment;
  int secondState = 0;
  std::string extraText1;
  std::string extraText2;
};

// Appends the file's records to `records`; false when the file cannot be opened.
bool NaiveParse(const std::string& path, std::vector<NaiveRecord>& records);

}  // namespace etbbench

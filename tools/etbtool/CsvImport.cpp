// CSV rows through libcsv, fed a line at a time so that each row knows the line it starts on.
#include <csv.h>

#include <algorithm>
#include <memory>

#include "TableImport.h"

namespace etbtool {

namespace {

struct Rows {
  long line = 0;      // the line being fed
  long rowStart = 1;  // the line the current row started on
  std::vector<std::string> row;
  std::vector<std::pair<long, std::vector<std::string>>> all;
};

void EndField(void* text, std::size_t size, void* data) {
  auto* rows = static_cast<Rows*>(data);
  rows->row.emplace_back(text != nullptr ? static_cast<const char*>(text) : "", size);
}

void EndRow(int /*terminator*/, void* data) {
  auto* rows = static_cast<Rows*>(data);
  rows->all.emplace_back(rows->rowStart, std::move(rows->row));
  rows->row.clear();
  rows->rowStart = rows->line + 1;
}

int NoSpace(unsigned char /*byte*/) { return 0; }  // blanks around fields are data

}  // namespace

std::vector<ImportedEntry> ReadCsvEntries(const std::string& bytes,
                                          std::vector<ImportError>& errors) {
  csv_parser parser{};
  csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
  const std::unique_ptr<csv_parser, void (*)(csv_parser*)> freed(&parser, csv_free);
  csv_set_space_func(&parser, NoSpace);
  Rows rows;
  // Spreadsheets often save UTF-8 with a byte-order mark, which is no part of the first name.
  for (std::size_t from = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; from < bytes.size();) {
    const std::size_t feed = std::min(bytes.find('\n', from), bytes.size() - 1) + 1;
    ++rows.line;
    if (csv_parse(&parser, bytes.data() + from, feed - from, EndField, EndRow, &rows) !=
        feed - from) {
      errors.push_back({rows.line, "-", csv_strerror(csv_error(&parser))});
      return {};
    }
    from = feed;
  }
  if (csv_fini(&parser, EndField, EndRow, &rows) != 0) {
    errors.push_back({rows.line, "-", csv_strerror(csv_error(&parser))});
    return {};
  }
  if (rows.all.empty()) {
    errors.push_back({1, "-", "no header row"});
    return {};
  }
  const std::vector<std::string>& header = rows.all.front().second;
  const std::vector<std::string>& known = EntryFieldNames();
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (std::find(known.begin(), known.end(), header[i]) == known.end()) {
      errors.push_back({1, header[i], "not a field of an entry"});
    } else if (std::find(header.begin(), header.begin() + long(i), header[i]) !=
               header.begin() + long(i)) {
      errors.push_back({1, header[i], "named twice"});
    }
  }
  for (std::size_t i = 0; i < kRequiredFields; ++i) {
    if (std::find(header.begin(), header.end(), known[i]) == header.end()) {
      errors.push_back({1, known[i], "missing column"});
    }
  }
  if (!errors.empty()) return {};
  std::vector<ImportedEntry> entries;
  for (std::size_t r = 1; r < rows.all.size(); ++r) {
    const auto& [line, row] = rows.all[r];
    if (row.size() != header.size()) {
      errors.push_back({line, "-",
                        std::to_string(row.size()) + " fields, the header has " +
                            std::to_string(header.size())});
      continue;
    }
    nlohmann::json fields = nlohmann::json::object();
    for (std::size_t i = 0; i < row.size(); ++i) fields[header[i]] = row[i];
    entries.push_back(ReadEntry(fields, line, true, errors));
  }
  return entries;
}

}  // namespace etbtool

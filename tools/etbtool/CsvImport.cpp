// CSV rows through libcsv, fed a line at a time so that each row knows the line it starts on.
#include <csv.h>

#include <algorithm>
#include <memory>

#include "TableImport.h"
#include "TextForms.h"

namespace etbtool {

namespace {

struct Rows {
  long line = 0;      // the line being fed
  long rowStart = 1;  // the line the current row started on
  std::vector<std::string> row;
  std::vector<std::pair<long, std::vector<std::string>>> all;
  TableCount* count = nullptr;
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
  if (rows->count != nullptr) ++rows->count->rows;
}

int NoSpace(unsigned char /*byte*/) { return 0; }  // blanks around fields are data

// The line of the quote that the file leaves open: the input parsed well up to its end, so a
// quote opens a field only at its start, and "" inside a quoted field is a quote.
long OpenQuoteLine(const std::string& bytes, std::size_t from, char delimiter) {
  long line = 1;
  long opened = 0;
  bool quoted = false;
  bool fieldStart = true;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (quoted) {
      if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
        ++i;
      } else if (c == '"') {
        quoted = false;
      }
    } else if (c == '"' && fieldStart) {
      quoted = true;
      opened = line;
    }
    // A lone carriage return ends a row as a line feed does.
    fieldStart = !quoted && (c == delimiter || c == '\n' || c == '\r');
    if (c == '\n') ++line;
  }
  return opened != 0 ? opened : line;
}

// The reason libcsv stopped, in terms of the text.
std::string ParseProblem(csv_parser& parser) {
  if (csv_error(&parser) != CSV_EPARSE) return csv_strerror(csv_error(&parser));
  return "a quote inside an unquoted field, or text after a closing quote (a quote inside a "
         "quoted field is written twice)";
}

// A header of one field that holds another separator: most likely the file uses that one.
std::string DelimiterHint(const std::vector<std::string>& header, char delimiter) {
  if (header.size() != 1) return "";
  for (const char other : {';', '\t', '|', ','}) {
    if (other != delimiter && header[0].find(other) != std::string::npos) {
      const std::string shown = other == '\t' ? "tab" : std::string(1, other);
      return "the header is one field; for a " + shown + "-separated file give --delimiter " +
             (other == '\t' ? "tab" : "'" + shown + "'");
    }
  }
  return "";
}

}  // namespace

std::vector<ImportedEntry> ReadCsvEntries(const std::string& bytes,
                                          std::vector<ImportError>& errors,
                                          const CsvOptions& options) {
  csv_parser parser{};
  csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
  const std::unique_ptr<csv_parser, void (*)(csv_parser*)> freed(&parser, csv_free);
  csv_set_space_func(&parser, NoSpace);
  csv_set_delim(&parser, static_cast<unsigned char>(options.delimiter));
  Rows rows;
  rows.count = options.count;
  // Spreadsheets often save UTF-8 with a byte-order mark, which is no part of the first name.
  const std::size_t start = ByteOrderMarkLength(bytes);
  if (bytes.find_first_not_of(" \t\r\n", start) == std::string::npos) {
    errors.push_back({1, "-", "an empty file: a table starts with a CSV header row"});
    return {};
  }
  for (std::size_t from = start; from < bytes.size();) {
    const std::size_t feed = std::min(bytes.find('\n', from), bytes.size() - 1) + 1;
    ++rows.line;
    if (csv_parse(&parser, bytes.data() + from, feed - from, EndField, EndRow, &rows) !=
        feed - from) {
      errors.push_back({rows.line, "-", ParseProblem(parser)});
      return {};
    }
    if (options.count != nullptr) options.count->bytes = feed;
    from = feed;
  }
  if (csv_fini(&parser, EndField, EndRow, &rows) != 0) {
    errors.push_back({OpenQuoteLine(bytes, start, options.delimiter), "-",
                      "a quote opened here is never closed"});
    return {};
  }
  if (rows.all.empty()) {
    errors.push_back({1, "-", "no header row"});
    return {};
  }
  const std::vector<std::string>& header = rows.all.front().second;
  if (const std::string hint = DelimiterHint(header, options.delimiter); !hint.empty()) {
    errors.push_back({1, "-", hint});
    return {};
  }
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
    for (std::size_t i = 0; i < row.size(); ++i) {
      fields[header[i]] = options.escapedFormulas ? UnescapedFormula(row[i]) : row[i];
    }
    entries.push_back(ReadEntry(fields, {line, {}, ""}, true, errors));
  }
  return entries;
}

}  // namespace etbtool

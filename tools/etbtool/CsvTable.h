#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

namespace etbtool {

// The CSV form of a table: a header row of the entry fields of the JSON document, then one row
// per entry, as RFC 4180 has it (CRLF rows, a field quoted when it holds a comma, a quote or a
// line break). A null text is an empty field; texts are written as valid UTF-8.
void WriteCsvHeader(std::FILE* out);
// `entry` is an entry object of the JSON document; `escapeFormulas`: texts as EscapedFormula
// makes them. Answers how many of its texts were not valid UTF-8.
std::size_t WriteCsvRow(std::FILE* out, const nlohmann::ordered_json& entry, bool escapeFormulas);

}  // namespace etbtool

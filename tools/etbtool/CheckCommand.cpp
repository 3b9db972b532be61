#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "EtbChecker.h"
#include "etb/ProductEncoding.h"
#include "znk/Structure.h"

namespace etbtool {

namespace {

const char* NameOf(Severity severity) { return severity == Severity::kInfo ? "info" : "warning"; }

// Findings by code, and how many are warnings.
struct Tally {
  std::map<std::string, long> byCode;
  long warnings = 0;

  void Count(const Finding& finding) {
    ++byCode[finding.code];
    if (finding.severity == Severity::kWarning) ++warnings;
  }
};

// The texts are converted as the loader converts them: for a product file ed/edz.
bool ConvertsTexts(const std::string& model) {
  du::SmartPtr<znk::Structure> structure = new znk::Structure;
  if (!model.empty()) structure->SetFileSource(model);
  return etb::ProductUsesSystemEncoding(structure);
}

}  // namespace

int RunCheck(const CheckOptions& options, std::ostream& out) {
  Tally tally;
  bool first = true;
  // The JSON document is written as the findings come, so that it takes no memory of its own.
  EtbChecker checker(ConvertsTexts(options.model), [&](const Finding& finding) {
    tally.Count(finding);
    if (!options.json) {
      out << options.file << ':' << finding.line << ": " << finding.code << ": " << finding.message
          << " (" << finding.host << ")\n";
      return;
    }
    const nlohmann::ordered_json item = {{"line", finding.line},
                                         {"code", finding.code},
                                         {"level", NameOf(finding.severity)},
                                         {"message", finding.message},
                                         {"host", finding.host}};
    out << (first ? "\n    " : ",\n    ")
        << item.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    first = false;
  });
  if (options.json) {
    out << "{\n  \"file\": "
        << nlohmann::json(options.file)
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
        << ",\n  \"findings\": [";
  }
  if (!checker.Check(options.file)) {
    if (options.json) out << "]\n}\n";
    std::cerr << "etbtool: cannot read " << options.file << '\n';
    return kExitUsage;
  }
  if (options.json) {
    const nlohmann::ordered_json summary = {{"lines", checker.lines()},
                                            {"records", checker.records()},
                                            {"warnings", tally.warnings},
                                            {"byCode", tally.byCode}};
    out << (first ? "],\n" : "\n  ],\n") << "  \"summary\": " << summary.dump() << "\n}\n";
  }
  return tally.warnings > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace etbtool

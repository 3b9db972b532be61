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

std::string JsonText(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

int RunCheck(const CheckOptions& options, std::ostream& out) {
  Tally tally;
  bool headed = false;  // the JSON document's start is out
  bool first = true;
  // The JSON document is written as the findings come, so that it takes no memory of its own;
  // it starts with the first finding or once the file is read, as a file that cannot be read
  // gets a document of its own.
  const auto head = [&] {
    if (options.json && !headed) {
      out << "{\n  \"file\": " << JsonText(options.file) << ",\n  \"findings\": [";
    }
    headed = true;
  };
  EtbChecker checker(ConvertsTexts(options.model), [&](const Finding& finding) {
    tally.Count(finding);
    head();
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
    out << (first ? "\n    " : ",\n    ") << JsonText(item);
    first = false;
  });
  const std::string problem = checker.Check(options.file);
  if (!problem.empty()) {
    // The "error" member says why, so that no reader takes the document for a clean file.
    std::cerr << "etbtool: cannot read " << options.file << ": " << problem << '\n';
    if (options.json) {
      if (headed) {
        out << (first ? "]," : "\n  ],");
      } else {
        out << "{\n  \"file\": " << JsonText(options.file) << ',';
      }
      out << "\n  \"error\": " << JsonText(problem) << "\n}\n";
    }
    return kExitUsage;
  }
  head();
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

#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "Commands.h"
#include "EtbChecker.h"
#include "StdinCopy.h"
#include "TextForms.h"
#include "etb/ProductEncoding.h"
#include "znk/Structure.h"

namespace etbtool {

namespace {

// The words compilers use, so that a reader can grep for them.
const char* NameOf(Severity severity) {
  switch (severity) {
    case Severity::kInfo:
      return "note";
    case Severity::kWarning:
      return "warning";
    case Severity::kError:
      return "error";
  }
  return "";
}

// Findings by code and by level, and how many were shown.
struct Tally {
  std::map<std::string, long> byCode;
  long notes = 0;
  long warnings = 0;
  long errors = 0;
  long shown = 0;

  void Count(const Finding& finding) {
    ++byCode[finding.code];
    long& level = finding.severity == Severity::kError     ? errors
                  : finding.severity == Severity::kWarning ? warnings
                                                           : notes;
    ++level;
  }
  long all() const { return notes + warnings + errors; }
};

// "FILE: 0 errors, 5 warnings, 1 note in 3 lines", and how many were shown when not all were.
std::string TotalsLine(const std::string& name, const Tally& tally, long lines, long cap) {
  std::string line = name + ": " + Counted(tally.errors, "error") + ", " +
                     Counted(tally.warnings, "warning") + ", " + Counted(tally.notes, "note") +
                     " in " + Counted(lines, "line");
  if (tally.shown < tally.all()) {
    line += "; " + std::to_string(tally.shown) + " of " + Counted(tally.all(), "finding") +
            " shown (--max-findings " + std::to_string(cap) + ")";
  }
  return line;
}

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
  const bool fromStdin = options.file == "-";
  const std::string name = fromStdin ? "<stdin>" : options.file;
  std::optional<StdinCopy> copy;
  if (fromStdin) copy.emplace();
  Tally tally;
  bool headed = false;  // the JSON document's start is out
  // The JSON document is written as the findings come, so that it takes no memory of its own;
  // it starts with the first finding or once the file is read, as a file that cannot be read
  // gets a document of its own.
  const auto head = [&] {
    if (options.json && !headed) {
      out << "{\n  \"file\": " << JsonText(name) << ",\n  \"findings\": [";
    }
    headed = true;
  };
  EtbChecker checker(ConvertsTexts(options.model), [&](const Finding& finding) {
    tally.Count(finding);
    head();
    // Past the cap the findings are still counted: the totals and exit status are the file's.
    if (options.maxFindings >= 0 && tally.shown >= options.maxFindings) return;
    if (!options.json) {
      out << name << ':' << finding.line << ": " << NameOf(finding.severity) << ": " << finding.code
          << ": " << finding.message << " (" << finding.host << ")\n";
    } else {
      const nlohmann::ordered_json item = {{"line", finding.line},
                                           {"code", finding.code},
                                           {"level", NameOf(finding.severity)},
                                           {"message", finding.message},
                                           {"host", finding.host}};
      out << (tally.shown == 0 ? "\n    " : ",\n    ") << JsonText(item);
    }
    ++tally.shown;
  });
  std::string problem = copy ? copy->problem() : "";
  if (problem.empty()) problem = checker.Check(copy ? copy->path() : options.file);
  if (!problem.empty()) {
    // The "error" member says why, so that no reader takes the document for a clean file.
    std::cerr << "etbtool: cannot read " << name << ": " << problem << '\n';
    if (options.json) {
      if (headed) {
        out << (tally.shown == 0 ? "]," : "\n  ],");
      } else {
        out << "{\n  \"file\": " << JsonText(name) << ',';
      }
      out << "\n  \"error\": " << JsonText(problem) << "\n}\n";
    }
    return kExitUsage;
  }
  head();
  if (options.json) {
    const nlohmann::ordered_json summary = {
        {"lines", checker.lines()},   {"records", checker.records()}, {"errors", tally.errors},
        {"warnings", tally.warnings}, {"notes", tally.notes},         {"shown", tally.shown},
        {"byCode", tally.byCode}};
    out << (tally.shown == 0 ? "],\n" : "\n  ],\n") << "  \"summary\": " << summary.dump()
        << "\n}\n";
  } else {
    std::cerr << TotalsLine(name, tally, checker.lines(), options.maxFindings) << '\n';
  }
  return tally.errors + tally.warnings > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace etbtool

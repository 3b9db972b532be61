#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "Commands.h"
#include "OutputFile.h"
#include "TableImport.h"
#include "TextForms.h"
#include "TimedWork.h"
#include "standin/FileFailure.h"
#include "standin/InputFile.h"
#include "znk/AnnoSetTable.h"
#include "znk/Structure.h"

namespace etbtool {

namespace {

// JSON when the name ends in .json; CSV when it ends in .csv; otherwise (standard input too)
// JSON when the text starts with '{' or '[', after a byte-order mark and blanks.
bool IsJson(const std::string& name, const std::string& bytes) {
  if (const std::string format = FormatOfName(name); !format.empty()) return format == "json";
  const std::size_t first = bytes.find_first_not_of(" \t\r\n", ByteOrderMarkLength(bytes));
  return first != std::string::npos && (bytes[first] == '{' || bytes[first] == '[');
}

// Reads the whole file ("-": standard input) into `bytes`; answers why it cannot, "" when it
// could.
std::string ReadInput(const std::string& path, std::string& bytes) {
  standin::InputFile input;
  if (path != "-") {
    input = standin::OpenInputFile(path);
  } else if (input.fd = ::dup(STDIN_FILENO); input.fd < 0) {
    input.reason = std::strerror(errno);
  }
  if (input.fd < 0) return input.reason;
  std::string problem;
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(input.fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = std::strerror(errno);
    if (got <= 0) break;
    bytes.append(block, std::size_t(got));
  }
  ::close(input.fd);
  return problem;
}

}  // namespace

int RunImport(const LoadedModule& module, const ImportOptions& options, std::ostream& out) {
  const std::string name = options.input == "-" ? "<stdin>" : options.input;
  if (options.output == "-") {
    std::cerr << "etbtool: import writes an ETB file through the saver: OUT cannot be -\n";
    return kExitUsage;
  }
  if (options.input != "-" && IsSameFile(options.input, options.output)) {
    std::cerr << "etbtool: " << options.output << " is the same file as " << options.input
              << "; nothing written\n";
    return kExitUsage;
  }
  std::string text;
  if (const std::string problem = ReadInput(options.input, text); !problem.empty()) {
    std::cerr << "etbtool: cannot read " << name << ": " << problem << '\n';
    return kExitUsage;
  }
  const bool json = IsJson(options.input, text);
  if (json && (options.delimiter != ',' || options.escapedFormulas)) {
    std::cerr << "etbtool: --delimiter and --escape-formulas are for CSV; " << name
              << " is read as JSON\n";
    return kExitUsage;
  }
  std::vector<ImportError> errors;
  TableCount count;
  std::vector<ImportedEntry> entries;
  {
    const ProgressLine progress(ProgressLine::Work::kImport, text.size(), &count);
    entries =
        json ? ReadJsonEntries(text, errors)
             : ReadCsvEntries(text, errors, {options.delimiter, options.escapedFormulas, &count});
  }
  if (!errors.empty()) {
    for (const ImportError& error : errors) {
      std::cerr << name << ':' << error.line << ':' << (error.field.empty() ? "\"\"" : error.field)
                << ": " << error.reason << '\n';
    }
    std::cerr << "etbtool: nothing written\n";
    return kExitUsage;
  }

  du::SmartPtr<znk::Structure> structure = new znk::Structure;
  if (!options.model.empty()) structure->SetFileSource(options.model);
  du::SmartPtr<znk::AnnoSetTable> table = new znk::AnnoSetTable(structure);
  for (const ImportedEntry& imported : entries) table->AddEntry(NewHostEntry(imported));
  du::SmartPtr<znloader::AnnotationParser> saver;
  bool saved = false;
  standin::TakeFileFailure();
  if (module.Create("saver", "annotation", "etb", saver)) {
    const TimedSave timed(entries.size(), options.output);
    saved = saver->SaveAnnotationTable(table, du::SmartPtr<znk::AnnoSetTableEntry>(),
                                       options.output, true, options.convert);
  }
  if (!saved) {
    PrintWriteFailure("save", options.output, std::cerr);
    out << "failure: " << options.output << " was not saved\n";
    return kExitFailure;
  }
  out << "imported: " << entries.size() << (entries.size() == 1 ? " entry" : " entries") << " to "
      << options.output << '\n';
  return kExitSuccess;
}

}  // namespace etbtool

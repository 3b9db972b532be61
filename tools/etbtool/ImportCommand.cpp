#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "Commands.h"
#include "OutputFile.h"
#include "TableImport.h"
#include "standin/FileFailure.h"
#include "standin/InputFile.h"
#include "znk/AnnoSetTable.h"
#include "znk/Structure.h"

namespace etbtool {

namespace {

// A JSON document starts with '{'; anything else is read as CSV.
bool LooksLikeJson(const std::string& bytes) {
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string::npos && bytes[first] == '{';
}

// Reads the whole file into `bytes`; answers why it cannot, "" when it could.
std::string ReadInput(const std::string& path, std::string& bytes) {
  const standin::InputFile input = standin::OpenInputFile(path);
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
  if (IsSameFile(options.input, options.output)) {
    std::cerr << "etbtool: " << options.output << " is the same file as " << options.input
              << "; nothing written\n";
    return kExitUsage;
  }
  std::string text;
  if (const std::string problem = ReadInput(options.input, text); !problem.empty()) {
    std::cerr << "etbtool: cannot read " << options.input << ": " << problem << '\n';
    return kExitUsage;
  }
  std::vector<ImportError> errors;
  const std::vector<ImportedEntry> entries =
      LooksLikeJson(text) ? ReadJsonEntries(text, errors) : ReadCsvEntries(text, errors);
  if (!errors.empty()) {
    for (const ImportError& error : errors) {
      std::cerr << options.input << ':' << error.line << ':'
                << (error.field.empty() ? "\"\"" : error.field) << ": " << error.reason << '\n';
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

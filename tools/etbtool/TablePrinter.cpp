#include "TablePrinter.h"

#include <iomanip>
#include <string>

#include "znk/ComponentNode.h"

namespace etbtool {

namespace {

// One cell: the text on one line, cut to `width` bytes with "..." when longer.
std::string Cell(const du::Symbol& symbol, std::size_t width) {
  std::string text;
  for (const char* c = symbol.safe_c_str(); *c != '\0'; ++c) {
    if (*c == '\n') {
      text += "\\n";
    } else if (static_cast<unsigned char>(*c) < 0x20) {
      text += ' ';
    } else {
      text += *c;
    }
  }
  if (text.size() > width) text = text.substr(0, width - 3) + "...";
  return text;
}

void PrintEntry(std::ostream& out, unsigned int index, const znk::AnnoSetTableEntry& entry) {
  out << std::right << std::setw(4) << index << ' ' << std::setw(5) << entry.GetCompId() << "  "
      << std::left << std::setw(12) << Cell(entry.GetCompName(), 12) << ' ' << std::setw(12)
      << Cell(entry.GetPropName(), 12) << ' ' << std::setw(10)
      << Cell(entry.GetCombinedPropValueAndListString(), 10) << ' ' << std::setw(12)
      << Cell(entry.GetName(), 12) << ' ' << std::setw(12) << Cell(entry.file, 12) << std::right
      << std::setw(3) << entry.annotationType << std::setw(3) << entry.accessState << std::setw(3)
      << entry.secondState << '\n';
  if (entry.comment.length() > 0) out << "           comment: " << Cell(entry.comment, 60) << '\n';
  if (!entry.extraText1.IsNull() || !entry.extraText2.IsNull()) {
    out << "           extra:   " << Cell(entry.extraText1, 29) << " | "
        << Cell(entry.extraText2, 28) << '\n';
  }
}

}  // namespace

void PrintLoad(std::ostream& out, const LoadedTable& loaded, bool summaryOnly) {
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  du::SmartPtr<znk::ComponentNode> root;
  loaded.structure->GetRoot(root);
  const std::size_t sources = root->GetViewStateSources().size();
  out << (loaded.report.success ? "success" : "failure: " + loaded.report.message) << ": " << count
      << (count == 1 ? " entry" : " entries") << ", " << sources
      << (sources == 1 ? " view-state source" : " view-state sources") << '\n';
  if (summaryOnly) return;
  if (count > 0) {
    out << "   #    id  component    property     value      name         file        "
           "typ acc 2nd\n";
  }
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
    if (!entry.IsNull()) PrintEntry(out, i, *entry);
  }
  if (sources > 0) out << "view-state sources:\n";
  for (const auto& source : root->GetViewStateSources()) {
    out << "  " << std::left << std::setw(24) << Cell(source->GetName(), 24) << ' '
        << Cell(source->GetFile(), 40) << " (type " << int(source->GetType()) << ")\n";
  }
}

void PrintSession(std::ostream& out, const LoadedSession& loaded) {
  const auto outcome = [](const LoadReport& report) {
    return report.success ? std::string("success") : "failure: " + report.message;
  };
  du::Symbol etbFile;
  du::Symbol astFile;
  loaded.structure->GetSessionStateEtbFileName(etbFile);
  loaded.structure->GetSessionStateAstFileName(astFile);
  out << "zip loader: " << outcome(loaded.zipReport) << '\n'
      << "etb loader: " << outcome(loaded.report) << '\n'
      << "session ETB file: " << (etbFile.IsNull() ? "(none)" : etbFile.c_str()) << '\n'
      << "session AST file: " << (astFile.IsNull() ? "(none)" : astFile.c_str()) << '\n';
  const du::SmartPtr<znk::AnnoSetTableEntry>& entry = loaded.structure->GetSessionStateAnnoEntry();
  if (entry.IsNull()) {
    out << "session entry: (none)\n";
    return;
  }
  out << "session entry:\n"
      << "   #    id  component    property     value      name         file        "
         "typ acc 2nd\n";
  PrintEntry(out, 0, *entry);
}

}  // namespace etbtool

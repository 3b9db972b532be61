#include "TablePrinter.h"

#include <iomanip>
#include <string>
#include <string_view>

#include "TerminalText.h"
#include "znk/ComponentNode.h"

namespace etbtool {

namespace {

// One cell of `width` terminal columns, cut or padded as FitToWidth does, read in place: a
// text can be far longer than any cell.
std::string Cell(const du::Symbol& symbol, std::size_t width, bool pad = true) {
  return FitToWidth(std::string_view(symbol.safe_c_str(), symbol.length()), width, pad);
}

// 79 columns, so that no terminal of 80 wraps a line: #, id, component, property, value, name,
// file, type, access, second state.
constexpr char kHeader[] =
    "  #     id component  property   value      name       file         typ acc 2nd\n";

void PrintEntry(std::ostream& out, unsigned int index, const znk::AnnoSetTableEntry& entry) {
  out << std::right << std::setw(3) << index << ' ' << std::setw(6) << entry.GetCompId() << ' '
      << Cell(entry.GetCompName(), 10) << ' ' << Cell(entry.GetPropName(), 10) << ' '
      << Cell(entry.GetCombinedPropValueAndListString(), 10) << ' ' << Cell(entry.GetName(), 10)
      << ' ' << Cell(entry.file, 11) << std::setw(5) << entry.annotationType << std::setw(4)
      << entry.accessState << std::setw(4) << entry.secondState << '\n';
  if (entry.comment.length() > 0)
    out << "           comment: " << Cell(entry.comment, 59, false) << '\n';
  if (!entry.extraText1.IsNull() || !entry.extraText2.IsNull()) {
    out << "           extra:   " << Cell(entry.extraText1, 29) << " | "
        << Cell(entry.extraText2, 27, false) << '\n';
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
    out << kHeader;
  }
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
    if (!entry.IsNull()) PrintEntry(out, i, *entry);
  }
  if (sources > 0) out << "view-state sources:\n";
  for (const auto& source : root->GetViewStateSources()) {
    out << "  " << Cell(source->GetName(), 24) << ' ' << Cell(source->GetFile(), 40) << " (type "
        << int(source->GetType()) << ")\n";
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
  out << "zip loader: " << outcome(loaded.zipReport) << '\n';
  // The zip loader succeeds whatever the archive holds; the host sees what it unpacked.
  if (loaded.zipReport.success && etbFile.IsNull()) {
    out << "  no .etb member was unpacked: the archive holds none, or cannot be read whole\n";
  }
  out << "etb loader: " << outcome(loaded.report) << '\n'
      << "session ETB file: " << (etbFile.IsNull() ? "(none)" : etbFile.c_str()) << '\n'
      << "session AST file: " << (astFile.IsNull() ? "(none)" : astFile.c_str()) << '\n';
  const du::SmartPtr<znk::AnnoSetTableEntry>& entry = loaded.structure->GetSessionStateAnnoEntry();
  if (entry.IsNull()) {
    out << "session entry: (none)\n";
    return;
  }
  out << "session entry:\n" << kHeader;
  PrintEntry(out, 0, *entry);
}

}  // namespace etbtool

#include "TablePrinter.h"

#include <algorithm>
#include <iomanip>
#include <string>
#include <string_view>
#include <utility>

#include "TerminalText.h"
#include "znk/ComponentNode.h"

namespace etbtool {

namespace {

// One cell of `width` terminal columns, cut or padded as FitToWidth does, read in place: a
// text can be far longer than any cell.
std::string Cell(const du::Symbol& symbol, std::size_t width, bool pad = true) {
  return FitToWidth(std::string_view(symbol.safe_c_str(), symbol.length()), width, pad);
}

// A number right-aligned in `width` columns. One that is wider is cut as a text is, so that
// the row keeps its width and a blank before the next column; `whole` then gets its name and
// value, for a line of its own under the row.
std::string Number(long long value, std::size_t width, const char* name, std::string& whole) {
  const std::string digits = std::to_string(value);
  if (digits.size() <= width) return std::string(width - digits.size(), ' ') + digits;
  whole += (whole.empty() ? "" : ", ") + std::string(name) + ' ' + digits;
  return FitToWidth(digits, width);
}

// One column less than the terminal has, so that no line wraps, and never less than 79 (a
// terminal of 80): #, id, component, property, value, name, file, type, access, second state.
// The five texts share what a wider terminal gives. The index takes what it needs (a table can
// hold millions of entries, and an index is what --partial and --mark are given), from the
// component's columns.
class Layout {
 public:
  explicit Layout(unsigned int entries)
      : extra_(std::max<std::size_t>(OutputColumns(), 80) - 80),
        text_(10 + extra_ / 5),
        file_(11 + extra_ / 5 + extra_ % 5) {
    for (unsigned int last = entries > 0 ? entries - 1 : 0; last >= 1000; last /= 10) ++index_;
  }

  void PrintHeader(std::ostream& out) const {
    out << std::string(index_ - 1, ' ') << "#     id " << std::left;
    for (const auto& [title, width] : {std::pair{"component", component()},
                                       {"property", text_},
                                       {"value", text_},
                                       {"name", text_},
                                       {"file", file_}}) {
      out << std::setw(int(width)) << title << ' ';
    }
    out << " typ acc 2nd\n";
  }

  void PrintEntry(std::ostream& out, unsigned int index,
                  const znk::AnnoSetTableEntry& entry) const {
    std::string whole;
    out << Number(index, index_, "#", whole) << ' ' << Number(entry.GetCompId(), 6, "id", whole)
        << ' ' << Cell(entry.GetCompName(), component()) << ' ' << Cell(entry.GetPropName(), text_)
        << ' ' << Cell(entry.GetCombinedPropValueAndListString(), text_) << ' '
        << Cell(entry.GetName(), text_) << ' ' << Cell(entry.file, file_) << ' '
        << Number(entry.annotationType, 4, "typ", whole) << ' '
        << Number(entry.accessState, 3, "acc", whole) << ' '
        << Number(entry.secondState, 3, "2nd", whole) << '\n';
    if (!whole.empty()) out << "           numbers: " << whole << '\n';
    if (entry.comment.length() > 0)
      out << "           comment: " << Cell(entry.comment, 59 + extra_, false) << '\n';
    if (!entry.extraText1.IsNull() || !entry.extraText2.IsNull()) {
      out << "           extra:   " << Cell(entry.extraText1, 29 + extra_ / 2) << " | "
          << Cell(entry.extraText2, 27 + extra_ - extra_ / 2, false) << '\n';
    }
  }

  void PrintSource(std::ostream& out, const znk::ViewStateSource& source) const {
    out << "  " << Cell(source.GetName(), 24 + extra_ / 2) << ' '
        << Cell(source.GetFile(), 40 + extra_ - extra_ / 2) << " (type " << int(source.GetType())
        << ")\n";
  }

 private:
  std::size_t component() const { return text_ + 3 - index_; }
  std::size_t extra_;  // the columns past 79
  std::size_t text_;   // of the property, value and name
  std::size_t file_;
  std::size_t index_ = 3;
};

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
  const Layout layout(count);
  if (count > 0) layout.PrintHeader(out);
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
    if (!entry.IsNull()) layout.PrintEntry(out, i, *entry);
  }
  if (sources > 0) out << "view-state sources:\n";
  for (const auto& source : root->GetViewStateSources()) layout.PrintSource(out, *source);
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
  const Layout layout(1);
  out << "session entry:\n";
  layout.PrintHeader(out);
  layout.PrintEntry(out, 0, *entry);
}

}  // namespace etbtool

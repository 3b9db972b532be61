// One ETB line into the host object model: the record reader splits it, then the record is
// placed as a table entry, a session-state entry or a view-state source.
#include <utility>

#include "etb/ETBParser_Scanner.h"
#include "etb/EtbRecordReader.h"
#include "etb/FormatConstants.h"
#include "etb/HostRecordSources.h"
#include "etb/Parser.h"
#include "etb/ProductEncoding.h"
#include "etb/RecordRules.h"
#include "znk/AnnoSetTableEntry.h"
#include "znk/AnnoSetTableEntryData.h"
#include "znk/ComponentNode.h"
#include "znk/Structure.h"
#include "znk/ViewStateSource.h"

namespace etb {

namespace {

// A test of a file's last four characters, asked of the host's symbol.
auto EndsWith(const du::Symbol& text) {
  return [&text](const char* suffix) {
    return text.length() >= 4 && text.substr(text.length() - 4, 4) == suffix;
  };
}

du::Symbol SymbolOf(const EtbText& text) {
  return text.absent() ? du::Symbol() : du::Symbol(text.data);
}

// A view-state source record goes to the structure's root; without a structure or a root
// there is nowhere to put it.
void AddViewStateSource(const du::SmartPtr<znk::Structure>& structure, const du::Symbol& name,
                        const du::Symbol& file) {
  du::SmartPtr<znk::ComponentNode> root;
  if (!structure.IsNull()) structure->GetRoot(root);
  if (root.IsNull()) return;
  du::SmartPtr<znk::ViewStateSource> source;
  znk::ViewStateSource::Create(source, root.get(), name, znk::ViewStateSource::VIEWSTATESOURCE_FILE,
                               file, 0);
  root->AddViewStateSource(source);
}

}  // namespace

void Parser::ParseLine(char* line, du::LineReader& lines) {
  // A comment's further lines go through the parser's own step (ReadRemainingComment).
  class CommentLines final : public HostLines {
   public:
    CommentLines(Parser& parser, du::LineReader& reader) : HostLines(reader), parser_(parser) {}
    std::string RemainingComment(ETBParser_Scanner& scanner) override {
      return parser_.ReadRemainingComment(scanner, reader_);
    }

   private:
    Parser& parser_;
  };

  HostConverter converter;
  du::SmartPtr<znk::Structure> structure;
  if (!table.IsNull()) structure = table->GetStructure();
  EtbRecordReader records(ProductUsesSystemEncoding(structure) ? &converter : nullptr);

  CommentLines more(*this, lines);
  EtbRecord record;
  if (!records.ReadRecord(line, more, record)) return;

  du::Symbol file = SymbolOf(record.file);
  if (!HasAllColumns(record) || file.IsNull()) return;
  if (NamesZndBeside(record.annotationType, EndsWith(file))) {
    file = file.substr(0, file.length() - 4) + kZndExtension;
  }
  if (IsViewStateRecord(record.annotationType, EndsWith(file))) {
    AddViewStateSource(structure, SymbolOf(record.name), file);
    return;
  }

  znk::AnnoSetTableEntryData data;
  data.componentId = record.componentId;
  data.componentName = SymbolOf(record.componentName);
  data.propertyName = SymbolOf(record.propertyName);
  data.propertyValue = SymbolOf(record.propertyValue);
  data.name = SymbolOf(record.name);
  data.reservedText = du::Symbol::EMPTY;
  data.annotationType = sessionState ? kSessionStateAnnotationType : record.annotationType;
  du::SmartPtr<znk::AnnoSetTableEntry> entry;
  znk::AnnoSetTableEntry::Create(entry, data, file, record.accessState, record.secondState, false);
  if (entry.IsNull()) return;  // the host had no memory for it

  if (sessionState && !structure.IsNull()) {
    du::Symbol astFile;  // unset unless the host answers, whatever Create put in the entry
    structure->GetSessionStateAstFileName(astFile);
    entry->sessionAstFile = astFile;
    structure->SetSessionStateAnnoEntry(entry);
    return;
  }
  if (!record.comment.empty()) entry->comment = record.comment;
  entry->extraText1 = SymbolOf(record.extraText1);
  entry->extraText2 = SymbolOf(record.extraText2);
  table->AddEntry(entry);
}

std::string Parser::ReadRemainingComment(ETBParser_Scanner& scanner, du::LineReader& lines) {
  HostLines source(lines);
  return ReadCommentLines(scanner, source);
}

}  // namespace etb

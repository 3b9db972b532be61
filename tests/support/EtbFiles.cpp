#include "EtbFiles.h"

#include "etb/Parser.h"
#include "standin/HostLoad.h"
#include "znk/Structure.h"

namespace testing_support {

std::string Describe(const znk::AnnoSetTableEntry& entry) {
  const auto text = [](const du::Symbol& symbol) {
    return symbol.IsNull() ? std::string("-") : std::string(symbol.c_str(), symbol.length());
  };
  return std::to_string(entry.GetCompId()) + "|" + text(entry.GetCompName()) + "|" +
         text(entry.GetPropName()) + "|" + text(entry.GetCombinedPropValueAndListString()) + "|" +
         text(entry.GetName()) + "|" + text(entry.file) + "|" +
         std::to_string(entry.annotationType) + "|" + std::to_string(entry.accessState) + "|" +
         std::to_string(entry.secondState) + "|" + text(entry.comment) + "|" +
         text(entry.extraText1) + "|" + text(entry.extraText2);
}

std::vector<std::string> DescribeEntries(const znk::AnnoSetTable& table) {
  unsigned int count = 0;
  table.GetNumEntries(count);
  std::vector<std::string> described;
  for (unsigned int i = 0; i < count; ++i) described.push_back(Describe(*table.GetEntry(i)));
  return described;
}

du::SmartPtr<znk::AnnoSetTableEntry> MakeEntry(const EntrySpec& spec) {
  znk::AnnoSetTableEntryData data;
  data.componentId = spec.componentId;
  data.componentName = spec.componentName;
  data.propertyName = spec.propertyName;
  data.propertyValue = spec.propertyValue;
  data.name = spec.name;
  data.reservedText = du::Symbol::EMPTY;
  data.annotationType = spec.annotationType;
  du::SmartPtr<znk::AnnoSetTableEntry> entry;
  znk::AnnoSetTableEntry::Create(entry, data, spec.file, spec.accessState, spec.secondState,
                                 spec.isPreference);
  entry->comment = spec.comment;
  entry->extraText1 = spec.extraText1;
  entry->extraText2 = spec.extraText2;
  entry->excludeFromPartialSave = spec.excludeFromPartialSave;
  return entry;
}

LoadOutcome LoadAnnotations(const du::SmartPtr<znk::AnnoSetTable>& table) {
  standin::TraceCapture capture;
  du::SmartPtr<etb::Parser> parser(new etb::Parser);
  const standin::LoadOutcome outcome = standin::LoadAnnotationTable(*parser, table);
  return {outcome.reports, outcome.succeeded(), outcome.message, capture.Lines()};
}

}  // namespace testing_support

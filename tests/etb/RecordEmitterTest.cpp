#include <gtest/gtest.h>

#include <sstream>

#include "EtbFiles.h"
#include "etb/RecordEmitter.h"
#include "standin/HostLoad.h"
#include "znk/Structure.h"

namespace {

using standin::NewAnnotationTable;
using testing_support::EntrySpec;
using testing_support::MakeEntry;

std::string Emit(const EntrySpec& spec, const du::SmartPtr<znk::AnnoSetTable>& table = {},
                 bool convert = false) {
  std::ostringstream out;
  etb::WriteETBEntry(out, MakeEntry(spec), table, convert);
  return out.str();
}

EntrySpec Basic() {
  EntrySpec spec;
  spec.componentId = 12;
  spec.componentName = "A";
  spec.propertyName = "P";
  spec.propertyValue = "V";
  spec.name = "N";
  spec.file = "f";
  spec.annotationType = 5;
  return spec;
}

TEST(RecordEmitter, OptionalColumnsFollowTheSecondStateAndTheExtraTexts) {
  standin::TraceCapture capture;
  struct Case {
    const char* name;
    int secondState;
    const char* extraText1;
    const char* extraText2;
    const char* tail;
  };
  const Case cases[] = {
      {"nothing optional", 0, nullptr, nullptr, ""},
      {"marked", 2, nullptr, nullptr, "<@@>2"},
      {"above 2 is marked", 7, nullptr, nullptr, "<@@>2"},
      {"1 is not marked", 1, nullptr, nullptr, ""},
      {"negative is not marked", -3, "", "", ""},
      {"an extra text needs the marker column", 0, "x", nullptr, "<@@>0<@@>x"},
      {"both extra texts", 2, "x", "y", "<@@>2<@@>x<@@>y"},
      {"extra text 2 alone is left out", 0, "", "y", ""},
      {"extra text 2 alone, marked", 2, nullptr, "y", "<@@>2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EntrySpec spec = Basic();
    spec.secondState = c.secondState;
    spec.extraText1 = c.extraText1;
    spec.extraText2 = c.extraText2;
    EXPECT_EQ(Emit(spec), std::string("12<@@>A<@@>P<@@>V<@@>N<@@>f<@@>5<@@>0") + c.tail + "\n");
  }
  // The emitter reports nothing: a failing save traces its one line from the saver.
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(RecordEmitter, WritesTextsAsTheyAreAndNumbersWithTheirSign) {
  EntrySpec spec;
  spec.componentId = -4;
  spec.propertyName = "has<@@>sep";
  spec.propertyValue = "two\nlines";
  spec.annotationType = -1;
  spec.accessState = -7;
  spec.comment = "never written";
  EXPECT_EQ(Emit(spec), "-4<@@><@@>has<@@>sep<@@>two\nlines<@@><@@><@@>-1<@@>-7\n");
}

TEST(RecordEmitter, LongAccessStatesAreNeverTheLastColumn) {
  standin::TraceCapture capture;
  struct Case {
    int accessState;
    const char* line;
  };
  for (const Case& c : {Case{999, "1<@@><@@><@@><@@>n<@@><@@>0<@@>999\n"},
                        Case{1000, "1<@@><@@><@@><@@>n<@@><@@>0<@@>1000<@@>0\n"},
                        Case{-99, "1<@@><@@><@@><@@>n<@@><@@>0<@@>-99\n"},
                        Case{-100, "1<@@><@@><@@><@@>n<@@><@@>0<@@>-100<@@>0\n"}}) {
    EntrySpec spec;
    spec.componentId = 1;
    spec.name = "n";
    spec.accessState = c.accessState;
    EXPECT_EQ(Emit(spec), c.line);
  }
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(RecordEmitter, ConvertsOnlyForEdProductsWhenAsked) {
  EntrySpec spec;
  spec.componentName = "caf\xC3\xA9";
  spec.file = "\xE2\x82\xAC.znd";
  spec.extraText1 = "\xC3\xBC";
  const du::SmartPtr<znk::AnnoSetTable> noStructure(new znk::AnnoSetTable);
  struct Case {
    du::SmartPtr<znk::AnnoSetTable> table;
    bool asked;
    bool converted;
  };
  const Case cases[] = {
      {NewAnnotationTable("", "/m/model.ed"), true, true},
      {NewAnnotationTable("", "/m/model.eDz"), true, true},
      {NewAnnotationTable("", "/m/model.ed"), false, false},
      {NewAnnotationTable("", "/m/model.edx"), true, false},
      {NewAnnotationTable("", ""), true, false},
      {noStructure, true, false},
      {du::SmartPtr<znk::AnnoSetTable>(), true, false},
  };
  for (const Case& c : cases) {
    const std::string line = Emit(spec, c.table, c.asked);
    EXPECT_EQ(line, c.converted
                        ? "0<@@>caf\xE9<@@><@@><@@><@@>\x80.znd<@@>0<@@>0<@@>0<@@>\xFC\n"
                        : "0<@@>caf\xC3\xA9<@@><@@><@@><@@>\xE2\x82\xAC.znd<@@>0<@@>0<@@>0<@@>"
                          "\xC3\xBC\n");
  }
}

}  // namespace

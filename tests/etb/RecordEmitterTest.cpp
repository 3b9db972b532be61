#include <gtest/gtest.h>

#include <sstream>

#include "EtbFiles.h"
#include "etb/RecordEmitter.h"
#include "standin/HostLoad.h"

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

TEST(RecordEmitter, OptionalColumnsFollowTheStatesAndTheExtraTexts) {
  struct Case {
    int accessState, secondState;
    const char *extraText1, *extraText2;
    const char* tail;  // from column 8 on
  };
  const Case cases[] = {
      {0, 0, nullptr, nullptr, "0"},
      {0, 2, nullptr, nullptr, "0<@@>2"},
      {0, 7, nullptr, nullptr, "0<@@>2"},  // above 2 is marked too
      {0, 1, nullptr, nullptr, "0"},
      {0, -3, "", "", "0"},
      {0, 0, "x", nullptr, "0<@@>0<@@>x"},  // an extra text needs the marker column
      {0, 2, "x", "y", "0<@@>2<@@>x<@@>y"},
      {0, 0, "", "y", "0"},  // extra text 2 alone is left out
      {0, 2, nullptr, "y", "0<@@>2"},
      // An access state of four characters or more would begin a comment as the last column.
      {999, 0, nullptr, nullptr, "999"},
      {1000, 0, nullptr, nullptr, "1000<@@>0"},
      {-99, 0, nullptr, nullptr, "-99"},
      {-100, 0, nullptr, nullptr, "-100<@@>0"},
  };
  standin::TraceCapture capture;
  EntrySpec spec;
  spec.componentId = 12;
  spec.annotationType = 5;
  for (const Case& c : cases) {
    spec.accessState = c.accessState;
    spec.secondState = c.secondState;
    spec.extraText1 = c.extraText1;
    spec.extraText2 = c.extraText2;
    EXPECT_EQ(Emit(spec), std::string("12<@@><@@><@@><@@><@@><@@>5<@@>") + c.tail + "\n");
  }
  EXPECT_TRUE(capture.Lines().empty()) << "a failing save traces its one line from the saver";

  EntrySpec raw;  // texts as they are, numbers with their sign, never the comment
  raw.componentId = -4;
  raw.propertyName = "has<@@>sep";
  raw.propertyValue = "two\nlines";
  raw.annotationType = -1;
  raw.accessState = -7;
  raw.comment = "never written";
  EXPECT_EQ(Emit(raw), "-4<@@><@@>has<@@>sep<@@>two\nlines<@@><@@><@@>-1<@@>-7\n");
}

TEST(RecordEmitter, ConvertsOnlyForEdProductsWhenAsked) {
  EntrySpec spec;
  spec.componentName = "caf\xC3\xA9";
  spec.file = "\xE2\x82\xAC.znd";
  spec.extraText1 = "\xC3\xBC";
  struct Case {
    du::SmartPtr<znk::AnnoSetTable> table;
    bool asked, converted;
  };
  const Case cases[] = {
      {NewAnnotationTable("", "/m/model.ed"), true, true},
      {NewAnnotationTable("", "/m/model.eDz"), true, true},
      {NewAnnotationTable("", "/m/model.ed"), false, false},
      {NewAnnotationTable("", "/m/model.edx"), true, false},
      {NewAnnotationTable("", ""), true, false},
      {du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable), true, false},  // no structure
      {du::SmartPtr<znk::AnnoSetTable>(), true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Emit(spec, c.table, c.asked),
              c.converted ? "0<@@>caf\xE9<@@><@@><@@><@@>\x80.znd<@@>0<@@>0<@@>0<@@>\xFC\n"
                          : "0<@@>caf\xC3\xA9<@@><@@><@@><@@>\xE2\x82\xAC.znd<@@>0<@@>0<@@>0<@@>"
                            "\xC3\xBC\n");
  }
}

}  // namespace

// ETB records as the loader reads them, file in and table out through the host's load road.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "EtbFiles.h"
#include "standin/HostLoad.h"
#include "standin/SystemEncoding.h"
#include "znk/Structure.h"

namespace {

using standin::NewAnnotationTable;
using testing_support::DescribeEntries;
using testing_support::Etb;
using testing_support::LoadAnnotations;
using testing_support::ScratchDir;
using Entries = std::vector<std::string>;

struct RecordCase {
  const char* name;
  std::string text;
  Entries expected;  // id|component|property|value|name|file|type|access|second|comment|x1|x2
};

const std::string S = "<@@>";
// Columns 1 to 7 of an ordinary record, ready for more columns.
const std::string kHead = Etb("1|a|b|c|d|f|0");

const RecordCase kRecordCases[] = {
    {"seven columns make a complete record",
     Etb("5|Bolt|Torque|40 Nm|Check|part.znd|0\n"),
     {"5|Bolt|Torque|40 Nm|Check|part.znd|0|0|0|-|-|-"}},
    {"lines without records", Etb("\n\nno separator at all\n||\n"), {}},
    {"empty text columns are empty texts", Etb("1||||||2\n"), {"1||||||2|0|0|-|-|-"}},
    {"columns past the eleventh are ignored",
     kHead + Etb("|3|1|x1|x2|twelve\n"),
     {"1|a|b|c|d|f|0|3|1|-|x1|x2"}},
    {"an empty column 10 hides column 11",
     kHead + Etb("|0|2||tail\n"),
     {"1|a|b|c|d|f|0|0|2|-|-|-"}},
    {"integer columns read like atoi",
     Etb("abc|a|b|c|d|f| 9x|0|  7 \n -4|a|b|c|d|f|+12|0|-\n"),
     {"0|a|b|c|d|f|9|0|7|-|-|-", "-4|a|b|c|d|f|12|0|0|-|-|-"}},
    {"column 8: access state then a comment from its third byte",
     kHead + Etb("|0 Check torque|0\n") + kHead + Etb("|1 x\n") + kHead + Etb("|0 ab|0\n") + kHead +
         Etb("|12 word|0\n") + kHead + Etb("|abc\n") + kHead + Etb("|xyzw|0\n") + kHead +
         Etb("|-5\n") + kHead + Etb("|99999999999 n|0\n") + kHead + Etb("|0 note|1\n"),
     {"1|a|b|c|d|f|0|0|0|Check torque|-|-", "1|a|b|c|d|f|0|1|0|-|-|-", "1|a|b|c|d|f|0|0|0|ab|-|-",
      "1|a|b|c|d|f|0|12|0| word|-|-", "1|a|b|c|d|f|0|0|0|-|-|-", "1|a|b|c|d|f|0|0|0|zw|-|-",
      "1|a|b|c|d|f|0|-5|0|-|-|-", "1|a|b|c|d|f|0|2147483647|0|999999999 n|-|-",
      "1|a|b|c|d|f|0|0|1|note|-|-"}},
    {"a comment goes on until a line with a separator",
     Etb("7|A|B|C|D|notes.txt|0|0 first line\nsecond line|2|X\n"),
     {"7|A|B|C|D|notes.txt|0|0|2|first line\nsecond line|X|-"}},
    {"a comment over three lines, then the next record",
     kHead + Etb("|0 part one\npart two\npart three|0|E1|E2\n") + kHead + "\n",
     {"1|a|b|c|d|f|0|0|0|part one\npart two\npart three|E1|E2", "1|a|b|c|d|f|0|0|0|-|-|-"}},
    {"end of file ends a comment", kHead + Etb("|0 part one"), {"1|a|b|c|d|f|0|0|0|part one|-|-"}},
    {"CRLF lines and a last line without line feed",
     kHead + Etb("|0|0|X\r\n") + kHead + "\r\n" + kHead,
     {"1|a|b|c|d|f|0|0|0|-|X|-", "1|a|b|c|d|f|0|0|0|-|-|-", "1|a|b|c|d|f|0|0|0|-|-|-"}},
    {"a byte-order mark belongs to the first column",
     "\xEF\xBB\xBF" + kHead + "\n",
     {"0|a|b|c|d|f|0|0|0|-|-|-"}},
    {"a NUL byte ends its line's columns",
     Etb("1|") + std::string("a\0b", 3) + S + kHead + "\n",
     {}},
    {"type 15 session files are read as .znd, case-sensitively",
     Etb("1|a|b|c|d|s.ast|15\n1|a|b|c|d|S.AST|15\n1|a|b|c|d|s.ast|14\n"),
     {"1|a|b|c|d|s.znd|15|0|0|-|-|-", "1|a|b|c|d|S.AST|15|0|0|-|-|-",
      "1|a|b|c|d|s.ast|14|0|0|-|-|-"}},
    {".zna files of types 1, 3 and 4 are view-state sources, not entries",
     Etb("0|c|p|v|V1|views.zna|1\n0|c|p|v|V3|views.zna|3\n0|c|p|v|V4|.zna|4\n0|c|p|v|V2|views.zna|"
         "2\n0|c|p|v|V5|VIEWS.ZNA|3\n"),
     {"0|c|p|v|V2|views.zna|2|0|0|-|-|-", "0|c|p|v|V5|VIEWS.ZNA|3|0|0|-|-|-"}},
};

TEST(EtbRecords, EachLineBecomesWhatItsColumnsSay) {
  ScratchDir dir;
  for (const RecordCase& c : kRecordCases) {
    SCOPED_TRACE(c.name);
    du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("case.etb", c.text));
    const testing_support::LoadOutcome outcome = LoadAnnotations(table);
    EXPECT_TRUE(outcome.success) << outcome.message;
    EXPECT_EQ(DescribeEntries(*table), c.expected);
  }
}

TEST(EtbRecords, IntegerColumnsReadExactlyAsTheCLibrarysAtoi) {
  // Column 1 of each record, one a line.
  const std::string column1 =
      "0\n-0\n  +12\n\t-7x\n12e3\n0x10\n--1\n+-1\n\n \n2147483647\n2147483648\n-2147483649\n"
      "99999999999\n-99999999999\n4294967296\n9223372036854775807\n9223372036854775808\n"
      "-9223372036854775808\n-9223372036854775809\n123456789012345678901234567890\n\v\f 42\n";
  std::vector<std::string> numbers;
  std::string text;
  std::istringstream lines(column1);
  for (std::string number; std::getline(lines, number);) {
    numbers.push_back(number);
    text += number + Etb("|a|b|c|d|f|0\n");
  }
  ScratchDir dir;
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("numbers.etb", text));
  ASSERT_TRUE(LoadAnnotations(table).success);
  unsigned int count = 0;
  table->GetNumEntries(count);
  ASSERT_EQ(count, numbers.size());
  for (unsigned int i = 0; i < count; ++i) {
    EXPECT_EQ(table->GetEntry(i)->GetCompId(), std::atoi(numbers[i].c_str())) << numbers[i];
  }
}

TEST(EtbRecords, ViewStateSourcesGoToTheRootNode) {
  ScratchDir dir;
  const std::string text = Etb("0|c|p|v|Front|views.zna|3\n0|c|p|v|Back|b.zna|4\n");
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(dir.Write("views.etb", text));
  ASSERT_TRUE(LoadAnnotations(table).success);
  du::SmartPtr<znk::ComponentNode> root;
  table->GetStructure()->GetRoot(root);
  const auto& sources = root->GetViewStateSources();
  ASSERT_EQ(sources.size(), 2U);
  EXPECT_STREQ(sources[0]->GetName().c_str(), "Front");
  EXPECT_STREQ(sources[0]->GetFile().c_str(), "views.zna");
  EXPECT_EQ(sources[0]->GetType(), 2);
  EXPECT_EQ(sources[0]->GetOwner(), root.get());
  EXPECT_STREQ(sources[1]->GetName().c_str(), "Back");
  EXPECT_TRUE(table->IsEmpty());
}

TEST(EtbRecords, ProductsFromEdFilesHaveTheirTextsConvertedButNeverTheComment) {
  // WINDOWS-1252 is the system default: 0xE9 is an e with an acute accent.
  ScratchDir dir;
  const std::string record = Etb("1|caf\xE9|p\xE9|v|n|f\xE9.znd|0|0 caf\xE9|0|\xE9|x\xE9\n");
  const std::string file = dir.Write("enc.etb", record);
  struct ModelCase {
    const char* model;
    bool converted;
  };
  for (const ModelCase& c : {ModelCase{"/p/model.ed", true}, ModelCase{"/p/model.EDZ", true},
                             ModelCase{"/p/model.Ed", true}, ModelCase{"/p/model.ed2", false},
                             ModelCase{"/p/model.edz.bak", false}, ModelCase{"/p.ed/model", false},
                             ModelCase{"", false}}) {
    SCOPED_TRACE(c.model);
    du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(file, c.model);
    ASSERT_TRUE(LoadAnnotations(table).success);
    const std::string e = c.converted ? "\xC3\xA9" : "\xE9";
    EXPECT_EQ(DescribeEntries(*table), Entries{"1|caf" + e + "|p" + e + "|v|n|f" + e +
                                               ".znd|0|0|0|caf\xE9|" + e + "|x" + e});
  }
  // A host whose conversion fails without writing leaves each column's own bytes.
  standin::FailConversionsUntouched(7);
  du::SmartPtr<znk::AnnoSetTable> table = NewAnnotationTable(file, "/p/model.ed");
  ASSERT_TRUE(LoadAnnotations(table).success);
  standin::FailConversionsUntouched(0);
  EXPECT_EQ(DescribeEntries(*table),
            Entries{"1|caf\xE9|p\xE9|v|n|f\xE9.znd|0|0|0|caf\xE9|\xE9|x\xE9"});
}

}  // namespace

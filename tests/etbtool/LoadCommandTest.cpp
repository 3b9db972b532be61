// etbtool load end to end: the real executable, the real module, the contract's JSON document.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "EtbtoolRun.h"
#include "ScratchDir.h"
#include "ZipFiles.h"

namespace {

using nlohmann::json;
using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::Shell;
using testing_support::ToolRun;

// The host refuses a line over its limit like a read error: the records before it stay, the
// load fails, and the host's trace names the line. A limit that is no size is refused at once.
TEST(EtbtoolLoad, ALineOverTheHostsLimitEndsTheLoadAfterTheRecordsBeforeIt) {
  ScratchDir dir;
  const std::string file =
      dir.Write("long.etb", Etb("1|a|p|v|short|f.znd|0\n2|b|p|v|" + std::string(100, 'n') +
                                "|f.znd|0\n3|c|p|v|after|f.znd|0\n"));
  setenv("ETBTOOL_MAX_LINE", "64", 1);
  const ToolRun run = Etbtool("load '" + file + "' --json");
  unsetenv("ETBTOOL_MAX_LINE");

  EXPECT_EQ(run.status, 1);
  const json document = json::parse(run.out);
  EXPECT_EQ(document["message"], "Failed to parse etb file");
  ASSERT_EQ(document["entries"].size(), 1U);
  EXPECT_EQ(document["entries"][0]["name"], "short");
  EXPECT_EQ(document["traces"], json::parse(R"([{"tracer": "du::LineReader", "type": 3,
      "text": "line 2 is longer than 64 bytes: reading stops there"}])"));
}

// Each limit reads bytes with an optional K, M or G and names its value when input passes it;
// anything that is no size in 64 bits is refused before any work.
TEST(EtbtoolLimits, EachVariableTakesASizeOrIsRefused) {
  ScratchDir dir;
  const std::string big(2100, 'x');
  const std::string file = dir.Write("long.etb", Etb("1|a|p|v|" + big + "|f.znd|0\n"));
  const std::string store = dir.Write("store.json", big);
  const std::string archive = dir.path() + "/a.zip";
  testing_support::WriteZip(archive, {{"m.etb", Etb("1|a|p|v|" + big + "|f.znd|0\n")}});
  const std::map<std::string, std::pair<std::string, std::string>> probes = {
      {"ETBTOOL_MAX_LINE", {"load '" + file + "'", "longer than "}},
      {"ETBTOOL_MAX_STORE", {"prefs show --store '" + store + "'", "the store limit of "}},
      {"ETBTOOL_MAX_EXTRACT", {"session '" + archive + "'", "the archive's budget of "}}};
  struct Case {
    const char* variable;
    const char* value;
    const char* limit;  // as the refusal names it; "" when the input is within it, null if refused
  };
  const Case cases[] = {
      {"ETBTOOL_MAX_LINE", "2K", "2048"},
      {"ETBTOOL_MAX_STORE", "1K", "1024"},
      {"ETBTOOL_MAX_EXTRACT", "2000", "2000"},
      {"ETBTOOL_MAX_LINE", "1M", ""},
      {"ETBTOOL_MAX_LINE", "17179869183G", ""},
      {"ETBTOOL_MAX_LINE", "18446744073709551615", ""},
      {"ETBTOOL_MAX_LINE", "17179869184G", nullptr},
      {"ETBTOOL_MAX_STORE", "18446744073709551616", nullptr},
      {"ETBTOOL_MAX_EXTRACT", "64KK", nullptr},
      {"ETBTOOL_MAX_LINE", "64X", nullptr},
      {"ETBTOOL_MAX_LINE", "K", nullptr},
      {"ETBTOOL_MAX_LINE", "", nullptr},
      {"ETBTOOL_MAX_LINE", "-1", nullptr},
      {"ETBTOOL_MAX_LINE", " 64", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable) + "=" + c.value);
    const auto& [command, words] = probes.at(c.variable);
    setenv(c.variable, c.value, 1);
    const ToolRun run = Etbtool(command);
    unsetenv(c.variable);
    const std::string said = run.out + run.err;
    if (c.limit == nullptr) {
      EXPECT_EQ(run.status, 2);
      EXPECT_NE(said.find(std::string(c.variable) + " must be a number of bytes"),
                std::string::npos)
          << said;
    } else if (*c.limit == '\0') {
      EXPECT_EQ(run.status, 0) << said;
    } else {
      EXPECT_NE(said.find(words + c.limit + " bytes"), std::string::npos) << said;
    }
  }
}

TEST(EtbtoolLoad, PrintsTheContractsDocument) {
  ScratchDir dir;
  const std::string file =
      dir.Write("sample file.etb",
                Etb("5|Bolt|Torque|40 Nm|Check|part.znd|0|0 first line\nsecond "
                    "line|2|X|Y\n0|c|p|v|Front|views.zna|3\nnot a record\n1|caf\xE9|b|c|d|f|0\n"));
  const ToolRun run = Etbtool("load '" + file + "' --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const json document = json::parse(run.out);
  EXPECT_EQ(document["result"], "success");
  EXPECT_FALSE(document.contains("message"));
  ASSERT_EQ(document["entries"].size(), 2U);
  EXPECT_EQ(document["entries"][0],
            json::parse(R"({"componentId": 5, "componentName": "Bolt", "propertyName": "Torque",
                "propertyValue": "40 Nm", "name": "Check", "file": "part.znd",
                "annotationType": 0, "accessState": 0, "secondState": 2,
                "comment": "first line\nsecond line", "extraText1": "X", "extraText2": "Y",
                "sessionAstFile": null, "isPreference": false, "hasColor": false,
                "color": 255})"));
  EXPECT_EQ(document["entries"][1]["componentName"], "caf\xEF\xBF\xBD") << "invalid UTF-8 shown";
  EXPECT_EQ(document["entries"][1]["comment"], nullptr);
  EXPECT_EQ(document["viewStateSources"],
            json::parse(R"([{"name": "Front", "file": "views.zna", "type": 2}])"));
  EXPECT_EQ(document["session"],
            json::parse(R"({"etbFile": null, "astFile": null, "entry": null})"));
  EXPECT_EQ(document["traces"], json::array());

  const ToolRun converted = Etbtool("load '" + file + "' --model /x/model.EDZ --json");
  EXPECT_EQ(json::parse(converted.out)["entries"][1]["componentName"], "caf\xC3\xA9");

  const ToolRun summary = Etbtool("load '" + file + "' --json --summary");
  const json counted = json::parse(summary.out);
  EXPECT_EQ(counted["entryCount"], 2);
  EXPECT_FALSE(counted.contains("entries"));

  const ToolRun human = Etbtool("load '" + file + "' --summary");
  EXPECT_EQ(human.out, "success: 2 entries, 1 view-state source\n");
}

TEST(EtbtoolLoad, BadFilesEndInTheirDefinedOutcome) {
  ScratchDir dir;
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += char((i * 7919) % 256);
  struct Case {
    std::string path;
    int status;
    const char* result;
    const char* message;
    std::size_t entries;
    std::string why;  // etbtool's own line, from the host's fetch
  };
  const std::string cannot = "etbtool: cannot fetch " + dir.path();
  const std::string noRecord = "etbtool: no line of " + dir.path();
  const std::string hint = " is an ETB record; a CSV or JSON table goes in with etbtool import\n";
  const Case cases[] = {
      {dir.path() + "/nosuch.etb", 1, "failure", "Failed to get etb file", 0,
       cannot + "/nosuch.etb: no such file\n"},
      {dir.path(), 1, "failure", "Failed to get etb file", 0, cannot + ": is a directory\n"},
      {dir.Write("garbage.etb", garbage), 0, "success", nullptr, 0,
       noRecord + "/garbage.etb" + hint},
      {dir.Write("empty.etb", ""), 0, "success", nullptr, 0, ""},
      {dir.Write("huge.etb", std::string(10 * 1024 * 1024, 'z')), 0, "success", nullptr, 0,
       noRecord + "/huge.etb" + hint},
      {dir.Write("table.csv", "componentId,componentName\n5,Bolt\n"), 0, "success", nullptr, 0,
       noRecord + "/table.csv" + hint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const ToolRun run = Etbtool("load '" + c.path + "' --json");
    EXPECT_EQ(run.status, c.status);
    const json document = json::parse(run.out);
    EXPECT_EQ(document["result"], c.result);
    if (c.message != nullptr) {
      EXPECT_EQ(document["message"], c.message);
    }
    EXPECT_EQ(document["entries"].size(), c.entries);
    EXPECT_EQ(run.err, c.why);
  }
}

// No command waits for a FIFO's writer, and each says what its input is: through the host's
// fetch the load fails (exit 1); etbtool's own reads refuse it (exit 2), as they refuse a folder
// or a missing file, and check --json puts the reason in an "error" member.
TEST(EtbtoolInputs, NoCommandWaitsForAFifoAndEachSaysWhy) {
  ScratchDir dir;
  const std::string fifo = dir.path() + "/f.etb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = dir.path() + "/missing.etb";
  const std::string isFifo = "not a regular file (a FIFO)";
  const struct {
    std::string command;  // the input follows it
    std::string input;
    std::string rest;
    int status;
    std::string says;  // stderr's first line: "etbtool: " says input ": " reason
    std::string reason;
  } cases[] = {
      {"load", fifo, "", 1, "cannot fetch ", isFifo},
      {"session", fifo, "", 1, "cannot fetch ", isFifo},
      {"export", fifo, " " + dir.path() + "/out.csv --format csv", 1, "cannot fetch ", isFifo},
      {"save", fifo, " " + dir.path() + "/out.etb", 1, "cannot fetch ", isFifo},
      {"prefs import", fifo, " --store " + dir.path() + "/s.json", 1, "cannot fetch ", isFifo},
      {"prefs show --store", fifo, "", 2, "", isFifo},
      {"import", fifo, " " + dir.path() + "/out.etb", 2, "cannot read ", isFifo},
      {"import", dir.path(), " " + dir.path() + "/out.etb", 2, "cannot read ", "is a directory"},
      {"check", fifo, "", 2, "cannot read ", isFifo},
      {"check", fifo, " --json", 2, "cannot read ", isFifo},
      {"check", missing, "", 2, "cannot read ", "No such file or directory"},
      {"check", missing, " --json", 2, "cannot read ", "No such file or directory"},
      {"check", dir.path(), "", 2, "cannot read ", "is a directory"},
      {"check", dir.path(), " --json", 2, "cannot read ", "is a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " " + c.input + c.rest);
    const ToolRun run = Etbtool(c.command + " '" + c.input + "'" + c.rest, 20);
    EXPECT_EQ(run.status, c.status) << "137: killed at the deadline";
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
              "etbtool: " + c.says + c.input + ": " + c.reason);
    EXPECT_EQ(run.out.find("failure") != std::string::npos, c.status == 1) << run.out;
    if (c.rest != " --json") continue;
    const json document = json::parse(run.out);
    EXPECT_EQ(document, json({{"file", c.input}, {"error", c.reason}}));
  }
  EXPECT_EQ(ReadFile(dir.path() + "/out.etb"), "<missing>");
}

// The characters of a line of UTF-8 keyed by the terminal column each starts at, as the C
// library counts columns (combining characters share their base's column); the line's width
// under the key -1.
std::map<long, wchar_t> TerminalColumns(const std::string& line) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  const locale_t previous = uselocale(utf8);
  std::map<long, wchar_t> columns;
  long column = 0;
  std::mbstate_t state{};
  wchar_t character = 0;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t length = std::mbrtowc(&character, line.data() + i, line.size() - i, &state);
    if (length == 0 || length > line.size()) {
      ADD_FAILURE() << "not UTF-8: " << line;
      break;
    }
    columns.emplace(column, character);
    column += std::max(wcwidth(character), 0);
    i += length;
  }
  columns[-1] = wchar_t(column);
  uselocale(previous);
  freelocale(utf8);
  return columns;
}

// The human table keeps its columns under wide (two columns), combining and zero-width
// characters, whatever the user's locale: long texts are cut with an ellipsis to the columns
// they take, a comment's line breaks show as a mark, invalid UTF-8 as U+FFFD.
TEST(EtbtoolLoad, TheTableStaysAlignedWithWideAndCombiningCharacters) {
  const std::string texts[] = {
      "\u30DC\u30EB\u30C8\u7DE0\u7D50\u78BA\u8A8D",  // Japanese, two columns each
      "\u65E5\u672C\u8A9E\u306E\u90E8",              // exactly ten columns
      "Cafe\u0301 Noe\u0308l Ame\u0301lie",          // combining accents
      "\U0001F600Bolt\U0001F529Nut\U0001F600",       // emoji
      "a\u200Bb\xFF"
      "c",  // a zero-width space and a byte that is no UTF-8
      "Schraubenverbindung gepr\u00FCft nach Werknorm",
  };
  std::string records;
  for (const std::string& t : texts) {
    records += "7|" + t + "|" + t + "|" + t + "|" + t + "|" + t + ".znd|0|0 " + t + "\nmore|0\n";
  }
  ScratchDir dir;
  const std::string file = dir.Write("wide.etb", Etb(records));
  setenv("LC_ALL", "C", 1);  // etbtool must not depend on the user's locale
  const ToolRun run = Etbtool("load '" + file + "'");
  unsetenv("LC_ALL");
  ASSERT_EQ(run.status, 0);

  std::istringstream lines(run.out);
  std::string header;
  std::getline(lines, header);  // the outcome
  std::getline(lines, header);
  ASSERT_EQ(header.find("  #     id component"), 0U) << header;
  EXPECT_EQ(header.size(), 79U) << "no line may wrap on a terminal of 80 columns";
  std::size_t rows = 0;
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    const std::map<long, wchar_t> columns = TerminalColumns(line);
    EXPECT_LE(columns.at(-1), long(header.size()));
    if (line.find("comment:") != std::string::npos) continue;
    ++rows;
    EXPECT_EQ(columns.at(-1), long(header.size()));
    // Each text cell begins where the header says, after a blank.
    for (const char* title : {"component", "property", "value", "name", "file", "typ"}) {
      const long start = long(header.find(std::string(" ") + title)) + 1;
      EXPECT_EQ(columns.count(start), 1U) << title;
      EXPECT_EQ(columns.count(start - 1) == 1 ? columns.at(start - 1) : 0, L' ') << title;
    }
    EXPECT_EQ(line.substr(line.size() - 12), "   0   0   0");
  }
  EXPECT_EQ(rows, std::size(texts));
  EXPECT_NE(run.out.find("\u2026"), std::string::npos) << "long texts end in an ellipsis";
  EXPECT_NE(run.out.find("\u23CE"), std::string::npos) << "a comment's line break is marked";
  EXPECT_NE(run.out.find("b\xEF\xBF\xBD"
                         "c"),
            std::string::npos)
      << "invalid UTF-8 shown as U+FFFD";
}

// A number wider than its column is cut like a text, so that the row keeps its 79 columns and a
// blank between columns, and then shown whole on a line of its own; the index column widens
// for a table of a thousand entries and more, taking the component's columns.
TEST(EtbtoolLoad, NumbersKeepTheirColumnsAndAreShownWholeWhenCut) {
  const std::string texts = " c          p          v          n          f.znd       ";
  // The id, then the numbers after the file; the row's cells around the texts; the line under it.
  const struct Case {
    std::string numbers, row, whole;
  } cases[] = {
      {"-2147483648|0|-99|2147483647", "  0 -2147…|   0 -99 21…", "id -2147483648, 2nd 2147483647"},
      {"-99999|9999|-99|999", "  0 -99999|9999 -99 999", ""},
      {"1000000|10000|0|1000", "  0 10000…|100…   0 10…", "id 1000000, typ 10000, 2nd 1000"},
      {"0|-1000|0|-100", "  0      0|-10…   0 -1…", "typ -1000, 2nd -100"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.numbers);
    const std::size_t bar = c.numbers.find('|');
    const std::string record = c.numbers.substr(0, bar) + "|c|p|v|n|f.znd" + c.numbers.substr(bar);
    const ToolRun run = Etbtool("load '" + dir.Write("n.etb", Etb(record + "\n")) + "'");
    const std::string cells =
        c.row.substr(0, c.row.find('|')) + texts + c.row.substr(c.row.find('|') + 1);
    EXPECT_EQ(run.out.substr(run.out.find('\n', run.out.find("2nd")) + 1),
              cells + "\n" + (c.whole.empty() ? "" : "           numbers: " + c.whole + "\n"));
  }
  // The index column widens when the last index needs four digits, and not before.
  std::string records;
  for (int i = 0; i < 1000; ++i) records += std::to_string(i) + "|c|p|v|n|f.znd|0|0\n";
  for (const char* more : {"", "1000|c|p|v|n|f.znd|0|0\n"}) {
    const std::string out = Etbtool("load '" + dir.Write("n.etb", Etb(records + more)) + "'").out;
    for (const char* line :
         {*more ? "\n   #     id component property" : "\n  #     id component  p",
          *more ? "\n1000   1000 c         p" : "\n999    999 c          p"})
      EXPECT_NE(out.find(line), std::string::npos) << line;
  }
}

// On a terminal the table is a column narrower than it ($COLUMNS, else the terminal's size), and
// never narrower than 79; through a pipe it is 79 whatever COLUMNS says.
TEST(EtbtoolLoad, TheTableTakesTheTerminalsWidthLessOneAndNeverLessThan79) {
  ScratchDir dir;
  const std::string file = dir.Write(
      "w.etb", Etb("5|Bolt M8|Torque|40 Nm|Check|part.znd|0|0 " + std::string(200, 'c') + "\n"));
  const struct Case {
    std::string columns;
    bool terminal;
    long width;
  } cases[] = {{"123", true, 122}, {"81", true, 80},  {"80", true, 79}, {"60", true, 79},
               {"0", true, 79},    {"99x", true, 79}, {"", true, 79},   {"123", false, 79}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.columns + (c.terminal ? " on a terminal" : " through a pipe"));
    // script(1) makes a terminal, of no size when its own input is none.
    const std::string load = "env COLUMNS=" + c.columns + " " ETBTOOL_PATH " load '" + file + "'";
    const ToolRun run =
        Shell(c.terminal ? "script -qec \"" + load + "\" /dev/null </dev/null" : load);
    std::istringstream lines(run.out);
    std::string line;
    int checked = 0;
    for (std::getline(lines, line); std::getline(lines, line); ++checked) {  // after the outcome
      if (line.back() == '\r') line.pop_back();
      EXPECT_EQ(TerminalColumns(line).at(-1), c.width) << line;  // header, row, comment
    }
    EXPECT_EQ(checked, 3) << run.out;
  }
}

}  // namespace

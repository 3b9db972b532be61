// etbtool load end to end: the real executable, the real module, the contract's JSON document.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using nlohmann::json;
using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ScratchDir;
using testing_support::ToolRun;

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
  const Case cases[] = {
      {dir.path() + "/nosuch.etb", 1, "failure", "Failed to get etb file", 0,
       cannot + "/nosuch.etb: no such file\n"},
      {dir.path(), 1, "failure", "Failed to get etb file", 0, cannot + ": is a directory\n"},
      {dir.Write("garbage.etb", garbage), 0, "success", nullptr, 0, ""},
      {dir.Write("empty.etb", ""), 0, "success", nullptr, 0, ""},
      {dir.Write("huge.etb", std::string(10 * 1024 * 1024, 'z')), 0, "success", nullptr, 0, ""},
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

// The human table fits 80 columns: long texts are cut with an ellipsis and a comment's line
// breaks show as a mark, each character one column.
TEST(EtbtoolLoad, TheTableFitsEightyColumns) {
  ScratchDir dir;
  const std::string longText =
      "Schraubenverbindung gepr\xC3\xBC"
      "ft nach Werknorm 4711 Blatt 3";
  const std::string t = longText;
  const std::string file =
      dir.Write("long.etb", Etb("123456|" + t + "|" + t + "|" + t + "|" + t + "|" + t +
                                ".znd|15|0 " + t + "\nsecond line|2|" + t + "|" + t + "\n"));
  const ToolRun run = Etbtool("load '" + file + "'");
  ASSERT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  int rows = 0;
  for (std::string line; std::getline(lines, line); ++rows) {
    std::size_t columns = 0;
    for (unsigned char c : line) columns += (c & 0xC0) != 0x80;  // one per character
    EXPECT_LE(columns, 80U) << line;
  }
  EXPECT_GE(rows, 4);
  EXPECT_NE(run.out.find("\u2026"), std::string::npos) << "long texts end in an ellipsis";
  EXPECT_NE(run.out.find("\u23CE"), std::string::npos) << "a comment's line break is marked";
  EXPECT_EQ(json::parse(Etbtool("load '" + file + "' --json").out)["entries"][0]["comment"],
            longText + "\nsecond line");
}

}  // namespace

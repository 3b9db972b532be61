// etbtool export and import: back to the same ETB bytes, and bad input refused whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using nlohmann::json;
using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ReadFile;
using testing_support::ScratchDir;

// Lines as the saver writes them, with texts that CSV must quote and JSON must escape, carriage
// returns inside records, texts a spreadsheet would run and integers at their limits.
const std::string kSaved =
    Etb("5|Bolt, M8|Torque|\"40\" Nm|Check|part.znd|0|0\n-4| "
        "lead|caf\xC3\xA9||N|n.znd|3|2|2\n7|a|b|c|d|e.znd|15|999|0|x,y|z\"\n"
        "-2147483648|a\rb|=1+1|-x|@y|'q.znd|2147483647|-99|0|\tt\r|+z\n");

TEST(EtbtoolExportImport, GiveBackTheSameEtbBytes) {
  ScratchDir dir;
  const std::string saved = dir.Write("saved.etb", kSaved);
  const std::string back = " '" + dir.path() + "/back.etb'";
  for (const std::string format : {"csv", "json"}) {  // the format from OUT's extension
    const std::string exported = dir.path() + "/table." + format;
    ASSERT_EQ(Etbtool("export '" + saved + "' '" + exported + "'").status, 0);
    const auto imported = Etbtool("import '" + exported + "'" + back);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadFile(dir.path() + "/back.etb"), kSaved) << format;
  }
  // Through a pipe, and with the cells a spreadsheet would run marked on the way.
  for (const std::string options : {" --escape-formulas", " --format json"}) {
    const std::string exported = "export '" + saved + "' -" + options;
    const auto imported = Etbtool(exported + " 2>/dev/null | " ETBTOOL_PATH " import -" + back +
                                  (options == " --format json" ? "" : options));
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadFile(dir.path() + "/back.etb"), kSaved) << options;
  }
  EXPECT_EQ(Etbtool("export '" + saved + "' -").out, ReadFile(dir.path() + "/table.csv"));
  EXPECT_NE(
      Etbtool("export '" + saved + "' - --escape-formulas")
          .out.find(
              "\r\n-2147483648,\"a\rb\",'=1+1,'-x,'@y,''q.znd,2147483647,-99,0,,\"'\tt\r\",'+z,"),
      std::string::npos);
  // jq '.entries' gives the bare array: JSON by its first byte, whatever its name.
  dir.Write("entries.txt",
            "\xEF\xBB\xBF" + json::parse(ReadFile(dir.path() + "/table.json"))["entries"].dump());
  ASSERT_EQ(Etbtool("import '" + dir.path() + "/entries.txt'" + back).status, 0);
  EXPECT_EQ(ReadFile(dir.path() + "/back.etb"), kSaved);
  const std::string csv = ReadFile(dir.path() + "/table.csv");
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "componentId,componentName,propertyName,propertyValue,name,file,annotationType,"
            "accessState,secondState,comment,extraText1,extraText2,sessionAstFile,isPreference,"
            "hasColor,color");
  EXPECT_NE(csv.find("\r\n5,\"Bolt, M8\",Torque,\"\"\"40\"\" Nm\",Check,"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.path() + "/table.json"), Etbtool("load '" + saved + "' --json").out);
  const std::string empty = dir.Write("empty.etb", "");
  EXPECT_EQ(Etbtool("export '" + empty + "' - --format json").out,
            Etbtool("load '" + empty + "' --json").out);
  // Bytes that are not UTF-8 go out as U+FFFD, and export says how many texts it changed.
  const std::string latin = dir.Write("latin.etb", Etb("1|caf\xE9|b|c|\xFF|f.znd|0|0\n"));
  for (const std::string format : {"csv", "json"}) {
    const auto run = Etbtool("export '" + latin + "' - --format " + format);
    EXPECT_NE(run.out.find("caf\xEF\xBF\xBD"), std::string::npos) << run.out;
    EXPECT_EQ(run.err,
              "etbtool: 2 texts were not valid UTF-8: U+FFFD stands for each bad byte\n"
              "exported: 1 entry to standard output\n");
  }

  // Columns in another order, optional ones left out, behind a spreadsheet's byte-order mark.
  dir.Write("moved.csv",
            "\xEF\xBB\xBF"
            "file;name;accessState;annotationType;propertyValue;propertyName;componentName;"
            "componentId\nf.znd;N;1;0;'V;P;C;9\n");
  ASSERT_EQ(Etbtool("import '" + dir.path() + "/moved.csv' '" + dir.path() +
                    "/moved.etb' --delimiter ';' --escape-formulas")
                .status,
            0);
  EXPECT_EQ(ReadFile(dir.path() + "/moved.etb"), Etb("9|C|P|'V|N|f.znd|0|1\n"));

  EXPECT_EQ(
      Etbtool("export '" + dir.path() + "/missing.etb' '" + dir.path() + "/never.csv' --format csv")
          .status,
      1);
  EXPECT_EQ(ReadFile(dir.path() + "/never.csv"), "<missing>");
  const auto unnamed = Etbtool("export '" + saved + "' '" + dir.path() + "/table.txt'");
  EXPECT_EQ(unnamed.status, 2);
  EXPECT_NE(unnamed.err.find("--format is needed: " + dir.path() + "/table.txt does not end in"),
            std::string::npos)
      << unnamed.err;
}

TEST(EtbtoolExportImport, RefusesWhatTheFormatCannotCarryAndWritesNothing) {
  const std::string header =
      "componentId,componentName,propertyName,propertyValue,name,file,annotationType,accessState";
  const std::string entry = R"("componentId": 1, "componentName": "a", "propertyName": "b",
      "propertyValue": "c", "name": "d", "annotationType": 0, "accessState": 0)";
  const struct {
    std::string name;
    std::string bytes;
    std::vector<std::string> refusals;
  } cases[] = {
      {"a.csv", header + ",extraText2,colour\n", {"a.csv:1:colour: not a field of an entry"}},
      {"b.csv",
       header.substr(0, header.rfind(',')) + "\n",
       {"b.csv:1:accessState: missing column"}},
      {"c.csv",
       header + ",extraText2\n1x,a,b,\"c\nd\",e,f<@@>g,0,1000,z\n",
       {"c.csv:2:componentId: not an integer: \"1x\"", "c.csv:2:propertyValue: a line feed",
        "c.csv:2:file: the separator <@@>", "c.csv:2:accessState: four or more characters",
        "c.csv:2:extraText2: given without an extraText1"}},
      {"d.csv", header + "\n1,a\n", {"d.csv:2:-: 2 fields, the header has 8"}},
      {"e.csv",
       header + "\n1,\"x\"\"\n\",c,d,e,f,0,0\n1,\"a,b,c,d,e,f,0,0\n2,a,b,c,d,e,0,0\n",
       {"e.csv:4:-: a quote opened here is never closed"}},
      {"e2.csv", header + "\r\"a\n2\n", {"e2.csv:1:-: a quote opened here is never closed"}},
      {"f.json",
       "{\"entries\": [\n{" + entry + "},\n{" + entry + ",\n \"file\": 3}]}",
       {"f.json:2:file: missing (.entries[0])", "f.json:6:file: not a text (.entries[1])"}},
      {"g.json", "{\"entries\": [", {"g.json:1:-: not valid JSON: syntax error"}},
      {"h.json",
       "{\"entries\": [{" + entry + ", \"file\": \"f\", \"secondState\": 18446744073709551615}]}",
       {"h.json:2:secondState: out of range"}},
      {"i.csv",
       "componentId;componentName;file\n",
       {"i.csv:1:-: the header is one field; for a ;-separated file give --delimiter ';'"}},
      {"j.csv",
       header + "\n2147483648,a,b,c,d,e,-2147483649,0\n",
       {"j.csv:2:componentId: out of range (-2147483648 to 2147483647): \"2147483648\"",
        "j.csv:2:annotationType: out of range"}},
      {"k.csv",
       header +
           ",extraText1,extraText2\n1,caf\xE9,b,c,d,e,0,0,\"\r\",\n2,a,b,c,d,e,0,0,x,\"y\r\"\n",
       {"k.csv:2:componentName: not UTF-8: 'caf\\xE9'",
        "k.csv:2:extraText1: a carriage return at the end",
        "k.csv:3:extraText2: a carriage return at the end"}},
      {"l.csv", "\xEF\xBB\xBF \r\n", {"l.csv:1:-: an empty file"}},
      {"m.csv", header + "\n1,a\"b,c,d,e,f,0,0\n", {"m.csv:2:-: a quote inside an unquoted field"}},
      {"n.txt",
       "\xEF\xBB\xBF[\n{" + entry + ", \"file\": \"f\", \"secondState\": 1.5}, 7]",
       {"n.txt:3:secondState: not an integer: 1.5 (.[0])",
        "n.txt:3:-: an entry is not an object (.[1])"}},
      {"o.json", header + "\n", {"o.json:1:-: not valid JSON"}},
  };
  ScratchDir dir;
  const std::string target = dir.Write("target.etb", "kept\n");
  for (const auto& test : cases) {
    const auto run = Etbtool("import '" + dir.Write(test.name, test.bytes) + "' '" + target + "'");
    EXPECT_EQ(run.status, 2) << test.name;
    for (const std::string& refusal : test.refusals) {
      EXPECT_NE(run.err.find(dir.path() + "/" + refusal), std::string::npos) << run.err;
    }
    // One line per refusal and the closing one: no follow-on noise.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), long(test.refusals.size()) + 1)
        << run.err;
    EXPECT_EQ(ReadFile(target), "kept\n") << test.name;
  }
}

// An export goes where the host's own copies go: through a link to the file it names, keeping an
// existing file's permissions and giving a new one what the umask allows; never over its input.
TEST(EtbtoolExportImport, WritesTheOutputAsTheHostWritesItsFiles) {
  ScratchDir dir;
  const std::string saved = dir.Write("saved.etb", kSaved);
  const auto mode = [](const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0U;
  };
  const std::string kept = dir.Write("kept.csv", "old\n");
  ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
  const std::string link = dir.path() + "/link.csv";
  ASSERT_EQ(::symlink("kept.csv", link.c_str()), 0);
  ASSERT_EQ(Etbtool("export '" + saved + "' '" + link + "' --format csv").status, 0);
  EXPECT_EQ(mode(kept), 0640U);
  EXPECT_NE(ReadFile(kept).find("Bolt, M8"), std::string::npos);
  struct stat info {};
  EXPECT_TRUE(::lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
  const std::string fresh = dir.path() + "/new.json";
  const mode_t umask = ::umask(027);
  const int status = Etbtool("export '" + saved + "' '" + fresh + "' --format json").status;
  ::umask(umask);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(mode(fresh), 0640U);

  ASSERT_EQ(::symlink("saved.etb", (dir.path() + "/same.etb").c_str()), 0);
  const std::string bad = dir.Write("bad.csv", "componentId,file\n1\n");
  const std::string tabbed = dir.Write("tabbed.csv", "componentId\tfile\n1\t\"a\n");
  const struct {
    std::string command;
    int status;
    std::string message;
  } refused[] = {
      {"export '" + saved + "' '" + dir.path() + "/same.etb' --format csv", 2,
       "is the same file as"},
      {"import '" + kept + "' '" + link + "'", 2, "is the same file as"},
      {"import - '" + fresh + "' < '" + bad + "'", 2, "<stdin>:1:componentName: missing column"},
      {"import '" + fresh + "' '" + link + "' --escape-formulas", 2, "are for CSV; "},
      {"import '" + bad + "' -", 2, "OUT cannot be -"},
      {"export '" + saved + "' - --format json --escape-formulas", 2, "is for CSV"},
      {"import '" + bad + "' '" + link + "' --delimiter '\"'", 2, "is no separator"},
      {"import '" + tabbed + "' '" + link + "' --delimiter tab", 2,
       tabbed + ":2:-: a quote opened here is never closed"},
      {"export '" + saved + "' - >/dev/full", 1, "cannot write standard output: No space left"},
  };
  for (const auto& test : refused) {
    const auto run = Etbtool(test.command);
    EXPECT_EQ(run.status, test.status) << test.command;
    EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(saved), kSaved);
}

// On a terminal (script gives one) import and export show how far they are, as load does.
TEST(EtbtoolExportImport, ShowProgressOnATerminal) {
  ScratchDir dir;
  std::string csv =
      "componentId,componentName,propertyName,propertyValue,name,file,"
      "annotationType,accessState\n";
  for (int i = 0; i < 20000; ++i) csv += std::to_string(i) + ",a,b,c,d,e.znd,0,0\n";
  const std::string etb = dir.path() + "/big.etb";
  for (const std::string& arguments : {"import '" + dir.Write("big.csv", csv) + "' '" + etb + "'",
                                       "export '" + etb + "' - --format json >/dev/null"}) {
    FILE* pipe = ::popen(
        ("ETBTOOL_PROGRESS_AFTER_MS=0 script -qec \"" ETBTOOL_PATH " " + arguments + "\" /dev/null")
            .c_str(),
        "r");
    std::string shown;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) shown += char(c);
    ::pclose(pipe);
    const std::string line = "\retbtool: " + arguments.substr(0, 6) + "ing ";
    EXPECT_NE(shown.find(line), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\033[K", shown.find(line)), std::string::npos) << "not cleared";
  }
}

}  // namespace

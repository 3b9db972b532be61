// etbtool export and import: back to the same ETB bytes, and bad input refused whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using nlohmann::json;
using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ReadFile;
using testing_support::ScratchDir;

// Lines as the saver writes them, with texts that CSV must quote and JSON must escape.
const std::string kSaved =
    Etb("5|Bolt, M8|Torque|\"40\" Nm|Check|part.znd|0|0\n-4| "
        "lead|caf\xC3\xA9||N|n.znd|3|2|2\n7|a|b|c|d|e.znd|15|999|0|x,y|z\"\n");

TEST(EtbtoolExportImport, GiveBackTheSameEtbBytes) {
  ScratchDir dir;
  const std::string saved = dir.Write("saved.etb", kSaved);
  for (const std::string format : {"csv", "json"}) {  // the format from OUT's extension
    const std::string exported = dir.path() + "/table." + format;
    ASSERT_EQ(Etbtool("export '" + saved + "' '" + exported + "'").status, 0);
    const auto imported = Etbtool("import '" + exported + "' '" + dir.path() + "/back.etb'");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadFile(dir.path() + "/back.etb"), kSaved) << format;
  }
  const std::string csv = ReadFile(dir.path() + "/table.csv");
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "componentId,componentName,propertyName,propertyValue,name,file,annotationType,"
            "accessState,secondState,comment,extraText1,extraText2,sessionAstFile,isPreference,"
            "hasColor,color");
  EXPECT_NE(csv.find("\r\n5,\"Bolt, M8\",Torque,\"\"\"40\"\" Nm\",Check,"), std::string::npos);
  EXPECT_EQ(json::parse(ReadFile(dir.path() + "/table.json")),
            json::parse(Etbtool("load '" + saved + "' --json").out));

  // Columns in another order, optional ones left out, behind a spreadsheet's byte-order mark.
  dir.Write("moved.csv",
            "\xEF\xBB\xBF"
            "file,name,accessState,annotationType,propertyValue,propertyName,componentName,"
            "componentId\nf.znd,N,1,0,V,P,C,9\n");
  ASSERT_EQ(Etbtool("import '" + dir.path() + "/moved.csv' '" + dir.path() + "/moved.etb'").status,
            0);
  EXPECT_EQ(ReadFile(dir.path() + "/moved.etb"), Etb("9|C|P|V|N|f.znd|0|1\n"));

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
      {"b.csv", "componentId,file\n", {"b.csv:1:componentName: missing column"}},
      {"c.csv",
       header + ",extraText2\n1x,a,b,\"c\nd\",e,f<@@>g,0,1000,z\n",
       {"c.csv:2:componentId: not an integer: \"1x\"", "c.csv:2:propertyValue: a line break",
        "c.csv:2:file: the separator <@@>", "c.csv:2:accessState: four or more characters",
        "c.csv:2:extraText2: given without an extraText1"}},
      {"d.csv", header + "\n1,a\n", {"d.csv:2:-: 2 fields, the header has 8"}},
      {"e.csv", header + "\n1,\"a,b,c,d,e,f,0,0\n", {"e.csv:2:-:"}},
      {"f.json",
       "{\"entries\": [\n{" + entry + "},\n{" + entry + ", \"file\": 3}]}",
       {"f.json:2:file: missing", "f.json:4:file: not a text"}},
      {"g.json", "{\"entries\": [", {"g.json:1:-: not valid JSON"}},
      {"h.json",
       "{\"entries\": [{" + entry + ", \"file\": \"f\", \"secondState\": 18446744073709551615}]}",
       {"h.json:1:secondState: not an integer"}},
  };
  ScratchDir dir;
  const std::string target = dir.Write("target.etb", "kept\n");
  for (const auto& test : cases) {
    const auto run = Etbtool("import '" + dir.Write(test.name, test.bytes) + "' '" + target + "'");
    EXPECT_EQ(run.status, 2) << test.name;
    for (const std::string& refusal : test.refusals) {
      EXPECT_NE(run.err.find(dir.path() + "/" + refusal), std::string::npos) << run.err;
    }
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
  for (const std::string& command :
       {"export '" + saved + "' '" + dir.path() + "/same.etb' --format csv",
        "import '" + kept + "' '" + link + "'"}) {
    const auto run = Etbtool(command);
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_NE(run.err.find("is the same file as"), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(saved), kSaved);
}

}  // namespace

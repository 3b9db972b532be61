// etbtool session end to end: archive in, the structure's session state out.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "EtbtoolRun.h"
#include "ScratchDir.h"
#include "ZipFiles.h"

namespace {

using nlohmann::json;
using testing_support::Etbtool;
using testing_support::ScratchDir;

TEST(EtbtoolSession, ReportsBothLoadsAndTheSessionState) {
  ScratchDir dir;
  const std::string archive = dir.path() + "/my session.zip";
  testing_support::WriteZip(
      archive, {{"s.etb", "4<@@>C<@@>P<@@>V<@@>N<@@>v.ast<@@>15<@@>2<@@>0\n"}, {"s.ast", "x"}});
  const testing_support::ToolRun run = Etbtool("session '" + archive + "' --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const json document = json::parse(run.out);
  EXPECT_EQ(document["result"], "success");
  EXPECT_EQ(document["zipResult"], json::parse(R"({"result": "success"})"));
  EXPECT_EQ(document["entries"], json::array()) << "session entries never go to the table";
  const json& session = document["session"];
  const std::string etbFile = session["etbFile"];
  const std::string astFile = session["astFile"];
  EXPECT_EQ(etbFile.substr(etbFile.size() - 6), "/s.etb");
  EXPECT_EQ(astFile.substr(astFile.size() - 6), "/s.ast");
  EXPECT_EQ(session["entry"]["annotationType"], 16);
  EXPECT_EQ(session["entry"]["file"], "v.znd");
  EXPECT_EQ(session["entry"]["accessState"], 2);
  EXPECT_EQ(session["entry"]["sessionAstFile"], astFile);
}

// The ETB load decides the exit status: an archive without an ETB member unpacks fine.
TEST(EtbtoolSession, TheEtbLoadDecidesTheExitStatus) {
  ScratchDir dir;
  const std::string archive = dir.path() + "/s.zip";
  testing_support::WriteZip(archive, {{"s.ast", "x"}});
  const testing_support::ToolRun noEtb = Etbtool("session '" + archive + "' --json");
  EXPECT_EQ(noEtb.status, 1);
  const json unpacked = json::parse(noEtb.out);
  EXPECT_EQ(unpacked["zipResult"]["result"], "success");
  EXPECT_EQ(unpacked["result"], "failure");

  const testing_support::ToolRun run = Etbtool("session '" + dir.path() + "/none.zip' --json");
  EXPECT_EQ(run.status, 1);
  const json missing = json::parse(run.out);
  EXPECT_EQ(missing["message"], "Failed to get session state file");
  EXPECT_EQ(missing["zipResult"],
            json::parse(R"({"result": "failure", "message": "Failed to get zip file"})"));
  EXPECT_EQ(missing["session"]["entry"], nullptr);
}

}  // namespace

// etbtool session end to end: archive in, the structure's session state out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "EtbtoolRun.h"
#include "ScratchDir.h"
#include "ZipFiles.h"

namespace {

using nlohmann::json;
using testing_support::Etbtool;
using testing_support::ReadFile;
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
  // Between the two outcomes, the host says why the ETB load found nothing; so it does for an
  // archive cut short.
  const std::string cut = dir.Write("cut.zip", ReadFile(archive).substr(0, 30));
  for (const std::string& source : {archive, cut}) {
    const testing_support::ToolRun text = Etbtool("session '" + source + "'");
    EXPECT_NE(text.out.find("zip loader: success\n  no .etb member was unpacked: the archive holds "
                            "none, or cannot be read whole\netb loader: failure"),
              std::string::npos)
        << text.out;
  }

  const testing_support::ToolRun run = Etbtool("session '" + dir.path() + "/none.zip' --json");
  EXPECT_EQ(run.status, 1);
  const json missing = json::parse(run.out);
  EXPECT_EQ(missing["message"], "Failed to get session state file");
  EXPECT_EQ(missing["zipResult"],
            json::parse(R"({"result": "failure", "message": "Failed to get zip file"})"));
  EXPECT_EQ(missing["session"]["entry"], nullptr);
}

// ETBTOOL_MAX_EXTRACT bounds what one archive unpacks: the members past it are refused, traced.
TEST(EtbtoolSession, MembersPastTheExtractBudgetAreRefused) {
  ScratchDir dir;
  std::vector<testing_support::ZipMember> members;
  for (char i = '0'; i <= '9'; ++i) {
    members.push_back({std::string("m00") + i + ".etb", "0<@@>C<@@>P<@@>V<@@>N<@@>f.znd<@@>0\n"});
  }
  const std::string archive = dir.path() + "/many.zip";
  testing_support::WriteZip(archive, members);
  setenv("ETBTOOL_MAX_EXTRACT", "110", 1);  // three members of 36 bytes fit
  const testing_support::ToolRun run = Etbtool("session '" + archive + "' --json");
  unsetenv("ETBTOOL_MAX_EXTRACT");

  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const json document = json::parse(run.out);
  const std::string etbFile = document["session"]["etbFile"];
  EXPECT_EQ(etbFile.substr(etbFile.size() - 9), "/m002.etb");
  ASSERT_EQ(document["traces"].size(), 7U);
  EXPECT_EQ(document["traces"][0]["text"],
            "m003.etb: extracting it would pass the archive's budget of 110 bytes");
}

}  // namespace

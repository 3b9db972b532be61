// The zip session loader: fetch, the ".zip" name, which members it unpacks, what it reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "EtbFiles.h"
#include "ZipFiles.h"
#include "du/FileSystem.h"
#include "standin/Fetch.h"
#include "standin/FileSystemFaults.h"
#include "standin/HostTemp.h"
#include "standin/InputLimits.h"
#include "standin/RecordingEvent.h"
#include "zip/ArchivePath.h"
#include "zip/ZipParser.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteZip;
using testing_support::ZipMember;
using Outcome = standin::RecordingEvent::Outcome;

du::SmartPtr<znk::AnnoSetTable> SessionTable(const std::string& url) {
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  if (!url.empty()) structure->SetSessionStateURL(url);
  return du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable(structure));
}

std::string SessionFile(const du::SmartPtr<znk::AnnoSetTable>& table, bool ast) {
  du::Symbol name;
  const du::SmartPtr<znk::Structure> structure = table->GetStructure();
  ast ? structure->GetSessionStateAstFileName(name) : structure->GetSessionStateEtbFileName(name);
  return name.IsNull() ? "(unset)" : name.c_str();
}

// The host's temporary folder made anew under `parent` for one test, then put back.
struct HostTempUnder {
  explicit HostTempUnder(const std::string& parent) {
    if (const char* tmp = std::getenv("TMPDIR")) previous = tmp;
    standin::RemoveHostTempDir();
    ::setenv("TMPDIR", parent.c_str(), 1);
  }
  ~HostTempUnder() {
    standin::RemoveHostTempDir();
    previous.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", previous.c_str(), 1);
  }
  std::string previous;
};

struct ZipLoaderTest : testing::Test {
  ScratchDir dir;
  du::SmartPtr<zip::ZipParser> loader{new zip::ZipParser};
  standin::RecordingEvent event;
  std::string temp = du::FileSystem::GetTempDir(true) + "/";
};

TEST(ArchivePath, TheDeliveredFileIsReadUnderAZipName) {
  ScratchDir dir;
  const std::string d = dir.path() + "/cache/";
  fs::create_directories(d + "dir.v2");
  const std::pair<std::string, std::string> cases[] = {
      {d + "123.tmp", d + "123.zip"}, {d + "s.zip", d + "s.zip"},
      {d + "s.ZIP", d + "s.zip"},     {d + "s.tar.gz", d + "s.tar.zip"},
      {d + "s.", d + "s.zip"},        {d + "dir.v2/session", d + "dir.zip"},
  };
  for (const auto& [delivered, archive] : cases) {
    SCOPED_TRACE(delivered);
    std::ofstream(delivered) << "archive";
    EXPECT_EQ(zip::ArchivePathFor(delivered), archive);
    EXPECT_EQ(ReadFile(archive), "archive");
    fs::remove(archive);
  }
  EXPECT_EQ(zip::ArchivePathFor("no_dot_anywhere"), "no_dot_anywhere");
}

TEST_F(ZipLoaderTest, UnpacksTheEtbAndAstMembersAndTheLastOfEachCounts) {
  const std::string archive = dir.path() + "/session.ZIP";
  WriteZip(archive, {{"a.etb", "A"},
                     {"b.etb", "B"},
                     {"sub/c.ast", "C"},
                     {".etb", "four bytes"},
                     {"X.ETB", "upper case"},
                     {"notes.txt", "other"}});
  du::SmartPtr<znk::AnnoSetTable> table = SessionTable(archive);
  loader->LoadSessionState(table, &event);
  EXPECT_EQ(standin::PumpFetches(), 1U);
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
  EXPECT_EQ(SessionFile(table, false), temp + "b.etb");
  EXPECT_EQ(SessionFile(table, true), temp + "sub/c.ast");
  EXPECT_EQ(ReadFile(temp + "a.etb") + ReadFile(temp + "b.etb") + ReadFile(temp + "sub/c.ast"),
            "ABC");
  for (const char* skipped : {".etb", "X.ETB", "notes.txt"}) {
    EXPECT_FALSE(fs::exists(temp + skipped)) << skipped;
  }
  EXPECT_FALSE(ReadFile(archive).empty()) << "the user's archive is never moved";
}

// Every load reports once; an archive that yields no member is still a success.
TEST_F(ZipLoaderTest, ReportsOnceWhetherItFailsOrFindsNothing) {
  std::mt19937 random(7);
  std::string noise;  // incompressible, so the archive is larger than its truncated copy
  for (int i = 0; i < 5000; ++i) noise += char(random());
  const std::string good = dir.path() + "/good.zip",
                    noSession = "Failed to get Dornal session file";
  WriteZip(good, {{"s.etb", noise}});
  struct Case {
    du::SmartPtr<znk::AnnoSetTable> table;
    std::string message;  // empty for a success
    bool extractFails = false;
  };
  const Case cases[] = {
      {{}, noSession},
      {du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable), noSession},  // no structure
      {SessionTable(""), noSession},
      {SessionTable(dir.path() + "/none.zip"), "Failed to get zip file"},
      {SessionTable(dir.Write("text.zip", "this is not a zip archive")), ""},
      {SessionTable(dir.Write("truncated.zip", ReadFile(good).substr(0, 2000))), ""},
      {SessionTable(dir.Write("empty.zip", "")), ""},
      {SessionTable(dir.Write("nothing.zip", "PK\x05\x06" + std::string(18, '\0'))), ""},
      {SessionTable(good), "", true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    if (c.extractFails) standin::FailFileSystem(standin::FileSystemOperation::kExtract);
    standin::RecordingEvent caseEvent;
    loader->LoadSessionState(c.table, &caseEvent);
    standin::PumpFetches();
    EXPECT_EQ(caseEvent.reportCount(), 1);
    EXPECT_EQ(caseEvent.outcome(), c.message.empty() ? Outcome::kSuccess : Outcome::kFailure);
    if (!c.message.empty()) {
      EXPECT_EQ(caseEvent.message(), c.message);
      EXPECT_EQ(caseEvent.code(), 1);
    }
    if (i < 2) continue;  // no structure to ask
    EXPECT_EQ(SessionFile(c.table, false), "(unset)");
  }
}

TEST_F(ZipLoaderTest, CopiesShareTheTableAndADeliveryWithoutOneDoesNothing) {
  const std::string archive = dir.path() + "/s.zip";
  WriteZip(archive, {{"s.etb", "S"}});
  du::SmartPtr<znk::AnnoSetTable> table = SessionTable(archive);
  loader->LoadSessionState(table, &event);
  { const zip::ZipParser copy(*loader); }  // a copy's table reference is its own
  *loader = zip::ZipParser();              // forgets table and event while the fetch is out
  standin::RecordingEvent second;
  EXPECT_EQ(table->GetReferenceCount(), 1);
  standin::PumpFetches();
  EXPECT_EQ(event.reportCount(), 0) << "the event was forgotten";

  loader->LoadSessionState(table, &second);
  loader->OnComplete(77, znk::BaseAsyncEvent::EVENT_CANCELLED);  // other statuses do nothing
  EXPECT_EQ(second.reportCount(), 0);
  standin::PumpFetches();
  EXPECT_EQ(second.outcome(), Outcome::kSuccess);
  loader->LoadAnnotationTable(table, &second);  // not a zip loader's job
  EXPECT_EQ(second.reportCount(), 1);
  EXPECT_TRUE(loader->OnProgress(1, 1));
}

// A session source without an extension, fetched while the host's temporary folder sits in a
// dotted folder: renaming the cached copy to ".zip" must not reach past the cache to the user's
// file beside that folder.
TEST_F(ZipLoaderTest, AnUndottedSourceNeverRenamesAUsersFileOutsideTheCache) {
  fs::create_directories(dir.path() + "/my.dir");
  const std::string userFile = dir.Write("my.zip", "the user's own archive");
  const std::string source = dir.path() + "/sessionfile";
  WriteZip(source, {{"s.etb", "S"}});
  const HostTempUnder hostTemp(dir.path() + "/my.dir");
  du::SmartPtr<znk::AnnoSetTable> table = SessionTable(source);
  loader->LoadSessionState(table, &event);
  standin::PumpFetches();
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
  EXPECT_EQ(ReadFile(SessionFile(table, false)), "S");
  EXPECT_EQ(ReadFile(userFile), "the user's own archive");
}

// Hostile archives: nothing is written outside the host's temporary folder, whatever the names.
TEST_F(ZipLoaderTest, HostileMembersNeverLandOutsideTheTemporaryFolder) {
  const std::string outer = dir.path() + "/outer";
  fs::create_directories(outer);
  const HostTempUnder under(outer);
  const std::string hostTemp = du::FileSystem::GetTempDir(true);
  ASSERT_EQ(fs::path(hostTemp).parent_path(), outer);
  const std::uint64_t limit = standin::GetZipMemberSizeLimit();
  standin::SetZipMemberSizeLimit(1 << 20);

  const std::string archive = dir.path() + "/hostile.zip";
  WriteZip(archive, {{"../x.etb", "up"},
                     {"/tmp/abs-x.etb", "absolute"},
                     {"a/../../y.ast", "climbs"},
                     {"..\\w.etb", "backslash"},
                     {"link.etb", "/etc/passwd", true},
                     {"bomb.etb", std::string(2 << 20, '\0')},
                     {"dup.etb", "first"},
                     {"dup.etb", "second"},
                     {"ok.ast", "fine"}});
  du::SmartPtr<znk::AnnoSetTable> table = SessionTable(archive);
  loader->LoadSessionState(table, &event);
  standin::PumpFetches();
  EXPECT_EQ(event.outcome(), Outcome::kSuccess);
  EXPECT_EQ(SessionFile(table, true), hostTemp + "/ok.ast");
  EXPECT_EQ(SessionFile(table, false), hostTemp + "/dup.etb");

  std::vector<std::string> written;
  for (const auto& item : fs::recursive_directory_iterator(outer)) {
    if (!item.is_directory()) written.push_back(item.path().string());
  }
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{hostTemp + "/dup.etb", hostTemp + "/ok.ast"}));
  EXPECT_FALSE(fs::exists("/tmp/abs-x.etb"));
  for (const auto& item : fs::directory_iterator(dir.path())) {
    EXPECT_TRUE(item.path() == archive || item.path() == outer) << item.path();
  }
  standin::SetZipMemberSizeLimit(limit);
}

}  // namespace

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
#include "standin/RecordingEvent.h"
#include "standin/ZipLimits.h"
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
  if (ast) {
    table->GetStructure()->GetSessionStateAstFileName(name);
  } else {
    table->GetStructure()->GetSessionStateEtbFileName(name);
  }
  return name.IsNull() ? "(unset)" : name.c_str();
}

// The host's temporary folder made anew under `parent` for one test, then put back.
class HostTempUnder {
 public:
  explicit HostTempUnder(const std::string& parent) {
    if (const char* tmp = std::getenv("TMPDIR")) previous_ = tmp;
    standin::RemoveHostTempDir();
    ::setenv("TMPDIR", parent.c_str(), 1);
  }
  ~HostTempUnder() {
    standin::RemoveHostTempDir();
    if (previous_.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", previous_.c_str(), 1);
    }
  }

 private:
  std::string previous_;
};

struct ZipLoaderTest : testing::Test {
  ScratchDir dir;
  du::SmartPtr<zip::ZipParser> loader{new zip::ZipParser};
  standin::RecordingEvent event;
  std::string temp = du::FileSystem::GetTempDir(true) + "/";
};

TEST(ArchivePath, TheDeliveredFileIsReadUnderAZipName) {
  ScratchDir dir;
  fs::create_directories(dir.path() + "/cache/dir.v2");
  struct Case {
    std::string delivered;
    std::string archive;
  };
  const std::string d = dir.path() + "/cache/";
  const Case cases[] = {
      {d + "123.tmp", d + "123.zip"},
      {d + "s.zip", d + "s.zip"},
      {d + "s.ZIP", d + "s.zip"},
      {d + "s.tar.gz", d + "s.tar.zip"},
      {d + "dir.v2/session", d + "dir.zip"},
      {d + "s.", d + "s.zip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delivered);
    std::ofstream(c.delivered) << "archive";
    EXPECT_EQ(zip::ArchivePathFor(c.delivered), c.archive);
    EXPECT_EQ(ReadFile(c.archive), "archive");
    fs::remove(c.archive);
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
  EXPECT_EQ(ReadFile(temp + "a.etb"), "A");
  EXPECT_EQ(ReadFile(temp + "b.etb"), "B");
  EXPECT_EQ(ReadFile(temp + "sub/c.ast"), "C");
  EXPECT_FALSE(fs::exists(temp + ".etb"));
  EXPECT_FALSE(fs::exists(temp + "X.ETB"));
  EXPECT_FALSE(fs::exists(temp + "notes.txt"));
  EXPECT_EQ(ReadFile(archive).empty(), false) << "the user's archive is never moved";
  EXPECT_EQ(table->GetReferenceCount(), 2) << "kept until the next load";
}

// A session source without an extension, fetched while the host's temporary folder sits under a
// dotted folder: renaming the cached copy to ".zip" must not reach past the cache to the user's
// file beside that folder.
TEST(ZipSession, AnUndottedSourceNeverRenamesAUsersFileOutsideTheCache) {
  ScratchDir dir;
  const std::string tmp = dir.path() + "/my.dir";
  fs::create_directories(tmp);
  dir.Write("my.zip", "the user's own archive");
  const std::string source = dir.path() + "/sessionfile";
  WriteZip(source, {{"s.etb", "1<@@>A<@@>B<@@>C<@@>D<@@>f.znd<@@>0\n"}});
  {
    const HostTempUnder hostTemp(tmp);
    du::SmartPtr<zip::ZipParser> loader(new zip::ZipParser);
    standin::RecordingEvent event;
    du::SmartPtr<znk::AnnoSetTable> table = SessionTable(source);
    loader->LoadSessionState(table, &event);
    standin::PumpFetches();
    EXPECT_EQ(event.outcome(), Outcome::kSuccess);
    EXPECT_EQ(ReadFile(SessionFile(table, false)), "1<@@>A<@@>B<@@>C<@@>D<@@>f.znd<@@>0\n");
  }
  EXPECT_EQ(ReadFile(dir.path() + "/my.zip"), "the user's own archive");
}

TEST_F(ZipLoaderTest, ReportsEachFailureItsOwnWay) {
  struct Case {
    const char* name;
    du::SmartPtr<znk::AnnoSetTable> table;
    const char* message;
  };
  const Case cases[] = {
      {"no table", du::SmartPtr<znk::AnnoSetTable>(), "Failed to get Dornal session file"},
      {"no structure", du::SmartPtr<znk::AnnoSetTable>(new znk::AnnoSetTable),
       "Failed to get Dornal session file"},
      {"no session address", SessionTable(""), "Failed to get Dornal session file"},
      {"fetch fails", SessionTable(dir.path() + "/none.zip"), "Failed to get zip file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    standin::RecordingEvent caseEvent;
    loader->LoadSessionState(c.table, &caseEvent);
    standin::PumpFetches();
    EXPECT_EQ(caseEvent.outcome(), Outcome::kFailure);
    EXPECT_EQ(caseEvent.message(), c.message);
    EXPECT_EQ(caseEvent.code(), 1);
  }
  EXPECT_EQ(cases[3].table->GetReferenceCount(), 2) << "a failed fetch keeps the table";
  loader->LoadSessionState(du::SmartPtr<znk::AnnoSetTable>(), nullptr);
  EXPECT_EQ(cases[3].table->GetReferenceCount(), 1);
}

TEST_F(ZipLoaderTest, ArchivesThatYieldNothingStillSucceed) {
  std::mt19937 random(7);
  std::string noise;  // incompressible, so the archive is larger than its truncated copy
  for (int i = 0; i < 5000; ++i) noise += char(random());
  const std::string good = dir.path() + "/good.zip";
  WriteZip(good, {{"s.etb", noise}});
  const std::pair<std::string, bool> cases[] = {
      // the archive, and whether extracting fails
      {dir.Write("text.zip", "this is not a zip archive"), false},
      {dir.Write("truncated.zip", ReadFile(good).substr(0, 2000)), false},
      {dir.Write("empty.zip", ""), false},
      {dir.Write("nothing.zip", "PK\x05\x06" + std::string(18, '\0')), false},  // no member
      {good, true},
  };
  for (const auto& [archive, extractFails] : cases) {
    SCOPED_TRACE(archive);
    if (extractFails) standin::FailFileSystem(standin::FileSystemOperation::kExtract);
    du::SmartPtr<znk::AnnoSetTable> table = SessionTable(archive);
    standin::RecordingEvent caseEvent;
    loader->LoadSessionState(table, &caseEvent);
    standin::PumpFetches();
    EXPECT_EQ(caseEvent.outcome(), Outcome::kSuccess);
    EXPECT_EQ(SessionFile(table, false), "(unset)");
  }
}

TEST_F(ZipLoaderTest, CopiesShareTheTableAndADeliveryWithoutOneDoesNothing) {
  const std::string archive = dir.path() + "/s.zip";
  WriteZip(archive, {{"s.etb", "S"}});
  du::SmartPtr<znk::AnnoSetTable> table = SessionTable(archive);
  loader->LoadSessionState(table, &event);
  {
    const zip::ZipParser copy(*loader);
    EXPECT_EQ(table->GetReferenceCount(), 3);
  }
  *loader = zip::ZipParser();  // forgets table and event while the fetch is out
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

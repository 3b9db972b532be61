#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "ScratchDir.h"
#include "standin/FileSystemFaults.h"
#include "standin/InputLimits.h"
#include "standin/PreferenceStore.h"
#include "standin/TraceCapture.h"
#include "znk/Preferences.h"
#include "znk/World.h"

namespace {

using testing_support::ReadFile;
using testing_support::ScratchDir;

std::string Describe(const znk::Preferences& preferences) {
  std::string text = preferences.isProtected ? "P{" : "{";
  for (const auto& [key, value] : preferences.GetValues()) {
    text += key + "=" + (value.isInt ? std::to_string(value.number) : "'" + value.text + "'") +
            (value.isProtected ? "!" : "") + " ";
  }
  for (const auto& [name, list] : preferences.GetLists()) {
    text += name + (list->isProtected ? "!" : "") + "[";
    for (unsigned int i = 0; i < list->GetNumPreferences(false); ++i) {
      text += Describe(*list->GetPreferences(i, false));
    }
    text += "] ";
  }
  return text + "}";
}

std::string WorldDescription() { return Describe(*znk::World::GetWorld()->GetPreferences()); }

struct StoreTest : testing::Test {
  ~StoreTest() override { standin::ResetWorld(); }
  ScratchDir dir;
  std::string path = dir.path() + "/preferences.json";
};

// Every part of the layout is read, and saved so that it reads back the same; a store saved
// unchanged is the same text.
TEST_F(StoreTest, EveryPartOfTheLayoutReadsAndSavesBackTheSame) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({})", "{}"},
      {R"({"values": {"b": 2, "a": "x", "k": {"value": -7, "protected": true}, "t": {"value": "s"}},
           "protected": true, "other": [1, {"x": [2]}]})",
       "P{a='x' b=2 k=-7! t='s' }"},
      {R"({"values": {"k": {"bytes": "6361e9"}, "w": {"value": {"bytes": "ff"}, "protected": true}}})",
       "{k='ca\xe9' w='\xff'! }"},
      {R"({"lists": {"L": {"protected": true, "sets": [{"values": {"n": 1}}, {"protected": true}]},
                     "E": {}}})",
       "{E[] L![{n=1 }P{}] }"},
      {R"({"values": {"big": 2147483647, "small": -2147483648, "esc": "q\"\\\/\b\f\n\r\t\u0001\u00e9"}})",
       "{big=2147483647 esc='q\"\\/\b\f\n\r\t\x01\xc3\xa9' small=-2147483648 }"},
      {"{\"values\": {\"u\": \"M8 \xf0\x9f\x94\xa9\"}}", "{u='M8 \xf0\x9f\x94\xa9' }"},
  };
  for (const auto& [store, world] : cases) {
    SCOPED_TRACE(store);
    dir.Write("preferences.json", store);
    ASSERT_EQ(standin::UsePreferenceStore(path), "");
    EXPECT_EQ(WorldDescription(), world);
    ASSERT_TRUE(znk::World::GetWorld()->SaveAndApplyPreferences());
    const std::string saved = ReadFile(path);
    ASSERT_EQ(standin::UsePreferenceStore(path), "");
    EXPECT_EQ(WorldDescription(), world) << saved;
    ASSERT_TRUE(znk::World::GetWorld()->SaveAndApplyPreferences());
    EXPECT_EQ(ReadFile(path), saved);
  }
}

// Whatever does not follow the layout is refused whole: nothing of it is kept, and the file is
// never overwritten.
TEST_F(StoreTest, RefusesWhatDoesNotFollowTheLayout) {
  const char* const stores[] = {"[]",
                                "{ not json",
                                R"({"values": []})",
                                R"({"values": {"k": 1.5}})",
                                R"({"values": {"k": 2147483648}})",
                                R"({"values": {"k": {"protected": true}}})",
                                R"({"values": {"k": {"bytes": "abc"}}})",
                                R"({"protected": 1})",
                                R"({"lists": {"L": {"sets": [1]}}})",
                                R"({"lists": {"L": {"protected": "yes"}}})"};
  for (const char* store : stores) {
    SCOPED_TRACE(store);
    dir.Write("preferences.json", store);
    EXPECT_EQ(standin::UsePreferenceStore(path).rfind("not a valid preferences store: ", 0), 0U);
    EXPECT_EQ(WorldDescription(), "{}");
    standin::TraceCapture capture;
    EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
    EXPECT_EQ(capture.Lines().size(), 1U) << "the refusal is traced";
    EXPECT_EQ(ReadFile(path), store);
  }

  // So is a store over the size limit, valid or not; one of exactly the limit is read.
  const std::string store = R"({"values": {"k": 1}})";
  dir.Write("preferences.json", store);
  standin::SetPreferenceStoreSizeLimit(store.size() - 1);
  EXPECT_EQ(standin::UsePreferenceStore(path),
            "larger than the store limit of " + std::to_string(store.size() - 1) + " bytes");
  EXPECT_EQ(WorldDescription(), "{}");
  EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
  EXPECT_EQ(ReadFile(path), store);
  standin::SetPreferenceStoreSizeLimit(store.size());
  EXPECT_EQ(standin::UsePreferenceStore(path), "");
  EXPECT_EQ(WorldDescription(), "{k=1 }");
  standin::SetPreferenceStoreSizeLimit(std::uint64_t{256} << 20);
}

// A save that fails leaves no file and tells the host why. A missing store is no error.
TEST_F(StoreTest, AFailedSaveSaysWhy) {
  const std::pair<void (*)(), std::string> cases[] = {
      {[] { znk::World::GetWorld()->GetPreferences()->SetInt("caf\xe9", 1, false); },
       "a key or list name is not UTF-8"},
      {[] { standin::FailFileSystem(standin::FileSystemOperation::kCopyWrite); },
       std::strerror(ENOSPC)},
  };
  for (const auto& [spoil, reason] : cases) {
    SCOPED_TRACE(reason);
    ASSERT_EQ(standin::UsePreferenceStore(path), "");
    spoil();
    standin::TraceCapture capture;
    EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
    EXPECT_EQ(standin::PreferenceSaveFailure(), reason);
    ASSERT_EQ(capture.Lines().size(), 1U);
    EXPECT_EQ(capture.Lines()[0].text, "Failed to save preferences store " + path + ": " + reason);
    EXPECT_EQ(ReadFile(path), "<missing>");
    standin::ResetWorld();
  }
}

}  // namespace

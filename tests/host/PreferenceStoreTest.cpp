#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "ScratchDir.h"
#include "standin/FileSystemFaults.h"
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

TEST_F(StoreTest, ReadsEveryPartOfTheLayout) {
  struct Case {
    const char* store;
    const char* world;
  };
  const Case cases[] = {
      {R"({})", "{}"},
      {R"({"values": {"b": 2, "a": "x"}, "protected": true})", "P{a='x' b=2 }"},
      {R"({"values": {"k": {"value": -7, "protected": true}, "t": {"value": "s"}}})",
       "{k=-7! t='s' }"},
      {R"({"values": {"k": {"bytes": "6361"}, "w": {"value": {"bytes": "ff"}, "protected": true}}})",
       "{k='ca' w='\xff'! }"},
      {R"({"lists": {"L": {"protected": true, "sets": [{"values": {"n": 1}}, {"protected": true}]},
                     "E": {}}})",
       "{E[] L![{n=1 }P{}] }"},
      {R"({"other": [1, {"x": [2]}], "values": {"k": {"value": 1, "note": {"y": 0}}}})", "{k=1 }"},
      {R"({"values": {"big": 2147483647, "small": -2147483648, "esc": "q\"\\\n\u00e9"}})",
       "{big=2147483647 esc='q\"\\\n\xc3\xa9' small=-2147483648 }"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.store);
    dir.Write("preferences.json", test.store);
    ASSERT_EQ(standin::UsePreferenceStore(path), "");
    EXPECT_EQ(WorldDescription(), test.world);
  }
}

// Whatever does not follow the layout is refused whole: nothing of it is kept, and the file is
// never overwritten.
TEST_F(StoreTest, RefusesWhatDoesNotFollowTheLayout) {
  const char* const stores[] = {
      "[]",
      "7",
      "{ not json",
      R"({"values": []})",
      R"({"values": {"k": 1.5}})",
      R"({"values": {"k": true}})",
      R"({"values": {"k": 2147483648}})",
      R"({"values": {"k": -2147483649}})",
      R"({"values": {"k": {"protected": true}}})",
      R"({"values": {"k": {"bytes": "abc"}}})",
      R"({"values": {"k": {"bytes": "zz"}}})",
      R"({"values": {"k": {"value": [1]}}})",
      R"({"values": {"k": {"value": {"other": 1}}}})",
      R"({"protected": 1})",
      R"({"lists": []})",
      R"({"lists": {"L": 1}})",
      R"({"lists": {"L": {"sets": {}}}})",
      R"({"lists": {"L": {"sets": [1]}}})",
      R"({"lists": {"L": {"sets": [{"values": "x"}]}}})",
      R"({"lists": {"L": {"protected": "yes"}}})",
      "{} trailing",
  };
  for (const char* store : stores) {
    SCOPED_TRACE(store);
    dir.Write("preferences.json", store);
    const std::string error = standin::UsePreferenceStore(path);
    EXPECT_EQ(error.rfind("not a valid preferences store: ", 0), 0U) << error;
    EXPECT_GT(error.size(), std::string("not a valid preferences store: ").size());
    EXPECT_EQ(WorldDescription(), "{}");
    standin::TraceCapture capture;
    EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
    EXPECT_EQ(capture.Lines().size(), 1U) << "the refusal is traced";
    EXPECT_EQ(ReadFile(path), store);
  }
}

TEST_F(StoreTest, WhatIsSavedReadsBackTheSame) {
  ASSERT_EQ(standin::UsePreferenceStore(path), "");
  {
    const du::SmartPtr<znk::Preferences> root = znk::World::GetWorld()->GetPreferences();
    root->isProtected = true;
    root->SetString("quote", "\"\\/\b\f\n\r\t\x01\x1f end", false);
    root->SetString("bytes", std::string("caf\xe9\0x", 6), false);
    root->SetString("utf8", "Schraube M8 \xc3\xbc \xe2\x82\xac \xf0\x9f\x94\xa9", false);
    root->SetInt("min", INT_MIN, false);
    root->SetInt("max", INT_MAX, false);
    root->ProtectValue("max");
    bool ignored = false;
    root->GetPreferenceList("Empty", true, ignored, true);
    const du::SmartPtr<znk::PreferenceList> list =
        root->GetPreferenceList("Global/Annotations/List", true, ignored, true);
    list->isProtected = true;
    for (int i = 0; i < 3; ++i) {
      const du::SmartPtr<znk::Preferences> set = list->AddPreferences();
      set->SetString("Name", "set " + std::to_string(i), false);
      set->SetInt("AnnotationType", i, false);
      set->isProtected = i == 1;
    }
    list->AddPreferences();
  }
  const std::string saved = WorldDescription();
  ASSERT_TRUE(znk::World::GetWorld()->SaveAndApplyPreferences());

  ASSERT_EQ(standin::UsePreferenceStore(path), "");
  EXPECT_EQ(WorldDescription(), saved);
  ASSERT_TRUE(znk::World::GetWorld()->SaveAndApplyPreferences());
  const std::string text = ReadFile(path);
  ASSERT_EQ(standin::UsePreferenceStore(path), "");
  ASSERT_TRUE(znk::World::GetWorld()->SaveAndApplyPreferences());
  EXPECT_EQ(ReadFile(path), text) << "a store saved unchanged is the same text";
}

TEST_F(StoreTest, AKeyThatIsNoUtf8CannotBeSaved) {
  ASSERT_EQ(standin::UsePreferenceStore(path), "");
  znk::World::GetWorld()->GetPreferences()->SetInt("caf\xe9", 1, false);
  standin::TraceCapture capture;
  EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
  EXPECT_EQ(ReadFile(path), "<missing>");
  const std::string reason = "a key or list name is not UTF-8";
  EXPECT_EQ(standin::PreferenceSaveFailure(), reason);
  ASSERT_EQ(capture.Lines().size(), 1U);
  EXPECT_EQ(capture.Lines()[0].text, "Failed to save preferences store " + path + ": " + reason);
}

TEST_F(StoreTest, ACorruptStoreIsReportedAndNeverOverwritten) {
  dir.Write("preferences.json", "{ this is not json");
  const std::string error = standin::UsePreferenceStore(path);
  EXPECT_NE(error.find("not a valid preferences store"), std::string::npos) << error;
  EXPECT_EQ(WorldDescription(), "{}") << "nothing of a half-read store";
  standin::TraceCapture capture;
  EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
  EXPECT_EQ(ReadFile(path), "{ this is not json");
  EXPECT_EQ(standin::UsePreferenceStore(dir.path() + "/missing.json"), "") << "empty store";
  EXPECT_EQ(WorldDescription(), "{}");
}

TEST_F(StoreTest, ACopyThatFailsHalfwaySaysWhy) {
  ASSERT_EQ(standin::UsePreferenceStore(path), "");
  standin::FailFileSystem(standin::FileSystemOperation::kCopyWrite);
  standin::TraceCapture capture;
  EXPECT_FALSE(znk::World::GetWorld()->SaveAndApplyPreferences());
  EXPECT_EQ(standin::PreferenceSaveFailure(), std::strerror(ENOSPC));
  EXPECT_EQ(ReadFile(path), "<missing>");
}

}  // namespace

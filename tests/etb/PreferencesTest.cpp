// Preference entries: the list "Global/Annotations/List" read into a table and written back.
#include <gtest/gtest.h>

#include <filesystem>

#include "EtbFiles.h"
#include "etb/EtbPreferencesWriter.h"
#include "etb/PreferencesParser.h"
#include "standin/PreferenceStore.h"
#include "standin/RecordingEvent.h"
#include "znk/World.h"

namespace {

using testing_support::Describe;
using testing_support::DescribeEntries;
using testing_support::EntrySpec;
using testing_support::MakeEntry;
using testing_support::ScratchDir;
using EntryPtr = du::SmartPtr<znk::AnnoSetTableEntry>;

const du::Symbol kList("Global/Annotations/List");

du::SmartPtr<znk::PreferenceList> List(bool create = true) {
  bool ignored = false;
  return znk::World::GetWorld()->GetPreferences()->GetPreferenceList(kList, create, ignored, true);
}

// A set with every key of the layout.
du::SmartPtr<znk::Preferences> AddFullSet(const std::string& name) {
  du::SmartPtr<znk::Preferences> set = List()->AddPreferences();
  set->SetString("PropertyName", "prop " + name, false);
  set->SetString("PropertyValue", "value " + name, false);
  set->SetString("Name", name, false);
  set->SetString("File", name + ".znd", false);
  set->SetInt("AnnotationType", 7, false);
  set->SetString("Comment", "comment " + name, false);
  set->SetInt("Color", 0x11223344, false);
  return set;
}

du::SmartPtr<znk::AnnoSetTable> LoadList(standin::RecordingEvent* event = nullptr) {
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
  etb::PreferencesParser().LoadAnnotationTable(table, event);
  return table;
}

std::vector<std::string> ListedNames() {
  std::vector<std::string> names;
  const du::SmartPtr<znk::PreferenceList> list = List(false);
  for (unsigned int i = 0; list && i < list->GetNumPreferences(false); ++i) {
    std::string name = "(no name)";
    bool ignored = false;
    list->GetPreferences(i, false)->GetString("Name", name, ignored);
    names.push_back(name);
  }
  return names;
}

TEST(PreferencesLoader, ReadsEverySetInListOrder) {
  AddFullSet("a");
  AddFullSet("b");
  List()->AddPreferences();  // a set with no keys at all
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable);
  table->AddEntry(MakeEntry(EntrySpec{}));
  standin::RecordingEvent event;
  etb::PreferencesParser().LoadAnnotationTable(table, &event);
  EXPECT_EQ(event.outcome(), standin::RecordingEvent::Outcome::kSuccess);
  EXPECT_EQ(event.reportCount(), 1);
  const std::vector<std::string> entries = DescribeEntries(*table);
  ASSERT_EQ(entries.size(), 4U) << "appended after what the table held";
  EXPECT_EQ(entries[1], "0||prop a|value a|a|a.znd|7|0|0|comment a|-|-");
  EXPECT_EQ(entries[3], "0||||||0|0|0||-|-");
  const EntryPtr full = table->GetEntry(1);
  EXPECT_TRUE(full->isPreference);
  EXPECT_TRUE(full->hasColor);
  EXPECT_EQ(full->color.GetAsHexUI(), 0x11223344U);
  const EntryPtr bare = table->GetEntry(3);
  EXPECT_FALSE(bare->hasColor) << "no Color key, colour as created";
}

TEST(PreferencesLoader, AnyProtectionButTheColoursMakesAnEntryProtected) {
  // What is protected: the list, the set, or one key of the set ("" for none).
  for (const std::string what : {"", "list", "set", "PropertyName", "PropertyValue", "Name", "File",
                                 "AnnotationType", "Comment", "Color"}) {
    SCOPED_TRACE(what);
    standin::ResetWorld();
    du::SmartPtr<znk::Preferences> set = AddFullSet("x");
    List()->isProtected = what == "list";
    set->isProtected = what == "set";
    if (what.size() > 3) set->ProtectValue(what);
    du::SmartPtr<znk::AnnoSetTable> table = LoadList();
    ASSERT_EQ(DescribeEntries(*table).size(), 1U);
    EXPECT_EQ(table->GetEntry(0)->accessState, what.empty() || what == "Color" ? 0 : 2);
  }
}

TEST(PreferencesLoader, ColoursKeepTheirBitsAndNothingToReadIsStillASuccess) {
  for (int stored : {-1, int(0x80000001U), 0}) {
    standin::ResetWorld();
    List()->AddPreferences()->SetInt("Color", stored, false);
    EXPECT_EQ(LoadList()->GetEntry(0)->color.GetAsHexUI(), static_cast<unsigned int>(stored));
  }
  standin::ResetWorld();
  standin::RecordingEvent missingList;
  EXPECT_TRUE(LoadList(&missingList)->IsEmpty());
  EXPECT_EQ(missingList.outcome(), standin::RecordingEvent::Outcome::kSuccess);
  AddFullSet("a");
  standin::RecordingEvent noTable;
  etb::PreferencesParser().LoadAnnotationTable(du::SmartPtr<znk::AnnoSetTable>(), &noTable);
  EXPECT_EQ(noTable.reportCount(), 1);
  EXPECT_EQ(noTable.outcome(), standin::RecordingEvent::Outcome::kSuccess);
  EXPECT_EQ(DescribeEntries(*LoadList()).size(), 1U) << "no event, same loading";
}

struct PreferencesSaverTest : testing::Test {
  static EntryPtr Preference(const char* name, int accessState = 0, bool excluded = false) {
    EntrySpec spec;
    spec.name = name;
    spec.propertyName = std::string("p") + name;
    spec.propertyValue = std::string("v") + name;
    spec.isPreference = true;
    spec.accessState = accessState;
    spec.excludeFromPartialSave = excluded;
    return MakeEntry(spec);
  }
  etb::EtbPreferencesWriter writer;
  du::SmartPtr<znk::AnnoSetTable> table{new znk::AnnoSetTable};
  std::vector<EntryPtr> entries{Preference("p0"), Preference("protected", 2),
                                MakeEntry(EntrySpec{}), Preference("excluded", 0, true),
                                Preference("p4")};
  PreferencesSaverTest() {
    for (const EntryPtr& entry : entries) table->AddEntry(entry);
  }
};

TEST_F(PreferencesSaverTest, SelectsLikeTheEtbSaverAndSavesOnlyWhatItMayWrite) {
  const EntryPtr outside = Preference("new");
  struct Case {
    const char* name;
    bool addFlag;
    EntryPtr given;
    std::vector<std::string> names;
    int saves;
  };
  const Case cases[] = {
      {"all", true, EntryPtr(), {"p0", "excluded", "p4"}, 1},
      {"all, then a new entry", true, outside, {"p0", "excluded", "p4", "new"}, 1},
      {"an entry of the table twice", true, entries[4], {"p0", "excluded", "p4", "p4"}, 1},
      {"a protected entry is never written", true, entries[1], {"p0", "excluded", "p4"}, 1},
      {"a file entry is never written", true, entries[2], {"p0", "excluded", "p4"}, 1},
      {"partial without an entry writes nothing", false, EntryPtr(), {}, 0},
      {"partial leaves out the given and the excluded", false, entries[4], {"p0"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    standin::ResetWorld();
    AddFullSet("stale");
    EXPECT_TRUE(writer.SaveAnnotationTable(table, c.given, "ignored.etb", c.addFlag, true));
    EXPECT_EQ(ListedNames(), c.names) << "the list is rebuilt from the table";
    EXPECT_EQ(standin::PreferenceSaveCount(), c.saves);
  }
  standin::ResetWorld();
  EXPECT_TRUE(writer.SaveAnnotationTable({}, Preference("solo"), "", true, false)) << "no table";
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"solo"});
  List()->isProtected = true;  // a protected list is left as it was
  EXPECT_FALSE(writer.SaveAnnotationTable(table, EntryPtr(), "", true, false));
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"solo"});
  EXPECT_EQ(standin::PreferenceSaveCount(), 1);
}

// Save into a store file, start a new world from that file, load: every stored field returns.
TEST_F(PreferencesSaverTest, RoundTripThroughTheStoreFile) {
  ScratchDir dir;
  const std::string store = dir.path() + "/preferences.json";
  ASSERT_EQ(standin::UsePreferenceStore(store), "");
  entries[0]->comment = "line one\nline two";
  entries[0]->file = "caf\xE9.znd";  // not UTF-8: kept as bytes
  entries[0]->annotationType = 9;
  entries[0]->color = dg::Color(0x80FF00AAU, true);  // a negative int in the store, same bits
  entries[0]->hasColor = true;
  entries[4]->extraText1 = "not stored";
  ASSERT_TRUE(writer.SaveAnnotationTable(table, EntryPtr(), "", true, false));
  ASSERT_TRUE(std::filesystem::exists(store));
  std::vector<std::string> keys;  // every set carries all seven, also without a colour or text
  for (const auto& [key, value] : List()->GetPreferences(1, false)->GetValues()) {
    keys.push_back(key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"AnnotationType", "Color", "Comment", "File", "Name",
                                            "PropertyName", "PropertyValue"}));

  ASSERT_EQ(standin::UsePreferenceStore(store), "");
  du::SmartPtr<znk::AnnoSetTable> loaded = LoadList();
  // Unset texts come back empty; extra texts are no part of the layout.
  EXPECT_EQ(DescribeEntries(*loaded),
            (std::vector<std::string>{"0||pp0|vp0|p0|caf\xE9.znd|9|0|0|line one\nline two|-|-",
                                      "0||pexcluded|vexcluded|excluded||0|0|0||-|-",
                                      "0||pp4|vp4|p4||0|0|0||-|-"}));
  for (unsigned int i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded->GetEntry(i)->color, entries[i == 0 ? 0 : i + 2]->color);
    EXPECT_TRUE(loaded->GetEntry(i)->hasColor) << "written also without hasColor";
    EXPECT_TRUE(loaded->GetEntry(i)->isPreference);
  }
}

}  // namespace

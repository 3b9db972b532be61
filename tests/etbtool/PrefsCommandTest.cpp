// etbtool prefs end to end: import, show and export through a store file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using nlohmann::json;
using testing_support::Etbtool;
using testing_support::ReadFile;
using testing_support::ScratchDir;

TEST(EtbtoolPrefs, ImportShowAndExportGoThroughTheStore) {
  ScratchDir dir;
  const std::string store = dir.path() + "/config dir/preferences.json";
  const std::string in =
      dir.Write("in.etb",
                "5<@@>Bolt<@@>Torque<@@>40 Nm<@@>Check<@@>part.znd<@@>3<@@>0 a note<@@>0\n"
                "6<@@>Nut<@@>Size<@@>M8<@@>Nut size<@@>nut.znd<@@>0<@@>1\n"
                "7<@@>Lock<@@>p<@@>v<@@>Locked<@@>lock.znd<@@>0<@@>2\n");
  const testing_support::ToolRun imported =
      Etbtool("prefs import '" + in + "' --store '" + store + "'");
  EXPECT_EQ(imported.status, 0);
  EXPECT_EQ(imported.out, "imported: 2 entries (1 protected, left out)\nstore: " + store + "\n");
  // A file without entries imports nothing: refused, the store as it was.
  const std::string before = ReadFile(store);
  const std::string none = dir.Write("none.etb", "no record here\n");
  const testing_support::ToolRun empty =
      Etbtool("prefs import '" + none + "' --store '" + store + "'");
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "etbtool: " + none + " holds no entry to import; the store is as it was\n");
  EXPECT_EQ(ReadFile(store), before);

  const testing_support::ToolRun shown = Etbtool("prefs show --json --store '" + store + "'");
  ASSERT_EQ(shown.status, 0);
  const json entries = json::parse(shown.out)["entries"];
  ASSERT_EQ(entries.size(), 2U);
  for (const json& entry : entries) {
    EXPECT_EQ(entry["isPreference"], true);
    EXPECT_EQ(entry["componentId"], 0) << "the list keeps no component";
    EXPECT_EQ(entry["hasColor"], true);
  }
  EXPECT_EQ(entries[0]["name"], "Check");
  EXPECT_EQ(entries[0]["annotationType"], 3);
  EXPECT_EQ(entries[0]["comment"], "a note");
  EXPECT_EQ(entries[1]["propertyValue"], "M8");

  const std::string out = dir.path() + "/out.etb";
  EXPECT_EQ(Etbtool("prefs export '" + out + "' --store '" + store + "'").status, 0);
  EXPECT_EQ(ReadFile(out),
            "0<@@><@@>Torque<@@>40 Nm<@@>Check<@@>part.znd<@@>3<@@>0\n"
            "0<@@><@@>Size<@@>M8<@@>Nut size<@@>nut.znd<@@>0<@@>0\n");
}

TEST(EtbtoolPrefs, AnUnreadableStoreIsAUsageErrorAndStaysAsItWas) {
  ScratchDir dir;
  const std::string store = dir.Write("preferences.json", "[1, 2");
  const std::string in = dir.Write("in.etb", "1<@@>a<@@>b<@@>c<@@>d<@@>f<@@>0\n");
  EXPECT_EQ(Etbtool("prefs show --store '" + store + "'").status, 2);
  EXPECT_EQ(Etbtool("prefs import '" + in + "' --store '" + store + "'").status, 2);
  EXPECT_EQ(ReadFile(store), "[1, 2");
  EXPECT_EQ(Etbtool("prefs --store '" + store + "'").status, 2) << "no action";
}

// An administrator's sets (protected whole, or in one value) are no user's to remove: an import
// rewrites the user's sets around them.
TEST(EtbtoolPrefs, AnImportKeepsTheAdministratorsSets) {
  ScratchDir dir;
  const std::string store = dir.Write("preferences.json", R"({"lists": {"Global/Annotations/List":
      {"sets": [{"protected": true, "values": {"Name": "Locked"}},
                {"values": {"Name": "Noted", "Comment": {"value": "by admin", "protected": true}}},
                {"values": {"Name": "Old user set"}}]}}})");
  const std::string in = dir.Write("in.etb", "1<@@>a<@@>b<@@>c<@@>Imported<@@>f<@@>0\n");
  const testing_support::ToolRun imported =
      Etbtool("prefs import '" + in + "' --store '" + store + "'");
  EXPECT_EQ(imported.status, 0) << imported.out;
  const json entries =
      json::parse(Etbtool("prefs show --json --store '" + store + "'").out)["entries"];
  ASSERT_EQ(entries.size(), 3U) << entries;
  EXPECT_EQ(entries[0]["name"], "Locked");
  EXPECT_EQ(entries[1]["name"], "Noted");
  EXPECT_EQ(entries[1]["comment"], "by admin");
  EXPECT_EQ(entries[2]["name"], "Imported");
  EXPECT_EQ(entries[0]["accessState"], 2);
  EXPECT_EQ(entries[1]["accessState"], 2);
  EXPECT_EQ(entries[2]["accessState"], 0);
}

TEST(EtbtoolPrefs, AStoreThatCannotBeWrittenFailsTheImport) {
  ScratchDir dir;
  const std::string in = dir.Write("in.etb", "1<@@>a<@@>b<@@>c<@@>d<@@>f<@@>0\n");
  const testing_support::ToolRun run = Etbtool("prefs import '" + in + "' --store /proc/x.json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("failure: /proc/x.json could not be written: ", 0), 0U) << run.out;
  EXPECT_EQ(run.err.rfind("[znk::World] error: Failed to save preferences store /proc/x.json: ", 0),
            0U)
      << run.err;
}

}  // namespace

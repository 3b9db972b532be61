// etbtool --stats: the phase lines on stderr, and no progress line when stderr is no terminal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <vector>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ScratchDir;

struct Phase {
  std::string name;
  double seconds;
  std::string volume;  // "BYTES bytes RECORDS records", or empty
};

// The stats lines of `text`, failing the test on any other line.
std::vector<Phase> PhasesOf(const std::string& text) {
  static const std::regex kLine(
      R"(stats: ([a-z ]+) ([0-9.]+) s(?: (\d+ bytes \d+ records) [0-9.]+ MB/s)?)");
  std::vector<Phase> phases;
  std::istringstream lines(text);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, match, kLine)) {
      phases.push_back({match[1], std::stod(match[2]), match[3]});
    } else {
      ADD_FAILURE() << "not a stats line: " << line;
    }
  }
  return phases;
}

// Each command's phases in order, the main one with the bytes and records it handled, the
// phases adding up to the total, stdout as without --stats, and no progress line: stderr is a
// file.
TEST(EtbtoolStats, EveryCommandListsItsPhasesAfterItsOutput) {
  ::setenv("ETBTOOL_PROGRESS_AFTER_MS", "0", 1);  // the progress line would be due at once
  ScratchDir dir;
  const std::string record = Etb("5|Bolt|Torque|40 Nm|Check|part.znd|0\n");
  const std::string file = dir.Write("t.etb", record + record + record);
  const std::string saved = dir.Write("saved.etb", "");
  const std::string store = file.substr(0, file.rfind('/')) + "/store.json";
  const std::string read = std::to_string(3 * record.size()) + " bytes 3 records";
  struct Case {
    std::string arguments;
    std::vector<std::string> phases;
    std::string mainPhase;
    std::string target;  // the file a save writes
  };
  const Case cases[] = {
      {"load '" + file + "' --json",
       {"module load", "fetch", "parse", "output", "teardown", "total"},
       "parse",
       ""},
      {"save '" + file + "' '" + saved + "'",
       {"module load", "fetch", "parse", "save records", "commit", "output", "teardown", "total"},
       "save records",
       saved},
      {"prefs import '" + file + "' --store '" + store + "'",
       {"module load", "fetch", "parse", "save records", "commit", "output", "teardown", "total"},
       "parse",
       store},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const testing_support::ToolRun run = Etbtool(c.arguments + " --stats");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Etbtool(c.arguments).out);
    const std::string& stderrText = run.err;
    EXPECT_EQ(stderrText.find('\r'), std::string::npos) << "a progress line on a file";
    const std::vector<Phase> phases = PhasesOf(stderrText);
    std::vector<std::string> names;
    double sum = 0;
    for (const Phase& phase : phases) {
      names.push_back(phase.name);
      if (phase.name != "total") sum += phase.seconds;
      if (phase.name == "parse") {
        EXPECT_EQ(phase.volume, read);
      }
      if (phase.name == "save records") {
        EXPECT_EQ(phase.volume,
                  std::to_string(testing_support::ReadFile(c.target).size()) + " bytes 3 records");
      }
      EXPECT_TRUE(phase.name != c.mainPhase || !phase.volume.empty()) << phase.name;
    }
    EXPECT_EQ(names, c.phases);
    ASSERT_FALSE(phases.empty());
    EXPECT_NEAR(sum, phases.back().seconds, 0.005 + phases.back().seconds / 10);
  }
}

}  // namespace

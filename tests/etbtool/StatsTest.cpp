// etbtool --stats: the phase lines on stderr, and no progress line when stderr is no terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
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

// The stats lines of `text`, failing the test on any other line. A line is
//   stats: NAME SECONDS s[ BYTES bytes RECORDS records RATE MB/s]
std::vector<Phase> PhasesOf(const std::string& text) {
  std::vector<Phase> phases;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
    const auto unit = std::find(w.begin() + std::min<std::size_t>(w.size(), 3), w.end(), "s");
    const std::size_t rest = std::size_t(w.end() - unit);
    const bool volume =
        rest == 7 && unit[2] == "bytes" && unit[4] == "records" && unit[6] == "MB/s";
    if (w.empty() || w[0] != "stats:" || unit == w.end() || (rest != 1 && !volume) ||
        unit[-1].find_first_not_of("0123456789.") != std::string::npos) {
      ADD_FAILURE() << "not a stats line: " << line;
      continue;
    }
    std::string name = w[1];
    for (auto word = w.begin() + 2; word < unit - 1; ++word) name += " " + *word;
    phases.push_back(
        {name, std::stod(unit[-1]), volume ? unit[1] + " bytes " + unit[3] + " records" : ""});
  }
  return phases;
}

// Each command's phases in order, none negative, the main one with the bytes and records it
// handled, stdout as without --stats, and no progress line: stderr is a file. How the times add
// up is the benchmark's to judge: a busy machine stretches any one of them.
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
    for (const Phase& phase : phases) {
      names.push_back(phase.name);
      EXPECT_GE(phase.seconds, 0.0) << phase.name;
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
  }
}

}  // namespace

// etbtool --stats: the phase lines on stderr, and no progress line when stderr is no terminal.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using testing_support::Etbtool;
using testing_support::ScratchDir;

const std::string S = "<@@>";

struct Phase {
  std::string name;
  double seconds;
  std::string volume;  // "BYTES bytes RECORDS records", or empty
};

// The stats lines of `text`, failing the test on any other line. A line is
//   stats: NAME SECONDS s [BYTES bytes RECORDS records RATE MB/s]
std::vector<Phase> PhasesOf(const std::string& text) {
  std::vector<Phase> phases;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    std::size_t unit = 2;  // the "s" after the seconds
    while (unit < w.size() && w[unit] != "s") ++unit;
    const bool volume = unit + 7 == w.size() && w[unit + 2] == "bytes" &&
                        w[unit + 4] == "records" && w[unit + 6] == "MB/s";
    if (w.size() < 4 || w[0] != "stats:" || (unit + 1 != w.size() && !volume) ||
        w[unit - 1].find_first_not_of("0123456789.") != std::string::npos) {
      ADD_FAILURE() << "not a stats line: " << line;
      continue;
    }
    std::string name = w[1];
    for (std::size_t i = 2; i + 1 < unit; ++i) name += " " + w[i];
    phases.push_back({name, std::stod(w[unit - 1]),
                      volume ? w[unit + 1] + " bytes " + w[unit + 3] + " records" : ""});
  }
  return phases;
}

// Runs etbtool with --stats, the progress line due at once; answers stdout, stderr goes to `err`.
std::string RunWithStats(const std::string& arguments, const std::string& err) {
  const std::string command = std::string("ETBTOOL_PROGRESS_AFTER_MS=0 ") + ETBTOOL_PATH + " " +
                              arguments + " --stats 2>'" + err + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
    out.append(buffer, got);
  }
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return out;
}

// Each command's phases in order, the main one with the bytes and records it handled, the
// phases adding up to the total, stdout as without --stats, and no progress line: stderr is a
// file.
TEST(EtbtoolStats, EveryCommandListsItsPhasesAfterItsOutput) {
  ScratchDir dir;
  const std::string record =
      "5" + S + "Bolt" + S + "Torque" + S + "40 Nm" + S + "Check" + S + "part.znd" + S + "0\n";
  const std::string file = dir.Write("t.etb", record + record + record);
  const std::string saved = dir.Write("saved.etb", "");
  const std::string err = dir.Write("err.txt", "");
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
    EXPECT_EQ(RunWithStats(c.arguments, err), Etbtool(c.arguments).out);
    const std::string stderrText = testing_support::ReadFile(err);
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
      if (phase.name == c.mainPhase) {
        EXPECT_FALSE(phase.volume.empty());
      }
    }
    EXPECT_EQ(names, c.phases);
    ASSERT_FALSE(phases.empty());
    EXPECT_NEAR(sum, phases.back().seconds, 0.005 + phases.back().seconds / 10);
  }
}

}  // namespace

// etbtool check: each trap named on its line, and held to the loader on random files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "EtbtoolRun.h"
#include "ScratchDir.h"

namespace {

using nlohmann::json;
using testing_support::Etb;
using testing_support::Etbtool;
using testing_support::ScratchDir;

const std::string S = "<@@>";
const std::string kRecord = Etb("5|Bolt|P|V|N|f.znd|0");

// "LINE:CODE" of every finding, in order.
std::vector<std::string> Findings(const json& document) {
  std::vector<std::string> found;
  for (const json& finding : document["findings"]) {
    found.push_back(std::to_string(finding["line"].get<int>()) + ":" +
                    finding["code"].get<std::string>());
  }
  return found;
}

TEST(EtbtoolCheck, NamesEachTrapOnItsLine) {
  const struct {
    std::string bytes;
    std::vector<std::string> findings;
    int status;
  } cases[] = {
      {kRecord + Etb("|0 a comment|2\n\n") + kRecord + "\n", {"2:blank-line"}, 0},
      {"\xEF\xBB\xBF" + kRecord + "\r\n", {"1:byte-order-mark", "1:line-end-return"}, 1},
      {Etb("1|2|3|4|5\n") + kRecord + "\n", {"1:short-line"}, 1},
      {kRecord + Etb("|1000\n") + kRecord + Etb("|x\n"),
       {"1:access-state-comment", "1:comment-lines", "2:swallowed-record", "2:number-form",
        "2:extra-columns"},
       1},
      {kRecord + Etb("|0 note\nmore\n"), {"1:comment-lines"}, 0},
      {Etb("+7x|a|b|c|d|f|99999999999|12 w|-1\n"),
       {"1:number-form", "1:number-overflow", "1:access-state-comment"},
       1},
      {kRecord + Etb("|0|2||tail\n") + kRecord + Etb("|0|0|x|y|z\n"),
       {"1:hidden-extra-text", "2:extra-columns"},
       1},
      {kRecord + Etb("|0 ok\x01|2|caf\xE9\n") + kRecord + std::string(1, '\0') + Etb("|0\n") +
           kRecord + "\rx\n",
       {"1:not-utf8", "2:nul-byte", "3:carriage-return", "3:number-form"},
       1},
      {Etb("1|a<@@b|c|d|e|x.ast|15\n2|a|b|c|View|v.zna|3\n"),
       {"1:separator-fragment", "1:ast-rewrite", "2:view-state"},
       1},
  };
  ScratchDir dir;
  bool fromStdin = false;
  for (const auto& test : cases) {
    const std::string file = dir.Write("t.etb", test.bytes);
    const std::string input = (fromStdin = !fromStdin) ? "- <'" + file + "'" : "'" + file + "'";
    const auto run = Etbtool("check " + input + " --json");
    EXPECT_EQ(run.status, test.status) << test.bytes;
    json document = json::parse(run.out);
    EXPECT_EQ(document["file"], fromStdin ? "<stdin>" : file);
    EXPECT_EQ(Findings(document), test.findings) << test.bytes;
    // One shown, all counted: the same summary and exit status.
    const auto capped = Etbtool("check " + input + " --json --max-findings 1");
    EXPECT_EQ(capped.status, test.status) << test.bytes;
    json cappedDocument = json::parse(capped.out);
    EXPECT_EQ(Findings(cappedDocument),
              std::vector<std::string>(test.findings.begin(), test.findings.begin() + 1));
    EXPECT_EQ(cappedDocument["summary"]["shown"], 1);
    cappedDocument["summary"]["shown"] = document["summary"]["shown"];
    EXPECT_EQ(cappedDocument["summary"], document["summary"]) << test.bytes;
  }

  const std::string longLine = dir.Write(
      "long.etb", kRecord + "\n" + kRecord + "|0 " + std::string(100, 'c') + "\n" + kRecord);
  setenv("ETBTOOL_MAX_LINE", "64", 1);
  const auto refused = Etbtool("check '" + longLine + "' --json");
  unsetenv("ETBTOOL_MAX_LINE");
  EXPECT_EQ(refused.status, 1);
  const json document = json::parse(refused.out);
  EXPECT_EQ(Findings(document), std::vector<std::string>{"2:line-too-long"});
  EXPECT_EQ(document["findings"][0]["level"], "error");
  EXPECT_EQ(document["summary"]["lines"], 2);
}

// What a user sees: the level on each line, the totals on stderr, the cap, the texts escaped.
TEST(EtbtoolCheck, SaysWhatAndHowMuchInText) {
  const std::string notesThenWarning = "\n" + kRecord + "\r\n" + Etb("1|2|3|4|5\n");
  const std::string lines =
      "%:1: note: blank-line: blank line (skipped)\n"
      "%:2: note: line-end-return: the line ends in a carriage return (this host's line reader "
      "drops it)\n"
      "%:3: warning: short-line: 4 separators; a record needs 6 (the line is skipped)\n";
  const std::string totals = "%: 0 errors, 1 warning, 2 notes in 3 lines";
  const std::string notUtf8 = Etb("5|B\xFF|P|V|N|f.znd|0|0 c\xFF\n");
  const std::string comment =
      "%:1: warning: not-utf8: the comment is not valid UTF-8 (kept as bytes; comments are never "
      "converted)\n";
  const struct {
    std::string bytes;
    std::string arguments;  // '%': the file
    std::string out;        // '%': the name shown
    std::string err;
    int status;
  } cases[] = {
      {notesThenWarning, "'%'", lines, totals + "\n", 1},
      {notesThenWarning, "- <'%' --max-findings 3", lines, totals + "\n", 1},
      {notesThenWarning, "'%' --max-findings 2", lines.substr(0, lines.rfind("%:3")),
       totals + "; 2 of 3 findings shown (--max-findings 2)\n", 1},
      {notesThenWarning, "'%' --max-findings 0", "",
       totals + "; 0 of 3 findings shown (--max-findings 0)\n", 1},
      {Etb("5\"'\\\x01|B|P|V|N|f.znd|0"), "- <'%'",
       "%:1: warning: number-form: column 1 (component id) '5\"\\'\\\\\\x01' is not a plain "
       "decimal number (read as 5)\n",
       "%: 0 errors, 1 warning, 0 notes in 1 line\n", 1},
      {notUtf8, "'%' --model p.ed", comment, "%: 0 errors, 1 warning, 0 notes in 1 line\n", 1},
      {notUtf8, "'%'",
       "%:1: warning: not-utf8: column 2 (component name) is not valid UTF-8 (kept as bytes; no "
       "ed/edz product converts it)\n" +
           comment,
       "%: 0 errors, 2 warnings, 0 notes in 1 line\n", 1},
      {"", "- <&-", "", "etbtool: cannot read <stdin>: standard input is closed\n", 2},
      {"", "- </", "", "etbtool: cannot read <stdin>: Is a directory\n", 2},
      // Etbtool() names the program first: an empty input (its totals on stdout), then a run
      // with a TMPDIR of its own.
      {"", "- </dev/null 2>&1; TMPDIR=/nonexistent-etbtool " ETBTOOL_PATH " check - </dev/null",
       "<stdin>: 0 errors, 0 warnings, 0 notes in 0 lines\n",
       "etbtool: cannot read <stdin>: no temporary copy in /nonexistent-etbtool: No such file "
       "or directory\n",
       2},
  };
  ScratchDir dir;
  const auto fill = [](std::string text, const std::string& with) {
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at)) {
      text.replace(at, 1, with);
      at += with.size();
    }
    return text;
  };
  for (const auto& test : cases) {
    const std::string file = dir.Write("t.etb", test.bytes);
    const std::string name = test.arguments[0] == '-' ? "<stdin>" : file;
    const auto run = Etbtool("check " + fill(test.arguments, file));
    EXPECT_EQ(run.status, test.status) << test.arguments;
    EXPECT_EQ(run.out, fill(test.out, name)) << test.arguments;
    EXPECT_EQ(run.err, fill(test.err, name)) << test.arguments;
  }
}

// A plain decimal number; anything else stays a text, which no loaded number equals.
json Number(const std::string& text) {
  std::size_t used = 0;
  try {
    const int value = std::stoi(text, &used);
    if (used == text.size() && text.find_first_of(" \t") == std::string::npos) return value;
  } catch (const std::logic_error&) {  // no digits, or out of range
  }
  return text;
}

// What a line says to a reader who knows nothing of the traps: columns at every separator,
// plain numbers, column 8 as a number or a digit, a blank and a comment.
json NaiveEntry(const std::string& line) {
  std::vector<std::string> columns;
  for (std::size_t from = 0;;) {
    const std::size_t at = line.find(S, from);
    columns.push_back(line.substr(from, at - from));
    if (at == std::string::npos) break;
    from = at + S.size();
  }
  if (columns.size() < 7) return nullptr;
  const auto text = [&](std::size_t i) {
    return i < columns.size() && !columns[i].empty() ? json(columns[i]) : json(nullptr);
  };
  const std::string access = columns.size() > 7 ? columns[7] : "0";
  const bool commented = access.size() >= 4;
  return {{"componentId", Number(columns[0])},
          {"componentName", columns[1]},
          {"propertyName", columns[2]},
          {"propertyValue", columns[3]},
          {"name", columns[4]},
          {"file", columns[5]},
          {"annotationType", Number(columns[6])},
          {"accessState", Number(commented ? access.substr(0, 1) : access)},
          {"secondState", columns.size() > 8 ? Number(columns[8]) : json(0)},
          {"comment", commented ? json(access.substr(2)) : json(nullptr)},
          {"extraText1", text(9)},
          {"extraText2", text(10)}};
}

// A random line: mostly well-formed records, with a trap now and then.
std::string RandomLine(std::mt19937& random) {
  const auto pick = [&random](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const std::vector<std::string> numbers = {"0", "5", "-4", "2", "12", "+3"};
  const std::vector<std::string> texts = {"Bolt", "a b", "caf\xC3\xA9", "", "x.znd", "v.zna"};
  const std::vector<std::string> traps = {
      "7x",   "",     " 5",   "99999999999", "1000",     "12 w", "0 a",
      "\r",   "\xFF", "a<@@", "@@>",         Etb("x|y"), "a\nb", std::string(1, '\0') + "z",
      "x.ast"};
  std::vector<std::string> columns = {pick(numbers)};
  for (int text = 0; text < 5; ++text) columns.push_back(pick(texts));
  columns.push_back(pick({"0", "2", "3", "15"}));
  const int tail = std::uniform_int_distribution<int>(0, 4)(random);
  if (tail > 0) columns.push_back(pick({"0", "2", "0 note", "1 two words"}));
  if (tail > 1) columns.push_back(pick(numbers));
  if (tail > 2) columns.push_back(pick(texts));
  if (tail > 3) columns.push_back(pick(texts));
  while (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
    const auto column = std::uniform_int_distribution<std::size_t>(0, columns.size())(random);
    column == columns.size() ? columns.pop_back() : void(columns[column] = pick(traps));
  }
  std::string line;
  for (const std::string& column : columns) line += (line.empty() ? "" : S) + column;
  return std::uniform_int_distribution<int>(0, 20)(random) == 0 ? "" : line;
}

// Whether `part` is `whole` with some items left out.
bool IsSubsequence(const json& part, const json& whole) {
  std::size_t at = 0;
  for (const json& item : whole) {
    if (at < part.size() && part[at] == item) ++at;
  }
  return at == part.size();
}

// Every line without a finding loads to what it says, and a file without findings to exactly
// what its lines say.
TEST(EtbtoolCheck, HeldToTheLoaderOnRandomFiles) {
  ScratchDir dir;
  std::mt19937 random(16);
  int clean = 0;
  constexpr int kFiles = 120;
  for (int round = 0; round < kFiles; ++round) {
    std::vector<std::string> lines;
    std::string bytes;
    for (int count = std::uniform_int_distribution<int>(1, 6)(random); count > 0; --count) {
      lines.push_back((lines.empty() && round % 10 == 0 ? "\xEF\xBB\xBF" : "") +
                      RandomLine(random));
      bytes += lines.back() + "\n";
    }
    const std::string file = dir.Write("r.etb", bytes);
    const auto check = Etbtool("check '" + file + "' --json");
    ASSERT_NE(check.status, 2) << check.err;
    const json findings = json::parse(check.out)["findings"];
    std::set<int> flagged;
    for (const json& finding : findings) flagged.insert(finding["line"].get<int>());

    json loaded = json::parse(Etbtool("load '" + file + "' --json").out)["entries"];
    for (json& entry : loaded) {
      for (const char* key : {"sessionAstFile", "isPreference", "hasColor", "color"}) {
        entry.erase(key);
      }
    }
    json said = json::array();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      json entry = NaiveEntry(lines[i]);
      if (!entry.is_null() && flagged.count(int(i) + 1) == 0) said.push_back(entry);
    }
    EXPECT_TRUE(IsSubsequence(said, loaded)) << bytes;
    if (flagged.empty()) {
      ++clean;
      EXPECT_EQ(loaded, said) << bytes;
    }
  }
  EXPECT_GT(clean, kFiles / 5) << "too few clean files to hold the checker to the loader";
  EXPECT_LT(clean, kFiles * 3 / 4) << "too few traps reach the checker";
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "ScratchDir.h"
#include "du/FileReader.h"
#include "du/LineReader.h"
#include "du/Symbol.h"
#include "standin/Ledger.h"

namespace {

TEST(Symbol, UnsetIsNotTheEmptyText) {
  const du::Symbol unset(static_cast<const char*>(nullptr));
  EXPECT_TRUE(unset.IsNull());
  EXPECT_EQ(unset.c_str(), nullptr);
  EXPECT_STREQ(unset.safe_c_str(), "");
  EXPECT_EQ(unset, du::Symbol());
  for (const du::Symbol& empty : {du::Symbol::EMPTY, du::Symbol(""), du::Symbol(std::string())}) {
    EXPECT_STREQ(empty.c_str(), "");  // not null
    EXPECT_NE(empty, unset);
    EXPECT_EQ(empty, du::Symbol::EMPTY);
  }
}

TEST(Symbol, KeepsEveryByteAndSubstrClamps) {
  const std::string bytes("a\0b\xff", 4);
  const du::Symbol symbol(bytes);
  EXPECT_EQ(symbol.length(), 4U);
  std::ostringstream printed;
  symbol.Print(printed);
  EXPECT_EQ(printed.str(), bytes);
  EXPECT_NE(symbol, du::Symbol("a"));  // a C string stops at the NUL
  for (const std::size_t pos : {0, 2, 4, 100}) {
    EXPECT_EQ(symbol.substr(pos, 3), bytes.substr(std::min(pos, bytes.size()), 3)) << pos;
  }
  EXPECT_EQ(du::Symbol().substr(0, 5), "");
}

// Copies share one text, and so do short texts made again while recent; long ones never do. Every
// text goes with its last holder (the test main checks that none is left).
TEST(Symbol, TextsAreSharedAndGoWithTheirLastHolder) {
  const long before = standin::LiveSymbolTexts();
  {
    du::Symbol first("Bracket left");
    du::Symbol copy(first);
    du::Symbol assigned;
    assigned = copy;
    EXPECT_EQ(du::Symbol(std::string("Bracket left")).c_str(), first.c_str());
    EXPECT_EQ(assigned.c_str(), first.c_str());
    EXPECT_NE(du::Symbol(std::string(65, 'l')).c_str(), du::Symbol(std::string(65, 'l')).c_str());
    EXPECT_EQ(standin::LiveSymbolTexts(), before + 1);
    const du::Symbol moved(std::move(copy));
    EXPECT_TRUE(copy.IsNull());  // NOLINT(bugprone-use-after-move): a moved-from symbol is unset
    first = du::Symbol();
    assigned = assigned;
    EXPECT_STREQ(assigned.c_str(), "Bracket left");
  }
}

// Far more distinct texts than the recent ones hold: those pushed out stay whole with their
// symbols, and after a long run of texts that never repeat, texts that do are shared again.
TEST(Symbol, TextsPushedOutOfTheRecentOnesStayWhole) {
  const auto text = [](int n) { return std::string(std::size_t(n % 65), '.') + std::to_string(n); };
  std::vector<du::Symbol> held;
  for (int n = 0; n < 300000; ++n) held.emplace_back(text(n));
  for (int n = 0; n < 300000; n += 2) held[std::size_t(n)] = du::Symbol();
  for (int n = 1; n < 300000; n += 2) ASSERT_EQ(held[std::size_t(n)].c_str(), text(n)) << n;
  for (int n = 0; n < 1500000; ++n) held.emplace_back("again");
  EXPECT_EQ(du::Symbol("again").c_str(), held.back().c_str());
}

// Lines whose first four texts never repeat and whose fifth always does: the fifth is still
// shared, one text for all of them, and the others stay whole.
TEST(Symbol, ATextThatRepeatsInItsColumnIsSharedAmongColumnsThatDoNot) {
  testing_support::ScratchDir dir;
  const std::string lines(20000, '\n');
  du::FileReader file;
  ASSERT_TRUE(file.Open(du::Symbol(dir.Write("lines", lines)), 0, 0));
  du::LineReader reader(&file, 0);
  std::vector<du::Symbol> unique;
  std::vector<du::Symbol> repeated;
  for (int n = 0; reader.ReadLine(); ++n) {
    for (int column = 0; column < 4; ++column) {
      unique.emplace_back("name " + std::to_string(n) + "." + std::to_string(column));
    }
    repeated.emplace_back(std::string("Bracket left"));
  }
  ASSERT_EQ(repeated.size(), 20000U);
  std::set<const char*> texts;
  for (std::size_t n = 10000; n < repeated.size(); ++n) texts.insert(repeated[n].c_str());
  EXPECT_EQ(texts.size(), 1U);
  EXPECT_STREQ(unique[4 * 19999 + 3].c_str(), "name 19999.3");
}

// Last releases race with lookups of the same few texts, and with pushes out of the recent ones
// by a range too large to stay recent. The test main checks that no text is left behind.
TEST(Symbol, ThreadsSharingTextsLeaveNoneBehind) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      std::vector<du::Symbol> mine(64);
      for (int i = 0; i < 50000; ++i) {
        du::Symbol few("few " + std::to_string((i * 7 + t) % 50));
        const std::string text = "t" + std::to_string((i * 7919 + t * 13) % 200000);
        mine[std::size_t(i) % mine.size()] = du::Symbol(text);
        ASSERT_EQ(du::Symbol(few).substr(0, 4), "few ");
        ASSERT_EQ(mine[std::size_t(i) % mine.size()].c_str(), text);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <thread>
#include <vector>

#include "du/Symbol.h"
#include "standin/Ledger.h"

namespace {

TEST(Symbol, UnsetIsNotTheEmptyText) {
  const du::Symbol unset;
  const du::Symbol fromNull(static_cast<const char*>(nullptr));
  for (const du::Symbol* symbol : {&unset, &fromNull}) {
    EXPECT_TRUE(symbol->IsNull());
    EXPECT_EQ(symbol->c_str(), nullptr);
    EXPECT_STREQ(symbol->safe_c_str(), "");
    EXPECT_EQ(symbol->length(), 0U);
  }
  for (const du::Symbol& empty : {du::Symbol::EMPTY, du::Symbol(""), du::Symbol(std::string())}) {
    EXPECT_FALSE(empty.IsNull());
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_NE(empty, unset);
    EXPECT_EQ(empty, du::Symbol::EMPTY);
  }
  EXPECT_EQ(unset, fromNull);
}

TEST(Symbol, KeepsEveryByteOfAStdString) {
  const std::string bytes("a\0b\xff", 4);
  const du::Symbol symbol(bytes);
  EXPECT_EQ(symbol.length(), 4U);
  EXPECT_EQ(symbol.substr(0), bytes);
  std::ostringstream printed;
  symbol.Print(printed);
  EXPECT_EQ(printed.str(), bytes);
  EXPECT_NE(symbol, du::Symbol("a"));  // a C string stops at the NUL
}

TEST(Symbol, SubstrClampsInsteadOfThrowing) {
  const du::Symbol text("abcdef");
  struct Case {
    std::size_t pos;
    std::size_t count;
    const char* expected;
  };
  for (const Case& c : {Case{0, 3, "abc"}, Case{2, std::string::npos, "cdef"}, Case{4, 10, "ef"},
                        Case{6, 1, ""}, Case{100, 1, ""}}) {
    EXPECT_EQ(text.substr(c.pos, c.count), c.expected) << c.pos << "," << c.count;
  }
  EXPECT_EQ(du::Symbol().substr(0, 5), "");
}

TEST(Symbol, CopiesShareOneTextAndAssignmentReplacesIt) {
  const long before = standin::LiveSymbolTexts();
  du::Symbol original("shared");
  du::Symbol copy(original);
  du::Symbol assigned;
  assigned = copy;
  EXPECT_EQ(standin::LiveSymbolTexts(), before + 1);
  EXPECT_EQ(copy.c_str(), original.c_str());

  du::Symbol moved(std::move(copy));
  EXPECT_TRUE(copy.IsNull());  // NOLINT(bugprone-use-after-move): a moved-from symbol is unset
  assigned = std::string("other");
  EXPECT_STREQ(assigned.c_str(), "other");
  assigned = static_cast<const char*>(nullptr);
  EXPECT_TRUE(assigned.IsNull());
  original = original;
  EXPECT_STREQ(original.c_str(), "shared");
  EXPECT_EQ(standin::LiveSymbolTexts(), before + 1);
}

TEST(Symbol, ShortTextsAreSharedAndGoWithTheirLastHolder) {
  const long before = standin::LiveSymbolTexts();
  const std::string longText(65, 'l');
  {
    du::Symbol first("Bracket left");
    du::Symbol second(std::string("Bracket left"));
    du::Symbol longOne(longText);
    du::Symbol longTwo(longText);
    EXPECT_EQ(first.c_str(), second.c_str()) << "one copy of a repeated short text";
    EXPECT_NE(longOne.c_str(), longTwo.c_str()) << "long texts are kept one per symbol";
    EXPECT_EQ(standin::LiveSymbolTexts(), before + 3);
    first = du::Symbol();
    EXPECT_STREQ(second.c_str(), "Bracket left");
  }
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
  EXPECT_STREQ(du::Symbol("Bracket left").c_str(), "Bracket left") << "made anew after";
}

// Far more distinct texts of every shared length (0 to 64 bytes) than the recent ones hold: the
// texts pushed out stay whole with their symbols, a text made again right after the last is
// shared, and every text goes with its last holder.
TEST(Symbol, TextsPushedOutOfTheRecentOnesStayWhole) {
  const long before = standin::LiveSymbolTexts();
  const auto text = [](int n) {
    std::string made;
    for (int rest = n; rest > 0 || made.empty(); rest /= 26) made += char('a' + rest % 26);
    made.resize(std::max(made.size(), std::size_t(n % 65)), '.');
    return made;
  };
  constexpr int kTexts = 300000;
  std::vector<du::Symbol> held;
  for (int n = 0; n < kTexts; ++n) {
    held.emplace_back(text(n));
    ASSERT_EQ(du::Symbol(text(n)).c_str(), held.back().c_str()) << "shared while recent: " << n;
  }
  EXPECT_EQ(standin::LiveSymbolTexts(), before + kTexts) << "every text is new";
  for (std::size_t n = 0; n < held.size(); n += 2) held[n] = du::Symbol();
  for (std::size_t n = 1; n < held.size(); n += 2) {
    ASSERT_EQ(std::string(held[n].c_str()), text(int(n))) << n;
    ASSERT_EQ(du::Symbol(text(int(n))), held[n]) << n;
  }
  EXPECT_EQ(standin::LiveSymbolTexts(), before + kTexts / 2);
  held.clear();
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
}

// A long run of texts that never repeat makes lookups rare; texts that repeat again, and are
// kept as a table keeps them, bring the lookups back, and with them the sharing.
TEST(Symbol, SharingComesBackWhenTextsRepeatAgain) {
  const long before = standin::LiveSymbolTexts();
  for (int n = 0; n < 200000; ++n) EXPECT_FALSE(du::Symbol("unique " + std::to_string(n)).IsNull());
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
  std::vector<du::Symbol> kept;
  for (int n = 0; n < 1500000; ++n) kept.emplace_back("again");
  EXPECT_EQ(du::Symbol("again").c_str(), kept.back().c_str());
  EXPECT_EQ(du::Symbol("once more").c_str(), du::Symbol("once more").c_str());
  kept.clear();
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
}

// Threads make texts of a few recent ones and of a range too large to stay recent, and give
// back copies of texts made by other threads, so that pushes out of a bucket race with last
// releases and with lookups.
TEST(Symbol, ThreadsPushingTextsOutRaceWithReleases) {
  const long before = standin::LiveSymbolTexts();
  {
    std::vector<du::Symbol> common;
    for (int i = 0; i < 1000; ++i) common.emplace_back("common " + std::to_string(i));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([t, &common] {
        std::vector<du::Symbol> mine(64);
        for (int i = 0; i < 50000; ++i) {
          const std::string text = "t" + std::to_string((i * 7919 + t * 13) % 200000);
          mine[std::size_t(i) % mine.size()] = du::Symbol(text);
          du::Symbol copy(common[std::size_t(i * 31 + t) % common.size()]);
          ASSERT_EQ(du::Symbol(text), mine[std::size_t(i) % mine.size()]);
          ASSERT_EQ(copy.substr(0, 7), "common ");
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
}

TEST(Symbol, ThreadsSharingTextsLeaveNoneBehind) {
  const long before = standin::LiveSymbolTexts();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 20000; ++i) {
        du::Symbol made("text " + std::to_string((i * 7 + t) % 50));
        du::Symbol copy(made);
        EXPECT_EQ(copy.substr(0, 5), "text ");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(standin::LiveSymbolTexts(), before);
}

}  // namespace

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "du/Symbol.h"
#include "etb/BufferedOutput.h"

namespace {

// Pieces of every short length and some long ones, through each of the three ways in (the
// stream's write, Append, a symbol's Print), arrive whole and in order, also across the
// buffer's block boundary.
TEST(BufferedOutput, PassesEveryPieceOnInOrder) {
  std::ostringstream target;
  std::string expected;
  {
    etb::BufferedOutput out(target);
    for (int round = 0; round < 400; ++round) {
      for (std::size_t length : {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 300}) {
        std::string piece(length, char('a' + (round + int(length)) % 26));
        piece.insert(0, std::to_string(round).substr(0, length));
        piece.resize(length);
        switch ((round + int(length)) % 3) {
          case 0:
            out.write(piece.data(), std::streamsize(piece.size()));
            break;
          case 1:
            out.Append(piece.data(), piece.size());
            break;
          default:
            du::Symbol(piece).Print(out);
        }
        expected += piece;
      }
    }
    const std::string large(100000, 'L');
    out.Append(large.data(), large.size());
    expected += large;
    EXPECT_TRUE(out.good());
  }
  EXPECT_GT(expected.size(), std::size_t{1} << 17);
  EXPECT_EQ(target.str(), expected);
}

TEST(BufferedOutput, AFailedPassOnMarksTheTarget) {
  std::ostringstream target;
  target.setstate(std::ios_base::failbit);
  {
    etb::BufferedOutput out(target);
    out.write("record\n", 7);
  }
  EXPECT_TRUE(target.bad());
}

}  // namespace

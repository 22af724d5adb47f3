// The exchange table and the capture estimate built on it.
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "test_util.h"

namespace {

TEST(See, AttackByteHelpers) {
  struct Case {
    int byte;
    int least;
    int next;
  };
  const Case cases[] = {
      {0x0A, 1, 0x09},    // two pawns: one pawn left
      {0x09, 1, 0x00},    // one pawn: nothing left
      {0x1A, 1, 0x11},    // pawn and minor: the minor remains
      {0x1B, 1, 0x1A},    // three attackers, two classes: the pawn class stays
      {0x11, 3, 0x00},    // one minor
      {0x12, 3, 0x11},    // two minors
      {0x61, 5, 0x40},    // rook and queen, one attacker counted: queen class left
      {0x62, 5, 0x41},    // rook then queen
      {0x81, 100, 0x00},  // the king alone
      {0x00, 10, 0x00},   // no class at all counts as a queen
      {0x07, 10, 0x06},   // count without classes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeastAttackerValue[c.byte], c.least) << std::hex << c.byte;
    if (c.byte & ATTACK_COUNT) {
      EXPECT_EQ(NextAttackByte[c.byte], c.next) << std::hex << c.byte;
    }
  }
  EXPECT_EQ(NextAttackByte[0xFF], 0);
}

TEST(See, TableEntries) {
  testEngine();  // the exchange table is built at start-up
  const int values[] = {1, 3, 3, 5, 10, 100};
  for (int kind = PAWN; kind <= KING; ++kind) {
    EXPECT_EQ(seeEntry(kind, 0, 0), values[kind - 1]);
    // Undefended: the full value whatever attacks; unattacked but defended: 0.
    EXPECT_EQ(seeEntry(kind, 0, 0x81), values[kind - 1]);
    EXPECT_EQ(seeEntry(kind, 0x09, 0), 0);
  }
  // Knight takes rook, pawn takes knight, bishop takes pawn: 5 - 3 + 1 = 3.
  EXPECT_EQ(seeEntry(ROOK, 0x09, 0x12), 3);
  EXPECT_EQ(swapGain(0x12, 0x09, 5), 3);
  // A king never captures into a recapture.
  EXPECT_EQ(seeEntry(PAWN, 0x09, 0x81), 0);
  EXPECT_EQ(seeEntry(QUEEN, 0x81, 0x81), 0);
  // Every entry lies within 0..100, and the knight and bishop blocks agree.
  for (int kind = PAWN; kind <= KING; ++kind)
    for (int i = 0; i < 65536; i += 7) {
      EXPECT_GE(SeeTable[kind - 1][i], 0);
      EXPECT_LE(SeeTable[kind - 1][i], 100);
    }
  EXPECT_TRUE(SeeTable[KNIGHT - 1] == SeeTable[BISHOP - 1]);
}

TEST(See, ExchangeValueOfCaptures) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    const char* move;
    int value;
  };
  const Case cases[] = {
      {"r6k/8/8/8/8/8/8/R6K w - - 0 1", "a1a8", 5},         // nothing defends the rook
      {"7k/8/3p4/4p3/8/8/4Q3/K7 w - - 0 1", "e2e5", -9},    // queen takes a pawn-defended pawn
      {"7k/8/3p4/4n3/3P4/8/8/K7 w - - 0 1", "d4e5", 2},     // pawn takes a pawn-defended knight
      {"7k/8/3p4/4r3/8/3N2B1/8/K7 w - - 0 1", "d3e5", 3},   // knight takes, the bishop backs it up
      {"7k/8/3p4/4r3/8/6B1/8/K7 w - - 0 1", "g3e5", 2},     // bishop takes the rook, pawn recaptures
      {"4r2k/8/8/4p3/8/8/4R3/K3R3 w - - 0 1", "e2e5", -4},  // the rook behind is not seen through
  };
  for (const Case& c : cases) {
    loadFen(c.fen);
    evaluate(pos, ev);
    const Move m = textToMove(pos, c.move);
    ASSERT_NE(m, 0u) << c.fen;
    EXPECT_EQ(exchangeValue(pos, ev, m), c.value) << c.fen << " " << c.move;
  }
  // En passant: nothing stands on the target square, so a defended target
  // costs the capturing pawn and gains nothing; an undefended one is 0.
  for (const auto& [fen, value] : {std::pair{"7k/8/8/8/2pP4/8/4P3/K7 b - d3 0 1", -1},
                                   std::pair{"7k/8/8/8/2pP4/8/8/K7 b - d3 0 1", 0}}) {
    loadFen(fen);
    evaluate(pos, ev);
    const Move ep = textToMove(pos, "c4d3");
    ASSERT_TRUE(ep & MOVE_EN_PASSANT) << fen;
    EXPECT_EQ(exchangeValue(pos, ev, ep), value) << fen;
  }
}

}  // namespace

// Pawn structure, the wing tables and passed pawns.
#include "eval_helpers.h"
#include "positions.h"

using evaltest::load;

namespace {

using positions::START;

struct Sums {
  int mg, eg;
};

// WHITE's and BLACK's sums after the pawn pass alone.
std::array<Sums, 2> pawnSums(const char* fen, int material) {
  EXPECT_TRUE(load(fen, material)) << fen;
  const Position& pos = testEngine().pos;
  EvalData& ev = testEval();
  clearEvaluation(pos, ev);
  evalPawns(pos, ev);
  return {Sums{ev.mgScore[WHITE], ev.egScore[WHITE]}, Sums{ev.mgScore[BLACK], ev.egScore[BLACK]}};
}

TEST(Pawns, StructureSums) {
  struct Case {
    const char* fen;
    int material;  // -1: from the board
    int colour;
    int mg, eg;
  };
  const Case cases[] = {
      // Start position: sixteen pawns with no penalties, equal sums.
      {START, -1, WHITE, 800 - 36, 800 - 64},
      {START, -1, BLACK, 800 - 36, 800 - 64},
      // An isolated d4 (held back by d7): 115 - 7 and 100 - 14.
      {"4k3/3p4/8/8/3P4/8/8/4K3 w - - 0 1", -1, WHITE, 108, 86},
      // c4 level with d4 supports it and is supported.
      {"4k3/3p4/8/8/2PP4/8/8/4K3 w - - 0 1", -1, WHITE, 224, 200},
      // c3 behind d4 supports it, but c3 itself has no support.
      {"4k3/3p4/8/8/3P4/2P5/8/4K3 w - - 0 1", -1, WHITE, 209, 182},
      // c5 ahead of d4 does not support it.
      {"4k3/3p4/8/2P5/3P4/8/8/4K3 w - - 0 1", -1, WHITE, 212, 190},
      // Tripled on d: 3 x (4, 7) doubled plus 3 x (7, 14) unsupported.
      {"4k3/3p4/8/8/3P4/3P4/3P4/4K3 w - - 0 1", -1, WHITE, 305 - 12 - 21, 288 - 21 - 42},
      // A pawn on the seventh is never unsupported; passed: 90 + 36 - 54.
      {"k7/3pP3/8/8/8/8/8/4K3 w - - 0 1", -1, WHITE, 110 + 36, 112 + 72},
      // Free passed e6 with plenty of material: 55 to the end game, 27 to the middle game.
      {"4k3/8/4P3/8/8/8/8/4K3 w - - 0 1", 5000, WHITE, 101 + 27, 94 + 55},
      {"4k3/4n3/4P3/8/8/8/8/4K3 w - - 0 1", 5000, WHITE, 101 + 13, 94 + 27},
      // Side by side on d5 and e5: 35 + 70 each.
      {"4k3/8/8/3PP3/8/8/8/4K3 w - - 0 1", 5000, WHITE, 216 + 104, 208 + 210},
      // Wing tables on opposite wings; default otherwise.
      {"1k6/8/8/8/8/8/5P2/6K1 w - - 0 1", -1, WHITE, 100 + 9 - 7 + 4, 92 - 14 + 8},
      {"6k1/8/8/8/8/8/2P5/1K6 w - - 0 1", -1, WHITE, 100 + 10 - 7 + 4, 92 - 14 + 8},
      {"1k6/8/8/8/8/8/5P2/4K3 w - - 0 1", -1, WHITE, 100 - 2 - 7 + 4, 92 - 14 + 8},
      {"6k1/8/8/8/8/8/5P2/6K1 w - - 0 1", -1, WHITE, 100 - 2 - 7 + 4, 92 - 14 + 8},
      {"1k6/2p5/8/8/8/8/8/6K1 w - - 0 1", -1, BLACK, 100 + 10 - 7 + 4, 92 - 14 + 8},
      {"6k1/5p2/8/8/8/8/8/1K6 w - - 0 1", -1, BLACK, 100 + 9 - 7 + 4, 92 - 14 + 8},
  };
  for (const Case& c : cases) {
    const auto sums = pawnSums(c.fen, c.material);
    EXPECT_EQ(sums[c.colour].mg, c.mg) << c.fen;
    EXPECT_EQ(sums[c.colour].eg, c.eg) << c.fen;
  }
}

TEST(Pawns, FileArrays) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  ASSERT_TRUE(load("4k3/pp2p2p/1p6/8/3P4/8/P3P1P1/4K3 w - - 0 1"));
  clearEvaluation(pos, ev);
  evalPawns(pos, ev);
  using Row = std::array<std::int16_t, 10>;
  const PawnEntry& e = *ev.pawnEntry;
  EXPECT_EQ(e.pawnsOnFile[WHITE], (Row{0, 1, 0, 0, 1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(e.pawnsOnFile[BLACK], (Row{0, 1, 2, 0, 0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(e.whiteRearmost, (Row{6, 1, 6, 6, 3, 1, 6, 1, 6, 6}));
  EXPECT_EQ(e.blackRearmost, (Row{1, 6, 6, 1, 1, 6, 1, 1, 6, 1}));
  EXPECT_EQ(ev.pawnCount[WHITE], 4);
  EXPECT_EQ(ev.pawnCount[BLACK], 5);
}

TEST(Pawns, PassedPawnValue) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    int material;
    int square;
    int colour;
    int value;
  };
  const Case cases[] = {
      {"4k3/8/8/4P3/8/8/8/3KR3 w - - 0 1", 5000, 0x44, WHITE, 35 + 20},   // own rook behind
      {"4k3/8/8/4P3/8/8/8/3Kr3 w - - 0 1", 5000, 0x44, WHITE, 35 - 20},   // enemy rook behind
      {"4k3/8/8/4P3/8/4N3/8/3KR3 w - - 0 1", 5000, 0x44, WHITE, 35},      // a piece between
      {"4k3/8/4n3/4P3/8/8/8/4K3 w - - 0 1", 5000, 0x44, WHITE, 17},       // blocked: half
      {"4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1", 5000, 0x44, WHITE, 35 + 70},  // supported from d4
      {"4k3/8/8/4P3/5P2/8/8/4K3 w - - 0 1", 5000, 0x44, WHITE, 35 + 70},  // supported from f4
      {"4k3/8/8/3PP3/8/8/8/4K3 w - - 0 1", 5000, 0x44, WHITE, 35 + 70},   // beside
      {"4k3/8/8/4P3/8/3P4/8/4K3 w - - 0 1", 5000, 0x44, WHITE, 35},       // too far behind
      {"k7/8/8/4P3/3K4/8/8/8 w - - 0 1", -1, 0x44, WHITE, 35 + 14 - 3},   // king distances
      {"k7/8/8/4P3/3K4/8/8/8 w - - 0 1", 2730, 0x44, WHITE, 35},          // only below 2730
      {"k7/8/8/4P3/3K4/8/8/8 w - - 0 1", 2729, 0x44, WHITE, 35 + 14 - 3},
      {"3rk3/8/8/8/3p4/8/8/4K3 w - - 0 1", 5000, 0x33, BLACK, 35 + 20},  // BLACK: rook behind is above
      {"4k3/8/8/8/8/8/1p6/4K3 w - - 0 1", 5000, 0x11, BLACK, 90},
      {"4k3/8/8/8/8/8/1p6/1N2K3 w - - 0 1", 5000, 0x11, BLACK, 45},
      {"4k3/8/8/8/8/2p5/1p6/4K3 w - - 0 1", 5000, 0x11, BLACK, 90 + 180},  // c3 beside-behind for BLACK
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(load(c.fen, c.material)) << c.fen;
    clearEvaluation(pos, ev);
    EXPECT_EQ(passedPawnValue(pos, c.square, c.square >> 4, c.colour), c.value) << c.fen;
  }
}

}  // namespace

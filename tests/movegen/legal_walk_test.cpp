// Leaf counts of the legal move tree against published reference numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "test_util.h"

namespace {

struct WalkCase {
  const char* fen;
  std::vector<std::uint64_t> leaves;  // depth 1 first
};

const std::vector<WalkCase>& walkCases() {
  static const std::vector<WalkCase> cases = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {20, 400, 8902, 197281, 4865609}},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862, 4085603}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624}},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333}},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487}},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P3/P1NP1N1P/1PP1QPP1/R4RK1 w - - 0 10", {48, 1885, 84956, 3197465}},
  };
  return cases;
}

// Every depth but the deepest of each position.
TEST(LegalWalk, ShallowDepthsMatchReferenceCounts) {
  Position& pos = testEngine().pos;
  for (const WalkCase& c : walkCases()) {
    for (std::size_t d = 1; d < c.leaves.size(); ++d) {
      loadFen(c.fen);
      EXPECT_EQ(legalWalk(pos, static_cast<int>(d)), c.leaves[d - 1]) << c.fen << " depth " << d;
    }
  }
}

TEST(LegalWalkSlow, DeepestDepthMatchesReferenceCount) {
  Position& pos = testEngine().pos;
  for (const WalkCase& c : walkCases()) {
    loadFen(c.fen);
    const int d = static_cast<int>(c.leaves.size());
    EXPECT_EQ(legalWalk(pos, d), c.leaves.back()) << c.fen << " depth " << d;
  }
}

// The incremental key and the piece lists stay in step with the board.
TEST(LegalWalk, PositionStaysConsistentToDepthThree) {
  Position& pos = testEngine().pos;
  for (const WalkCase& c : walkCases()) {
    loadFen(c.fen);
    EXPECT_EQ(legalWalk(pos, 3, true), c.leaves[2]) << c.fen;
  }
}

// Make then unmake of every generated move restores board and position.
TEST(LegalWalk, MakeUnmakeRestoresEverything) {
  Position& pos = testEngine().pos;
  for (const WalkCase& c : walkCases()) {
    loadFen(c.fen);
    const Position before = pos;
    for (const Move m : generatedMoves(pos, generateMoves)) {
      makeMove(pos, m);
      EXPECT_EQ(pos.searchPly, 1);
      EXPECT_EQ(pos.gamePly, before.gamePly + 1);
      unmakeMove(pos, m);
      const std::string text = moveToText(m).text;
      // The lists may come back in another order, holding the same squares.
      EXPECT_TRUE(sameState(pos, before, true)) << c.fen << " " << text;
      EXPECT_TRUE(positionIsConsistent(pos)) << text;
    }
  }
}

}  // namespace

// Leaf counts of the legal move tree against published reference numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "positions.h"
#include "test_util.h"

namespace {

using positions::PerftCase;
using positions::perftCases;

// Every depth but the deepest of each position.
TEST(LegalWalk, ShallowDepthsMatchReferenceCounts) {
  Position& pos = testEngine().pos;
  for (const PerftCase& c : perftCases()) {
    for (std::size_t d = 1; d < c.leaves.size(); ++d) {
      loadFen(c.fen);
      EXPECT_EQ(legalWalk(pos, static_cast<int>(d)), c.leaves[d - 1]) << c.fen << " depth " << d;
    }
  }
}

TEST(LegalWalkSlow, DeepestDepthMatchesReferenceCount) {
  Position& pos = testEngine().pos;
  for (const PerftCase& c : perftCases()) {
    loadFen(c.fen);
    const int d = static_cast<int>(c.leaves.size());
    EXPECT_EQ(legalWalk(pos, d), c.leaves.back()) << c.fen << " depth " << d;
  }
}

// The incremental key and the piece lists stay in step with the board.
TEST(LegalWalk, PositionStaysConsistentToDepthThree) {
  Position& pos = testEngine().pos;
  for (const PerftCase& c : perftCases()) {
    loadFen(c.fen);
    EXPECT_EQ(legalWalk(pos, 3, true), c.leaves[2]) << c.fen;
  }
}

// Make then unmake of every generated move restores board and position.
TEST(LegalWalk, MakeUnmakeRestoresEverything) {
  Position& pos = testEngine().pos;
  for (const PerftCase& c : perftCases()) {
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

// The shortcut legality tests agree with the full attack test.
#include <gtest/gtest.h>

#include "positions.h"
#include "test_util.h"

namespace {

// For every pseudo-legal move of the current position and of the positions
// one legal move later: the one-line test after the move (also with the
// opponent's map of the evaluation before it) and the pin tests before it
// (one move, or the pins of the position) give the full test's answer.
void compareAll(Position& pos, int depth, int& compared) {
  const bool inCheck = kingInCheck(pos, pos.side);
  const int king = kingSquare(pos, pos.side);
  PinSteps pins;
  findPins(pos, pins);
  EvalData& ev = testEval();
  evaluate(pos, ev);
  const AttackWord* enemyAttacks = ev.currentAttackMap[pos.xside];
  for (const Move m : generatedMoves(pos, generateMoves)) {
    const bool shortcut = !inCheck && !(m & MOVE_EN_PASSANT) && moveOrigin(m) != king;
    const bool pinned = shortcut && movesPinnedPiece(pos, m);
    if (shortcut) {
      EXPECT_EQ(leavesPinLine(pins, king, m), pinned) << currentFen(pos) << " " << moveToText(m).text;
    }
    makeMove(pos, m);
    const bool full = kingInCheck(pos, pos.xside);
    EXPECT_EQ(moverLeftInCheck(pos, m, inCheck), full) << currentFen(pos) << " " << moveToText(m).text;
    EXPECT_EQ(moverLeftInCheck(pos, m, inCheck, enemyAttacks), full)
        << currentFen(pos) << " " << moveToText(m).text;
    if (shortcut) {
      EXPECT_EQ(pinned, full) << moveToText(m).text;
    }
    ++compared;
    if (!full && depth > 1) compareAll(pos, depth - 1, compared);
    unmakeMove(pos, m);
  }
}

TEST(Legality, ShortcutsAgreeWithTheAttackTest) {
  std::vector<const char*> fens = {
      "4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1",
      "4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1",
      "4k3/8/8/8/K2pP2r/8/8/8 b - e3 0 1",
  };
  for (const positions::PerftCase& c : positions::perftCases()) fens.push_back(c.fen);
  int compared = 0;
  for (const char* fen : fens) {
    compareAll(loadFen(fen), 3, compared);
  }
  EXPECT_GT(compared, 150000) << compared;
}

TEST(Legality, PinSamples) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    const char* move;
    int pinned;
  };
  const Case cases[] = {
      {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2d3", 1},  // leaves the file
      {"4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2e5", 0},  // stays on it
      {"4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2e7", 0},  // takes the pinner
      {"4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2d2", 1},
      {"4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1", "d2b3", 1},    // diagonal pin
      {"4k3/8/8/b7/8/2P5/3N4/4K3 w - - 0 1", "d2b3", 0},  // shielded by the pawn
      {"4k3/8/8/r7/8/8/3N4/4K3 w - - 0 1", "d2b3", 0},    // a rook does not pin on a diagonal
  };
  for (const Case& c : cases) {
    loadFen(c.fen);
    const Move m = textToMove(pos, c.move);
    ASSERT_NE(m, 0u) << c.fen;
    EXPECT_EQ(movesPinnedPiece(pos, m), c.pinned) << c.fen << " " << c.move;
  }
}

}  // namespace

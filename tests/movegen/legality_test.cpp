// The shortcut legality tests agree with the full attack test.
#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// For every pseudo-legal move of the current position and of the positions
// one legal move later: the one-line test after the move and the pin test
// before it give the full test's answer.
void compareAll(Position& pos, int depth, int& compared) {
  const bool inCheck = kingInCheck(pos, pos.side);
  const int king = kingSquare(pos, pos.side);
  for (const Move m : generatedMoves(pos, generateMoves)) {
    const bool shortcut = !inCheck && !(m & MOVE_EN_PASSANT) && moveOrigin(m) != king;
    const bool pinned = shortcut && movesPinnedPiece(pos, m);
    makeMove(pos, m);
    const bool full = kingInCheck(pos, pos.xside);
    EXPECT_EQ(moverLeftInCheck(pos, m, inCheck), full) << currentFen(pos) << " " << moveToText(m).text;
    if (shortcut) {
      EXPECT_EQ(pinned, full) << moveToText(m).text;
    }
    ++compared;
    if (!full && depth > 1) compareAll(pos, depth - 1, compared);
    unmakeMove(pos, m);
  }
}

TEST(Legality, ShortcutsAgreeWithTheAttackTest) {
  const char* fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1",
      "4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1",
      "4k3/8/8/8/K2pP2r/8/8/8 b - e3 0 1",
  };
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

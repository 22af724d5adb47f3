// Make and unmake: saved state, rights, material, lists and history.
#include <gtest/gtest.h>

#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

Move findMove(const char* text) {
  const Move m = textToMove(testEngine().pos, text);
  EXPECT_NE(m, 0u) << text;
  return m;
}

TEST(MakeMove, DoubleStepAndQuietMove) {
  Position& pos = testEngine().pos;
  loadFen(START);
  const Move e4 = findMove("e2e4");
  makeMove(pos, e4);
  EXPECT_EQ(pos.epSquare, 0x24);
  EXPECT_EQ(pos.fifty, 0);
  EXPECT_EQ(pos.side, BLACK);
  EXPECT_EQ(pos.history[1].move, e4);
  EXPECT_EQ(pos.history[1].key, pos.key);
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, e4);

  const Move nf3 = findMove("g1f3");
  makeMove(pos, nf3);
  EXPECT_EQ(pos.fifty, 1);
  EXPECT_EQ(pos.epSquare, EP_NONE);
  unmakeMove(pos, nf3);
}

TEST(MakeMove, CastlingMovesTheRookAndClearsRights) {
  Position& pos = testEngine().pos;
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  const Move oo = findMove("e1g1");
  makeMove(pos, oo);
  EXPECT_EQ(pos.board[SQ_F1], pieceCode(WHITE, ROOK));
  EXPECT_EQ(pos.board[SQ_H1], EMPTY);
  EXPECT_EQ(pos.board[SQ_G1], pieceCode(WHITE, KING));
  EXPECT_EQ(pos.castleRights, CASTLE_BK | CASTLE_BQ);
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, oo);
  EXPECT_EQ(pos.board[SQ_H1], pieceCode(WHITE, ROOK));

  pos.searchPly = 0;
  pos.side = BLACK;
  pos.xside = WHITE;
  pos.key = computeKey(pos);
  const Move ooo = findMove("e8c8");
  makeMove(pos, ooo);
  EXPECT_EQ(pos.board[SQ_D8], pieceCode(BLACK, ROOK));
  EXPECT_EQ(pos.board[SQ_A8], EMPTY);
  EXPECT_EQ(pos.castleRights, CASTLE_WK | CASTLE_WQ);
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, ooo);
}

TEST(MakeMove, RookCaptureAtHomeClearsThatRight) {
  Position& pos = testEngine().pos;
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_EQ(pos.material, 2 * 530 * 2);  // counted by the set-up
  const Move rxh8 = findMove("h1h8");
  makeMove(pos, rxh8);
  EXPECT_EQ(pos.castleRights, CASTLE_WQ | CASTLE_BQ);
  EXPECT_EQ(pos.material, 2 * 530 * 2 - 530);
  EXPECT_EQ(pos.undo[0].captured, pieceCode(BLACK, ROOK));
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, rxh8);
  EXPECT_EQ(pos.material, 2 * 530 * 2);
  EXPECT_EQ(listSquares(pos, pieceCode(BLACK, ROOK)).front(), "h8");  // the captured piece comes back first
}

TEST(MakeMove, PromotionCaptureListsAndMaterial) {
  Position& pos = testEngine().pos;
  loadFen("1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(pos.material, 100 + 330);
  const Move axb8q = findMove("a7b8q");
  EXPECT_EQ(axb8q, makeMoveValue(0x60, 0x71, MOVE_PAWN | MOVE_CAPTURE | MOVE_PROMO_QUEEN));
  makeMove(pos, axb8q);
  EXPECT_EQ(pos.material, 100 + 330 - 330 + 950);
  EXPECT_TRUE(listSquares(pos, pieceCode(WHITE, PAWN)).empty());
  EXPECT_EQ(listSquares(pos, pieceCode(WHITE, QUEEN)), (std::vector<std::string>{"b8"}));
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, axb8q);
  EXPECT_EQ(listSquares(pos, pieceCode(WHITE, PAWN)), (std::vector<std::string>{"a7"}));
  EXPECT_EQ(listSquares(pos, pieceCode(BLACK, KNIGHT)), (std::vector<std::string>{"b8"}));
  EXPECT_TRUE(listSquares(pos, pieceCode(WHITE, QUEEN)).empty());
  EXPECT_EQ(pos.material, 100 + 330);
}

TEST(MakeMove, EnPassantCapture) {
  Position& pos = testEngine().pos;
  loadFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
  makeMove(pos, findMove("d7d5"));
  EXPECT_EQ(pos.epSquare, 0x53);
  pos.searchPly = 0;
  const Move ep = findMove("e5d6");
  EXPECT_EQ(ep, makeMoveValue(0x44, 0x53, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT));
  makeMove(pos, ep);
  EXPECT_EQ(pos.board[0x43], EMPTY);
  EXPECT_EQ(pos.undo[0].captured, pieceCode(BLACK, PAWN));
  EXPECT_EQ(pos.material, 100);
  EXPECT_TRUE(positionIsConsistent(pos));
  unmakeMove(pos, ep);
  EXPECT_EQ(pos.board[0x43], pieceCode(BLACK, PAWN));
  EXPECT_EQ(pos.board[0x44], pieceCode(WHITE, PAWN));
  EXPECT_TRUE(positionIsConsistent(pos));
}

TEST(MakeMove, KeyReturnsWithThePosition) {
  Position& pos = testEngine().pos;
  loadFen(START);
  const std::uint64_t start = pos.key;
  for (const char* text : {"g1f3", "g8f6", "f3g1", "f6g8"}) {
    makeMove(pos, findMove(text));
  }
  EXPECT_EQ(pos.key, start);
  EXPECT_EQ(pos.gamePly, 4);
  EXPECT_EQ(pos.history[4].key, start);
}

}  // namespace

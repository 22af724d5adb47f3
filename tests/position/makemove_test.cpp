// Make and unmake: saved state, rights, material, lists and history.
#include <gtest/gtest.h>

#include "test_util.h"

namespace {

Move findMove(const char* text) {
  const Move m = textToMove(text);
  EXPECT_NE(m, 0u) << text;
  return m;
}

TEST(MakeMove, DoubleStepAndQuietMove) {
  loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const Move e4 = findMove("e2e4");
  makeMove(e4);
  EXPECT_EQ(Pos.epSquare, 0x24);
  EXPECT_EQ(Pos.fifty, 0);
  EXPECT_EQ(Pos.side, BLACK);
  EXPECT_EQ(GameHistory[1].move, e4);
  EXPECT_EQ(GameHistory[1].key, Pos.key);
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(e4);

  const Move nf3 = findMove("g1f3");
  makeMove(nf3);
  EXPECT_EQ(Pos.fifty, 1);
  EXPECT_EQ(Pos.epSquare, EP_NONE);
  unmakeMove(nf3);
}

TEST(MakeMove, CastlingMovesTheRookAndClearsRights) {
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  const Move oo = findMove("e1g1");
  makeMove(oo);
  EXPECT_EQ(Board[SQ_F1], pieceCode(WHITE, ROOK));
  EXPECT_EQ(Board[SQ_H1], EMPTY);
  EXPECT_EQ(Board[SQ_G1], pieceCode(WHITE, KING));
  EXPECT_EQ(Pos.castleRights, CASTLE_BK | CASTLE_BQ);
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(oo);
  EXPECT_EQ(Board[SQ_H1], pieceCode(WHITE, ROOK));

  searchPly = 0;
  Pos.side = BLACK;
  Pos.xside = WHITE;
  computeKey();
  const Move ooo = findMove("e8c8");
  makeMove(ooo);
  EXPECT_EQ(Board[SQ_D8], pieceCode(BLACK, ROOK));
  EXPECT_EQ(Board[SQ_A8], EMPTY);
  EXPECT_EQ(Pos.castleRights, CASTLE_WK | CASTLE_WQ);
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(ooo);
}

TEST(MakeMove, RookCaptureAtHomeClearsThatRight) {
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  Ply[0].material = 2 * 530 * 2;
  const Move rxh8 = findMove("h1h8");
  makeMove(rxh8);
  EXPECT_EQ(Pos.castleRights, CASTLE_WQ | CASTLE_BQ);
  EXPECT_EQ(Ply[1].material, 2 * 530 * 2 - 530);
  EXPECT_EQ(Ply[0].captured, pieceCode(BLACK, ROOK));
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(rxh8);
  EXPECT_EQ(listSquares(pieceCode(BLACK, ROOK)).front(), "h8");  // the captured piece comes back first
}

TEST(MakeMove, PromotionCaptureListsAndMaterial) {
  loadFen("1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  Ply[0].material = 100 + 330;
  const Move axb8q = findMove("a7b8q");
  EXPECT_EQ(axb8q, makeMoveValue(0x60, 0x71, MOVE_PAWN | MOVE_CAPTURE | MOVE_PROMO_QUEEN));
  makeMove(axb8q);
  EXPECT_EQ(Ply[1].material, 100 + 330 - 330 + 950);
  EXPECT_TRUE(listSquares(pieceCode(WHITE, PAWN)).empty());
  EXPECT_EQ(listSquares(pieceCode(WHITE, QUEEN)), (std::vector<std::string>{"b8"}));
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(axb8q);
  EXPECT_EQ(listSquares(pieceCode(WHITE, PAWN)), (std::vector<std::string>{"a7"}));
  EXPECT_EQ(listSquares(pieceCode(BLACK, KNIGHT)), (std::vector<std::string>{"b8"}));
  EXPECT_TRUE(listSquares(pieceCode(WHITE, QUEEN)).empty());
}

TEST(MakeMove, EnPassantCapture) {
  loadFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
  makeMove(findMove("d7d5"));
  EXPECT_EQ(Pos.epSquare, 0x53);
  searchPly = 0;
  const Move ep = findMove("e5d6");
  EXPECT_EQ(ep, makeMoveValue(0x44, 0x53, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT));
  makeMove(ep);
  EXPECT_EQ(Board[0x43], EMPTY);
  EXPECT_EQ(Ply[0].captured, pieceCode(BLACK, PAWN));
  EXPECT_TRUE(positionIsConsistent());
  unmakeMove(ep);
  EXPECT_EQ(Board[0x43], pieceCode(BLACK, PAWN));
  EXPECT_EQ(Board[0x44], pieceCode(WHITE, PAWN));
  EXPECT_TRUE(positionIsConsistent());
}

TEST(MakeMove, KeyReturnsWithThePosition) {
  loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const std::uint64_t start = Pos.key;
  for (const char* text : {"g1f3", "g8f6", "f3g1", "f6g8"}) {
    makeMove(findMove(text));
  }
  EXPECT_EQ(Pos.key, start);
  EXPECT_EQ(Pos.gamePly, 4);
  EXPECT_EQ(GameHistory[4].key, start);
}

}  // namespace

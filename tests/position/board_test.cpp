// Board layout, piece lists, constant tables and move text.
#include <gtest/gtest.h>

#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

TEST(Board, ResetLeavesBorderOffboardAndSquaresEmpty) {
  Position& pos = testEngine().pos;
  resetPosition(pos);
  for (int i = -64; i < 192; ++i) {
    if (i >= 0 && i < 128 && isSquare(i))
      EXPECT_EQ(pos.board[i], EMPTY) << i;
    else
      EXPECT_EQ(pos.board[i], OFFBOARD) << i;
  }
  for (int code = 0; code < 16; ++code) EXPECT_EQ(firstOfList(pos, code), LIST_END);
  EXPECT_EQ(pos.epSquare, EP_NONE);
  loadFen(START);
}

TEST(Board, StartPositionListOrder) {
  Position& pos = testEngine().pos;
  loadFen(START);
  EXPECT_EQ(listSquares(pos, pieceCode(WHITE, PAWN)),
            (std::vector<std::string>{"h2", "g2", "f2", "e2", "d2", "c2", "b2", "a2"}));
  EXPECT_EQ(listSquares(pos, pieceCode(WHITE, KING)), (std::vector<std::string>{"e1"}));
  EXPECT_EQ(listSquares(pos, pieceCode(BLACK, KNIGHT)), (std::vector<std::string>{"g8", "b8"}));
  EXPECT_EQ(listSquares(pos, pieceCode(WHITE, ROOK)), (std::vector<std::string>{"h1", "a1"}));
  EXPECT_EQ(listSquares(pos, pieceCode(BLACK, PAWN)),
            (std::vector<std::string>{"h7", "g7", "f7", "e7", "d7", "c7", "b7", "a7"}));
}

TEST(Tables, KingDistanceSamples) {
  struct Case {
    const char* a;
    const char* b;
    int d;
  };
  for (const Case& c : {Case{"a1", "h8", 7}, Case{"e4", "e4", 0}, Case{"a1", "b3", 2}, Case{"h1", "a1", 7},
                        Case{"d4", "e5", 1}, Case{"c7", "f2", 5}}) {
    EXPECT_EQ(KingDistance[squareFromName(c.a)][squareFromName(c.b)], c.d) << c.a << c.b;
  }
}

TEST(Tables, SquareRelationSamples) {
  struct Case {
    const char* a;
    const char* b;
    int flags;
    int step;
  };
  const Case cases[] = {
      {"e1", "e8", REL_ORTH | REL_LINE, 16},
      {"e8", "e1", REL_ORTH | REL_LINE, -16},
      {"a1", "h8", REL_DIAG | REL_LINE, 17},
      {"b1", "c3", REL_KNIGHT, 0},
      {"e4", "d5", REL_KING | REL_DIAG | REL_LINE | REL_WPAWN, 15},
      {"a2", "b3", REL_KING | REL_DIAG | REL_LINE | REL_WPAWN, 17},
      {"a2", "b1", REL_KING | REL_DIAG | REL_LINE | REL_BPAWN, -15},
      {"a1", "b1", REL_KING | REL_ORTH | REL_LINE, 1},
      {"h1", "a2", 0, 0},
      {"e4", "e4", 0, 0},
  };
  for (const Case& c : cases) {
    const Relation r = SquareRelation[squareFromName(c.a)][squareFromName(c.b)];
    EXPECT_EQ(r.flags, c.flags) << c.a << c.b;
    EXPECT_EQ(r.step, c.step) << c.a << c.b;
  }
  // Off-board indices carry no relation.
  EXPECT_EQ(SquareRelation[0x08][0x00].flags, 0);
  EXPECT_EQ(SquareRelation[0x00][0x18].flags, 0);
}

TEST(Tables, RelationMaskMatchesAttacks) {
  // A piece on b attacks a exactly when the relation of (a, b) has its mask bit.
  const int e4 = squareFromName("e4");
  EXPECT_TRUE(SquareRelation[squareFromName("d5")][e4].flags & RelationMask[pieceCode(WHITE, PAWN)]);
  EXPECT_FALSE(SquareRelation[squareFromName("d3")][e4].flags & RelationMask[pieceCode(WHITE, PAWN)]);
  EXPECT_TRUE(SquareRelation[squareFromName("d3")][e4].flags & RelationMask[pieceCode(BLACK, PAWN)]);
  EXPECT_TRUE(SquareRelation[squareFromName("f6")][e4].flags & RelationMask[pieceCode(BLACK, KNIGHT)]);
  EXPECT_TRUE(SquareRelation[squareFromName("a8")][e4].flags & RelationMask[pieceCode(WHITE, QUEEN)]);
  EXPECT_FALSE(SquareRelation[squareFromName("a8")][e4].flags & RelationMask[pieceCode(WHITE, ROOK)]);
}

TEST(Tables, RelativeRankAndKeysDistinct) {
  EXPECT_EQ(RelativeRank[WHITE][0x64], 6);
  EXPECT_EQ(RelativeRank[BLACK][0x64], 1);
  EXPECT_EQ(RelativeRank[WHITE][0x08], 0);
  std::vector<std::uint64_t> keys;
  for (int code : {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14})
    for (int s = 0; s < 128; ++s)
      if (isSquare(s)) keys.push_back(PieceKey[code][s]);
  for (std::uint64_t k : CastleKey) keys.push_back(k);
  keys.push_back(SideKey);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

TEST(MoveText, BothWays) {
  Position& pos = testEngine().pos;
  loadFen(START);
  EXPECT_STREQ(moveToText(makeMoveValue(0x14, 0x34, MOVE_PAWN)).text, "e2e4");
  EXPECT_STREQ(moveToText(makeMoveValue(SQ_E1, SQ_G1, MOVE_CASTLE)).text, "e1g1");
  EXPECT_STREQ(moveToText(0).text, "a1a1");
  EXPECT_STREQ(moveToText(makeMoveValue(0x60, 0x71, MOVE_PAWN | MOVE_CAPTURE | MOVE_PROMO_KNIGHT)).text,
               "a7b8n");

  EXPECT_EQ(textToMove(pos, "e2e4"), makeMoveValue(0x14, 0x34, MOVE_PAWN));
  EXPECT_EQ(textToMove(pos, "e2e4x"), makeMoveValue(0x14, 0x34, MOVE_PAWN));
  EXPECT_EQ(textToMove(pos, "g1f3"), makeMoveValue(0x06, 0x25, 0));
  for (const char* bad : {"E2E4", "e2e9", "i2i4", "e2", "", "e2e5", "e2e4q", "a1a1"})
    EXPECT_EQ(textToMove(pos, bad), 0u) << bad;

  loadFen("4k3/4P3/8/8/8/8/8/R3K2R w KQ - 0 1");
  EXPECT_EQ(textToMove(pos, "e1g1"), makeMoveValue(SQ_E1, SQ_G1, MOVE_CASTLE));
  EXPECT_STREQ(moveToText(textToMove(pos, "e1g1")).text, "e1g1");
  loadFen("8/4P3/8/8/8/8/k7/4K3 w - - 0 1");
  const Move queen = makeMoveValue(0x64, 0x74, MOVE_PAWN | MOVE_PROMO_QUEEN);
  EXPECT_EQ(textToMove(pos, "e7e8q"), queen);
  EXPECT_EQ(textToMove(pos, "e7e8Q"), queen);
  EXPECT_EQ(textToMove(pos, "e7e8n"), makeMoveValue(0x64, 0x74, MOVE_PAWN | MOVE_PROMO_KNIGHT));
  EXPECT_EQ(textToMove(pos, "e7e8"), 0u);
}

}  // namespace

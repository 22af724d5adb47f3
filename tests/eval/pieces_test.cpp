// Attack maps and piece terms.
#include <algorithm>
#include <cstring>
#include <vector>

#include "eval_helpers.h"
#include "positions.h"

using evaltest::evalFen;
using evaltest::load;

namespace {

using positions::KIWIPETE;
using positions::START;

// The perft positions and these.
std::vector<const char*> mapFens() {
  std::vector<const char*> fens = {
      "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
      "7B/B7/8/1N3N2/Q7/2P1P2k/8/3R3K w - - 0 1",
      "K7/8/8/8/8/8/8/7k b - - 0 1",
  };
  for (const positions::PerftCase& c : positions::perftCases()) fens.push_back(c.fen);
  return fens;
}

// The byte a square should carry, from the relation table rather than the
// evaluation's own ray walks.
int expectedByte(const Position& pos, int square, int colour) {
  int count = 0, classes = 0;
  for (int kind = PAWN; kind <= KING; ++kind) {
    const int code = pieceCode(colour, kind);
    for (int s = firstOfList(pos, code); s < LIST_END; s = pos.lists[s].next) {
      const Relation rel = SquareRelation[square][s];
      if (!(rel.flags & RelationMask[code])) continue;
      bool clear = true;
      if (kind == BISHOP || kind == ROOK || kind == QUEEN)
        for (int t = square + rel.step; t != s; t += rel.step) clear = clear && pos.board[t] == EMPTY;
      if (!clear) continue;
      ++count;
      classes |= AttackClassBit[kind];
    }
  }
  return classes | std::min(count, 7);
}

TEST(AttackMaps, AgreeWithRelationTableAndAttackTest) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  for (const char* fen : mapFens()) {
    evalFen(fen);
    for (int c = WHITE; c <= BLACK; ++c)
      for (int s = 0; s < 128; ++s) {
        if (!isSquare(s)) continue;
        const int byte = attackByte(ev.currentAttackMap[c][s]);
        EXPECT_EQ(byte, expectedByte(pos, s, c)) << fen << " colour " << c << " square " << s;
        if (s != kingSquare(pos, c)) {
          EXPECT_EQ(byte != 0, isAttacked(pos, s, c) != 0) << fen << " square " << s;
        }
      }
  }
}

TEST(AttackMaps, KnownBytes) {
  EvalData& ev = testEval();
  struct Case {
    const char* fen;
    int colour;
    int square;
    int byte;
  };
  const Case cases[] = {
      {"4k3/8/8/8/1N2P3/8/8/4K3 w - - 0 1", WHITE, 0x43, 0x1A},          // pawn and knight on d5
      {"4k3/8/8/8/8/8/R7/R3K3 w - - 0 1", WHITE, 0x40, 0x21},            // beyond the front rook: one
      {"4k3/8/8/8/8/8/R7/R3K3 w - - 0 1", WHITE, 0x10, 0x21},            // the front rook, from the rear one
      {"4k3/8/8/8/8/8/R7/R3K3 w - - 0 1", WHITE, SQ_D1, 0xA2},           // rook along rank 1 and the king
      {"7B/B7/8/1N3N2/Q7/2P1P2k/8/3R3K w - - 0 1", WHITE, 0x33, 0x7F},   // eight attackers: count stays 7
      {"7B/B7/8/1N1K1N2/Q7/2P1P2k/8/3R4 w - - 0 1", WHITE, 0x33, 0xFF},  // nine, king among them
      {START, WHITE, 0x22, 0x1B},                                        // c3: b2, d2, b1
      {START, BLACK, 0x54, 0x0A},                                        // e6: d7, f7
  };
  for (const Case& c : cases) {
    evalFen(c.fen);
    EXPECT_EQ(attackByte(ev.currentAttackMap[c.colour][c.square]), c.byte) << c.fen << " square " << c.square;
  }
}

TEST(AttackMaps, CornerKingMarksThreeSquares) {
  EvalData& ev = testEval();
  for (auto& colourMaps : ev.attackMaps[0]) colourMaps.fill(0);
  evalFen("K7/8/8/8/8/8/8/7k b - - 0 1");
  int onBoard = 0;
  for (int s = 0; s < 128; ++s)
    if (isSquare(s) && (attackByte(ev.currentAttackMap[BLACK][s]) & ATTACK_KING)) ++onBoard;
  EXPECT_EQ(onBoard, 3);
  EXPECT_EQ(attackByte(ev.currentAttackMap[BLACK][SQ_H1 + 1]),
            0x81);                                                      // off the board, between the ranks
  EXPECT_EQ(attackByte(ev.currentAttackMap[BLACK][SQ_H1 - 16]), 0x81);  // before square 0, never cleared
  EXPECT_EQ(attackByte(ev.currentAttackMap[WHITE][SQ_A8 + 16]), 0x81);  // past square 127
}

TEST(AttackMaps, SlackOutsideTheBoardIsNeverRead) {
  EvalData& ev = testEval();
  // Garbage in every map word before the evaluation changes neither the
  // score nor any on-board word; the slack beyond 0..127 keeps its garbage.
  for (const char* fen : mapFens()) {
    for (auto& colourMaps : ev.attackMaps[0]) colourMaps.fill(0);
    const int clean = evalFen(fen);
    const auto cleanMaps = ev.attackMaps[0];
    for (auto& colourMaps : ev.attackMaps[0]) colourMaps.fill(0x5F5F);
    EXPECT_EQ(evalFen(fen), clean) << fen;
    for (int c = WHITE; c <= BLACK; ++c) {
      for (int s = 0; s < 128; ++s)
        if (isSquare(s)) {
          EXPECT_EQ(ev.attackMaps[0][c][s + 64], cleanMaps[c][s + 64]) << fen;
        }
      EXPECT_EQ(ev.attackMaps[0][c][0], 0x5F5F);    // index -64
      EXPECT_EQ(ev.attackMaps[0][c][255], 0x5F5F);  // index 191
    }
  }
}

TEST(AttackMaps, DeeperPlyLeavesShallowerMapsAlone) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  ASSERT_TRUE(load(KIWIPETE));
  evaluate(pos, ev);
  const auto before = ev.attackMaps[0];
  const std::vector<Move> moves = generatedMoves(pos, generateMoves);
  ASSERT_FALSE(moves.empty());
  for (Move m : moves) {
    makeMove(pos, m);
    evaluate(pos, ev);
    EXPECT_EQ(ev.currentAttackMap[WHITE], ev.attackMaps[1][WHITE].data() + 64);
    unmakeMove(pos, m);
    EXPECT_TRUE(ev.attackMaps[0] == before) << moveToText(m).text;
  }
}

TEST(Pieces, Counters) {
  struct Case {
    const char* fen;
    std::array<int, 12> counts;  // P N B R Q pieces, WHITE then BLACK
  };
  const Case cases[] = {
      {START, {8, 2, 2, 2, 1, 7, 8, 2, 2, 2, 1, 7}},
      {KIWIPETE, {8, 2, 2, 2, 1, 7, 8, 2, 2, 2, 1, 7}},
      {"rnbqkbnr/pppppppp/8/8/8/QQQ5/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {8, 2, 2, 2, 4, 10, 8, 2, 2, 2, 1, 7}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {3, 0, 0, 1, 0, 1, 3, 0, 0, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    evalFen(c.fen);
    const EvalData& r = testEval();
    for (int colour = WHITE; colour <= BLACK; ++colour) {
      const int* want = c.counts.data() + 6 * colour;
      EXPECT_EQ(r.pawnCount[colour], want[0]) << c.fen;
      EXPECT_EQ(r.knightCount[colour], want[1]) << c.fen;
      EXPECT_EQ(r.bishopCount[colour], want[2]) << c.fen;
      EXPECT_EQ(r.rookCount[colour], want[3]) << c.fen;
      EXPECT_EQ(r.queenCount[colour], want[4]) << c.fen;
      EXPECT_EQ(r.pieceCount[colour], want[5]) << c.fen;
    }
  }
}

TEST(Pieces, ImmobileBishop) {
  EvalData& ev = testEval();
  // Bishop a1 behind its b2 pawn: 330 + 2 - 15; pawn 92 - 14 + passed 7;
  // kings 9990 each. Its four marks are b2 and three off-board indices.
  for (auto& colourMaps : ev.attackMaps[0]) colourMaps.fill(0);
  EXPECT_EQ(evalFen("4k3/8/8/8/8/8/1P6/B3K3 w - - 0 1"), 402);
  std::vector<int> minorMarks;
  for (int i = -64; i < 192; ++i)
    if (attackByte(ev.currentAttackMap[WHITE][i]) & ATTACK_MINOR) minorMarks.push_back(i);
  EXPECT_EQ(minorMarks, (std::vector<int>{-17, -15, 15, 17}));
}

// Difference in one colour's middle-game sum between two positions.
int mgDelta(const char* with, const char* without, int colour) {
  const EvalData& ev = testEval();
  evalFen(with);
  const int a = ev.mgScore[colour];
  evalFen(without);
  return a - ev.mgScore[colour];
}

TEST(Pieces, TermsOfOnePiece) {
  struct Case {
    const char* with;
    const char* without;
    int colour;
    int delta;
  };
  const Case cases[] = {
      // Rook a1 boxed in by its king on a2, mobility 7 (12): 530 - 1 + 12 plus the file term.
      {"4k3/8/8/8/8/8/K7/R7 w - - 0 1", "4k3/8/8/8/8/8/K7/8 w - - 0 1", WHITE, 541 + 15},
      {"4k3/8/8/p7/8/8/K7/R7 w - - 0 1", "4k3/8/8/p7/8/8/K7/8 w - - 0 1", WHITE, 541 + 5},
      {"4k3/8/8/P7/8/8/K7/R7 w - - 0 1", "4k3/8/8/P7/8/8/K7/8 w - - 0 1", WHITE, 541},
      {"r7/k7/8/P7/8/8/8/4K3 w - - 0 1", "8/k7/8/P7/8/8/8/4K3 w - - 0 1", BLACK, 541 + 5},
      // Second bishop h1 with mobility 7 (24): 330 + 2 + 24 and the pair, 3 per missing pawn.
      {"4k3/8/8/8/8/8/8/B3K2B w - - 0 1", "4k3/8/8/8/8/8/8/B3K3 w - - 0 1", WHITE, 356 + 48},
      {"4k3/pppppppp/8/8/8/8/PPPPPPPP/B3K2B w - - 0 1", "4k3/pppppppp/8/8/8/8/PPPPPPPP/B3K3 w - - 0 1", WHITE,
       330 + 2 - 15},
      {"4k3/4ppp1/8/8/8/8/1PPP4/B3K2B w - - 0 1", "4k3/4ppp1/8/8/8/8/1PPP4/B3K3 w - - 0 1", WHITE, 356 + 30},
      // Knight d5: 330 + 10, and 18 more when a pawn guards it; a knight guard does not count.
      {"4k3/8/8/3N4/4P3/8/8/4K3 w - - 0 1", "4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", WHITE, 340 + 18},
      {"4k3/8/8/3N4/2P5/8/8/4K3 w - - 0 1", "4k3/8/8/8/2P5/8/8/4K3 w - - 0 1", WHITE, 340 + 18},
      {"4k3/8/8/3N4/5N2/8/8/4K3 w - - 0 1", "4k3/8/8/8/5N2/8/8/4K3 w - - 0 1", WHITE, 340},
      {"4k3/8/8/3N4/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", WHITE, 340},
      {"4k3/8/8/4p3/3n4/8/8/4K3 w - - 0 1", "4k3/8/8/4p3/8/8/8/4K3 w - - 0 1", BLACK, 340 + 18},
      // Queen d4, no mobility term: 1050 + 8.
      {"4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", WHITE, 1058},
  };
  for (const Case& c : cases) EXPECT_EQ(mgDelta(c.with, c.without, c.colour), c.delta) << c.with;
}

TEST(Pieces, RookOnSeventhIsAnEndgameTerm) {
  EvalData& ev = testEval();
  // Everything else goes to both sums alike; the king contributes its
  // end-game minus middle-game square value (e1: -10 - -5).
  struct Case {
    const char* fen;
    int colour;
    int egMinusMg;
  };
  const Case cases[] = {
      {"4k3/R7/8/8/8/8/8/4K3 w - - 0 1", WHITE, 30 - 5}, {"8/R7/4k3/8/8/8/8/4K3 w - - 0 1", WHITE, 10 - 5},
      {"4k3/8/R7/8/8/8/8/4K3 w - - 0 1", WHITE, -5},     {"4k3/8/8/8/8/8/r7/4K3 w - - 0 1", BLACK, 30 - 5},
      {"4k3/8/8/8/8/8/r7/3K4 w - - 0 1", BLACK, 30 - 5}, {"4k3/8/8/8/8/2K5/r7/8 w - - 0 1", BLACK, 10 - 5},
  };
  for (const Case& c : cases) {
    evalFen(c.fen);
    EXPECT_EQ(ev.egScore[c.colour] - ev.mgScore[c.colour], c.egMinusMg) << c.fen;
  }
}

}  // namespace

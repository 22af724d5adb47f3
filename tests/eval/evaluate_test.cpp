// Whole-evaluation scores: known positions, the draw rule, the phase blend
// and colour symmetry.
#include <vector>

#include "eval_helpers.h"
#include "positions.h"

using evaltest::evalFen;
using evaltest::flipFen;
using evaltest::load;

namespace {

using positions::KIWIPETE;
using positions::START;

TEST(Evaluate, KnownScores) {
  struct Case {
    const char* fen;
    int score;
  };
  const Case cases[] = {
      {START, 0},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", -47},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 86},
      {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", -86},
  };
  for (const Case& c : cases) EXPECT_EQ(evalFen(c.fen), c.score) << c.fen;
}

TEST(Evaluate, MaterialIsReadNotRecomputed) {
  // The pawn ending scored as if a middle game were on: 100 shelter-free
  // material means the king terms must switch on and change the score.
  const char* fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
  EXPECT_EQ(evalFen(fen), 86);
  EXPECT_NE(evalFen(fen, FULL_MATERIAL), 86);
}

TEST(Evaluate, DrawRuleForBareMinors) {
  struct Case {
    const char* fen;
    bool drawn;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},     {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", true},
      {"8/8/3k4/8/8/1B6/8/7K b - - 0 1", true},    {"7k/8/8/8/8/8/8/Kb6 w - - 0 1", true},
      {"4k3/8/2n5/8/8/5N2/8/4K3 w - - 0 1", true}, {"n6k/8/8/8/3N4/8/8/K7 b - - 0 1", true},
      {"4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", true},  {"8/2b5/8/4k3/8/2K5/6B1/8 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", false},   {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/3QK3 b - - 0 1", false},   {"4k3/8/8/8/8/8/7P/2B1K3 w - - 0 1", false},
      {"4k3/p7/8/8/8/8/8/4K3 w - - 0 1", false},   {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
  };
  for (const Case& c : cases) {
    const int score = evalFen(c.fen);
    if (c.drawn)
      EXPECT_EQ(score, 0) << c.fen;
    else
      EXPECT_NE(score, 0) << c.fen;
  }
}

TEST(Evaluate, BlendTruncatesTowardZero) {
  struct Case {
    int material, mg, eg, score;
  };
  const Case cases[] = {
      {8460, 123, -77, 123},
      {2730, 123, -77, -77},
      {100, 123, -77, -77},
      {2731, -5729, 0, 0},
      {2731, -5730, 0, -1},
      {2731, 5729, 0, 0},
      {5595, 100, 0, 50},
      {5595, -101, 0, -50},
      {5595, 0, -101, -50},
      {5595, 40, 60, 50},
      {11610, 10, 0, 15},
      {11610, 0, 100, -54},
      // Beyond 32 bits (dozens of queens): clamped short of the mate scores.
      {60000, 50000, 0, 32567},
      {60000, -50000, 0, -32567},
      {60000, 0, 0, 0},
      {60000, 40000, 44000, 4020},
  };
  for (const Case& c : cases)
    EXPECT_EQ(blendPhase(c.material, c.mg, c.eg), c.score) << c.material << " " << c.mg << " " << c.eg;
}

TEST(Evaluate, PhaseEndsUseOneAccumulator) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  // At full material the score is the middle-game difference; at 2730 the
  // end-game difference.
  const char* fens[] = {KIWIPETE, "r1bq1rk1/pp2bppp/2n2n2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 b - - 0 10",
                        "8/5k2/3p4/1p1Pp2p/pP2Pp1P/P4P1K/8/8 b - - 0 1"};
  for (const char* fen : fens) {
    const int full = evalFen(fen, FULL_MATERIAL);
    const int sign = pos.side == WHITE ? 1 : -1;
    EXPECT_EQ(full, sign * (ev.mgScore[WHITE] - ev.mgScore[BLACK])) << fen;
    EXPECT_NE(ev.mgScore[WHITE] - ev.mgScore[BLACK], ev.egScore[WHITE] - ev.egScore[BLACK]) << fen;
    const int end = evalFen(fen, ENDGAME_MATERIAL);
    EXPECT_EQ(end, sign * (ev.egScore[WHITE] - ev.egScore[BLACK])) << fen;
  }
}

// Positions with no white king on b1 and no black king on b8, whose king
// square values differ between the colours.
const char* const SymmetryFens[] = {
    START,
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    KIWIPETE,
    "r1bq1rk1/pp2bppp/2n2n2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 w - - 0 10",
    "2kr3r/ppp2ppp/2n5/3q4/8/5N2/PPP2PPP/R2Q1RK1 b - - 0 12",
    "6k1/pp3ppp/2p5/8/3P4/1P6/P4PPP/1R4K1 w - - 0 1",
    "8/5k2/3p4/1p1Pp2p/pP2Pp1P/P4P1K/8/8 b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "rnbqkbnr/pppppppp/8/8/8/QQQ5/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "8/8/3k4/8/8/1B6/8/7K b - - 0 1",
    "1r4k1/4Rppp/8/3N4/8/6P1/5P1P/6K1 w - - 0 1",
};

TEST(Evaluate, ColourFlipGivesTheSameScore) {
  for (const char* fen : SymmetryFens) {
    const int score = evalFen(fen);
    const std::string flipped = flipFen(fen);
    EXPECT_EQ(evalFen(flipped.c_str()), score) << fen << " / " << flipped;
  }
}

// Set-ups no game reaches: a file of eight pawns beside the king, and a
// board of queens whose blend exceeds 32 bits. Both stay in range and
// colour-symmetric.
TEST(Evaluate, HostileSetUpsStayInRange) {
  struct Case {
    const char* fen;
    int score;  // 0: only the range and the symmetry are known
  };
  const Case cases[] = {
      {"P5qk/P7/P7/P7/P7/P7/P7/PKQ5 w - - 0 1", 0},
      {"k7/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQK b - - 0 1", -32567},
  };
  for (const Case& c : cases) {
    const int score = evalFen(c.fen);
    EXPECT_LE(score, 32567) << c.fen;
    EXPECT_GE(score, -32567) << c.fen;
    if (c.score != 0) {
      EXPECT_EQ(score, c.score) << c.fen;
    }
    const std::string flipped = flipFen(c.fen);
    EXPECT_EQ(evalFen(flipped.c_str()), score) << c.fen;
  }
}

TEST(Evaluate, SideToMoveOnlyTurnsTheSign) {
  for (const char* fen : SymmetryFens) {
    std::string other = fen;
    const std::size_t side = other.find(' ') + 1;
    other[side] = other[side] == 'w' ? 'b' : 'w';
    other.replace(other.find(' ', side + 2) + 1, std::string::npos, "- 0 1");  // no en-passant square
    const int score = evalFen(fen);
    EXPECT_EQ(evalFen(other.c_str()), -score) << fen;
  }
}

// Everything evaluate leaves behind: score, sums, counters and map bytes.
struct EvalState {
  int score;
  std::array<std::int32_t, 2> mg, eg;
  std::array<std::int32_t, 2> pawns, pieces;
  std::array<std::array<std::int16_t, 10>, 2> files;
  std::array<std::array<AttackWord, 128>, 2> maps;
  bool operator==(const EvalState&) const = default;
};

// The state as it stands, with the score given.
EvalState keptState(const EvalData& ev, int score) {
  EvalState st{};
  st.score = score;
  st.mg = ev.mgScore;
  st.eg = ev.egScore;
  st.pawns = ev.pawnCount;
  st.pieces = ev.pieceCount;
  st.files = ev.pawnEntry->pawnsOnFile;
  for (int c = WHITE; c <= BLACK; ++c)
    for (int s = 0; s < 128; ++s) st.maps[c][s] = isSquare(s) ? ev.currentAttackMap[c][s] : 0;
  return st;
}

EvalState evalState(const Position& pos, EvalData& ev) {
  const int score = evaluate(pos, ev);
  return keptState(ev, score);
}

// Kept state (the pawn table, filled along the way by other pawn
// placements, make's incremental values, and the evaluation a null move
// takes over) against an evaluation from nothing, at every node of
// pseudo-random games.
TEST(Evaluate, KeptStateMatchesAFreshEvaluationAlongRandomGames) {
  Position& pos = testEngine().pos;
  EvalData& ev = testEval();
  const char* fens[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", KIWIPETE,
                        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "8/P1k5/8/3pP3/8/8/1p4K1/8 w - d6 0 1"};
  std::uint32_t seed = 12345;
  int nodes = 0, cacheHits = 0;
  for (const char* fen : fens) {
    for (int game = 0; game < 12; ++game) {
      ASSERT_TRUE(load(fen));
      for (int ply = 0; ply < 40; ++ply) {
        // A score the cache holds for this position (from an earlier game:
        // games from one start share their first moves) is the one evaluate
        // gives now, signed for the side to move.
        int known = 0;
        const bool hit = cachedEvaluation(pos, ev, known);
        const EvalState warm = evalState(pos, ev);
        if (hit) {
          ++cacheHits;
          ASSERT_EQ(known, warm.score) << fen << " ply " << ply;
        }
        ASSERT_TRUE(cachedEvaluation(pos, ev, known));
        ASSERT_EQ(known, warm.score) << fen << " ply " << ply;
        // Recalled with that score: the same maps, counters and pawn entry,
        // whatever the maps and counters held before; the sums are not set.
        for (auto& colourMap : ev.attackMaps[pos.searchPly]) colourMap.fill(0x5F5F);
        ev.pawnCount = ev.pieceCount = ev.knightCount = ev.bishopCount = ev.rookCount =
            ev.queenCount = {-1, -1};
        ev.pawnEntry = &ev.pawnTable[pawnTableIndex(pos.pawns) ^ 1];
        ev.whiteScore = 12345;
        pointAttackMaps(ev, 0);
        recallEvaluation(pos, ev, known);
        EXPECT_EQ(ev.whiteScore, pos.side == BLACK ? -known : known);
        EXPECT_EQ(ev.knightCount[WHITE] + ev.bishopCount[WHITE] + ev.rookCount[WHITE] + ev.queenCount[WHITE],
                  ev.pieceCount[WHITE]);
        ev.mgScore = warm.mg;
        ev.egScore = warm.eg;
        ASSERT_EQ(keptState(ev, known), warm) << fen << " ply " << ply;
        ev.pawnTable[pawnTableIndex(pos.pawns)].filled = false;
        ASSERT_EQ(evalState(pos, ev), warm) << fen << " ply " << ply;
        ASSERT_EQ(pos.material, boardMaterial(pos)) << fen << " ply " << ply;
        ASSERT_TRUE(positionIsConsistent(pos)) << fen << " ply " << ply;
        // After a null move, the evaluation taken over from the one below
        // equals one computed afresh.
        evaluate(pos, ev);
        makeNullMove(pos);
        ev.takeOverPly = pos.searchPly;
        const EvalState taken = evalState(pos, ev);
        ASSERT_EQ(ev.takeOverPly, -1);
        ASSERT_EQ(evalState(pos, ev), taken) << fen << " ply " << ply;
        unmakeNullMove(pos);
        ++nodes;
        if (!playRandomLegalMove(pos, seed)) break;
      }
    }
  }
  EXPECT_GT(nodes, 1500);
  EXPECT_GT(cacheHits, 50);
}

TEST(Evaluate, BlackKingOnB8IsWorthOneLess) {
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  // Symmetric except for the one asymmetric king square: WHITE on b1 gets 5,
  // BLACK on b8 gets 4; at full material the score is that middle-game 1.
  const char* fen = "1kr2bnr/pppqpppp/2n5/3p1b2/3P1B2/2N5/PPPQPPPP/1KR2BNR w - - 0 1";
  ASSERT_TRUE(load(fen));
  ASSERT_EQ(boardMaterial(pos), FULL_MATERIAL);
  EXPECT_EQ(evaluate(pos, ev), 1);
  EXPECT_EQ(evalFen(flipFen(fen).c_str()), -1);
}

}  // namespace

// King shelter, king danger and development.
#include "eval_helpers.h"
#include "positions.h"

using evaltest::load;
using evaltest::runPawnsAndPieces;

namespace {

using positions::START;

// What one middle-game pass adds to each colour.
std::array<int, 2> passDelta(const char* fen, int material, void (*pass)(const Position&, EvalData&)) {
  EXPECT_TRUE(load(fen, material)) << fen;
  EvalData& ev = testEval();
  runPawnsAndPieces();
  const std::array<int, 2> before = {ev.mgScore[WHITE], ev.mgScore[BLACK]};
  const std::array<int, 2> eg = {ev.egScore[WHITE], ev.egScore[BLACK]};
  pass(testEngine().pos, ev);
  EXPECT_EQ(ev.egScore[WHITE], eg[WHITE]) << fen;  // middle game only
  EXPECT_EQ(ev.egScore[BLACK], eg[BLACK]) << fen;
  return {ev.mgScore[WHITE] - before[WHITE], ev.mgScore[BLACK] - before[BLACK]};
}

struct Case {
  const char* fen;
  int material;
  int white, black;
};

TEST(KingSafety, ShelterMinusDangerSquared) {
  const Case cases[] = {
      {START, -1, 54, 54},
      {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", FULL_MATERIAL, 54, 54},
      // Shelter of knights and bishops, halves two ranks ahead; the e- and
      // f-files without a white pawn add 2 to the danger.
      {"4k3/8/8/8/8/2PNB3/3PBN2/4K3 w - - 0 1", FULL_MATERIAL, 18 + 6 + 2 + 1 + 3 - 4, -9},
      // Queen and rook near g1: 2 + 1 attackers, both squares held by the king
      // alone (+2), mix of queen and rook (+2): 7 squared.
      {"5rk1/8/8/8/7q/8/5PPP/6K1 w - - 0 1", FULL_MATERIAL, 54 - 49, -9},
      // A pawn on g4 hitting the forward zone makes the mix 3.
      {"5rk1/8/8/8/6pq/8/5PPP/6K1 w - - 0 1", FULL_MATERIAL, 54 - 64, -4},
      // h1: the guard file beyond h counts as open, plus base 1.
      {"6k1/8/8/8/8/8/6PP/7K w - - 0 1", FULL_MATERIAL, 36 - 4, -9},
      // Nothing at or below the end-game material.
      {"5rk1/8/8/8/7q/8/5PPP/6K1 w - - 0 1", ENDGAME_MATERIAL, 0, 0},
  };
  for (const Case& c : cases) {
    const auto d = passDelta(c.fen, c.material, evalKingSafety);
    EXPECT_EQ(d[WHITE], c.white) << c.fen;
    EXPECT_EQ(d[BLACK], c.black) << c.fen;
  }
}

// King danger and shelter counted square by square from the finished maps
// and the board, against the pass, at every node of pseudo-random games.
int referenceKingSafety(const Position& pos, const EvalData& ev, int c) {
  const int k = kingSquare(pos, c);
  const int fwd = c == WHITE ? 1 : -1;
  const AttackWord* enemy = ev.currentAttackMap[c ^ 1];
  const AttackWord* own = ev.currentAttackMap[c];
  int d = KingZoneBase[c][k] + ev.pawnEntry->fileDanger[c][fileOf(k)];
  int classes = 0;
  for (int i = 0; i < 8; ++i) {
    const int t = k + KingDirections[i];
    if (!isSquare(t) || enemy[t] == 0) continue;
    d += attackByte(enemy[t]) & ATTACK_COUNT;
    classes |= attackByte(enemy[t]);
    if (own[t] == WORD_KING) ++d;
  }
  int shelter = 0;
  for (int step : {15, 16, 17}) {
    if (isSquare(k + fwd * (step + 16))) classes |= attackByte(enemy[k + fwd * (step + 16)]);
    shelter +=
        ShieldValue[c][pos.board[k + fwd * step]] + ShieldValue[c][pos.board[k + fwd * (step + 16)]] / 2;
  }
  d += AttackerMixDanger[classes >> 3];
  return shelter - d * d;
}

TEST(KingSafety, AgreesWithASquareBySquareCountAlongRandomGames) {
  Position& pos = testEngine().pos;
  EvalData& ev = testEval();
  std::uint32_t seed = 777;
  int nodes = 0;
  for (const char* fen : {START, positions::KIWIPETE, "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1"}) {
    for (int game = 0; game < 10; ++game) {
      ASSERT_TRUE(load(fen));
      for (int ply = 0; ply < 40 && pos.material > ENDGAME_MATERIAL; ++ply) {
        runPawnsAndPieces();
        const std::array<int, 2> before = {ev.mgScore[WHITE], ev.mgScore[BLACK]};
        evalKingSafety(pos, ev);
        for (int c = WHITE; c <= BLACK; ++c)
          ASSERT_EQ(ev.mgScore[c] - before[c], referenceKingSafety(pos, ev, c))
              << currentFen(pos) << " " << c;
        ++nodes;
        if (!playRandomLegalMove(pos, seed)) break;
      }
    }
  }
  EXPECT_GT(nodes, 500);
}

TEST(Development, Penalties) {
  const Case cases[] = {
      {START, -1, -100, -100},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Kq - 0 1", -1, -100, -100},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1", -1, -65, -65},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", FULL_MATERIAL, -10, -10},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Q - 0 1", FULL_MATERIAL, -10, 0},
      {"rn2k1nr/8/8/8/8/8/8/RN2K1NR w - - 0 1", FULL_MATERIAL, -21, -21},
      {"4k3/8/8/8/8/8/8/1NB1KBN1 w - - 0 1", FULL_MATERIAL, -65, 0},
      // Only a knight on a knight's home and a bishop on a bishop's, of the own colour.
      {"1BN1kNB1/8/8/8/8/8/8/1bn1Knb1 w - - 0 1", FULL_MATERIAL, 0, 0},
      {"1nb1kb2/8/8/8/8/8/8/1N2KBn1 w - - 0 1", FULL_MATERIAL, -21, -41},
      // Rooks shut in by their kings.
      {"4k3/8/8/8/8/8/8/5K1R w - - 0 1", FULL_MATERIAL, -60, 0},
      {"4k3/8/8/8/8/8/8/6KR w - - 0 1", FULL_MATERIAL, -60, 0},
      {"4k3/8/8/8/8/8/8/5RK1 w - - 0 1", FULL_MATERIAL, 0, 0},
      {"4k3/8/8/8/8/8/8/R1K5 w - - 0 1", FULL_MATERIAL, -60, 0},
      {"4k3/8/8/8/8/8/8/2KR4 w - - 0 1", FULL_MATERIAL, 0, 0},
      {"6kr/8/8/8/8/8/8/4K3 w - - 0 1", FULL_MATERIAL, 0, -60},
      {"1r1k4/8/8/8/8/8/8/4K3 w - - 0 1", FULL_MATERIAL, 0, -60},
      // Pawn control of the central squares of the enemy half.
      {"4k3/8/8/8/3PP3/8/8/4K3 w - - 0 1", FULL_MATERIAL, 20, 0},
      {"4k3/8/8/8/1P4P1/8/8/4K3 w - - 0 1", FULL_MATERIAL, 10, 0},
      {"4k3/8/8/8/P6P/8/8/4K3 w - - 0 1", FULL_MATERIAL, 0, 0},
      {"4k3/8/8/3pp3/8/8/8/4K3 w - - 0 1", FULL_MATERIAL, 0, 20},
      {START, ENDGAME_MATERIAL, 0, 0},
  };
  for (const Case& c : cases) {
    const auto d = passDelta(c.fen, c.material, evalDevelopment);
    EXPECT_EQ(d[WHITE], c.white) << c.fen;
    EXPECT_EQ(d[BLACK], c.black) << c.fen;
  }
}

TEST(KingSafety, SwitchesOnAboveEndgameMaterial) {
  const char* fen = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
  EXPECT_EQ(passDelta(fen, ENDGAME_MATERIAL, evalKingSafety), (std::array<int, 2>{0, 0}));
  EXPECT_EQ(passDelta(fen, ENDGAME_MATERIAL + 1, evalKingSafety), (std::array<int, 2>{36, 54}));
}

}  // namespace

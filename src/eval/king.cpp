// Middle-game king terms: shelter, the king-danger charge and development.
#include "eval/eval.h"

namespace {

// Shelter of the king on k: three squares in front count in full, the
// three beyond them half each. Off-board squares hold OFFBOARD and count 0.
int shelter(int c, int k) {
  const int fwd = c == WHITE ? 1 : -1;
  const auto& v = ShieldValue[c];
  return v[Board[k + fwd * 15]] + v[Board[k + fwd * 16]] + v[Board[k + fwd * 17]] +
         v[Board[k + fwd * 31]] / 2 + v[Board[k + fwd * 32]] / 2 + v[Board[k + fwd * 33]] / 2;
}

int dangerCount(int c, int k) {
  const std::uint8_t* enemy = currentAttackMap[c ^ 1];
  const std::uint8_t* own = currentAttackMap[c];
  int d = KingZoneBase[c][k];
  int classes = 0;
  for (int i = 0; i < 8; ++i) {
    const int n = k + KingDirections[i];
    if (!isSquare(n) || enemy[n] == 0) continue;
    d += enemy[n] & ATTACK_COUNT;
    classes |= enemy[n];
    if (own[n] == (ATTACK_KING | 1)) ++d;  // defended by the king alone
  }
  const int f = fileOf(k);
  d += OpenFileDanger[pawnsOnFile[c][f]] + OpenFileDanger[pawnsOnFile[c][f + 2]] +
       OpenFileDanger[pawnsOnFile[c][f + 1]];
  const int fwd = c == WHITE ? 1 : -1;
  for (int step = 31; step <= 33; ++step) {
    const int n = k + fwd * step;
    if (isSquare(n)) classes |= enemy[n];
  }
  return d + AttackerMixDanger[classes >> 3];
}

}  // namespace

void evalKingSafety() {
  if (evalRecord->material <= ENDGAME_MATERIAL) return;
  for (int c = WHITE; c <= BLACK; ++c) {
    const int k = kingSquare(c);
    const int d = dangerCount(c, k);
    mgScore[c] += shelter(c, k) - d * d;
  }
}

void evalDevelopment() {
  if (evalRecord->material <= ENDGAME_MATERIAL) return;

  constexpr int WN = pieceCode(WHITE, KNIGHT), WB = pieceCode(WHITE, BISHOP), WR = pieceCode(WHITE, ROOK);
  constexpr int BN = pieceCode(BLACK, KNIGHT), BB = pieceCode(BLACK, BISHOP), BR = pieceCode(BLACK, ROOK);
  const int rights = Pos.castleRights;

  const int uWhite = (Board[SQ_B1] == WN) + (Board[SQ_G1] == WN) + (Board[SQ_C1] == WB) +
                     (Board[SQ_F1] == WB) + ((rights & (CASTLE_WK | CASTLE_WQ)) != 0);
  const int uBlack = (Board[SQ_B8] == BN) + (Board[SQ_G8] == BN) + (Board[SQ_C8] == BB) +
                     (Board[SQ_F8] == BB) + ((rights & (CASTLE_BK | CASTLE_BQ)) != 0);
  mgScore[WHITE] -= DevelopmentPenalty[uWhite];
  mgScore[BLACK] -= DevelopmentPenalty[uBlack];

  // Pawn control of the enemy half's four central squares (c5-f5, c4-f4).
  const std::uint8_t* wm = currentAttackMap[WHITE];
  const std::uint8_t* bm = currentAttackMap[BLACK];
  for (int f = 2; f <= 5; ++f) {
    if (wm[makeSquare(f, 4)] & ATTACK_PAWN) mgScore[WHITE] += 5;
    if (bm[makeSquare(f, 3)] & ATTACK_PAWN) mgScore[BLACK] += 5;
  }

  // A rook shut in by its own king.
  const int wk = kingSquare(WHITE);
  const int bk = kingSquare(BLACK);
  if ((wk == SQ_F1 || wk == SQ_G1) && (Board[SQ_H1] == WR || Board[SQ_G1] == WR)) mgScore[WHITE] -= 60;
  if ((wk == SQ_C1 || wk == SQ_D1) && (Board[SQ_A1] == WR || Board[SQ_B1] == WR)) mgScore[WHITE] -= 60;
  if ((bk == SQ_F8 || bk == SQ_G8) && (Board[SQ_H8] == BR || Board[SQ_G8] == BR)) mgScore[BLACK] -= 60;
  if ((bk == SQ_C8 || bk == SQ_D8) && (Board[SQ_A8] == BR || Board[SQ_B8] == BR)) mgScore[BLACK] -= 60;
}

// Attack maps of knights, sliders and kings together with their material,
// square, mobility and file terms, and the piece counters.
#include "eval/eval.h"

namespace {

// Marks the ray from s along step up to and including the first occupied
// (or border) index; returns the number of empty squares passed.
inline int scanRay(const Board& board, std::uint8_t* map, int s, int step, std::uint8_t bit) {
  int n = 0;
  int t = s + step;
  while (board[t] == EMPTY) {
    recordAttack(map, t, bit);
    ++n;
    t += step;
  }
  recordAttack(map, t, bit);
  return n;
}

// Inlined twice, so that each copy works with a constant colour.
[[gnu::always_inline]] inline void evalColour(const Position& pos, EvalData& ev, int c) {
  std::uint8_t* map = ev.currentAttackMap[c];
  const int enemyKing = kingSquare(pos, c ^ 1);
  std::int32_t t = 0;

  for (int s = firstOfList(pos, pieceCode(c, KNIGHT)); s < LIST_END; s = pos.lists[s].next) {
    ev.knightCount[c] += 1;
    t += KindValue[KNIGHT] + KnightSquare[c][s];
    if (map[s] & ATTACK_PAWN) t += KnightOutpost[c][s];
    for (int i = 0; i < 8; ++i) recordAttack(map, s + KnightOffsets[i], ATTACK_MINOR);
  }

  for (int s = firstOfList(pos, pieceCode(c, BISHOP)); s < LIST_END; s = pos.lists[s].next) {
    ev.bishopCount[c] += 1;
    t += KindValue[BISHOP] + BishopSquare[c][s];
    int n = 0;
    for (int i = 0; i < 4; ++i) n += scanRay(pos.board, map, s, BishopDirections[i], ATTACK_MINOR);
    t += BishopMobility[n];
  }

  for (int s = firstOfList(pos, pieceCode(c, ROOK)); s < LIST_END; s = pos.lists[s].next) {
    ev.rookCount[c] += 1;
    t += KindValue[ROOK] + RookSquare[c][s];
    if (RelativeRank[c][s] == 6) {
      ev.egScore[c] += 10;
      if (RelativeRank[c][enemyKing] == 7) ev.egScore[c] += 20;
    }
    const int file = fileOf(s) + 1;
    if (ev.pawnsOnFile[c][file] == 0) {
      t += 5;
      if (ev.pawnsOnFile[c ^ 1][file] == 0) t += 10;
    }
    int n = 0;
    for (int i = 0; i < 4; ++i) n += scanRay(pos.board, map, s, RookDirections[i], ATTACK_ROOK);
    t += RookMobility[n];
  }

  for (int s = firstOfList(pos, pieceCode(c, QUEEN)); s < LIST_END; s = pos.lists[s].next) {
    ev.queenCount[c] += 1;
    t += KindValue[QUEEN] + QueenSquare[c][s];
    for (int i = 0; i < 8; ++i) scanRay(pos.board, map, s, QueenDirections[i], ATTACK_QUEEN);
  }

  const int k = kingSquare(pos, c);
  ev.mgScore[c] += KindValue[KING] + KingSquareMg[c][k];
  ev.egScore[c] += KindValue[KING] + KingSquareEg[c][k];
  for (int i = 0; i < 8; ++i) recordAttack(map, k + KingDirections[i], ATTACK_KING);

  if (ev.bishopCount[c] > 1) t += 3 * (16 - ev.pawnCount[WHITE] - ev.pawnCount[BLACK]);

  ev.mgScore[c] += t;
  ev.egScore[c] += t;
}

}  // namespace

void evalPieces(const Position& pos, EvalData& ev) {
  evalColour(pos, ev, WHITE);
  evalColour(pos, ev, BLACK);
  for (int c = WHITE; c <= BLACK; ++c)
    ev.pieceCount[c] = ev.knightCount[c] + ev.bishopCount[c] + ev.rookCount[c] + ev.queenCount[c];
}

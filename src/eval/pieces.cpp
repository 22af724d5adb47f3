// Attack maps of knights, sliders and kings together with their material,
// square, mobility and file terms, and the piece counters.
#include "eval/eval.h"

namespace {

// The inverse of an odd number modulo 2^32 (Newton's iteration).
constexpr std::uint32_t oddInverse(std::uint32_t a) {
  std::uint32_t x = a;
  for (int i = 0; i < 5; ++i) x *= 2 - a * x;
  return x;
}

// d / Step for a d that is an exact multiple of Step: a multiplication by
// the inverse for the odd steps, a shift for the vertical ones.
template <int Step>
constexpr int stepsTaken(int d) {
  static_assert(Step % 2 != 0 || Step == 16 || Step == -16);
  if constexpr (Step % 2 != 0)
    return static_cast<int>(static_cast<std::uint32_t>(d) * oddInverse(static_cast<std::uint32_t>(Step)));
  else
    return Step > 0 ? d >> 4 : -d >> 4;
}
static_assert(stepsTaken<15>(45) == 3 && stepsTaken<-17>(-34) == 2 && stepsTaken<-1>(-5) == 5 &&
              stepsTaken<-16>(-48) == 3 && stepsTaken<17>(17) == 1);

// Marks the ray from the piece (board and map point at its square) along
// Step up to and including the first occupied (or border) index; returns
// the number of empty squares passed. A constant step lets the square count
// come from the distance travelled.
template <int Step>
inline int scanRay(const std::uint8_t* board, AttackWord* map, AttackWord u) {
  std::ptrdiff_t t = Step;
  while (board[t] == EMPTY) {
    recordAttack(map, t, u);
    t += Step;
  }
  recordAttack(map, t, u);
  return stepsTaken<Step>(static_cast<int>(t)) - 1;
}

// The same marks where nothing is counted (the queen's), unrolled to the
// longest ray so that an empty square costs a mark, a compare and a branch:
// a ray has at most 7 squares, so the eighth index along it is the border.
template <int Step, int K = 1>
[[gnu::always_inline]] inline void markRay(const std::uint8_t* board, AttackWord* map, AttackWord u) {
  recordAttack(map, K * Step, u);
  if constexpr (K < 8)
    if (board[K * Step] == EMPTY) markRay<Step, K + 1>(board, map, u);
}

inline int scanDiagonals(const std::uint8_t* board, AttackWord* map, AttackWord bit) {
  return scanRay<15>(board, map, bit) + scanRay<17>(board, map, bit) + scanRay<-15>(board, map, bit) +
         scanRay<-17>(board, map, bit);
}
inline int scanLines(const std::uint8_t* board, AttackWord* map, AttackWord bit) {
  return scanRay<-1>(board, map, bit) + scanRay<1>(board, map, bit) + scanRay<16>(board, map, bit) +
         scanRay<-16>(board, map, bit);
}

// Inlined twice, so that each copy works with a constant colour.
[[gnu::always_inline]] inline void evalColour(const Position& pos, EvalData& ev, int c) {
  AttackWord* map = ev.currentAttackMap[c];
  const std::uint8_t* board = pos.board.origin();
  const int enemyKing = kingSquare(pos, c ^ 1);
  std::int32_t t = 0;

  for (int s = firstOfList(pos, pieceCode(c, KNIGHT)); s < LIST_END; s = pos.lists[s].next) {
    ev.knightCount[c] += 1;
    t += KindValue[KNIGHT] + KnightSquare[c][s];
    if (map[s] & 3 * WORD_PAWN) t += KnightOutpost[c][s];
    AttackWord* at = map + s;
    for (int i = 0; i < 8; ++i) recordAttack(at, KnightOffsets[i], WORD_MINOR);
  }

  for (int s = firstOfList(pos, pieceCode(c, BISHOP)); s < LIST_END; s = pos.lists[s].next) {
    ev.bishopCount[c] += 1;
    t += KindValue[BISHOP] + BishopSquare[c][s];
    t += BishopMobility[scanDiagonals(board + s, map + s, WORD_MINOR)];
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
    t += RookMobility[scanLines(board + s, map + s, WORD_ROOK)];
  }

  for (int s = firstOfList(pos, pieceCode(c, QUEEN)); s < LIST_END; s = pos.lists[s].next) {
    ev.queenCount[c] += 1;
    t += KindValue[QUEEN] + QueenSquare[c][s];
    // The queen's scans count nothing.
    const std::uint8_t* b = board + s;
    AttackWord* m = map + s;
    markRay<-1>(b, m, WORD_QUEEN);
    markRay<1>(b, m, WORD_QUEEN);
    markRay<16>(b, m, WORD_QUEEN);
    markRay<-16>(b, m, WORD_QUEEN);
    markRay<15>(b, m, WORD_QUEEN);
    markRay<17>(b, m, WORD_QUEEN);
    markRay<-15>(b, m, WORD_QUEEN);
    markRay<-17>(b, m, WORD_QUEEN);
  }

  const int k = kingSquare(pos, c);
  ev.mgScore[c] += KindValue[KING] + KingSquareMg[c][k];
  ev.egScore[c] += KindValue[KING] + KingSquareEg[c][k];
  AttackWord* around = map + k;
  for (int i = 0; i < 8; ++i) recordAttack(around, KingDirections[i], WORD_KING);

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

// Attack maps of knights, sliders and kings together with their material,
// square, mobility and file terms, and the piece counters.
#include "eval/eval.h"

namespace {

// Left alone, the compiler turns the count at each exit of an unrolled ray
// into a constant and loads all of them into registers before every ray; an
// empty asm statement that may change the value keeps it a running sum. No
// instruction is emitted.
inline void keepInRegister(int& n) {
#if defined(__GNUC__)
  asm("" : "+r"(n));
#else
  (void)n;
#endif
}

// Marks the ray from the piece (board and map point at its square) along
// Step up to and including the first occupied (or border) index, unrolled to
// the longest ray so that an empty square costs a mark, a compare and a
// branch: a ray has at most 7 squares, so the eighth index along it is the
// border. Adds the number of empty squares passed to n.
template <int Step, int K = 1>
ALWAYS_INLINE void scanRay(const std::uint8_t* board, AttackWord* map, AttackWord u, int& n) {
  recordAttack(map, K * Step, u);
  if constexpr (K == 8) {
    n += 7;
  } else {
    if (board[K * Step] != EMPTY) {
      n += K - 1;
      keepInRegister(n);
    } else {
      scanRay<Step, K + 1>(board, map, u, n);
    }
  }
}

ALWAYS_INLINE int scanDiagonals(const std::uint8_t* board, AttackWord* map, AttackWord u) {
  int n = 0;
  scanRay<15>(board, map, u, n);
  scanRay<17>(board, map, u, n);
  scanRay<-15>(board, map, u, n);
  scanRay<-17>(board, map, u, n);
  return n;
}
ALWAYS_INLINE int scanLines(const std::uint8_t* board, AttackWord* map, AttackWord u) {
  int n = 0;
  scanRay<-1>(board, map, u, n);
  scanRay<1>(board, map, u, n);
  scanRay<16>(board, map, u, n);
  scanRay<-16>(board, map, u, n);
  return n;
}

// The same marks where nothing is counted (the queen's).
template <int Step, int K = 1>
ALWAYS_INLINE void markRay(const std::uint8_t* board, AttackWord* map, AttackWord u) {
  recordAttack(map, K * Step, u);
  if constexpr (K < 8)
    if (board[K * Step] == EMPTY) markRay<Step, K + 1>(board, map, u);
}

// Inlined twice, so that each copy works with a constant colour; without
// Terms only the marks and the piece counters.
template <bool Terms>
ALWAYS_INLINE void evalColour(const Position& pos, EvalData& ev, int c) {
  AttackWord* map = ev.currentAttackMap[c];
  const std::uint8_t* board = pos.board.origin();
  const int enemyKing = kingSquare(pos, c ^ 1);
  const auto& pawnsOnFile = ev.pawnEntry->pawnsOnFile;
  // Sums and counts in locals, stored once at the end: kept in EvalData they
  // were loaded and stored around every piece, the map stores possibly aliasing.
  std::int32_t t = 0, eg = 0;
  int knights = 0, bishops = 0, rooks = 0, queens = 0;

  for (int s = firstOfList(pos, pieceCode(c, KNIGHT)); s < LIST_END; s = pos.lists[s].next) {
    knights += 1;
    t += KindValue[KNIGHT] + KnightSquare[c][s];
    if (map[s] & 3 * WORD_PAWN) t += KnightOutpost[c][s];
    AttackWord* at = map + s;
    for (int i = 0; i < 8; ++i) recordAttack(at, KnightOffsets[i], WORD_MINOR);
  }

  for (int s = firstOfList(pos, pieceCode(c, BISHOP)); s < LIST_END; s = pos.lists[s].next) {
    bishops += 1;
    t += KindValue[BISHOP] + BishopSquare[c][s];
    t += BishopMobility[scanDiagonals(board + s, map + s, WORD_MINOR)];
  }

  for (int s = firstOfList(pos, pieceCode(c, ROOK)); s < LIST_END; s = pos.lists[s].next) {
    rooks += 1;
    t += KindValue[ROOK] + RookSquare[c][s];
    if (RelativeRank[c][s] == 6) {
      eg += 10;
      if (RelativeRank[c][enemyKing] == 7) eg += 20;
    }
    const int file = fileOf(s) + 1;
    if (pawnsOnFile[c][file] == 0) {
      t += 5;
      if (pawnsOnFile[c ^ 1][file] == 0) t += 10;
    }
    t += RookMobility[scanLines(board + s, map + s, WORD_ROOK)];
  }

  for (int s = firstOfList(pos, pieceCode(c, QUEEN)); s < LIST_END; s = pos.lists[s].next) {
    queens += 1;
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
  AttackWord* around = map + k;
  for (int i = 0; i < 8; ++i) recordAttack(around, KingDirections[i], WORD_KING);

  if constexpr (Terms) {
    if (bishops > 1) t += 3 * (16 - ev.pawnCount[WHITE] - ev.pawnCount[BLACK]);

    ev.mgScore[c] += t + KindValue[KING] + KingSquareMg[c][k];
    ev.egScore[c] += t + eg + KindValue[KING] + KingSquareEg[c][k];
  }
  ev.knightCount[c] = knights;
  ev.bishopCount[c] = bishops;
  ev.rookCount[c] = rooks;
  ev.queenCount[c] = queens;
  ev.pieceCount[c] = knights + bishops + rooks + queens;
}

}  // namespace

void evalPieces(const Position& pos, EvalData& ev) {
  evalColour<true>(pos, ev, WHITE);
  evalColour<true>(pos, ev, BLACK);
}

void markPieces(const Position& pos, EvalData& ev) {
  evalColour<false>(pos, ev, WHITE);
  evalColour<false>(pos, ev, BLACK);
}

// Square-attack test and check test.
#include "movegen/movegen.h"

int isAttacked(int square, int colour) {
  const int knight = pieceCode(colour, KNIGHT);
  for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
    if (Board[square + *d] == knight) return 1;

  const int rook = pieceCode(colour, ROOK);
  const int queen = pieceCode(colour, QUEEN);
  for (const std::int32_t* d = RookDirections.data(); *d; ++d) {
    int s = square + *d;
    while (Board[s] == EMPTY) s += *d;
    if (Board[s] == rook || Board[s] == queen) return 1;
  }
  const int bishop = pieceCode(colour, BISHOP);
  for (const std::int32_t* d = BishopDirections.data(); *d; ++d) {
    int s = square + *d;
    while (Board[s] == EMPTY) s += *d;
    if (Board[s] == bishop || Board[s] == queen) return 1;
  }

  if (KingDistance[kingSquare(colour)][square] <= 1) return 1;

  if (colour == WHITE) {
    if (Board[square - 15] == pieceCode(WHITE, PAWN) || Board[square - 17] == pieceCode(WHITE, PAWN))
      return 1;
  } else {
    if (Board[square + 15] == pieceCode(BLACK, PAWN) || Board[square + 17] == pieceCode(BLACK, PAWN))
      return 1;
  }
  return 0;
}

int kingInCheck(int colour) { return isAttacked(kingSquare(colour), colour ^ 1); }

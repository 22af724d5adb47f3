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

int moverLeftInCheck(Move m, bool wasInCheck) {
  const int mover = Pos.xside;
  const int king = kingSquare(mover);
  if (wasInCheck || (m & MOVE_EN_PASSANT) || king == moveTarget(m)) return kingInCheck(mover);
  const Relation r = SquareRelation[king][moveOrigin(m)];
  if (!(r.flags & REL_LINE)) return 0;
  int s = king + r.step;
  while (Board[s] == EMPTY) s += r.step;
  const int piece = Board[s];
  if (colourOf(piece) != Pos.side) return 0;
  const int kind = kindOf(piece);
  return kind == QUEEN || kind == ((r.flags & REL_DIAG) ? BISHOP : ROOK);
}

int movesPinnedPiece(Move m) {
  const int king = kingSquare(Pos.side);
  const int origin = moveOrigin(m);
  const Relation r = SquareRelation[king][origin];
  if (!(r.flags & REL_LINE)) return 0;
  int s = king + r.step;
  while (Board[s] == EMPTY) s += r.step;
  if (s != origin) return 0;  // something else shields the king
  s += r.step;
  while (Board[s] == EMPTY) s += r.step;
  const int piece = Board[s];
  const int kind = kindOf(piece);
  if (colourOf(piece) != Pos.xside || (kind != QUEEN && kind != ((r.flags & REL_DIAG) ? BISHOP : ROOK)))
    return 0;
  const Relation toTarget = SquareRelation[king][moveTarget(m)];
  return !(toTarget.flags & REL_LINE) || toTarget.step != r.step;
}

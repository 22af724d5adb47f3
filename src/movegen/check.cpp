// The legality shortcuts: tests that look at one line instead of every attacker.
#include "movegen/movegen.h"

bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck) {
  const int mover = pos.xside;
  const int king = kingSquare(pos, mover);
  if (wasInCheck || (m & MOVE_EN_PASSANT) || king == moveTarget(m)) return kingInCheck(pos, mover);
  const Relation r = SquareRelation[king][moveOrigin(m)];
  if (!(r.flags & REL_LINE)) return false;
  int s = king + r.step;
  while (pos.board[s] == EMPTY) s += r.step;
  const int piece = pos.board[s];
  if (colourOf(piece) != pos.side) return false;
  const int kind = kindOf(piece);
  return kind == QUEEN || kind == ((r.flags & REL_DIAG) ? BISHOP : ROOK);
}

bool movesPinnedPiece(const Position& pos, Move m) {
  const int king = kingSquare(pos, pos.side);
  const int origin = moveOrigin(m);
  const Relation r = SquareRelation[king][origin];
  if (!(r.flags & REL_LINE)) return false;
  int s = king + r.step;
  while (pos.board[s] == EMPTY) s += r.step;
  if (s != origin) return false;  // something else shields the king
  s += r.step;
  while (pos.board[s] == EMPTY) s += r.step;
  const int piece = pos.board[s];
  const int kind = kindOf(piece);
  if (colourOf(piece) != pos.xside || (kind != QUEEN && kind != ((r.flags & REL_DIAG) ? BISHOP : ROOK)))
    return false;
  const Relation toTarget = SquareRelation[king][moveTarget(m)];
  return !(toTarget.flags & REL_LINE) || toTarget.step != r.step;
}

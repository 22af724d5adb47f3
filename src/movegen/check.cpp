// Check prediction before a move, and the legality shortcuts: tests that look
// at one line instead of every attacker.
#include "movegen/movegen.h"

namespace {

// First square from `from` along step that is neither empty nor `vacated`.
inline int firstOccupied(const Board& board, int from, int step, int vacated) {
  int s = from + step;
  while (board[s] == EMPTY || s == vacated) s += step;
  return s;
}

}  // namespace

bool givesCheck(const Position& pos, Move m) {
  const int side = pos.side;
  const int king = kingSquare(pos, pos.xside);
  const int from = moveOrigin(m);
  const int to = moveTarget(m);
  const int piece = (m & MOVE_PROMO_ANY) ? promotionKind(m) : pos.board[from];

  // Direct check by the piece on its new square.
  const Relation& direct = SquareRelation[king][to];
  if (direct.flags & RelationMask[piece]) {
    const int kind = kindOf(piece);
    if (kind == PAWN || kind == KNIGHT || kind == KING) return true;
    if (firstOccupied(pos.board, to, SquareRelation[to][king].step, from) == king) return true;
  }

  // Discovered check: the piece leaves a line through the king.
  const Relation& line = SquareRelation[king][from];
  if (line.step == direct.step) return false;
  if (line.flags & REL_DIAG) {
    const int s = pos.board[firstOccupied(pos.board, king, line.step, from)];
    if (s == pieceCode(side, BISHOP) || s == pieceCode(side, QUEEN)) return true;
  }
  if (line.flags & REL_ORTH) {
    const int s = pos.board[firstOccupied(pos.board, king, line.step, from)];
    if (s == pieceCode(side, ROOK) || s == pieceCode(side, QUEEN)) return true;
  }
  return false;
}

bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck) {
  const int mover = pos.xside;
  const int king = kingSquare(pos, mover);
  if (wasInCheck || (m & (MOVE_EN_PASSANT | MOVE_CASTLE)) || king == moveTarget(m))
    return kingInCheck(pos, mover);
  const Relation r = SquareRelation[king][moveOrigin(m)];
  if (!(r.flags & REL_LINE)) return false;
  int s = king + r.step;
  while (pos.board[s] == EMPTY) s += r.step;
  const int piece = pos.board[s];
  if (colourOf(piece) != pos.side) return false;
  const int kind = kindOf(piece);
  return kind == QUEEN || kind == ((r.flags & REL_DIAG) ? BISHOP : ROOK);
}

bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck, const AttackWord* attacksBefore) {
  // A square the enemy attacked stays attacked after a king move onto it:
  // no line to it ran through the king's square, and a piece taken there
  // never counted it. Out of check nothing new reaches a square the king
  // steps to: a line through its old square would have given check.
  const int t = moveTarget(m);
  if (t == kingSquare(pos, pos.xside)) {
    if (attacksBefore[t] != 0) return true;
    if (!wasInCheck) return false;
  }
  return moverLeftInCheck(pos, m, wasInCheck);
}

bool castleLeavesKingAttacked(const Position& pos, Move m) {
  const CastleRoute& r = pos.castle[castleRightIndex(pos.side, moveOrigin(m), moveTarget(m))];
  const int king = moveOrigin(m);
  const int rook = pieceCode(pos.xside, ROOK), queen = pieceCode(pos.xside, QUEEN);
  for (const int step : {-1, 1}) {
    int s = r.kingTo + step;
    while (s != r.rookTo && (pos.board[s] == EMPTY || s == king || s == r.rookFrom)) s += step;
    if (s != r.rookTo && (pos.board[s] == rook || pos.board[s] == queen)) return true;
  }
  return false;
}

void findPins(const Position& pos, PinSteps& pins) {
  pins.fill(0);
  const int king = kingSquare(pos, pos.side);
  const int own = pos.side;
  const int bishop = pieceCode(pos.xside, BISHOP), rook = pieceCode(pos.xside, ROOK),
            queen = pieceCode(pos.xside, QUEEN);
  for (int i = 0; i < 8; ++i) {
    const int step = QueenDirections[i];
    const int slider = i < 4 ? rook : bishop;  // the lines, then the diagonals
    // The king's own square is never met again: nothing is vacated.
    const int shield = firstOccupied(pos.board, king, step, king);
    if (colourOf(pos.board[shield]) != own) continue;
    const int beyond = pos.board[firstOccupied(pos.board, shield, step, king)];
    if (beyond == slider || beyond == queen) pins[shield] = static_cast<std::int8_t>(step);
  }
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

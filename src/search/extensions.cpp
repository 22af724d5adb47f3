// Check prediction before a move is made, and the extension rules.
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

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

int extensionFor(const Position& pos, Move m, bool gc, bool mateThreat) {
  // Called after makeMove: the node is one ply up, the mover is xside.
  const int node = pos.searchPly - 1;
  int e = 0;
  if (gc) {
    e += EXTEND_CHECK;
    ++extensionCount.check;
  }
  if (mateThreat) {
    e += EXTEND_MATE_THREAT;
    ++extensionCount.mt;
  }
  if (m & MOVE_PROMO_QUEEN) {
    e += EXTEND_QUEEN_PROMOTION;
    ++extensionCount.prom;
  }
  if (m & MOVE_PAWN) {
    const int rank = RelativeRank[pos.xside][moveTarget(m)];
    if (rank == 6) {
      e += EXTEND_PAWN_7TH;
      ++extensionCount.p7;
    } else if (rank == 5) {
      e += EXTEND_PAWN_6TH;
      ++extensionCount.p7;
    }
  }
  if (listEnd(node) - listBegin(node) == 1) {
    e += EXTEND_SINGLE_REPLY;
    ++extensionCount.single;
  }
  const PlyRecord& rec = Ply[node];
  if (pos.material < PAWN_ENDING_MATERIAL && (m & MOVE_CAPTURE) &&
      rec.pieceCount[WHITE] + rec.pieceCount[BLACK] == 1 &&
      PieceValue[pos.undo[node].captured] > PieceValue[PAWN]) {
    e += EXTEND_PAWN_ENDING;
    ++extensionCount.simple;
  }
  return e > EXTEND_MAX ? EXTEND_MAX : e;
}

// Check analysis and the evasion generator.
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMoves;
using movegen_emit::PawnMoves;

// Counts the checkers along one family of lines and marks their squares.
int markLines(const Board& board, CheckMarks& marks, int king, const std::int32_t* dirs, int slider,
              int queen) {
  int count = 0;
  for (const std::int32_t* d = dirs; *d; ++d) {
    int s = king + *d;
    while (board[s] == EMPTY) s += *d;
    if (board[s] == slider || board[s] == queen) {
      ++count;
      for (int m = king + *d; m != s + *d; m += *d) ++marks[m];
    }
  }
  return count;
}

// The generator, with the test that keeps the king off attacked squares.
template <class Attacked>
inline MoveEntry* addEvasions(const Position& pos, Attacked attacked, MoveEntry* out) {
  const Board& board = pos.board;
  CheckMarks marks;
  const int count = findCheckers(pos, marks);
  const int side = pos.side;
  const int o = pos.xside;

  const int king = kingSquare(pos, side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d) {
    const int t = king + *d;
    const int target = board[t];
    if (target != EMPTY && colourOf(target) != o) continue;  // own piece or the border
    if (attacked(t)) continue;
    add(out, king, t, target == EMPTY ? 0 : MOVE_CAPTURE);
  }

  if (count <= 1) {
    const int knight = pieceCode(side, KNIGHT);
    for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
      for (const std::int32_t* d = KnightOffsets.data(); *d; ++d) {
        const int t = s + *d;
        if (!isSquare(t) || marks[t] == 0) continue;
        if (board[t] == EMPTY)
          add(out, s, t, 0);
        else if (colourOf(board[t]) == o)
          add(out, s, t, MOVE_CAPTURE);
      }

    for (int kind : {BISHOP, ROOK, QUEEN}) {
      const int code = pieceCode(side, kind);
      for (int s = firstOfList(pos, code); s < LIST_END; s = pos.lists[s].next)
        for (const std::int32_t* d = PieceDirections[code]; *d; ++d) {
          int t = s + *d;
          for (; board[t] == EMPTY; t += *d)
            if (marks[t]) add(out, s, t, 0);
          if (colourOf(board[t]) == o && marks[t]) add(out, s, t, MOVE_CAPTURE);
        }
    }

    addPawnMoves<PawnMoves::Evasions>(pos, out, &marks);
  }
  return out;
}

}  // namespace

int findCheckers(const Position& pos, CheckMarks& marks) {
  const Board& board = pos.board;
  marks.fill(0);
  const int king = kingSquare(pos, pos.side);
  const int o = pos.xside;
  int count = 0;
  const int knight = pieceCode(o, KNIGHT);
  for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
    if (board[king + *d] == knight) {
      ++marks[king + *d];
      ++count;
    }
  count += markLines(board, marks, king, RookDirections.data(), pieceCode(o, ROOK), pieceCode(o, QUEEN));
  count += markLines(board, marks, king, BishopDirections.data(), pieceCode(o, BISHOP), pieceCode(o, QUEEN));
  const int pawn = pieceCode(o, PAWN);
  const int forward = pos.side == WHITE ? 1 : -1;
  for (int step : {15 * forward, 17 * forward})
    if (board[king + step] == pawn) {
      ++marks[king + step];
      ++count;
    }
  return count;
}

MoveEntry* generateEvasions(const Position& pos, const AttackWord* enemyAttacks, MoveEntry* out) {
  return addEvasions(
      pos, [enemyAttacks](int t) { return enemyAttacks[t] != 0; }, out);
}

// An attack map marks exactly the squares isAttacked finds attacked; its
// rays too stop at the king in check.
MoveEntry* generateEvasions(const Position& pos, MoveEntry* out) {
  return addEvasions(
      pos, [&pos](int t) { return isAttacked(pos, t, pos.xside); }, out);
}

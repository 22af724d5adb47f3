// Check analysis and the evasion generator.
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMoves;
using movegen_emit::PawnMoves;

// With a map of the side to move (own, square 0 first), the marking also
// or-s together its words on the marked squares: a class none of whose
// pieces attacks a marked square has no move there, since a marked square
// is empty or holds the checker. Without one (nullptr) nothing is read.
struct MarkedAttacks {
  const AttackWord* own;
  AttackWord words = 0;
};

// Marks square m of a checking line.
inline void mark(CheckMarks& marks, MarkedAttacks* seen, int m) {
  ++marks[m];
  if (seen) seen->words |= seen->own[m];
}

// Counts the checkers along one family of lines and marks their squares.
int markLines(const Board& board, CheckMarks& marks, MarkedAttacks* seen, int king, const std::int32_t* dirs,
              int slider, int queen) {
  int count = 0;
  for (const std::int32_t* d = dirs; *d; ++d) {
    int s = king + *d;
    while (board[s] == EMPTY) s += *d;
    if (board[s] == slider || board[s] == queen) {
      ++count;
      for (int m = king + *d; m != s + *d; m += *d) mark(marks, seen, m);
    }
  }
  return count;
}

int markCheckers(const Position& pos, CheckMarks& marks, MarkedAttacks* seen) {
  const Board& board = pos.board;
  marks.fill(0);
  const int king = kingSquare(pos, pos.side);
  const int o = pos.xside;
  int count = 0;
  const int knight = pieceCode(o, KNIGHT);
  for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
    if (board[king + *d] == knight) {
      mark(marks, seen, king + *d);
      ++count;
    }
  count +=
      markLines(board, marks, seen, king, RookDirections.data(), pieceCode(o, ROOK), pieceCode(o, QUEEN));
  count +=
      markLines(board, marks, seen, king, BishopDirections.data(), pieceCode(o, BISHOP), pieceCode(o, QUEEN));
  const int pawn = pieceCode(o, PAWN);
  const int forward = pos.side == WHITE ? 1 : -1;
  for (int step : {15 * forward, 17 * forward})
    if (board[king + step] == pawn) {
      mark(marks, seen, king + step);
      ++count;
    }
  return count;
}

// The generator, with the test that keeps the king off attacked squares;
// given the side to move's map, the piece kinds of a class it shows on no
// marked square are not looked at.
template <class Attacked>
inline MoveEntry* addEvasions(const Position& pos, Attacked attacked, const AttackWord* ownAttacks,
                              MoveEntry* out) {
  const Board& board = pos.board;
  CheckMarks marks;
  MarkedAttacks seen{ownAttacks};
  const int count = markCheckers(pos, marks, ownAttacks ? &seen : nullptr);
  const int classes = ownAttacks ? attackByte(seen.words) : ATTACK_MINOR | ATTACK_ROOK | ATTACK_QUEEN;
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
    if (classes & ATTACK_MINOR)
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
      if (!(classes & (kind == BISHOP ? ATTACK_MINOR : kind == ROOK ? ATTACK_ROOK : ATTACK_QUEEN))) continue;
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

int findCheckers(const Position& pos, CheckMarks& marks) { return markCheckers(pos, marks, nullptr); }

MoveEntry* generateEvasions(const Position& pos, const AttackWord* enemyAttacks, const AttackWord* ownAttacks,
                            MoveEntry* out) {
  return addEvasions(
      pos, [enemyAttacks](int t) { return enemyAttacks[t] != 0; }, ownAttacks, out);
}

// An attack map marks exactly the squares isAttacked finds attacked; its
// rays too stop at the king in check.
MoveEntry* generateEvasions(const Position& pos, MoveEntry* out) {
  return addEvasions(
      pos, [&pos](int t) { return isAttacked(pos, t, pos.xside); }, nullptr, out);
}

// Appending moves to a list (the score is left for the ordering pass);
// shared by the generators of this folder only.
#pragma once

#include "movegen/movegen.h"

namespace movegen_emit {

inline void add(MoveEntry*& out, int from, int to, Move flags) {
  (out++)->move = makeMoveValue(from, to, flags);
}

// The pawn moves a generator wants.
enum class PawnMoves {
  All,       // every pawn move
  Captures,  // captures and promotions, a queen only
  Evasions,  // moves onto a marked square; en passant onto an unmarked one
};

// A pawn move: from the seventh rank the promotions (queen, knight, rook,
// bishop, or the queen alone), else the move itself.
template <PawnMoves kind>
inline void addPawnMove(MoveEntry*& out, int from, int to, Move flags, bool promotes) {
  if (!promotes) {
    add(out, from, to, flags);
    return;
  }
  add(out, from, to, flags | MOVE_PROMO_QUEEN);
  if (kind == PawnMoves::Captures) return;
  add(out, from, to, flags | MOVE_PROMO_KNIGHT);
  add(out, from, to, flags | MOVE_PROMO_ROOK);
  add(out, from, to, flags | MOVE_PROMO_BISHOP);
}

// The pawn moves of the side to move, pawn by pawn in list order: the two
// captures (or an en-passant capture), then the push and the double push.
// Only the evasions read the marks. The kind is a template argument, so
// each generator gets its own loop without tests of it.
template <PawnMoves kind>
inline void addPawnMoves(const Position& pos, MoveEntry*& out, const CheckMarks* marks) {
  const Board& board = pos.board;
  const int side = pos.side;
  const int opponent = pos.xside;
  const auto marked = [marks](int t) { return kind != PawnMoves::Evasions || (*marks)[t] != 0; };
  const std::int32_t* dirs = PawnDirections[side].data();
  for (int s = firstOfList(pos, pieceCode(side, PAWN)); s < LIST_END; s = pos.lists[s].next) {
    const int r = RelativeRank[side][s];
    for (int i = 0; i < 2; ++i) {
      const int t = s + dirs[i];
      if (kind == PawnMoves::Evasions && !isSquare(t)) continue;  // the marks cover squares only
      if (marked(t) && colourOf(board[t]) == opponent)
        addPawnMove<kind>(out, s, t, MOVE_PAWN | MOVE_CAPTURE, r == 6);
      else if (t == pos.epSquare && (kind != PawnMoves::Evasions || !marked(t)))
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
    }
    const int t = s + dirs[2];
    if (kind == PawnMoves::Captures) {
      if (r == 6 && board[t] == EMPTY) add(out, s, t, MOVE_PAWN | MOVE_PROMO_QUEEN);
      continue;
    }
    if (board[t] == EMPTY) {
      if (marked(t)) addPawnMove<kind>(out, s, t, MOVE_PAWN, r == 6);
      const int t2 = t + dirs[2];
      if (r == 1 && board[t2] == EMPTY && marked(t2)) add(out, s, t2, MOVE_PAWN);
    }
  }
}

}  // namespace movegen_emit

// Appending moves to a list (the score is left for the ordering pass);
// shared by the generators of this folder only.
#pragma once

#include "position/position.h"

namespace movegen_emit {

inline void add(MoveEntry*& out, int from, int to, Move flags) {
  (out++)->move = makeMoveValue(from, to, flags);
}

// A pawn move: four promotions (queen, knight, rook, bishop) from the seventh
// rank, else the move itself.
inline void addPawnMove(MoveEntry*& out, int from, int to, Move flags, bool promotes) {
  if (!promotes) {
    add(out, from, to, flags);
    return;
  }
  add(out, from, to, flags | MOVE_PROMO_QUEEN);
  add(out, from, to, flags | MOVE_PROMO_KNIGHT);
  add(out, from, to, flags | MOVE_PROMO_ROOK);
  add(out, from, to, flags | MOVE_PROMO_BISHOP);
}

}  // namespace movegen_emit

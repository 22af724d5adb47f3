// The coordinate text of a move.
#include "position/position.h"

MoveText moveToText(Move m) {
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  MoveText out{};
  out.text[0] = static_cast<char>('a' + (o & 15));
  out.text[1] = static_cast<char>('1' + (o >> 4));
  out.text[2] = static_cast<char>('a' + (t & 15));
  out.text[3] = static_cast<char>('1' + (t >> 4));
  out.text[4] = (m & MOVE_PROMO_QUEEN)    ? 'q'
                : (m & MOVE_PROMO_ROOK)   ? 'r'
                : (m & MOVE_PROMO_BISHOP) ? 'b'
                : (m & MOVE_PROMO_KNIGHT) ? 'n'
                                          : '\0';
  out.text[5] = '\0';
  return out;
}

int castleTextTarget(const Position& pos, Move m) {
  // Also for moves further down a line: the colour comes from the back rank.
  const int o = moveOrigin(m);
  const int colour = rankOf(o) == 0 ? WHITE : BLACK;
  const CastleRoute& r = pos.castle[castleRightIndex(colour, o, moveTarget(m))];
  return pos.chess960 ? r.rookFrom : r.kingTo;
}

MoveText moveToText(const Position& pos, Move m) {
  if (!(m & MOVE_CASTLE)) return moveToText(m);
  return moveToText(makeMoveValue(moveOrigin(m), castleTextTarget(pos, m), 0));
}

// Moves read from text: the generated move a text names, and game moves.
#include "movegen/movegen.h"

namespace {
bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
bool isRankChar(char c) { return c >= '1' && c <= '8'; }
}  // namespace

Move textToMove(const Position& pos, const char* text) {
  if (!isFileChar(text[0]) || !isRankChar(text[1]) || !isFileChar(text[2]) || !isRankChar(text[3])) return 0;
  const int origin = (text[1] - '1') * 16 + (text[0] - 'a');
  const int target = (text[3] - '1') * 16 + (text[2] - 'a');
  Move key = makeMoveValue(origin, target, 0);
  switch (text[4]) {
    case 'q':
    case 'Q': key |= MOVE_PROMO_QUEEN; break;
    case 'r':
    case 'R': key |= MOVE_PROMO_ROOK; break;
    case 'b':
    case 'B': key |= MOVE_PROMO_BISHOP; break;
    case 'n':
    case 'N': key |= MOVE_PROMO_KNIGHT; break;
    default: break;
  }
  MoveList list;
  const MoveEntry* end = generateMoves(pos, list.data());
  for (const MoveEntry* e = list.data(); e != end; ++e) {
    // A castling is named by its text, which need not be its target.
    const Move named = (e->move & MOVE_CASTLE)
                           ? makeMoveValue(moveOrigin(e->move), castleTextTarget(pos, e->move), 0)
                           : e->move & MOVE_IDENTITY_MASK;
    if (named == key) return e->move;
  }
  return 0;
}

Move playGameMove(Position& pos, const char* text) {
  // Full history or undo records: refuse rather than write past them.
  if (pos.gamePly + 1 >= MAX_GAME_PLY || pos.searchPly >= MAX_CONSOLE_PLY) return 0;
  const Move m = textToMove(pos, text);
  if (m == 0) return 0;
  makeMove(pos, m);
  if (kingInCheck(pos, pos.xside)) {  // would leave a king that can be captured
    unmakeMove(pos, m);
    return 0;
  }
  return m;
}

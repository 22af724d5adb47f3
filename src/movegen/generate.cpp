// Pseudo-legal moves and the capture set.
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMoves;
using movegen_emit::PawnMoves;

// Quiet move or capture by a non-pawn piece, as the target allows.
inline void addStep(const Board& board, MoveEntry*& out, int from, int to, int opponent) {
  const int target = board[to];
  if (target == EMPTY)
    add(out, from, to, 0);
  else if (colourOf(target) == opponent)
    add(out, from, to, MOVE_CAPTURE);
}

// Castling on the back rank of colour, king side first; the colour is a
// template argument so that every square is a constant.
template <int colour>
void addCastling(const Position& pos, MoveEntry*& out) {
  constexpr int king = colour == WHITE ? SQ_E1 : SQ_E8;
  constexpr int opponent = colour ^ 1;
  constexpr int shift = 2 * colour;  // the rights of BLACK are those of WHITE two bits up
  const Board& board = pos.board;
  const int rights = pos.castleRights;
  if ((rights & (CASTLE_WK << shift)) && board[king + 1] == EMPTY && board[king + 2] == EMPTY &&
      !isAttacked(pos, king, opponent) && !isAttacked(pos, king + 1, opponent))
    add(out, king, king + 2, MOVE_CASTLE);
  if ((rights & (CASTLE_WQ << shift)) && board[king - 3] == EMPTY && board[king - 2] == EMPTY &&
      board[king - 1] == EMPTY && !isAttacked(pos, king, opponent) && !isAttacked(pos, king - 1, opponent))
    add(out, king, king - 2, MOVE_CASTLE);
}

void addSliderMoves(const Position& pos, MoveEntry*& out, int code, int opponent, bool capturesOnly) {
  const Board& board = pos.board;
  const std::int32_t* dirs = PieceDirections[code];
  for (int s = firstOfList(pos, code); s < LIST_END; s = pos.lists[s].next) {
    for (const std::int32_t* d = dirs; *d; ++d) {
      int t = s + *d;
      for (; board[t] == EMPTY; t += *d)
        if (!capturesOnly) add(out, s, t, 0);
      if (colourOf(board[t]) == opponent) add(out, s, t, MOVE_CAPTURE);
    }
  }
}

}  // namespace

MoveEntry* generateMoves(const Position& pos, MoveEntry* out) {
  const Board& board = pos.board;
  const int side = pos.side;
  const int opponent = pos.xside;

  const int king = kingSquare(pos, side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d) addStep(board, out, king, king + *d, opponent);
  if (side == WHITE)
    addCastling<WHITE>(pos, out);
  else
    addCastling<BLACK>(pos, out);

  addPawnMoves<PawnMoves::All>(pos, out, nullptr);

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d) addStep(board, out, s, s + *d, opponent);

  addSliderMoves(pos, out, pieceCode(side, BISHOP), opponent, false);
  addSliderMoves(pos, out, pieceCode(side, ROOK), opponent, false);
  addSliderMoves(pos, out, pieceCode(side, QUEEN), opponent, false);

  return out;
}

namespace {

// The capture set; slider kinds whose class bit is not in targets are not
// scanned (the caller knows they can capture nothing).
MoveEntry* captures(const Position& pos, int targets, MoveEntry* out) {
  const Board& board = pos.board;
  const int side = pos.side;
  const int opponent = pos.xside;

  const int king = kingSquare(pos, side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d)
    if (colourOf(board[king + *d]) == opponent) add(out, king, king + *d, MOVE_CAPTURE);

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
      if (colourOf(board[s + *d]) == opponent) add(out, s, s + *d, MOVE_CAPTURE);

  if (targets & ATTACK_MINOR) addSliderMoves(pos, out, pieceCode(side, BISHOP), opponent, true);
  if (targets & ATTACK_ROOK) addSliderMoves(pos, out, pieceCode(side, ROOK), opponent, true);
  if (targets & ATTACK_QUEEN) addSliderMoves(pos, out, pieceCode(side, QUEEN), opponent, true);

  addPawnMoves<PawnMoves::Captures>(pos, out, nullptr);

  return out;
}

}  // namespace

MoveEntry* generateCaptures(const Position& pos, MoveEntry* out) {
  return captures(pos, ATTACK_MINOR | ATTACK_ROOK | ATTACK_QUEEN, out);
}

MoveEntry* generateCapturesFromMaps(const Position& pos, const std::uint8_t* ownAttacks, MoveEntry* out) {
  // The classes that attack some enemy piece: only they can capture.
  int targets = 0;
  for (int kind = PAWN; kind <= KING; ++kind)
    for (int s = firstOfList(pos, pieceCode(pos.xside, kind)); s < LIST_END; s = pos.lists[s].next)
      targets |= ownAttacks[s];
  return captures(pos, targets, out);
}

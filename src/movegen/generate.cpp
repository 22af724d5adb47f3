// Pseudo-legal moves and the capture set.
#include <algorithm>

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

// Castling wherever king and rooks start (Chess960), king side first. The
// squares both pieces cross or land on must be empty but for the two, and
// the king's squares from its own to its target not attacked. The rook may
// shield the king's target from a piece behind it: the legality test after
// the move rejects that.
void addCastling960(const Position& pos, MoveEntry*& out) {
  const Board& board = pos.board;
  const int king = kingSquare(pos, pos.side);
  for (int index = 2 * pos.side; index < 2 * pos.side + 2; ++index) {
    if (!(pos.castleRights & (1 << index))) continue;
    const CastleRoute& r = pos.castle[index];
    const int low = std::min(
        {king, static_cast<int>(r.kingTo), static_cast<int>(r.rookFrom), static_cast<int>(r.rookTo)});
    const int high = std::max(
        {king, static_cast<int>(r.kingTo), static_cast<int>(r.rookFrom), static_cast<int>(r.rookTo)});
    bool free = true;
    for (int s = low; s <= high && free; ++s) free = s == king || s == r.rookFrom || board[s] == EMPTY;
    const int step = r.kingTo >= king ? 1 : -1;
    for (int s = king; free; s += step) {
      free = !isAttacked(pos, s, pos.xside);
      if (s == r.kingTo) break;
    }
    if (free) add(out, king, r.target, MOVE_CASTLE);
  }
}

// One ray of a slider; a constant step folds into the addressing.
template <int Step, bool CapturesOnly>
inline void addRay(const Board& board, MoveEntry*& out, int s, int opponent) {
  int t = s + Step;
  for (; board[t] == EMPTY; t += Step)
    if (!CapturesOnly) add(out, s, t, 0);
  if (colourOf(board[t]) == opponent) add(out, s, t, MOVE_CAPTURE);
}

// The rays in the order of the kind's direction list, so the move order is
// that of a walk over PieceDirections.
template <int Kind, bool CapturesOnly>
void addSliderMoves(const Position& pos, MoveEntry*& out, int opponent) {
  const Board& board = pos.board;
  for (int s = firstOfList(pos, pieceCode(pos.side, Kind)); s < LIST_END; s = pos.lists[s].next) {
    if constexpr (Kind != BISHOP) {
      addRay<-1, CapturesOnly>(board, out, s, opponent);
      addRay<1, CapturesOnly>(board, out, s, opponent);
      addRay<16, CapturesOnly>(board, out, s, opponent);
      addRay<-16, CapturesOnly>(board, out, s, opponent);
    }
    if constexpr (Kind != ROOK) {
      addRay<15, CapturesOnly>(board, out, s, opponent);
      addRay<17, CapturesOnly>(board, out, s, opponent);
      addRay<-15, CapturesOnly>(board, out, s, opponent);
      addRay<-17, CapturesOnly>(board, out, s, opponent);
    }
  }
}
static_assert(RookDirections == std::array<std::int32_t, 5>{-1, 1, 16, -16, 0} &&
              BishopDirections == std::array<std::int32_t, 5>{15, 17, -15, -17, 0} &&
              QueenDirections == std::array<std::int32_t, 9>{-1, 1, 16, -16, 15, 17, -15, -17, 0});

}  // namespace

MoveEntry* generateMoves(const Position& pos, MoveEntry* out) {
  const Board& board = pos.board;
  const int side = pos.side;
  const int opponent = pos.xside;

  const int king = kingSquare(pos, side);
  for (int i = 0; i < 8; ++i) addStep(board, out, king, king + KingDirections[i], opponent);
  if (pos.castleRights & ((CASTLE_WK | CASTLE_WQ) << (2 * side))) {
    if (pos.castle960)
      addCastling960(pos, out);
    else if (side == WHITE)
      addCastling<WHITE>(pos, out);
    else
      addCastling<BLACK>(pos, out);
  }

  addPawnMoves<PawnMoves::All>(pos, out, nullptr);

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
    for (int i = 0; i < 8; ++i) addStep(board, out, s, s + KnightOffsets[i], opponent);

  addSliderMoves<BISHOP, false>(pos, out, opponent);
  addSliderMoves<ROOK, false>(pos, out, opponent);
  addSliderMoves<QUEEN, false>(pos, out, opponent);

  return out;
}

namespace {

// The capture set; piece kinds whose class bit is not in targets are not
// looked at (the caller knows they attack no enemy piece). Pawns may still
// capture en passant or promote without a capture.
MoveEntry* captures(const Position& pos, int targets, MoveEntry* out) {
  const Board& board = pos.board;
  const int side = pos.side;
  const int opponent = pos.xside;

  if (targets & ATTACK_KING) {
    const int king = kingSquare(pos, side);
    for (int i = 0; i < 8; ++i)
      if (colourOf(board[king + KingDirections[i]]) == opponent)
        add(out, king, king + KingDirections[i], MOVE_CAPTURE);
  }

  if (targets & ATTACK_MINOR) {
    const int knight = pieceCode(side, KNIGHT);
    for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
      for (int i = 0; i < 8; ++i)
        if (colourOf(board[s + KnightOffsets[i]]) == opponent)
          add(out, s, s + KnightOffsets[i], MOVE_CAPTURE);
  }

  if (targets & ATTACK_MINOR) addSliderMoves<BISHOP, true>(pos, out, opponent);
  if (targets & ATTACK_ROOK) addSliderMoves<ROOK, true>(pos, out, opponent);
  if (targets & ATTACK_QUEEN) addSliderMoves<QUEEN, true>(pos, out, opponent);

  constexpr std::array<std::uint64_t, 2> SeventhRank = {0x00FF000000000000ULL, 0xFF00ULL};
  if ((targets & ATTACK_PAWN) || pos.epSquare != EP_NONE || (pos.pawns[side] & SeventhRank[side]))
    addPawnMoves<PawnMoves::Captures>(pos, out, nullptr);

  return out;
}

}  // namespace

MoveEntry* generateCaptures(const Position& pos, MoveEntry* out) {
  return captures(pos, ATTACK_PAWN | ATTACK_MINOR | ATTACK_ROOK | ATTACK_QUEEN | ATTACK_KING, out);
}

MoveEntry* generateCapturesFromMaps(const Position& pos, const AttackWord* ownAttacks, MoveEntry* out) {
  // The classes that attack some enemy piece: only they can capture. A
  // counter of the words or-ed together is non-zero when it is in one of them.
  AttackWord targets = 0;
  for (int kind = PAWN; kind <= KING; ++kind)
    for (int s = firstOfList(pos, pieceCode(pos.xside, kind)); s < LIST_END; s = pos.lists[s].next)
      targets |= ownAttacks[s];
  return captures(pos, attackByte(targets), out);
}

// Pseudo-legal moves and the capture set.
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMove;

// Quiet move or capture by a non-pawn piece, as the target allows.
inline void addStep(const Board& board, MoveEntry*& out, int from, int to, int opponent) {
  const int target = board[to];
  if (target == EMPTY)
    add(out, from, to, 0);
  else if (colourOf(target) == opponent)
    add(out, from, to, MOVE_CAPTURE);
}

void addCastling(const Position& pos, MoveEntry*& out) {
  const Board& board = pos.board;
  const int rights = pos.castleRights;
  if (pos.side == WHITE) {
    if ((rights & CASTLE_WK) && board[SQ_F1] == EMPTY && board[SQ_G1] == EMPTY &&
        !isAttacked(pos, SQ_E1, BLACK) && !isAttacked(pos, SQ_F1, BLACK))
      add(out, SQ_E1, SQ_G1, MOVE_CASTLE);
    if ((rights & CASTLE_WQ) && board[SQ_B1] == EMPTY && board[SQ_C1] == EMPTY && board[SQ_D1] == EMPTY &&
        !isAttacked(pos, SQ_E1, BLACK) && !isAttacked(pos, SQ_D1, BLACK))
      add(out, SQ_E1, SQ_C1, MOVE_CASTLE);
  } else {
    if ((rights & CASTLE_BK) && board[SQ_F8] == EMPTY && board[SQ_G8] == EMPTY &&
        !isAttacked(pos, SQ_E8, WHITE) && !isAttacked(pos, SQ_F8, WHITE))
      add(out, SQ_E8, SQ_G8, MOVE_CASTLE);
    if ((rights & CASTLE_BQ) && board[SQ_B8] == EMPTY && board[SQ_C8] == EMPTY && board[SQ_D8] == EMPTY &&
        !isAttacked(pos, SQ_E8, WHITE) && !isAttacked(pos, SQ_D8, WHITE))
      add(out, SQ_E8, SQ_C8, MOVE_CASTLE);
  }
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
  addCastling(pos, out);

  const std::int32_t* pawnDirs = PawnDirections[side].data();
  for (int s = firstOfList(pos, pieceCode(side, PAWN)); s < LIST_END; s = pos.lists[s].next) {
    const int r = RelativeRank[side][s];
    for (int i = 0; i < 2; ++i) {
      const int t = s + pawnDirs[i];
      if (colourOf(board[t]) == opponent) {
        addPawnMove(out, s, t, MOVE_PAWN | MOVE_CAPTURE, r == 6);
      } else if (t == pos.epSquare) {
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
      }
    }
    const int t = s + pawnDirs[2];
    if (board[t] == EMPTY) {
      addPawnMove(out, s, t, MOVE_PAWN, r == 6);
      if (r == 1 && board[t + pawnDirs[2]] == EMPTY) add(out, s, t + pawnDirs[2], MOVE_PAWN);
    }
  }

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d) addStep(board, out, s, s + *d, opponent);

  addSliderMoves(pos, out, pieceCode(side, BISHOP), opponent, false);
  addSliderMoves(pos, out, pieceCode(side, ROOK), opponent, false);
  addSliderMoves(pos, out, pieceCode(side, QUEEN), opponent, false);

  return out;
}

MoveEntry* generateCaptures(const Position& pos, MoveEntry* out) {
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

  addSliderMoves(pos, out, pieceCode(side, BISHOP), opponent, true);
  addSliderMoves(pos, out, pieceCode(side, ROOK), opponent, true);
  addSliderMoves(pos, out, pieceCode(side, QUEEN), opponent, true);

  const std::int32_t* pawnDirs = PawnDirections[side].data();
  for (int s = firstOfList(pos, pieceCode(side, PAWN)); s < LIST_END; s = pos.lists[s].next) {
    const int r = RelativeRank[side][s];
    for (int i = 0; i < 2; ++i) {
      const int t = s + pawnDirs[i];
      if (colourOf(board[t]) == opponent)
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | (r == 6 ? MOVE_PROMO_QUEEN : 0));
      else if (t == pos.epSquare)
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
    }
    const int t = s + pawnDirs[2];
    if (r == 6 && board[t] == EMPTY) add(out, s, t, MOVE_PAWN | MOVE_PROMO_QUEEN);
  }

  return out;
}

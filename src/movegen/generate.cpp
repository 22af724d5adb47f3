// Pseudo-legal move generation into the shared move stack.
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMove;

// Quiet move or capture by a non-pawn piece, as the target allows.
inline void addStep(MoveEntry*& out, int from, int to, int opponent) {
  const int target = Board[to];
  if (target == EMPTY)
    add(out, from, to, 0);
  else if (colourOf(target) == opponent)
    add(out, from, to, MOVE_CAPTURE);
}

void addCastling(MoveEntry*& out) {
  const int rights = Pos.castleRights;
  if (Pos.side == WHITE) {
    if ((rights & CASTLE_WK) && Board[SQ_F1] == EMPTY && Board[SQ_G1] == EMPTY && !isAttacked(SQ_E1, BLACK) &&
        !isAttacked(SQ_F1, BLACK))
      add(out, SQ_E1, SQ_G1, MOVE_CASTLE);
    if ((rights & CASTLE_WQ) && Board[SQ_B1] == EMPTY && Board[SQ_C1] == EMPTY && Board[SQ_D1] == EMPTY &&
        !isAttacked(SQ_E1, BLACK) && !isAttacked(SQ_D1, BLACK))
      add(out, SQ_E1, SQ_C1, MOVE_CASTLE);
  } else {
    if ((rights & CASTLE_BK) && Board[SQ_F8] == EMPTY && Board[SQ_G8] == EMPTY && !isAttacked(SQ_E8, WHITE) &&
        !isAttacked(SQ_F8, WHITE))
      add(out, SQ_E8, SQ_G8, MOVE_CASTLE);
    if ((rights & CASTLE_BQ) && Board[SQ_B8] == EMPTY && Board[SQ_C8] == EMPTY && Board[SQ_D8] == EMPTY &&
        !isAttacked(SQ_E8, WHITE) && !isAttacked(SQ_D8, WHITE))
      add(out, SQ_E8, SQ_C8, MOVE_CASTLE);
  }
}

void addSliderMoves(MoveEntry*& out, int code, int opponent, bool capturesOnly) {
  const std::int32_t* dirs = PieceDirections[code];
  for (int s = firstOfList(code); s < LIST_END; s = Lists[s].next) {
    for (const std::int32_t* d = dirs; *d; ++d) {
      int t = s + *d;
      for (; Board[t] == EMPTY; t += *d)
        if (!capturesOnly) add(out, s, t, 0);
      if (colourOf(Board[t]) == opponent) add(out, s, t, MOVE_CAPTURE);
    }
  }
}

}  // namespace

void generateMoves() {
  const int side = Pos.side;
  const int opponent = Pos.xside;
  MoveEntry* out = listBegin(searchPly);

  const int king = kingSquare(side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d) addStep(out, king, king + *d, opponent);
  addCastling(out);

  const std::int32_t* pawnDirs = PawnDirections[side].data();
  for (int s = firstOfList(pieceCode(side, PAWN)); s < LIST_END; s = Lists[s].next) {
    const int r = RelativeRank[side][s];
    for (int i = 0; i < 2; ++i) {
      const int t = s + pawnDirs[i];
      if (colourOf(Board[t]) == opponent) {
        addPawnMove(out, s, t, MOVE_PAWN | MOVE_CAPTURE, r == 6);
      } else if (t == Pos.epSquare) {
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
      }
    }
    const int t = s + pawnDirs[2];
    if (Board[t] == EMPTY) {
      addPawnMove(out, s, t, MOVE_PAWN, r == 6);
      if (r == 1 && Board[t + pawnDirs[2]] == EMPTY) add(out, s, t + pawnDirs[2], MOVE_PAWN);
    }
  }

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(knight); s < LIST_END; s = Lists[s].next)
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d) addStep(out, s, s + *d, opponent);

  addSliderMoves(out, pieceCode(side, BISHOP), opponent, false);
  addSliderMoves(out, pieceCode(side, ROOK), opponent, false);
  addSliderMoves(out, pieceCode(side, QUEEN), opponent, false);

  Ply[searchPly + 1].moveListStart = static_cast<std::int32_t>(out - MoveStack.data());
}

void generateCaptures() {
  const int side = Pos.side;
  const int opponent = Pos.xside;
  MoveEntry* out = listBegin(searchPly);

  const int king = kingSquare(side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d)
    if (colourOf(Board[king + *d]) == opponent) add(out, king, king + *d, MOVE_CAPTURE);

  const int knight = pieceCode(side, KNIGHT);
  for (int s = firstOfList(knight); s < LIST_END; s = Lists[s].next)
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
      if (colourOf(Board[s + *d]) == opponent) add(out, s, s + *d, MOVE_CAPTURE);

  addSliderMoves(out, pieceCode(side, BISHOP), opponent, true);
  addSliderMoves(out, pieceCode(side, ROOK), opponent, true);
  addSliderMoves(out, pieceCode(side, QUEEN), opponent, true);

  const std::int32_t* pawnDirs = PawnDirections[side].data();
  for (int s = firstOfList(pieceCode(side, PAWN)); s < LIST_END; s = Lists[s].next) {
    const int r = RelativeRank[side][s];
    for (int i = 0; i < 2; ++i) {
      const int t = s + pawnDirs[i];
      if (colourOf(Board[t]) == opponent)
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | (r == 6 ? MOVE_PROMO_QUEEN : 0));
      else if (t == Pos.epSquare)
        add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
    }
    const int t = s + pawnDirs[2];
    if (r == 6 && Board[t] == EMPTY) add(out, s, t, MOVE_PAWN | MOVE_PROMO_QUEEN);
  }

  Ply[searchPly + 1].moveListStart = static_cast<std::int32_t>(out - MoveStack.data());
}

// Check analysis and the evasion generator.
#include <algorithm>

#include "eval/eval.h"
#include "movegen/emit.h"
#include "movegen/movegen.h"

namespace {

using movegen_emit::add;
using movegen_emit::addPawnMove;

// Counts the checkers along one family of lines and marks their squares.
int markLines(const Board& board, int king, const std::int32_t* dirs, int slider, int queen) {
  int count = 0;
  for (const std::int32_t* d = dirs; *d; ++d) {
    int s = king + *d;
    while (board[s] == EMPTY) s += *d;
    if (board[s] == slider || board[s] == queen) {
      ++count;
      for (int m = king + *d; m != s + *d; m += *d) ++CheckMarks[m];
    }
  }
  return count;
}

}  // namespace

int findCheckers(const Position& pos) {
  const Board& board = pos.board;
  CheckMarks.fill(0);
  const int king = kingSquare(pos, pos.side);
  const int o = pos.xside;
  int count = 0;
  const int knight = pieceCode(o, KNIGHT);
  for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
    if (board[king + *d] == knight) {
      ++CheckMarks[king + *d];
      ++count;
    }
  count += markLines(board, king, RookDirections.data(), pieceCode(o, ROOK), pieceCode(o, QUEEN));
  count += markLines(board, king, BishopDirections.data(), pieceCode(o, BISHOP), pieceCode(o, QUEEN));
  const int pawn = pieceCode(o, PAWN);
  const int forward = pos.side == WHITE ? 1 : -1;
  for (int step : {15 * forward, 17 * forward})
    if (board[king + step] == pawn) {
      ++CheckMarks[king + step];
      ++count;
    }
  return count;
}

void generateEvasions(const Position& pos) {
  const Board& board = pos.board;
  const int count = findCheckers(pos);
  const int side = pos.side;
  const int o = pos.xside;
  const std::uint8_t* enemyMap = currentAttackMap[o];
  MoveEntry* out = listBegin(pos.searchPly);

  const int king = kingSquare(pos, side);
  for (const std::int32_t* d = KingDirections.data(); *d; ++d) {
    const int t = king + *d;
    if (enemyMap[t] != 0) continue;
    if (board[t] == EMPTY)
      add(out, king, t, 0);
    else if (colourOf(board[t]) == o)
      add(out, king, t, MOVE_CAPTURE);
  }

  if (count <= 1) {
    const int knight = pieceCode(side, KNIGHT);
    for (int s = firstOfList(pos, knight); s < LIST_END; s = pos.lists[s].next)
      for (const std::int32_t* d = KnightOffsets.data(); *d; ++d) {
        const int t = s + *d;
        if (!isSquare(t) || CheckMarks[t] == 0) continue;
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
            if (CheckMarks[t]) add(out, s, t, 0);
          if (colourOf(board[t]) == o && CheckMarks[t]) add(out, s, t, MOVE_CAPTURE);
        }
    }

    const std::int32_t* dirs = PawnDirections[side].data();
    for (int s = firstOfList(pos, pieceCode(side, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int r = RelativeRank[side][s];
      for (int i = 0; i < 2; ++i) {
        const int t = s + dirs[i];
        if (!isSquare(t)) continue;
        if (CheckMarks[t]) {
          if (colourOf(board[t]) == o) {
            addPawnMove(out, s, t, MOVE_PAWN | MOVE_CAPTURE, r == 6);
          }
        } else if (t == pos.epSquare) {
          add(out, s, t, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
        }
      }
      const int t = s + dirs[2];
      if (board[t] == EMPTY) {
        if (CheckMarks[t]) {
          addPawnMove(out, s, t, MOVE_PAWN, r == 6);
        }
        const int t2 = t + dirs[2];
        if (r == 1 && board[t2] == EMPTY && CheckMarks[t2]) add(out, s, t2, MOVE_PAWN);
      }
    }
  }

  Ply[pos.searchPly + 1].moveListStart = static_cast<std::int32_t>(out - MoveStack.data());
}

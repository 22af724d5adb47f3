// The square-attack test and the check test.
#include "position/position.h"

bool isAttacked(const Position& pos, int square, int colour) {
  const Board& board = pos.board;
  const int knight = pieceCode(colour, KNIGHT);
  for (int i = 0; i < 8; ++i)
    if (board[square + KnightOffsets[i]] == knight) return true;

  const int rook = pieceCode(colour, ROOK);
  const int queen = pieceCode(colour, QUEEN);
  for (int i = 0; i < 4; ++i) {
    const int d = RookDirections[i];
    int s = square + d;
    while (board[s] == EMPTY) s += d;
    if (board[s] == rook || board[s] == queen) return true;
  }
  const int bishop = pieceCode(colour, BISHOP);
  for (int i = 0; i < 4; ++i) {
    const int d = BishopDirections[i];
    int s = square + d;
    while (board[s] == EMPTY) s += d;
    if (board[s] == bishop || board[s] == queen) return true;
  }

  if (KingDistance[kingSquare(pos, colour)][square] <= 1) return true;

  if (colour == WHITE)
    return board[square - 15] == pieceCode(WHITE, PAWN) || board[square - 17] == pieceCode(WHITE, PAWN);
  return board[square + 15] == pieceCode(BLACK, PAWN) || board[square + 17] == pieceCode(BLACK, PAWN);
}

bool kingInCheck(const Position& pos, int colour) {
  return isAttacked(pos, kingSquare(pos, colour), colour ^ 1);
}

// Attack test, pseudo-legal move generation and check evasions.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

// 1 when a piece of colour attacks square (no x-ray; pinned pieces attack).
int isAttacked(int square, int colour);
// 1 when the king of colour is attacked by the other colour.
int kingInCheck(int colour);

// After makeMove(m): 1 when the side that moved left its king attacked.
// wasInCheck tells whether it was in check before the move; out of check a
// move other than a king move or en passant can only open the one line
// from the king through its origin square, so only that line is looked at.
int moverLeftInCheck(Move m, bool wasInCheck);
// Before the move, for a side not in check and a move that is neither a king
// move nor en passant: 1 when the moving piece is pinned and leaves its line.
int movesPinnedPiece(Move m);

// Append the pseudo-legal moves (all, or the quiescence capture set) of the
// side to move to the list of searchPly and set the next ply's list start.
void generateMoves();
void generateCaptures();

// Squares on which a non-king move meets the current check (counts per square).
inline std::array<std::uint8_t, 128> CheckMarks{};
// Number of pieces checking the side to move; fills CheckMarks.
int findCheckers();
// King steps to squares the opponent's current attack map leaves free and, in
// single check, moves landing on a marked square. Needs an evaluated node.
void generateEvasions();

// The move list of ply p: MoveStack[Ply[p].moveListStart .. Ply[p + 1].moveListStart).
inline MoveEntry* listBegin(int p) { return MoveStack.data() + Ply[p].moveListStart; }
inline MoveEntry* listEnd(int p) { return MoveStack.data() + Ply[p + 1].moveListStart; }

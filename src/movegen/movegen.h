// Pseudo-legal move generation, check evasions, the legality shortcuts and
// moves read from text.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

// After makeMove(m): true when the side that moved left its king attacked.
// wasInCheck tells whether it was in check before the move; out of check a
// move other than a king move or en passant can only open the one line
// from the king through its origin square, so only that line is looked at.
bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck);
// Before the move, for a side not in check and a move that is neither a king
// move nor en passant: true when the moving piece is pinned and leaves its line.
bool movesPinnedPiece(const Position& pos, Move m);

// Append the pseudo-legal moves (all, or the quiescence capture set) of the
// side to move to the list of searchPly and set the next ply's list start.
void generateMoves(const Position& pos);
void generateCaptures(const Position& pos);

// Squares on which a non-king move meets the current check (counts per square).
inline std::array<std::uint8_t, 128> CheckMarks{};
// Number of pieces checking the side to move; fills CheckMarks.
int findCheckers(const Position& pos);
// King steps to squares the opponent's current attack map leaves free and, in
// single check, moves landing on a marked square. Needs an evaluated node.
void generateEvasions(const Position& pos);

// The move list of ply p: MoveStack[Ply[p].moveListStart .. Ply[p + 1].moveListStart).
inline MoveEntry* listBegin(int p) { return MoveStack.data() + Ply[p].moveListStart; }
inline MoveEntry* listEnd(int p) { return MoveStack.data() + Ply[p + 1].moveListStart; }

// The generated move named by the first characters of text, or 0.
Move textToMove(const Position& pos, const char* text);
// Plays a move read from text as a game move: refused (0) when it names no
// generated move, leaves the mover in check, or the game history is full.
Move playGameMove(Position& pos, const char* text);

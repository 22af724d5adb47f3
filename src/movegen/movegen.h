// Pseudo-legal move generation, check evasions, check prediction, the
// legality shortcuts and moves read from text.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

// Attack-map bytes, as the exchange table, king safety and the console read
// them: attacker count in bits 0-2, one bit per attacking class.
constexpr std::uint8_t ATTACK_COUNT = 0x07;
constexpr std::uint8_t ATTACK_PAWN = 0x08;
constexpr std::uint8_t ATTACK_MINOR = 0x10;
constexpr std::uint8_t ATTACK_ROOK = 0x20;
constexpr std::uint8_t ATTACK_QUEEN = 0x40;
constexpr std::uint8_t ATTACK_KING = 0x80;

// The maps hold a word per square with one counter per class, so that an
// attack is a single addition; the byte above is put together only where one
// is read. No square is attacked by more than 2 pawns, 12 minor pieces
// (8 knights and the first piece of 4 diagonals), 4 rooks, 8 queens or one
// king, so the counters never carry into each other on the board. Indices
// off the board may overflow; they are never read.
using AttackWord = std::uint16_t;
constexpr AttackWord WORD_PAWN = 1;         // bits 0-1
constexpr AttackWord WORD_MINOR = 1 << 2;   // bits 2-5
constexpr AttackWord WORD_ROOK = 1 << 6;    // bits 6-8
constexpr AttackWord WORD_QUEEN = 1 << 9;   // bits 9-12
constexpr AttackWord WORD_KING = 1 << 13;   // bit 13
constexpr int ATTACK_WORD_LIMIT = 1 << 14;  // every word of a square on the board is below it

// The byte of a word: the counters summed (at most 7) and a class bit for
// each counter that is not zero.
inline constexpr std::array<std::uint8_t, ATTACK_WORD_LIMIT> AttackByteOf = [] {
  std::array<std::uint8_t, ATTACK_WORD_LIMIT> t{};
  for (int w = 0; w < ATTACK_WORD_LIMIT; ++w) {
    const int pawns = w & 3, minors = (w >> 2) & 15, rooks = (w >> 6) & 7, queens = (w >> 9) & 15,
              kings = w >> 13;
    const int count = pawns + minors + rooks + queens + kings;
    t[w] = static_cast<std::uint8_t>((count > 7 ? 7 : count) | (pawns ? ATTACK_PAWN : 0) |
                                     (minors ? ATTACK_MINOR : 0) | (rooks ? ATTACK_ROOK : 0) |
                                     (queens ? ATTACK_QUEEN : 0) | (kings ? ATTACK_KING : 0));
  }
  return t;
}();
// The byte of a square on the board.
inline std::uint8_t attackByte(AttackWord w) { return AttackByteOf[w]; }

// Room for the moves of one position.
using MoveList = std::array<MoveEntry, MAX_MOVES_PER_PLY>;

// The generators append the pseudo-legal moves of the side to move from out
// on, in their fixed order, and return the end of the list.
// Every move of the side to move.
MoveEntry* generateMoves(const Position& pos, MoveEntry* out);
// The quiescence set: captures, with promotions to a queen only.
MoveEntry* generateCaptures(const Position& pos, MoveEntry* out);
// The same list for an evaluated node, given the side to move's attack map
// of this position (square 0 first): slider kinds that attack no enemy
// piece are not scanned.
MoveEntry* generateCapturesFromMaps(const Position& pos, const AttackWord* ownAttacks, MoveEntry* out);

// Per square: the number of checking lines through it (the checker's own
// square included), the squares on which a non-king move meets a check.
using CheckMarks = std::array<std::uint8_t, 128>;
// Number of pieces checking the side to move; fills marks.
int findCheckers(const Position& pos, CheckMarks& marks);
// King steps to squares the opponent does not attack and, in single check,
// moves landing on a marked square. enemyAttacks and ownAttacks are the two
// attack maps of this position (square 0 first, non-zero for an attacked
// square): the king steps read the opponent's, and piece kinds whose class
// attacks no marked square in the side to move's are skipped. Without them
// each king step is tested with isAttacked and every piece looked at, to
// the same list.
MoveEntry* generateEvasions(const Position& pos, const AttackWord* enemyAttacks, const AttackWord* ownAttacks,
                            MoveEntry* out);
MoveEntry* generateEvasions(const Position& pos, MoveEntry* out);

// Before the move: true when it will give check, directly or by uncovering
// a line (the rook of a castling move is not looked at).
bool givesCheck(const Position& pos, Move m);
// After makeMove(m): true when the side that moved left its king attacked.
// wasInCheck tells whether it was in check before the move; out of check a
// move other than a king move or en passant can only open the one line
// from the king through its origin square, so only that line is looked at.
bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck);
// The same answer where the attack map of the side now to move, of the
// position before the move, is at hand (attacksBefore, square 0 of it): a
// king move onto a square it marks is illegal, and out of check one onto a
// square it leaves clear is legal, with no attack test.
bool moverLeftInCheck(const Position& pos, Move m, bool wasInCheck, const AttackWord* attacksBefore);
// Before a castling move that the generator produced: true when the king's
// target is attacked once king and rook stand on their targets. Only a line
// along the back rank can change, where the rook uncovers a rook or queen.
bool castleLeavesKingAttacked(const Position& pos, Move m);
// Before the move, for a side not in check and a move that is neither a king
// move nor en passant: true when the moving piece is pinned and leaves its line.
bool movesPinnedPiece(const Position& pos, Move m);
// The same test for many moves of one position: the pieces of the side to
// move pinned to their king, by square, each with the step from the king
// along its line (0 for a piece that is not pinned), ...
using PinSteps = std::array<std::int8_t, 128>;
void findPins(const Position& pos, PinSteps& pins);
// ... and the answer of movesPinnedPiece from them.
inline bool leavesPinLine(const PinSteps& pins, int king, Move m) {
  const int step = pins[moveOrigin(m)];
  if (step == 0) return false;
  const Relation toTarget = SquareRelation[king][moveTarget(m)];
  return !(toTarget.flags & REL_LINE) || toTarget.step != step;
}

// The generated move named by the first characters of text, or 0.
Move textToMove(const Position& pos, const char* text);
// Plays a move read from text as a game move: refused (0) when it names no
// generated move, leaves the mover in check, or the game history or the undo
// records are full.
Move playGameMove(Position& pos, const char* text);

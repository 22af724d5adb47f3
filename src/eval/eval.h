// Static evaluation, attack maps and the static exchange table.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

// ---------------------------------------------------------------------------
// Attack maps: per ply and colour one byte per square,
// attacker count in bits 0-2 and one bit per attacking class.
// ---------------------------------------------------------------------------

constexpr std::uint8_t ATTACK_COUNT = 0x07;
constexpr std::uint8_t ATTACK_PAWN = 0x08;
constexpr std::uint8_t ATTACK_MINOR = 0x10;
constexpr std::uint8_t ATTACK_ROOK = 0x20;
constexpr std::uint8_t ATTACK_QUEEN = 0x40;
constexpr std::uint8_t ATTACK_KING = 0x80;

inline constexpr std::array<std::uint8_t, 8> AttackClassBit = {0,           ATTACK_PAWN,  ATTACK_MINOR, ATTACK_MINOR,
                                                               ATTACK_ROOK, ATTACK_QUEEN, ATTACK_KING,  0};

// Maps of all plies; square s of a map lives at s + 64, so any index from
// -64 to 191 (every mark a piece on the board can make) is addressable.
inline std::array<std::array<std::array<std::uint8_t, 256>, 2>, MAX_PLY> AttackMaps{};
// Square 0 of the WHITE and BLACK maps of the ply evaluated last.
inline std::array<std::uint8_t*, 2> currentAttackMap = {AttackMaps[0][WHITE].data() + 64,
                                                        AttackMaps[0][BLACK].data() + 64};

// Records one attack of class bit x. The count saturates at 7 so that an
// eighth attacker never carries into the class bits.
inline void recordAttack(std::uint8_t* map, int square, std::uint8_t x) {
  const std::uint8_t b = map[square];
  map[square] = static_cast<std::uint8_t>((b | x) + ((b & ATTACK_COUNT) != ATTACK_COUNT));
}

// Points currentAttackMap at the maps of ply p.
inline void pointAttackMaps(int p) {
  currentAttackMap[WHITE] = AttackMaps[p][WHITE].data() + 64;
  currentAttackMap[BLACK] = AttackMaps[p][BLACK].data() + 64;
}

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

constexpr std::int32_t ENDGAME_MATERIAL = 2730;
constexpr std::int32_t FULL_MATERIAL = 8460;

// Score of the current position for the side to move; builds the attack
// maps of searchPly and the piece counters of its PlyRecord.
int evaluate();

// Material of both colours without kings, from the board.
std::int32_t boardMaterial();

// ---------------------------------------------------------------------------
// Static exchange table
// ---------------------------------------------------------------------------

// Exchange value by piece code: P 1, N 3, B 3, R 5, Q 10, K 100.
inline constexpr std::array<std::int32_t, 17> SeeValue = {0, 1, 3, 3, 5, 10, 100, 0, 0,
                                                          1, 3, 3, 5, 10, 100, 0, 0};

// Exchange value of the cheapest class in an attack-map byte (10 with none).
inline constexpr std::array<std::uint8_t, 256> LeastAttackerValue = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = 0; b < 256; ++b)
    t[b] = (b & ATTACK_PAWN)    ? 1
           : (b & ATTACK_MINOR) ? 3
           : (b & ATTACK_ROOK)  ? 5
           : (b & ATTACK_QUEEN) ? 10
           : (b & ATTACK_KING)  ? 100
                                : 10;
  return t;
}();

// The byte left after the cheapest attacker has captured: one attacker
// fewer, and its class gone when no second attacker of it can remain.
inline constexpr std::array<std::uint8_t, 256> NextAttackByte = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = 0; b < 255; ++b) {
    const int count = b & ATTACK_COUNT;
    if (count == 0) continue;
    int classes = 0;
    for (int bit = 0x08; bit <= 0x80; bit <<= 1) classes += (b & bit) != 0;
    int next = b - 1;
    if (count <= classes) next &= ~(b & 0xF8 & -(b & 0xF8));
    t[b] = static_cast<std::uint8_t>(next);
  }
  return t;
}();

// Outcome of every exchange on a square, one block per kind PAWN..KING,
// indexed by the owner's byte + 256 * the capturing side's byte.
inline std::array<std::array<std::int8_t, 65536>, 6> SeeTable{};
inline int seeEntry(int kind, int own, int opp) { return SeeTable[kind - 1][own + 256 * opp]; }

// Fills SeeTable; called once at start-up.
void buildSeeTable();
// The recursion behind the table.
int swapGain(int capturer, int owner, int w);
// Exchange estimate of a capture, in pawn units, from the mover's view;
// reads the attack maps of the position before the move.
int exchangeValue(Move m);
